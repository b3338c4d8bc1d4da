// The VST 2 editor: the instrument's panel over the core (orvalis::InstrumentPanelHost) in the
// host's window, driven by the host's editor opcodes. Gestures go to the host as automation
// inside begin and end edit; PASTE reloads the program into the editor, as a host's reload does.
#pragma once

#include <cstdint>

#include "editor/instrument_panel_host.h"
#include "editor/panel.h"
#include "plugin/aeff_gui_editor.h"

namespace orvalis::vst2 {

class Corvina;

class CorvinaGuiEditor : public AEffGUIEditor,
                         public orvalis::editor::InstrumentPanelHost::Listener {
 public:
  static constexpr int32_t kWidth = orvalis::editor::Panel::kWidth;
  static constexpr int32_t kHeight = orvalis::editor::Panel::kHeight;

  explicit CorvinaGuiEditor(Corvina* instrument);
  ~CorvinaGuiEditor() override;

  // The panel's size at the scale it is shown, or while closed the scale it will open at.
  int32_t getRect(ERect** rect) override;
  int32_t open(void* ptr) override;
  void close() override;
  void idle() override;
  int32_t onKeyDown(VstKeyCode& keyCode) override;
  int32_t onKeyUp(VstKeyCode& keyCode) override;
  // May run on the audio thread (hosts automate from there): the panel only stores the value.
  void setParameter(int32_t index, float value) override;
  bool isEditingText() const { return panel.isEditingText(); }
  // The host's interface scale; see Panel::setScaleFactor.
  bool setScaleFactor(float factor) { return panel.setScaleFactor(factor); }

  // InstrumentPanelHost::Listener: what the host hears of a gesture on the panel.
  void gestureBegan(int index) override { AEffGUIEditor::beginEdit(index); }
  void parameterEdited(int index, float value) override;
  void gestureEnded(int index) override { AEffGUIEditor::endEdit(index); }
  void programReplaced() override;
  void idleDuringGesture() override { doIdleStuff(); }

  orvalis::editor::Panel& getPanel() { return panel; }
  const orvalis::editor::Panel& getPanel() const { return panel; }

 private:
  Corvina* instrument;
  orvalis::editor::InstrumentPanelHost host;
  orvalis::editor::Panel panel;
};

}  // namespace orvalis::vst2
