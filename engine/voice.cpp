#include "engine/voice.h"

#include <cmath>

#include "engine/param_mapping.h"

namespace orvalis::engine {

Voice::Voice() { lfo.randomizePhase(); }

void Voice::noteStart(float key, float vel, bool forceRestart) {
  if (!linked()) return;
  if (key != note) noteRatio = static_cast<float>(std::pow(2.0, (key - 69.0) / 12.0));
  const bool fresh = !gate || forceRestart;
  note = key;
  velocity = vel;
  gate = 1;
  if (fresh) applyNoteStart(*this, vel);
  ampEnv.trigger(fresh);
  filter1Env.trigger(fresh);
  filter2Env.trigger(fresh);
  lfoDelayEnv.trigger(fresh);
}

void Voice::noteRelease(float) {
  if (!linked()) return;
  gate = 0;
}

void Voice::setupRates(const RateConstants* record) {
  rates = record;
  if (!record) return;
  resetOscillators(*this);
  ampEnv.rates = filter1Env.rates = filter2Env.rates = lfoDelayEnv.rates = record;
}

}  // namespace orvalis::engine
