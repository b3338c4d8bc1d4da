// Until the core's panel host lands: the panel over the core, without a host to tell.
#pragma once

#include "core/instrument.h"
#include "editor/panel_host.h"

namespace orvalis::standalone {

class InterimPanelHost : public PanelHost {
 public:
  explicit InterimPanelHost(Instrument& core) : core(core) {}
  float parameter(int index) const override { return core.parameter(index); }
  void beginEdit(int) override {}
  void changeParameter(int index, float value) override { core.setParameter(index, value); }
  void endEdit(int) override {}
  void copyProgram() override { core.copyToClipboard(); }
  void pasteProgram() override { core.pasteFromClipboard(); }
  DisplaySnapshot display() const override { return core.display(); }

 private:
  Instrument& core;
};

}  // namespace orvalis::standalone
