#include "engine/envelope.h"

namespace orvalis::engine {

float Envelope::timeToRate(float seconds) const {
  if (!rates) return rate;
  const float tick = rates->invCr;
  const float shortest = kShortestSegmentTicks * tick;
  return tick / (seconds > shortest ? seconds : shortest);
}

void Envelope::setAttackTime(float seconds) {
  attackRate = timeToRate(seconds);
  if (attacking) rate = attackRate;
}

void Envelope::setDecayTime(float seconds, bool gated) {
  decayRate = timeToRate(seconds);
  if (!attacking && gated) rate = decayRate;
}

void Envelope::setSustain(float level, bool gated) {
  sustain = level < kSustainFloor ? kSustainFloor : level;
  if (gated && !attacking) target = sustain;
}

void Envelope::setReleaseTime(float seconds, bool gated) {
  releaseRate = timeToRate(seconds);
  if (!attacking && !gated) rate = releaseRate;
}

}  // namespace orvalis::engine
