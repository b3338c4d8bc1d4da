#include "engine/synth_engine.h"

#include <cstring>

#include "engine/denormals.h"
#include "engine/kernel_set.h"
#include "engine/meter_clock.h"
#include "engine/param_mapping.h"
#include "engine/voice_control.h"
#include "params/parameter_table.h"

namespace orvalis::engine {

SynthEngine::SynthEngine() {
  queue.clear();
  voiceAllocator.clear();
}

void SynthEngine::linkVoices(const float* params) {
  for (Voice& v : voices) {
    v.params = params;
    v.setupRates(&rates);
    applyAllParameters(v);
  }
}

void SynthEngine::build(const float* params) {
  subBlockCount = kSubBlock;
  lastBoundaryFrame = 0;
  rates.build(44100.f);
  linkVoices(params);
  voiceAllocator.setup(voices, kNumVoices, &queue);
}

bool SynthEngine::setSampleRate(float sampleRate, const float* params) {
  if (!isUsableSampleRate(sampleRate)) return false;
  rates.build(sampleRate);
  linkVoices(params);
  return true;
}

void SynthEngine::attachProgram(const float* params) {
  for (Voice& v : voices) {
    v.params = params;
    applyAllParameters(v);
  }
}

void SynthEngine::applyParameter(int index) {
  if (!params::isValidIndex(index)) return;
  for (Voice& v : voices) orvalis::engine::applyParameter(v, index);
}

void SynthEngine::setPolyphony(int voiceCount) { voiceAllocator.setPolyphony(voiceCount); }

void SynthEngine::renderBlock(const ModeKernels& kernels, float* left, float* right,
                              int32_t frames) {
  int32_t i = 0;
  while (i < frames) {
    if (subBlockCount >= kSubBlock) {
      lastBoundaryFrame = i;
      subBlockCount = 0;
      voiceAllocator.dispatchEvents(i);
      const int n = voiceAllocator.activeVoices();
      updateVoiceControl(voices, n, *kernelSet);
    }
    int32_t run = kSubBlock - subBlockCount;
    if (run > frames - i) run = frames - i;
    float* l = left + i;
    float* r = right + i;
    std::memset(l, 0, sizeof(float) * run);
    std::memset(r, 0, sizeof(float) * run);
    // Voices are added in index order, the gain is applied last.
    kernels.render(voices, voiceAllocator.activeVoices(), l, r, run);
    for (int32_t k = 0; k < run; ++k) {
      l[k] *= kernels.outputGain;
      r[k] *= kernels.outputGain;
    }
    subBlockCount += run;
    i += run;
  }
}

void SynthEngine::process(float* left, float* right, int32_t frames) {
  if (frames <= 0 || !left || !right) return;
  const int64_t start = meterTicks();
  if (!voices[0].linked()) return;
  // Whoever calls, decaying voices stay out of the denormal range (and out of its slowness).
  ScopedFlushToZero flushToZero;

  const ModeKernels kernels = kernelsOf(voices[0].mode, *kernelSet);
  if (kernels.render) {
    renderBlock(kernels, left, right, frames);
  } else {
    // No such mode: silence, and the queued events wait.
    std::memset(left, 0, sizeof(float) * frames);
    std::memset(right, 0, sizeof(float) * frames);
  }
  queue.compact(frames);

  const int64_t elapsed = meterTicks() - start;
  const double seconds = static_cast<double>(elapsed) / static_cast<double>(meterTicksPerSecond());
  loadMeter.update(seconds / frames * 1e9);
}

}  // namespace orvalis::engine
