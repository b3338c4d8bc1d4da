// The envelope shared by amplitude, both filters and the LFO delay: exponential segments
// advanced once per control tick, with a one-pole smoothed output.
//
// attack: value approaches kAttackTarget until it passes 1.0; decay: toward sustain; release:
// toward kEnvelopeFloor. A new attack starts from the current value, so a retrigger does not
// click. The gate is the voice's: the envelope is told it, it keeps no copy.
#pragma once

#include <cstdint>

#include "engine/rate_constants.h"

namespace orvalis::engine {

// Overshoot of the attack: the segment ends as the value passes 1 on its way here.
constexpr float kAttackTarget = 1.5f;
// Where release ends and an unused envelope rests: slightly above zero, a normal number.
constexpr float kEnvelopeFloor = 1e-10f;
// Sustain levels below this are held here, still above the release floor's denormals.
constexpr float kSustainFloor = 1e-12f;
// No segment has a time constant shorter than this many ticks (80 samples).
constexpr float kShortestSegmentTicks = 5.f;

struct Envelope {
  const RateConstants* rates = nullptr;
  float attackRate = 0.05f;
  float decayRate = 0.05f;
  float releaseRate = 0.05f;
  float sustain = 0.5f;
  float rate = 0.05f;
  float target = kEnvelopeFloor;
  float smoothMix = 0.f;  // weight of the segment rate in the output smoother
  uint8_t attacking = 0;
  float value = kEnvelopeFloor;
  float output = kEnvelopeFloor;

  // Per-tick coefficient of a segment lasting T seconds, never faster than the shortest.
  float timeToRate(float seconds) const;

  // Each setter acts on the running segment only where that segment uses the value.
  void setAttackTime(float seconds);
  void setDecayTime(float seconds, bool gated);
  void setSustain(float level, bool gated);
  void setReleaseTime(float seconds, bool gated);

  // At a note start: a fresh note (the voice was not gated, or a restart was asked) restarts
  // the attack from the current value; a legato note lets the segment run on.
  void trigger(bool fresh) {
    if (!fresh) return;
    target = kAttackTarget;
    attacking = 1;
    rate = attackRate;
  }

  void tick(bool gated) {
    if (value > 1.0f) {
      attacking = 0;
      target = sustain;
      rate = decayRate;
    }
    if (!gated) {
      target = kEnvelopeFloor;
      rate = releaseRate;
    }
    const float smoothCoef = smoothMix * rate + 1.f - smoothMix;
    value = value + rate * (target - value);
    output = output + smoothCoef * (value - output);
  }

  // The smoothing every envelope gets once all parameters are applied: the output follows the
  // value through a one-pole of coefficient 0.5 + 0.5 rate.
  void enableSmoothing() { smoothMix = 0.5f; }
};

}  // namespace orvalis::engine
