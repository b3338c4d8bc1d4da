// The envelope shared by amplitude, both filters and the LFO delay: exponential segments
// advanced once per control tick, with a one-pole smoothed output.
//
// attack: value approaches 1.5 until it passes 1.0; decay: toward sustain; release: toward
// 1e-10. A new attack starts from the current value, so a retrigger does not click.
#pragma once

#include <cstdint>

#include "engine/rate_constants.h"

namespace orvalis {

struct Envelope {
  const RateConstants* rates = nullptr;
  float attackRate = 0.05f;
  float decayRate = 0.05f;
  float releaseRate = 0.05f;
  float sustain = 0.5f;
  float rate = 0.05f;
  float target = 1e-10f;
  float smoothCoef = 0.05f;
  float smoothMix = 0.f;
  uint8_t gate = 0;
  uint8_t attacking = 0;
  float value = 1e-10f;
  float output = 1e-10f;
  uint8_t noteGate = 0;

  // Per-tick coefficient of a segment lasting T seconds, never faster than 5 ticks.
  float timeToRate(float seconds) const;

  void setAttackTime(float seconds);
  void setDecayTime(float seconds);
  void setSustain(float level);
  void setReleaseTime(float seconds);

  void trigger(bool fresh) {
    noteGate = 1;
    if (!gate || fresh) {
      target = 1.5f;
      attacking = 1;
      rate = attackRate;
    }
    gate = 1;
  }

  void release() {
    noteGate = 0;
    gate = 0;
  }

  void tick() {
    if (value > 1.0f) {
      attacking = 0;
      target = sustain;
      rate = decayRate;
    }
    if (!noteGate) {
      target = 1e-10f;
      rate = releaseRate;
    }
    smoothCoef = smoothMix * rate + 1.f - smoothMix;
    value = value + rate * (target - value);
    output = output + smoothCoef * (value - output);
  }

  // The smoothing every envelope gets once all parameters are applied.
  void enableSmoothing() {
    smoothMix = 0.5f;
    smoothCoef = 0.5f * rate + 0.5f;
  }
};

}  // namespace orvalis
