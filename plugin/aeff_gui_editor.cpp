#include "plugin/aeff_gui_editor.h"

#if defined(_WIN32)
#include <ole2.h>
#include <windows.h>
#endif

#include "plugin/audio_effect_x.h"
#include "plugin/platform_time.h"

namespace orvalis::vst2 {

AEffGUIEditor::AEffGUIEditor(AudioEffect* e) : AEffEditor(e) {
  updateFlag = 0;
  if (effect) effect->registerEditor(this);
  systemWindow = nullptr;
  nextIdleTick = tickCountMs();
#if defined(_WIN32)
  OleInitialize(nullptr);
#endif
}

AEffGUIEditor::~AEffGUIEditor() {
#if defined(_WIN32)
  OleUninitialize();
#endif
}

int32_t AEffGUIEditor::getRect(ERect** r) {
  if (r) *r = &rect;
  return 1;
}

int32_t AEffGUIEditor::open(void* ptr) {
  postUpdate();
  systemWindow = ptr;
  return 0;
}

void AEffGUIEditor::idle() {
  if (inIdle) return;
  AEffEditor::idle();
  if (frame) frame->idle();
}

VSTGUI::KeyEvent AEffGUIEditor::keyEventOf(const VstKeyCode& key) {
  VSTGUI::KeyEvent e;
  e.character = key.character;
  e.virt = key.virt;
  e.modifier = key.modifier;
  return e;
}

int32_t AEffGUIEditor::onKeyDown(VstKeyCode& key) {
  return frame ? frame->onKeyDown(keyEventOf(key)) : -1;
}

int32_t AEffGUIEditor::onKeyUp(VstKeyCode& key) {
  return frame ? frame->onKeyUp(keyEventOf(key)) : -1;
}

int32_t AEffGUIEditor::setKnobMode(int32_t mode) {
  knobMode.store(mode, std::memory_order_relaxed);
  return 1;
}

bool AEffGUIEditor::onWheel(float distance) {
  return frame ? frame->onWheel(nullptr, VSTGUI::CPoint(0, 0), distance) : false;
}

void AEffGUIEditor::setParameter(int32_t, float) { postUpdate(); }

void AEffGUIEditor::draw() {
  if (frame) frame->redraw();
}

// At most one pass about every 100 ms; a call that comes too early sleeps 4 ms and, unless the
// next pass is then close, returns without doing anything.
void AEffGUIEditor::doIdleStuff() {
  uint32_t t = tickCountMs();
  if (t < nextIdleTick) {
    sleepMs(4);
    t += 4;
    if (t < nextIdleTick - 50) return;
  }
  idle();
#if defined(_WIN32)
  MSG message;
  if (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&message);
#endif
  nextIdleTick = t + 100;
  inIdle = true;
  if (effect) effect->masterIdle();
  inIdle = false;
}

void AEffGUIEditor::beginEdit(int32_t tag) {
  if (auto* x = dynamic_cast<AudioEffectX*>(effect)) x->beginEdit(tag);
}

void AEffGUIEditor::endEdit(int32_t tag) {
  if (auto* x = dynamic_cast<AudioEffectX*>(effect)) x->endEdit(tag);
}

}  // namespace orvalis::vst2
