#include "engine/voice_control.h"

#include "engine/biquad_design.h"
#include "engine/filters.h"
#include "engine/kernel_set.h"
#include "engine/oscillators.h"
#include "engine/voice.h"

namespace orvalis {

void updateVoiceControl(Voice* voices, int count, const KernelSet& kernels) {
  DesignBatch batch;
  for (int i = 0; i < count; ++i) {
    Voice& v = voices[i];
    if (!v.linked()) continue;
    advanceGlide(v);
    v.ampEnv.tick(v.gate);
    v.filter1Env.tick(v.gate);
    v.filter2Env.tick(v.gate);
    v.lfoDelayEnv.tick(v.gate);
    v.lfo.tick();
    computePitch(v);  // includes the pitch envelope's tick
    updateTimbre(v);
    setOscillatorTargets(v);
    prepareFilterDesign(v, batch);
  }
  // The designs of all voices at once: independent lanes keep the processor busy where one
  // voice's chain of trigonometry and divisions would leave it waiting.
  kernels.designFilters(batch);
  for (int i = 0; i < count; ++i)
    if (voices[i].linked()) finishFilterDesign(voices[i]);
}

void updateVoiceControl(Voice& v) { updateVoiceControl(&v, 1, activeKernels()); }

}  // namespace orvalis
