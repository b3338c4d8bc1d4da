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
  orvalis::RateConstants rates;
  orvalis::Voice voice;

  explicit VoiceRig(float oscType = 0.f, float sampleRate = 44100.f) {
    program.values[params::kOscType] = oscType;
    rates.build(sampleRate);
    voice.params = program.values;
    voice.setupRates(&rates);
    orvalis::applyAllParameters(voice);
  }

  void set(int index, float value) {
    program.values[index] = value;
    orvalis::applyParameter(voice, index);
  }
  void noteOn(int key, int velocity = 127) {
    voice.noteStart(static_cast<float>(key), velocity * 0.007874016f, false);
  }
  void noteOff() { voice.noteRelease(0.f); }

  // The voice's own output pair (before the callback's output gain), appended.
  void render(std::vector<float>& left, std::vector<float>& right, int frames) {
    for (int done = 0; done < frames; done += orvalis::kSubBlock) {
      orvalis::updateVoiceControl(voice);
      float l[orvalis::kSubBlock] = {}, r[orvalis::kSubBlock] = {};
      switch (voice.mode) {
        case 0:
        case 1:
          orvalis::renderPulseSaw(&voice, 1, l, r, orvalis::kSubBlock);
          break;
        case 2:
          orvalis::renderSync(&voice, 1, l, r, orvalis::kSubBlock);
          break;
        case 3:
        case 4:
          orvalis::renderPhaseMod(&voice, 1, l, r, orvalis::kSubBlock);
          break;
        case 5:
          orvalis::renderWaveTable(&voice, 1, l, r, orvalis::kSubBlock);
          break;
        default:
          break;
      }
      const int n = frames - done < orvalis::kSubBlock ? frames - done : orvalis::kSubBlock;
      left.insert(left.end(), l, l + n);
      right.insert(right.end(), r, r + n);
    }
  }

  // One lane of one oscillator bank, straight from the mode's kernel, ticked every 16 samples.
  std::vector<float> oscillator(bool bankR, int lane, int frames) {
    std::vector<float> out;
    for (int done = 0; done < frames; done += orvalis::kSubBlock) {
      orvalis::updateVoiceControl(voice);
      reload();
      for (int i = 0; i < orvalis::kSubBlock; ++i) out.push_back(stepOscillator(bankR)[lane]);
      save();
    }
    out.resize(frames);
    return out;
  }

 private:
  orvalis::F4 stepOscillator(bool bankR) {
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
    sawL = orvalis::SawKernel(voice.sawL);
    sawR = orvalis::SawKernel(voice.sawR);
    syncL = orvalis::SyncKernel(voice.syncL, orvalis::syncResetOffsetL());
    syncR = orvalis::SyncKernel(voice.syncR, orvalis::syncResetOffsetR());
    pmL = orvalis::PmKernel(voice.pmL);
    pmR = orvalis::PmKernel(voice.pmR);
  }

  orvalis::SawKernel sawL{voice.sawL}, sawR{voice.sawR};
  orvalis::SyncKernel syncL{voice.syncL, orvalis::syncResetOffsetL()},
      syncR{voice.syncR, orvalis::syncResetOffsetR()};
  orvalis::PmKernel pmL{voice.pmL}, pmR{voice.pmR};
};

}  // namespace testing_host
