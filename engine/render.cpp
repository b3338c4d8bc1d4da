#include "engine/render.h"

#include "engine/filters.h"
#include "engine/oscillators.h"
#include "engine/voice.h"

namespace {

inline float lane1(F4 x) { return shuffle<1, 1, 1, 1>(x).lane0(); }

// One run of samples of one voice: both banks' kernel, then the filter stage, then the mix.
// kMono: both outputs receive outLeft + outRight.
template <bool kPrevOutput, bool kMono, class Kernel, class Bank>
inline void runVoice(Voice& v, Bank& bankL, Bank& bankR, Kernel kernelL, Kernel kernelR,
                     float* left, float* right, int frames) {
  FilterKernel<kPrevOutput> chain(v.filter, v.weightL, v.weightR);
  F4 out = F4::zero();
  for (int i = 0; i < frames; ++i) {
    const F4 oscL = kernelL.step();
    const F4 oscR = kernelR.step();
    out = chain.step(oscL, oscR);
    if (kMono) {
      const float mono = out.lane0() + lane1(out);
      left[i] += mono;
      right[i] += mono;
    } else {
      left[i] += out.lane0();
      right[i] += lane1(out);
    }
  }
  kernelL.save(bankL);
  kernelR.save(bankR);
  chain.save(v.filter, out.lane0(), lane1(out));
}

}  // namespace

void renderPulseSaw(Voice& v, float* left, float* right, int frames) {
  runVoice<true, false>(v, v.sawL, v.sawR, SawKernel(v.sawL), SawKernel(v.sawR), left, right,
                        frames);
}

void renderSync(Voice& v, float* left, float* right, int frames) {
  runVoice<false, false>(v, v.syncL, v.syncR, SyncKernel(v.syncL, syncResetOffsetL()),
                         SyncKernel(v.syncR, syncResetOffsetR()), left, right, frames);
}

void renderPhaseMod(Voice& v, float* left, float* right, int frames) {
  runVoice<false, false>(v, v.pmL, v.pmR, PmKernel(v.pmL), PmKernel(v.pmR), left, right, frames);
}

void renderWaveTable(Voice& v, float* left, float* right, int frames) {
  runVoice<false, true>(v, v.pmL, v.pmR, PmKernel(v.pmL), PmKernel(v.pmR), left, right, frames);
}
