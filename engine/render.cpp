#include "engine/render.h"

#include "engine/filters.h"
#include "engine/oscillators.h"
#include "engine/voice.h"

namespace orvalis {

namespace {

inline float lane1(F4 x) { return shuffle<1, 1, 1, 1>(x).lane0(); }

// Both banks' kernels and the filter stage of one voice for one run of samples.
template <bool kPrevOutput, class Kernel, class Bank>
struct VoiceRun {
  Bank& bankL;
  Bank& bankR;
  Voice& voice;
  Kernel kernelL, kernelR;
  FilterKernel<kPrevOutput> chain;
  F4 out = F4::zero();

  VoiceRun(Voice& v, Bank& l, Bank& r, Kernel kl, Kernel kr)
      : bankL(l),
        bankR(r),
        voice(v),
        kernelL(kl),
        kernelR(kr),
        chain(v.filter, v.weightL, v.weightR) {}

  F4 step() {
    const F4 oscL = kernelL.step();
    const F4 oscR = kernelR.step();
    return out = chain.step(oscL, oscR);
  }

  void save() {
    kernelL.save(bankL);
    kernelR.save(bankR);
    chain.save(voice.filter, out.lane0(), lane1(out));
  }
};

// kMono: both outputs receive outLeft + outRight.
template <bool kMono>
inline void mix(F4 out, float& left, float& right) {
  if (kMono) {
    const float mono = out.lane0() + lane1(out);
    left += mono;
    right += mono;
  } else {
    left += out.lane0();
    right += lane1(out);
  }
}

// Voices run two at a time: each voice's chain is one long dependency (the saturator feeds the
// next sample's Filtre2), so two independent voices keep the processor busy. The sums are still
// formed voice after voice.
template <bool kPrevOutput, bool kMono, class Family>
void renderVoices(Voice* voices, int count, float* left, float* right, int frames) {
  int v = 0;
  for (; v + 1 < count; v += 2) {
    auto a = Family::run(voices[v]);
    auto b = Family::run(voices[v + 1]);
    for (int i = 0; i < frames; ++i) {
      const F4 outA = a.step();
      const F4 outB = b.step();
      mix<kMono>(outA, left[i], right[i]);
      mix<kMono>(outB, left[i], right[i]);
    }
    a.save();
    b.save();
  }
  if (v < count) {
    auto a = Family::run(voices[v]);
    for (int i = 0; i < frames; ++i) mix<kMono>(a.step(), left[i], right[i]);
    a.save();
  }
}

struct SawFamily {
  static VoiceRun<true, SawKernel, SawBank> run(Voice& v) {
    return {v, v.sawL, v.sawR, SawKernel(v.sawL), SawKernel(v.sawR)};
  }
};

struct SyncFamily {
  static VoiceRun<false, SyncKernel, SyncBank> run(Voice& v) {
    return {v, v.syncL, v.syncR, SyncKernel(v.syncL, syncResetOffsetL()),
            SyncKernel(v.syncR, syncResetOffsetR())};
  }
};

struct PmFamily {
  static VoiceRun<false, PmKernel, PmBank> run(Voice& v) {
    return {v, v.pmL, v.pmR, PmKernel(v.pmL), PmKernel(v.pmR)};
  }
};

template <class Family>
void renderOscillators(Voice& v, F4* bankL, F4* bankR, int frames) {
  auto run = Family::run(v);
  for (int i = 0; i < frames; ++i) {
    bankL[i] = run.kernelL.step();
    bankR[i] = run.kernelR.step();
  }
  run.kernelL.save(run.bankL);
  run.kernelR.save(run.bankR);
}

constexpr float kStereoGain = 0.2f;
constexpr float kMonoGain = 0.15f;  // both outputs carry the sum of the pair

const ModeKernels kSaw = {renderVoices<true, false, SawFamily>, renderOscillators<SawFamily>,
                          kStereoGain};
const ModeKernels kSync = {renderVoices<false, false, SyncFamily>, renderOscillators<SyncFamily>,
                           kStereoGain};
const ModeKernels kPhaseMod = {renderVoices<false, false, PmFamily>, renderOscillators<PmFamily>,
                               kStereoGain};
const ModeKernels kWaveTable = {renderVoices<false, true, PmFamily>, renderOscillators<PmFamily>,
                                kMonoGain};
const ModeKernels kNone = {};

}  // namespace

const ModeKernels& kernelsOf(OscMode mode) {
  switch (mode) {
    case OscMode::Pulse:
    case OscMode::SupSaw:
      return kSaw;
    case OscMode::Fm1:
      return kSync;
    case OscMode::Fm2:
    case OscMode::Fm3:
      return kPhaseMod;
    case OscMode::WaveTable:
      return kWaveTable;
  }
  return kNone;
}

}  // namespace orvalis
