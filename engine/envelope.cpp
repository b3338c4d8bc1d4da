#include "engine/envelope.h"

namespace orvalis {

float Envelope::timeToRate(float seconds) const {
  if (!rates) return rate;
  const float tick = rates->invCr;
  const float shortest = 5.f * tick;
  return tick / (seconds > shortest ? seconds : shortest);
}

void Envelope::setAttackTime(float seconds) {
  attackRate = timeToRate(seconds);
  if (attacking) rate = attackRate;
}

void Envelope::setDecayTime(float seconds) {
  decayRate = timeToRate(seconds);
  if (!attacking && gate) rate = decayRate;
}

void Envelope::setSustain(float level) {
  sustain = level < 1e-12f ? 1e-12f : level;
  if (gate && !attacking) target = sustain;
}

void Envelope::setReleaseTime(float seconds) {
  releaseRate = timeToRate(seconds);
  if (!attacking && !gate) rate = releaseRate;
}

}  // namespace orvalis
