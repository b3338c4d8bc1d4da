// The sample loops and the tick's trigonometry on SSE2, the path of every processor and the only
// one of the 32-bit build; the golden renders hold its output bit for bit. A run of samples goes
// in two passes. First each voice's oscillator banks, one bank at a time,
// and their lane sums, which leave the two chain inputs of every sample. Then the filter and
// saturator lanes of two voices side by side: each voice's chain is one long dependency (the
// saturator feeds the next sample's Filtre2), so two independent voices keep the processor
// busy. The outputs are still added voice after voice.
#include "engine/design_batch.h"
#include "engine/double2.h"
#include "engine/fast_exp2.h"
#include "engine/kernel_families.h"
#include "engine/trig_batch.h"
#include "engine/voice.h"

namespace orvalis::engine {
namespace {

// The chain inputs of a run: for each voice and sample, bank L's and bank R's lane sums in
// lanes 0 and 1.
struct ChainInputs {
  alignas(16) float at[kNumVoices][kSubBlock][4];
};

ORVALIS_INLINE float lane1(F4 x) { return shuffle<1, 1, 1, 1>(x).lane0(); }

// Both banks of one voice, each summed over its lanes with lane j delayed by j samples.
template <class Family>
void runOscillators(Voice& v, float (*inputs)[4], int frames) {
  for (int b = 0; b < 2; ++b) {
    typename Family::Bank bank = v.*Family::kBanks[b];
    F4& sum = b == 0 ? v.sumL : v.sumR;
    const F4 weight = b == 0 ? v.weightL : v.weightR;
    const F4 constant = Family::bankConstant(b);
    F4 s = sum;
    for (int i = 0; i < frames; ++i) {
      const F4 u = mulAdd(weight, Family::step(bank, constant), s);
      s = shiftDown(u);
      inputs[i][b] = u.lane0();
    }
    sum = s;
    v.*Family::kBanks[b] = bank;
  }
}

template <class Family>
void oscillatorLanes(Voice& v, F4* bankL, F4* bankR, int frames) {
  for (int b = 0; b < 2; ++b) {
    typename Family::Bank bank = v.*Family::kBanks[b];
    F4* out = b == 0 ? bankL : bankR;
    const F4 constant = Family::bankConstant(b);
    for (int i = 0; i < frames; ++i) out[i] = Family::step(bank, constant);
    v.*Family::kBanks[b] = bank;
  }
}

// One voice's filter lanes through a run, as a copy saved back at the end.
template <bool kPanned>
struct ChainRun {
  Voice& voice;
  FilterLanes lanes;
  F4 pan;
  F4 out = F4::zero();

  explicit ChainRun(Voice& v)
      : voice(v), lanes(v.filter.lanes), pan(v.filter.panCos, v.filter.panSin, 0.f, 0.f) {}

  ORVALIS_INLINE F4 step(const float* inputs) {
    if (kPanned) out = lanes.pannedOutput();
    lanes.step(load4(inputs));
    if (!kPanned) {
      lanes.applyLevel();
      out = lanes.crossMixedOutput(pan);
    }
    return out;
  }

  void save() {
    voice.filter.lanes = lanes;
    voice.filter.outLeft = out.lane0();
    voice.filter.outRight = lane1(out);
  }
};

template <bool kMono>
ORVALIS_INLINE void mix(F4 out, float& left, float& right) {
  mixPair<kMono>(out.lane0(), lane1(out), left, right);
}

template <bool kPanned, bool kMono>
void runChains(Voice* voices, int count, ChainInputs& in, float* left, float* right, int frames) {
  int v = 0;
  for (; v + 1 < count; v += 2) {
    ChainRun<kPanned> a(voices[v]), b(voices[v + 1]);
    for (int i = 0; i < frames; ++i) {
      const F4 outA = a.step(in.at[v][i]);
      const F4 outB = b.step(in.at[v + 1][i]);
      mix<kMono>(outA, left[i], right[i]);
      mix<kMono>(outB, left[i], right[i]);
    }
    a.save();
    b.save();
  }
  if (v < count) {
    ChainRun<kPanned> a(voices[v]);
    for (int i = 0; i < frames; ++i) mix<kMono>(a.step(in.at[v][i]), left[i], right[i]);
    a.save();
  }
}

template <class Family, bool kMono>
void renderRun(Voice* voices, int count, float* left, float* right, int frames) {
  ChainInputs in;
  for (int done = 0; done < frames; done += kSubBlock) {
    const int n = frames - done < kSubBlock ? frames - done : kSubBlock;
    for (int v = 0; v < count; ++v) runOscillators<Family>(voices[v], in.at[v], n);
    runChains<Family::kPannedOutput, kMono>(voices, count, in, left + done, right + done, n);
  }
}

struct Sse2Loops {
  template <class Family, bool kMono>
  static void render(Voice* voices, int count, float* left, float* right, int frames) {
    renderRun<Family, kMono>(voices, count, left, right, frames);
  }
  template <class Family>
  static void oscillators(Voice& v, F4* bankL, F4* bankR, int frames) {
    oscillatorLanes<Family>(v, bankL, bankR, frames);
  }
  static void trigonometry(TrigBatch& batch) { computeTrigBatch<D2, 2>(batch); }
  // One value at a time: two lanes take as many instructions here (each operation needs its
  // copy of b), and the scalar chains of different voices overlap as well.
  static void exponentials(float* values, int count) {
    for (int i = 0; i < count; ++i) values[i] = fastExp2(values[i]);
  }
  static void designInputs(DesignBatch& b, int count) {
    computeDesignBatch<F4, exponentials>(b, count);
  }
};

}  // namespace

const KernelSet kSse2Kernels = kernelSetOf<Sse2Loops, F4>("sse2");

}  // namespace orvalis::engine
