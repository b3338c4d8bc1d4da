// Sample-rate derived constants shared by every voice and envelope: the sample rate sr, the
// control rate cr = sr / 16 (one control tick per kSubBlock samples), and the factors the
// engine uses, as scalars or as four equal lanes where the 4-lane control code reads them.
#pragma once

#include "engine/simd4.h"

namespace orvalis::engine {

constexpr int kSubBlock = 16;
constexpr int kNumVoices = 8;

// Sample rates outside this range are refused: the constants would overflow or underflow.
constexpr double kMinSampleRate = 1.0;
constexpr double kMaxSampleRate = 1e6;

struct alignas(16) RateConstants {
  F4 crOverSr4;     // the ramp factor, 1/16
  F4 invSr4;        // phase increments of the 0..1 range
  F4 twoOverSr4;    // phase increments of the -1..1 range
  F4 twoPiOverSr4;  // angular frequencies for the filter design
  float sr, cr;
  float invCr;        // the control period in seconds (envelope times)
  float twoPiOverCr;  // the LFO's angle per tick

  RateConstants() { build(44100.f); }

  // Each quantity is formed in double from factors already rounded to float, then stored as float.
  void build(float sampleRate);
};

bool isUsableSampleRate(float sampleRate);

}  // namespace orvalis::engine
