// The editor base bound to a toolkit frame, with the idle pump that lets the host and the editor
// run while a control tracks the mouse.
#pragma once

#include <atomic>
#include <cstdint>

#include "plugin/aeff_editor.h"
#include "toolkit/frame.h"

namespace orvalis::vst2 {

class AudioEffectX;

class AEffGUIEditor : public AEffEditor, public VSTGUI::FrameEditor {
 public:
  explicit AEffGUIEditor(AudioEffect* effect);
  ~AEffGUIEditor() override;

  int32_t getRect(ERect** rect) override;
  int32_t open(void* ptr) override;
  void idle() override;
  int32_t onKeyDown(VstKeyCode& keyCode) override;
  int32_t onKeyUp(VstKeyCode& keyCode) override;
  int32_t setKnobMode(int32_t mode) override;
  // The host's choice of knob gesture, kept per editor: instances never share it.
  int32_t getKnobMode() const { return knobMode.load(std::memory_order_relaxed); }
  bool onWheel(float distance) override;

  virtual void setParameter(int32_t index, float value);
  virtual void draw();
  void doIdleStuff() override;

  // The frame asks for these around every gesture on a control.
  void beginEdit(int32_t tag) override;
  void endEdit(int32_t tag) override;

  VSTGUI::CFrame* getFrame() const { return frame; }

 protected:
  static VSTGUI::KeyEvent keyEventOf(const VstKeyCode& key);

  ERect rect{};
  VSTGUI::CFrame* frame = nullptr;
  uint32_t nextIdleTick = 0;
  bool inIdle = false;
  std::atomic<int32_t> knobMode{0};
};

}  // namespace orvalis::vst2
