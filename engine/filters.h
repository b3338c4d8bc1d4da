// The filter and saturator stage of a voice: both chains' Filtre1 and Filtre2 as one 4-lane
// biquad (lanes F1L, F2L, F1R, F2R), one 4-lane saturator, the lane-sum shift registers of the
// two oscillator banks and the voice's output pair.
//
// Each Filtre2 lane is fed by the saturator output of its Filtre1 lane of the previous sample,
// so the four stages run as one vector operation per sample.
#pragma once

#include "engine/denormals.h"
#include "engine/ramp.h"
#include "engine/simd4.h"

namespace orvalis {

struct Voice;

// Each chain's output goes 0.9 to its own side and the rest to the other; 1 - 0.9 formed in
// float is 0.100000024.
constexpr float kDirectMix = 0.9f;
constexpr float kCrossMix = 1.f - kDirectMix;

enum FilterType : int { kFlat = 0, kLowPass = 1, kEq = 2, kShelving = 3, kHighPass = 4 };

// "Flat" below 0.2, "LowPass" below 0.4, "EQ" below 0.6, "Shelving" below 0.8, else "HighPass".
FilterType filterTypeOf(float v);

struct FilterStage {
  Ramp b0, b1, b2, a1n, a2n;  // y = b0 x + b1 x1 + b2 x2 + a1n y1 + a2n y2
  F4 z1, z2;                  // transposed direct form II
  Ramp drive;
  F4 level = F4(1.f);
  F4 sat = F4::zero();
  F4 panGain = F4::zero();
  F4 sumL = F4::zero();
  F4 sumR = F4::zero();

  FilterType type1 = kFlat;
  FilterType type2 = kFlat;
  float od1Smooth = 0.f, od2Smooth = 0.f, gainSmooth = 0.f;
  float panCos = 0.707f, panSin = 0.707f;
  float outLeft = 0.f, outRight = 0.f;
  float cutoff1 = 0.f, reso1 = 0.f, cutoff2 = 0.f, reso2 = 0.f;

  FilterStage() {
    const F4 tiny(kDenormalGuard);
    b0.reset(tiny);
    b1.reset(tiny);
    b2.reset(tiny);
    a1n.reset(tiny);
    a2n.reset(tiny);
    z1 = z2 = tiny;
    drive.reset(tiny);
  }
};

// Biquad coefficients b0, b1, b2, a1n, a2n of one lane, designed in double precision.
void designBiquad(FilterType type, float omega, float q, double coefficients[5]);

// Once per control tick: coefficient targets and ramps, drive, level and pan smoothing, then the
// clamp of the filter state.
void designFilters(Voice& v);

// Per-sample stage. kPrevOutput: modes 0 and 1 take their output pair from the previous sample's
// saturator through panGain and apply no level factor; modes 2..5 output the current sample.
template <bool kPrevOutput>
struct FilterKernel {
  F4 b0, db0, b1, db1, b2, db2, a1, da1, a2, da2, z1, z2, drive, dDrive, level, sat, panGain, sumL,
      sumR, weightL, weightR, pan;

  FilterKernel(const FilterStage& f, F4 weightL, F4 weightR)
      : b0(f.b0.value),
        db0(f.b0.inc),
        b1(f.b1.value),
        db1(f.b1.inc),
        b2(f.b2.value),
        db2(f.b2.inc),
        a1(f.a1n.value),
        da1(f.a1n.inc),
        a2(f.a2n.value),
        da2(f.a2n.inc),
        z1(f.z1),
        z2(f.z2),
        drive(f.drive.value),
        dDrive(f.drive.inc),
        level(f.level),
        sat(f.sat),
        panGain(f.panGain),
        sumL(f.sumL),
        sumR(f.sumR),
        weightL(weightL),
        weightR(weightR),
        pan(f.panCos, f.panSin, 0.f, 0.f) {}

  // Returns [outLeft, outRight, -, -].
  F4 step(F4 oscL, F4 oscR) {
    F4 out;
    if (kPrevOutput) {
      const F4 t = shuffle<1, 3, 1, 3>(sat) * panGain;
      out = (shuffle<0, 2, 0, 2>(t) + F4(kDenormalGuard)) + shuffle<1, 3, 1, 3>(t);
    }

    // Lane j of each bank reaches lane 0 of its sum j samples late.
    const F4 u = weightR * oscR + sumR;
    sumR = shiftDown(u);
    const F4 w = weightL * oscL + sumL;
    sumL = shiftDown(w);

    const F4 x = lowHalves(interleaveLow(w, sat), interleaveLow(u, highHalf(sat)));
    const F4 y = b0 * x + z1;
    z1 = b1 * x + a1 * y + z2;
    z2 = b2 * x + a2 * y;
    b0 += db0;
    b1 += db1;
    b2 += db2;
    a1 += da1;
    a2 += da2;

    // Odd polynomial reaching +-1 with zero slope at +-2.
    const F4 v = clamp(drive * y, F4(-2.f), F4(2.f));
    drive += dDrive;
    const F4 v2 = v * v;
    sat = ((F4(0.015625f) * v2 - F4(0.1875f)) * v2 + F4(1.f)) * v;
    if (!kPrevOutput) {
      sat = sat * level + F4(kDenormalGuard);
      out = (F4(0.8f, 0.2f, 0.f, 0.f) * shuffle<1, 1, 1, 1>(sat) +
             F4(0.2f, 0.8f, 0.f, 0.f) * shuffle<3, 3, 3, 3>(sat)) *
            pan;
    }
    return out;
  }

  void save(FilterStage& f, float outLeft, float outRight) const {
    f.b0.value = b0;
    f.b1.value = b1;
    f.b2.value = b2;
    f.a1n.value = a1;
    f.a2n.value = a2;
    f.z1 = z1;
    f.z2 = z2;
    f.drive.value = drive;
    f.sat = sat;
    f.sumL = sumL;
    f.sumR = sumR;
    f.outLeft = outLeft;
    f.outRight = outRight;
  }
};

}  // namespace orvalis
