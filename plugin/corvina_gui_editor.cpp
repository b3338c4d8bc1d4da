#include "plugin/corvina_gui_editor.h"

#include "plugin/corvina.h"

namespace orvalis::vst2 {

CorvinaGuiEditor::CorvinaGuiEditor(Corvina* owner)
    : AEffGUIEditor(owner), instrument(owner), host(owner->instrument(), this), panel(host) {}

int32_t CorvinaGuiEditor::getRect(ERect** r) {
  rect.top = 0;
  rect.left = 0;
  rect.bottom = static_cast<int16_t>(panel.height());
  rect.right = static_cast<int16_t>(panel.width());
  return AEffGUIEditor::getRect(r);
}

CorvinaGuiEditor::~CorvinaGuiEditor() { close(); }

int32_t CorvinaGuiEditor::open(void* ptr) {
  // Some hosts open twice without closing: the old window goes first.
  if (frame) close();
  AEffGUIEditor::open(ptr);
  panel.open(ptr);
  frame = panel.getFrame();
  return 1;
}

void CorvinaGuiEditor::close() {
  frame = nullptr;
  panel.close();
}

void CorvinaGuiEditor::idle() {
  // Some hosts idle before open and after close.
  if (!frame || inIdle) return;
  panel.refresh();
  AEffGUIEditor::idle();
}

int32_t CorvinaGuiEditor::onKeyDown(VstKeyCode&) { return -1; }

int32_t CorvinaGuiEditor::onKeyUp(VstKeyCode&) { return -1; }

void CorvinaGuiEditor::setParameter(int32_t index, float value) {
  panel.parameterChanged(index, value);
}

// The core has the value already; setting it again through the effect keeps the specified
// path (setParameter, then the host's automate notification).
void CorvinaGuiEditor::parameterEdited(int index, float value) {
  instrument->setParameterAutomated(index, value);
}

// The core replaced the program; the reload passes every value to the panel.
void CorvinaGuiEditor::programReplaced() {
  instrument->setProgram(-1);
  postUpdate();
}

}  // namespace orvalis::vst2
