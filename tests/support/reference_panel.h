// The panel as an editor should show it, drawn offscreen in this process from the values and the
// display a test gives it: what the editor tests compare a real window's pixels with.
#pragma once

#include <cstdint>
#include <vector>

#include "core/display_snapshot.h"
#include "editor/panel.h"
#include "params/parameter_table.h"

namespace orvalis::tests {

struct ReferencePanel : orvalis::editor::PanelHost {
  float values[orvalis::params::kNumParams] = {};
  orvalis::core::DisplaySnapshot snapshot;
  orvalis::editor::Panel panel{*this};

  float parameter(int index) const override { return values[index]; }
  void beginEdit(int) override {}
  void changeParameter(int, float) override {}
  void endEdit(int) override {}
  void copyProgram() override {}
  void pasteProgram() override {}
  orvalis::core::DisplaySnapshot display() const override { return snapshot; }
  const std::vector<uint32_t>& draw() {
    if (!panel.isOpen()) panel.open(nullptr);
    for (int i = 0; i < orvalis::params::kNumParams; ++i) panel.parameterChanged(i, values[i]);
    panel.idle();
    return panel.getFrame()->pixels();
  }
};

}  // namespace orvalis::tests
