// Sample-rate derived constants shared by every voice and envelope: the sample rate sr, the
// control rate cr = sr / 16 (one control tick per kSubBlock samples), their reciprocals and
// angle factors, each as four equal lanes and as a scalar.
#pragma once

#include "engine/simd4.h"

namespace orvalis {

constexpr int kSubBlock = 16;
constexpr int kNumVoices = 8;

// Sample rates outside this range are refused: the constants would overflow or underflow.
constexpr double kMinSampleRate = 1.0;
constexpr double kMaxSampleRate = 1e6;

struct alignas(16) RateConstants {
  F4 sr4, cr4, srOverCr4, crOverSr4, invSr4, twoOverSr4, twoPiOverSr4, invCr4, twoOverCr4,
      twoPiOverCr4;
  float sr, cr, srOverCr, crOverSr, invSr, twoOverSr, twoPiOverSr, invCr, twoOverCr, twoPiOverCr;

  RateConstants() { build(44100.f); }

  // Each quantity is formed in double from factors already rounded to float, then stored as float.
  void build(float sampleRate);
};

bool isUsableSampleRate(float sampleRate);

}  // namespace orvalis
