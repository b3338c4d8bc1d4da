#include "engine/voice_control.h"

#include "engine/filters.h"
#include "engine/oscillators.h"
#include "engine/voice.h"

namespace orvalis {

void updateVoiceControl(Voice& v) {
  if (!v.linked()) return;
  advanceGlide(v);
  v.ampEnv.tick(v.gate);
  v.filter1Env.tick(v.gate);
  v.filter2Env.tick(v.gate);
  v.lfoDelayEnv.tick(v.gate);
  v.lfo.tick();
  computePitch(v);  // includes the pitch envelope's tick
  updateTimbre(v);
  setOscillatorTargets(v);
  designFilters(v);  // coefficients, drive, level, pan, then the state clamp
}

}  // namespace orvalis
