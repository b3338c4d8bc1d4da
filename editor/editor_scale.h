// Which scale the editor draws at. A factor handed over by the host (VST 2's vendor opcode, an
// LV2 UI's ui:scaleFactor) wins; without one, the desktop's factor decides.
#pragma once

#include <atomic>

#include "toolkit/layout_scale.h"

namespace orvalis::editor {

class EditorScale {
 public:
  // Answers false, and keeps what it had, for a factor that is not a positive finite number.
  bool setHostFactor(float factor);
  // 0 until a host gives one.
  float hostFactor() const { return host.load(); }

  // The scale for a window that will be a child of parent (null while there is none).
  VSTGUI::LayoutScale choose(void* parent) const;

 private:
  std::atomic<float> host{0.f};
};

}  // namespace orvalis::editor
