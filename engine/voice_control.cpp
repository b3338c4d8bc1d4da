#include "engine/voice_control.h"

#include "engine/fast_exp2.h"
#include "engine/filters.h"
#include "engine/kernel_set.h"
#include "engine/oscillators.h"
#include "engine/rate_constants.h"
#include "engine/trig_batch.h"
#include "engine/voice.h"

namespace orvalis::engine {

void updateVoiceControl(Voice* voices, int count, const KernelSet& kernels) {
  // Stage by stage across the voices rather than voice by voice: each stage of one voice is a
  // short chain of dependent steps (a polynomial, a division), and the same stage of the next
  // voice, independent of it, runs while it waits. Every voice still computes its steps in
  // the same order.
  Voice* linked[kNumVoices] = {};
  int n = 0;
  for (int i = 0; i < count; ++i)
    if (voices[i].linked()) linked[n++] = &voices[i];
  // The batches read the program and the rate record once for all voices: voices bound to
  // different ones (never in the engine, which binds all to the same) go one at a time.
  for (int i = 1; i < n; ++i) {
    if (linked[i]->params != linked[0]->params || linked[i]->rates != linked[0]->rates) {
      for (int j = 0; j < n; ++j) updateVoiceControl(linked[j], 1, kernels);
      return;
    }
  }
  for (int i = 0; i < n; ++i) {
    Voice& v = *linked[i];
    advanceGlide(v);
    v.ampEnv.tick(v.gate);
    v.filter1Env.tick(v.gate);
    v.filter2Env.tick(v.gate);
    v.lfoDelayEnv.tick(v.gate);
    v.lfo.tick();
  }
  // The pitch in two passes around the bend and vibrato factors of all voices.
  alignas(16) float pitchFactors[kNumVoices + kMaxExpLanes] = {};  // room for the last vector
  pitchExponentsAndTimbres(linked, n, pitchFactors);
  kernels.exponentials(pitchFactors, n);
  for (int i = 0; i < n; ++i)
    finishPitch(*linked[i], pitchFactors[i]);  // the pitch envelope ticks here
  TrigBatch batch;
  for (int i = 0; i < n; ++i) setOscillatorTargets(*linked[i], batch);
  prepareFilterDesigns(linked, n, kernels, batch);
  kernels.trigonometry(batch);
  for (int i = 0; i < n; ++i) {
    finishOscillatorTargets(*linked[i]);
    finishFilterDesign(*linked[i]);
  }
}

void updateVoiceControl(Voice& v) { updateVoiceControl(&v, 1, activeKernels()); }

}  // namespace orvalis::engine
