// The plain editor interface that the dispatcher forwards the host's editor opcodes to.
#pragma once

#include <cstdint>

#include "plugin/vst2.h"

namespace orvalis::vst2 {

class AudioEffect;

class AEffEditor {
 public:
  explicit AEffEditor(AudioEffect* effect) : effect(effect) {}
  virtual ~AEffEditor() {}

  virtual int32_t getRect(ERect** rect) {
    if (rect) *rect = nullptr;
    return 0;
  }
  virtual int32_t open(void* ptr) {
    systemWindow = ptr;
    return 0;
  }
  virtual void close() {}
  virtual void idle() {
    if (updateFlag) {
      updateFlag = 0;
      update();
    }
  }
  virtual void update() {}
  virtual void postUpdate() { updateFlag = 1; }
  virtual int32_t onKeyDown(VstKeyCode& /*keyCode*/) { return -1; }
  virtual int32_t onKeyUp(VstKeyCode& /*keyCode*/) { return -1; }
  virtual int32_t setKnobMode(int32_t /*mode*/) { return 0; }
  virtual bool onWheel(float /*distance*/) { return false; }

 protected:
  AudioEffect* effect;
  void* systemWindow = nullptr;
  int32_t updateFlag = 0;
};

}  // namespace orvalis::vst2
