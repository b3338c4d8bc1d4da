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

}  // namespace

void renderPulseSaw(Voice* voices, int count, float* left, float* right, int frames) {
  renderVoices<true, false, SawFamily>(voices, count, left, right, frames);
}

void renderSync(Voice* voices, int count, float* left, float* right, int frames) {
  renderVoices<false, false, SyncFamily>(voices, count, left, right, frames);
}

void renderPhaseMod(Voice* voices, int count, float* left, float* right, int frames) {
  renderVoices<false, false, PmFamily>(voices, count, left, right, frames);
}

void renderWaveTable(Voice* voices, int count, float* left, float* right, int frames) {
  renderVoices<false, true, PmFamily>(voices, count, left, right, frames);
}

}  // namespace orvalis
