// The editor as a VST 3 view: the instrument's panel in the host's window.
#pragma once

#include "vst3/abi_view.h"

namespace orvalis::vst3 {

class InstrumentComponent;

class PlugView : public IPlugView {
 public:
  // Null when the editor cannot be made.
  static PlugView* create(InstrumentComponent& owner);
  // A value the host set; may come from any thread: it only marks the control for the next idle.
  void parameterChanged(int index, float value);

 protected:
  ~PlugView() = default;
};

}  // namespace orvalis::vst3
