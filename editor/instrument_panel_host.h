// The panel's host over an instrument in the same process: what every format's editor needs
// but its window. Values and the program clipboard go to the core; the format is told of each
// gesture so that it can tell its host (automation, undo, the host's own controls).
#pragma once

#include "core/instrument.h"
#include "editor/panel_host.h"

namespace orvalis::editor {

class InstrumentPanelHost : public PanelHost {
 public:
  class Listener {
   public:
    virtual ~Listener() = default;
    virtual void gestureBegan(int index) { (void)index; }
    // After the core has taken the value.
    virtual void parameterEdited(int index, float value) {
      (void)index;
      (void)value;
    }
    virtual void gestureEnded(int index) { (void)index; }
    // PASTE replaced the whole current program.
    virtual void programReplaced() {}
    // A control tracks the mouse: the format lets its host and the panel run meanwhile.
    virtual void idleDuringGesture() {}
  };

  explicit InstrumentPanelHost(core::Instrument& instrument, Listener* listener = nullptr)
      : core(instrument), listener(listener) {}

  float parameter(int index) const override { return core.parameter(index); }
  void beginEdit(int index) override;
  void changeParameter(int index, float value) override;
  void endEdit(int index) override;
  void copyProgram() override { core.copyToClipboard(); }
  void pasteProgram() override;
  core::DisplaySnapshot display() const override { return core.display(); }
  void idleDuringGesture() override {
    if (listener) listener->idleDuringGesture();
  }

 private:
  core::Instrument& core;
  Listener* listener;
};

}  // namespace orvalis::editor
