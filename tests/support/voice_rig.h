// One voice driven the way the audio callback drives it: a control tick every 16 samples and
// the mode's kernels between ticks. For tests of the engine's building blocks.
#pragma once

#include <vector>

#include "engine/event_queue.h"
#include "engine/kernel_set.h"
#include "engine/oscillators.h"
#include "engine/param_mapping.h"
#include "engine/rate_constants.h"
#include "engine/trig_batch.h"
#include "engine/voice.h"
#include "engine/voice_control.h"
#include "params/program_record.h"

namespace orvalis::tests {

struct VoiceRig {
  orvalis::params::ProgramRecord program;
  orvalis::engine::RateConstants rates;
  orvalis::engine::Voice voice;

  explicit VoiceRig(float oscType = 0.f, float sampleRate = 44100.f) {
    program.values[orvalis::params::kOscType] = oscType;
    rates.build(sampleRate);
    voice.params = program.values;
    voice.setupRates(&rates);
    orvalis::engine::applyAllParameters(voice);
  }

  void set(int index, float value) {
    program.values[index] = value;
    orvalis::engine::applyParameter(voice, index);
  }
  void noteOn(int key, int velocity = 127) {
    voice.noteStart(static_cast<float>(key), velocity * orvalis::engine::kMidiValueScale, false);
  }
  void noteOff() { voice.noteRelease(0.f); }

  // The mode's oscillator targets from the voice's current pitch, as the control tick sets them.
  void setOscillatorTargets() {
    orvalis::engine::TrigBatch batch;
    orvalis::engine::setOscillatorTargets(voice, batch);
    orvalis::engine::activeKernels().trigonometry(batch);
    orvalis::engine::finishOscillatorTargets(voice);
  }

  // The voice's own output pair (before the callback's output gain), appended.
  void render(std::vector<float>& left, std::vector<float>& right, int frames) {
    for (int done = 0; done < frames; done += kRun) {
      orvalis::engine::updateVoiceControl(voice);
      float l[kRun] = {}, r[kRun] = {};
      const orvalis::engine::ModeKernels kernels = orvalis::engine::kernelsOf(voice.mode);
      if (kernels.render) kernels.render(&voice, 1, l, r, kRun);
      const int n = frames - done < kRun ? frames - done : kRun;
      left.insert(left.end(), l, l + n);
      right.insert(right.end(), r, r + n);
    }
  }

  // One lane of one oscillator bank, straight from the mode's kernel, ticked every 16 samples.
  std::vector<float> oscillator(bool bankR, int lane, int frames) {
    std::vector<float> out;
    for (int done = 0; done < frames; done += kRun) {
      orvalis::engine::updateVoiceControl(voice);
      orvalis::engine::F4 l[kRun], r[kRun];
      orvalis::engine::kernelsOf(voice.mode).oscillators(voice, l, r, kRun);
      for (int i = 0; i < kRun; ++i) out.push_back((bankR ? r : l)[i][lane]);
    }
    out.resize(frames);
    return out;
  }

 private:
  static constexpr int kRun = orvalis::engine::kSubBlock;
};

}  // namespace orvalis::tests
