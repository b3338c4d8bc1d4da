// The VST 2 editor: the instrument's panel in the host's window, driven by the host's editor
// opcodes, with gestures reported to the host as automation inside begin and end edit.
#pragma once

#include <cstdint>

#include "editor/panel.h"
#include "plugin/aeff_gui_editor.h"

class Corvina;

class CorvinaGuiEditor : public AEffGUIEditor, public orvalis::PanelHost {
 public:
  static constexpr int32_t kWidth = orvalis::Panel::kWidth;
  static constexpr int32_t kHeight = orvalis::Panel::kHeight;

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

  // PanelHost
  float parameter(int index) const override;
  void beginEdit(int index) override { AEffGUIEditor::beginEdit(index); }
  void changeParameter(int index, float value) override;
  void endEdit(int index) override { AEffGUIEditor::endEdit(index); }
  void copyProgram() override;
  void pasteProgram() override;
  orvalis::DisplaySnapshot display() const override;
  void idleDuringGesture() override { doIdleStuff(); }

  orvalis::Panel& getPanel() { return panel; }
  const orvalis::Panel& getPanel() const { return panel; }

 private:
  Corvina* instrument;
  orvalis::Panel panel;
};
