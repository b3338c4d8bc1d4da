// One voice driven the way the audio callback drives it: a control tick every 16 samples and
// the mode's sample loop between ticks. For tests of the engine's building blocks.
#pragma once

#include <vector>

#include "engine/oscillators.h"
#include "engine/param_mapping.h"
#include "engine/rate_constants.h"
#include "engine/render.h"
#include "engine/voice.h"
#include "engine/voice_control.h"
#include "params/program_record.h"

namespace testing_host {

struct VoiceRig {
  params::ProgramRecord program;
  RateConstants rates;
  Voice voice;

  explicit VoiceRig(float oscType = 0.f, float sampleRate = 44100.f) {
    program.values[params::kOscType] = oscType;
    rates.build(sampleRate);
    voice.params = program.values;
    voice.setupRates(&rates);
    applyAllParameters(voice);
  }

  void set(int index, float value) {
    program.values[index] = value;
    applyParameter(voice, index);
  }
  void noteOn(int key, int velocity = 127) {
    voice.noteStart(static_cast<float>(key), velocity * 0.007874016f, false);
  }
  void noteOff() { voice.noteRelease(0.f); }

  // The voice's own output pair (before the callback's output gain), appended.
  void render(std::vector<float>& left, std::vector<float>& right, int frames) {
    for (int done = 0; done < frames; done += kSubBlock) {
      updateVoiceControl(voice);
      float l[kSubBlock] = {}, r[kSubBlock] = {};
      switch (voice.mode) {
        case 0:
        case 1:
          renderPulseSaw(&voice, 1, l, r, kSubBlock);
          break;
        case 2:
          renderSync(&voice, 1, l, r, kSubBlock);
          break;
        case 3:
        case 4:
          renderPhaseMod(&voice, 1, l, r, kSubBlock);
          break;
        case 5:
          renderWaveTable(&voice, 1, l, r, kSubBlock);
          break;
        default:
          break;
      }
      const int n = frames - done < kSubBlock ? frames - done : kSubBlock;
      left.insert(left.end(), l, l + n);
      right.insert(right.end(), r, r + n);
    }
  }

  // One lane of one oscillator bank, straight from the mode's kernel, ticked every 16 samples.
  std::vector<float> oscillator(bool bankR, int lane, int frames) {
    std::vector<float> out;
    for (int done = 0; done < frames; done += kSubBlock) {
      updateVoiceControl(voice);
      reload();
      for (int i = 0; i < kSubBlock; ++i) out.push_back(stepOscillator(bankR)[lane]);
      save();
    }
    out.resize(frames);
    return out;
  }

 private:
  F4 stepOscillator(bool bankR) {
    switch (voice.mode) {
      case 0:
      case 1:
        return (bankR ? sawR : sawL).step();
      case 2:
        return (bankR ? syncR : syncL).step();
      default:
        return (bankR ? pmR : pmL).step();
    }
  }
  void save() {
    sawL.save(voice.sawL);
    sawR.save(voice.sawR);
    syncL.save(voice.syncL);
    syncR.save(voice.syncR);
    pmL.save(voice.pmL);
    pmR.save(voice.pmR);
  }
  void reload() {
    sawL = SawKernel(voice.sawL);
    sawR = SawKernel(voice.sawR);
    syncL = SyncKernel(voice.syncL, syncResetOffsetL());
    syncR = SyncKernel(voice.syncR, syncResetOffsetR());
    pmL = PmKernel(voice.pmL);
    pmR = PmKernel(voice.pmR);
  }

  SawKernel sawL{voice.sawL}, sawR{voice.sawR};
  SyncKernel syncL{voice.syncL, syncResetOffsetL()}, syncR{voice.syncR, syncResetOffsetR()};
  PmKernel pmL{voice.pmL}, pmR{voice.pmR};
};

}  // namespace testing_host
