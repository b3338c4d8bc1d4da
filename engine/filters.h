// The filter and saturator stage of a voice: both chains' Filtre1 and Filtre2 as one 4-lane
// biquad (lanes F1L, F2L, F1R, F2R), one 4-lane saturator and the voice's output pair.
//
// Each Filtre2 lane is fed by the saturator output of its Filtre1 lane of the previous sample,
// so the four stages run as one vector operation per sample.
#pragma once

#include <initializer_list>
#include "engine/denormals.h"
#include "engine/ramp.h"
#include "engine/rate_constants.h"
#include "engine/simd4.h"

namespace orvalis::engine {

struct Voice;

// Modes 0 and 1 (panGain): each chain's output goes 0.9 to its own side and the rest to the
// other; 1 - 0.9 formed in float is 0.100000024.
constexpr float kDirectMix = 0.9f;
constexpr float kCrossMix = 1.f - kDirectMix;
// Modes 2..5 (the cross mix of the current sample): 0.8 to its own side, 0.2 to the other. The
// share is the literal 0.2, not 1 - 0.8 formed in float.
constexpr float kLevelledDirectMix = 0.8f;
constexpr float kLevelledCrossMix = 0.2f;

enum FilterType : int { kFlat = 0, kLowPass = 1, kEq = 2, kShelving = 3, kHighPass = 4 };
constexpr int kNumFilterTypes = 5;

// The type a "Filtre Type" value selects, by the parameter table's rule.
FilterType filterTypeOf(float v);

// The saturator: an odd polynomial reaching +-1 with zero slope at +-2, evaluated as
// ((v^2 / 64 - 3/16) v^2 + 1) v.
template <class V>
ORVALIS_INLINE V saturate(V v) {
  const V v2 = v * v;
  return onePlusProductTimes(mulSub(V(0.015625f), v2, V(0.1875f)), v2, v);
}

// The per-sample state of the four filter and saturator lanes, over the vector type: one voice
// in four lanes for SSE2, two voices side by side in eight for AVX. Every lane pattern below
// acts within each group of four lanes.
template <class V>
struct FilterLanesOf {
  RampOf<V> b0, b1, b2, a1n, a2n;  // y = b0 x + b1 x1 + b2 x2 + a1n y1 + a2n y2
  V z1, z2;                        // transposed direct form II
  RampOf<V> drive;
  V level = V(1.f);
  V sat = V::zero();
  V panGain = V::zero();

  // One sample. chainInputs holds the lane sums of bank L and bank R in lanes 0 and 1; each
  // Filtre2 lane takes its Filtre1 lane's saturator output of the previous sample.
  ORVALIS_INLINE void step(V chainInputs) {
    const V x = interleaveLow(chainInputs, shuffle<0, 2, 0, 2>(sat));
    const V y = mulAdd(b0.value, x, z1);
    z1 = sumOfProducts(b1.value, x, a1n.value, y, z2);
    z2 = mulAdd(b2.value, x, a2n.value * y);
    b0.advance();
    b1.advance();
    b2.advance();
    a1n.advance();
    a2n.advance();

    const V v = clamp(drive.value * y, V(-2.f), V(2.f));
    drive.advance();
    sat = saturate(v);
  }

  // Modes 2..5 scale the saturator output by the gain level.
  ORVALIS_INLINE void applyLevel() { sat = mulAdd(sat, level, V(kDenormalGuard)); }

  // Modes 0 and 1: the output pair of the previous sample's chain outputs through panGain, in
  // lanes 0 and 1.
  ORVALIS_INLINE V pannedOutput() const {
    const V t = shuffle<1, 3, 1, 3>(sat) * panGain;
    return (shuffle<0, 2, 0, 2>(t) + V(kDenormalGuard)) + shuffle<1, 3, 1, 3>(t);
  }

  // Modes 2..5: the chains cross-mixed and panned; pan holds [panCos, panSin, 0, 0].
  ORVALIS_INLINE V crossMixedOutput(V pan) const {
    const V direct = shuffle<1, 1, 1, 1>(sat), other = shuffle<3, 3, 3, 3>(sat);
    return mulAdd(chain1Weights(), direct, chain3Weights() * other) * pan;
  }
  // The cross mix's weights of chain output 1 (L) and 3 (R) in the output pair [left, right].
  static ORVALIS_INLINE V chain1Weights() {
    return V(kLevelledDirectMix, kLevelledCrossMix, 0.f, 0.f);
  }
  static ORVALIS_INLINE V chain3Weights() {
    return V(kLevelledCrossMix, kLevelledDirectMix, 0.f, 0.f);
  }
};

using FilterLanes = FilterLanesOf<F4>;

struct FilterStage {
  FilterLanes lanes;

  FilterType type1 = kFlat;
  FilterType type2 = kFlat;
  float od1Smooth = 0.f, od2Smooth = 0.f, gainSmooth = 0.f;
  float panCos = 0.707f, panSin = 0.707f;
  float outLeft = 0.f, outRight = 0.f;  // the voice's output pair of the last sample rendered
  float cutoff1 = 0.f, reso1 = 0.f, cutoff2 = 0.f, reso2 = 0.f;

  // The coefficient targets of the last design and what they were designed from: a tick whose
  // angles, Q values and types are those of the last one keeps its targets.
  struct Design {
    F4 omega = F4(-1.f);  // no angle is negative: the first tick designs
    float q1 = 0.f, q2 = 0.f;
    FilterType type1 = kFlat, type2 = kFlat;
    F4 target[5];
  } design;

  FilterStage() {
    const F4 tiny(kDenormalGuard);
    for (Ramp* r : {&lanes.b0, &lanes.b1, &lanes.b2, &lanes.a1n, &lanes.a2n, &lanes.drive})
      r->reset(tiny);
    lanes.z1 = lanes.z2 = tiny;
  }
};

// Biquad coefficients b0, b1, b2, a1n, a2n of one lane, designed in double precision.
void designBiquad(FilterType type, float omega, float q, double coefficients[5]);

struct KernelSet;
struct TrigBatch;

// Once per control tick, in two halves around the tick's trigonometry: first the angles and Q
// values of every voice's four lanes, all voices side by side (they share one program and one
// rate record; the lanes join the batch unless they are the voice's last ones), then the coefficient ramps toward the targets, drive, level and pan smoothing, and the
// clamp of the filter state.
void prepareFilterDesigns(Voice* const* voices, int count, const KernelSet& kernels,
                          TrigBatch& batch);
void finishFilterDesign(Voice& v);

}  // namespace orvalis::engine
