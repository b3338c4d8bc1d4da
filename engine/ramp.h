// A per-sample ramp: the control tick sets increment = (target - value) / 16, and the sample
// kernel adds the increment once per sample after using the value, so the target is reached at
// the next tick.
#pragma once

#include "engine/simd4.h"

namespace orvalis {

struct Ramp {
  F4 value = F4::zero();
  F4 inc = F4::zero();

  // perSample is the rate record's cr / sr (1/16).
  void toward(F4 target, F4 perSample) { inc = (target - value) * perSample; }
  void reset(F4 start) {
    value = start;
    inc = F4::zero();
  }
};

}  // namespace orvalis
