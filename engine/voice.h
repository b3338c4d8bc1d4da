// One of the eight voices: identity fields, the state of every stage of its chain, and the
// values its parameters were last mapped to.
//
// Lane contract. Every F4 of a voice is a 16-byte aligned group of four floats.
// - Oscillator banks: bank L (441 Hz reference for A4) and bank R (439 Hz), lanes 0..3 each,
//   running at laneRatio times the bank pitch; weightL / weightR mix them.
// - Filter and saturator vectors: lane 0 = Filtre1 L, 1 = Filtre2 L, 2 = Filtre1 R,
//   3 = Filtre2 R. Lanes 1 and 3 are the chain outputs.
// - Ramps: the control tick sets increment = (target - value) * cr / sr (1/16); the sample
//   kernel uses the value, then adds the increment, so the target is met at the next tick.
// - Everything that needs a power, logarithm, reciprocal or trigonometry runs at the tick.
// - Every per-sample state (a bank, the filter lanes) is a sequence of F4s and nothing else: the
//   AVX loops lay two of a kind side by side in 8-lane vectors (bank L beside bank R, one
//   voice's filter lanes beside another's) by that layout alone.
#pragma once

#include <cstdint>

#include "engine/envelope.h"
#include "engine/filters.h"
#include "engine/lfo.h"
#include "engine/osc_mode.h"
#include "engine/oscillators.h"
#include "engine/rate_constants.h"

namespace orvalis::engine {

struct alignas(16) Voice {
  // Per-sample state, one set per oscillator family, and the filter stage.
  SawBank sawL, sawR;
  SyncBank syncL, syncR;
  PmBank pmL, pmR;
  FilterStage filter;
  F4 laneRatio = F4(1.f);
  F4 weightL = F4(1.f);
  F4 weightR = F4(1.f);
  // Lane-sum shift registers: lane j of a bank reaches lane 0 of its sum j samples late.
  F4 sumL = F4::zero();
  F4 sumR = F4::zero();
  F4 laneFreqL = F4::zero();
  F4 laneFreqR = F4::zero();

  // Identity (links, gate, note) and control-rate state.
  const float* params = nullptr;
  const RateConstants* rates = nullptr;
  uint8_t gate = 0;
  float note = 69.f;
  float velocity = 1.f;
  float bend = 0.f;
  float modWheel = 0.f;
  float glide = 1.f;
  float glideRate = 0.25f;
  float noteRatio = 1.f;
  OscMode mode = OscMode::Pulse;

  Envelope ampEnv, filter1Env, filter2Env, lfoDelayEnv;
  Lfo lfo;
  float pitchEnv = 1.f, pitchEnvStart = 1.f, pitchEnvEnd = 1.f;
  float pitchEnvAttackRate = 1.f, pitchEnvReleaseRate = 1.f;

  float freqL = 441.f, freqR = 439.f;  // bank pitches of the last tick, before lane ratios
  float timbreRaw = 0.f, timbre1 = 0.f, timbre2 = 0.f;
  float windowWeight[8] = {};  // "WaveTable": the octave stack's raised-cosine weights
  float gain = 1.f, overdrive1 = 1.f, overdrive2 = 1.f;
  // Mode 2's output scale divides by the slave increment of the previous tick; false until
  // that increment is a real one (after a reset or a change into mode 2).
  bool syncPrimed = false;

  Voice();

  bool linked() const { return params && rates; }

  // Parameter value as the engine reads it. Values far outside 0..1 act as the nearest edge of
  // [-1, 2]: the exponential maps (times, gains, drive, pitch) stay finite there, and the stored
  // value is left as the host set it.
  // A NaN reads as -1. Branch-free: the control tick reads a dozen values per voice.
  float p(int index) const {
    const __m128 x = _mm_load_ss(params + index);
    return _mm_cvtss_f32(_mm_min_ss(_mm_max_ss(x, _mm_set_ss(-1.f)), _mm_set_ss(2.f)));
  }

  void noteStart(float key, float vel, bool forceRestart);
  void noteRelease(float releaseVelocity);

  // Binds the voice to a rate record, resets the oscillator state and binds the envelopes.
  void setupRates(const RateConstants* record);
};

static_assert(alignof(Voice) == 16, "voice state is SSE data");
static_assert(sizeof(Voice) % 16 == 0, "voices sit back to back in an aligned array");

}  // namespace orvalis::engine
