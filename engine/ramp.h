// A per-sample ramp: the control tick sets increment = (target - value) / 16, and the sample
// kernel adds the increment once per sample after using the value, so the target is reached at
// the next tick. A kernel keeps its ramps whole and is saved back by copy.
#pragma once

#include "engine/simd4.h"

namespace orvalis::engine {

template <class V>
struct RampOf {
  V value = V::zero();
  V inc = V::zero();

  // perSample is the rate record's cr / sr (1/16).
  void toward(V target, V perSample) { inc = (target - value) * perSample; }
  void reset(V start) {
    value = start;
    inc = V::zero();
  }
  ORVALIS_INLINE void advance() { value += inc; }
};

using Ramp = RampOf<F4>;

}  // namespace orvalis::engine
