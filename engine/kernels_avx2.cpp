// The sample loops and the tick's trigonometry on AVX2 and FMA, chosen at load where the
// processor has them. Compiled for those instructions; nothing else in the engine is, and
// nothing here runs unless chosen. The results differ from SSE2's by the rounding of the fused
// operations only, and the tick's trigonometry not at all.
//
// A run goes in the same two passes as on SSE2, eight lanes wide: first each voice's two banks
// side by side in one vector, with their lane sums; then the filter lanes of two voices side by
// side, whose outputs are summed pair by pair into the buffers.
#include <cstddef>
#include <type_traits>

#include "engine/design_batch.h"
#include "engine/double4.h"
#include "engine/fast_exp2.h"
#include "engine/kernel_families.h"
#include "engine/simd8.h"
#include "engine/trig_batch.h"
#include "engine/voice.h"

namespace orvalis::engine {

namespace avx2 {
namespace {

// Two 4-lane states of the same kind side by side in one 8-lane state: every state type is a
// sequence of vectors (ramps are two), in the same order whatever the lane count.
template <class Wide, class Narrow>
ORVALIS_INLINE Wide sideBySide(const Narrow& lo, const Narrow& hi) {
  static_assert(std::is_standard_layout<Narrow>::value && sizeof(Narrow) % sizeof(F4) == 0 &&
                    sizeof(Wide) == 2 * sizeof(Narrow),
                "a state is a sequence of vectors");
  Wide wide;
  const F4* l = reinterpret_cast<const F4*>(&lo);
  const F4* h = reinterpret_cast<const F4*>(&hi);
  F8* w = reinterpret_cast<F8*>(&wide);
  for (std::size_t k = 0; k < sizeof(Narrow) / sizeof(F4); ++k) w[k] = F8(l[k], h[k]);
  return wide;
}

template <class Wide, class Narrow>
ORVALIS_INLINE void split(const Wide& wide, Narrow& lo, Narrow& hi) {
  const F8* w = reinterpret_cast<const F8*>(&wide);
  F4* l = reinterpret_cast<F4*>(&lo);
  F4* h = reinterpret_cast<F4*>(&hi);
  for (std::size_t k = 0; k < sizeof(Narrow) / sizeof(F4); ++k) {
    l[k] = w[k].lo();
    h[k] = w[k].hi();
  }
}

template <class Wide, class Narrow>
ORVALIS_INLINE void splitLow(const Wide& wide, Narrow& lo) {
  const F8* w = reinterpret_cast<const F8*>(&wide);
  F4* l = reinterpret_cast<F4*>(&lo);
  for (std::size_t k = 0; k < sizeof(Narrow) / sizeof(F4); ++k) l[k] = w[k].lo();
}

// The chain inputs of a run, two voices to a slot pair so that one load fetches both: for each
// voice and sample, bank L's and bank R's lane sums in lanes 0 and 1.
struct ChainInputs {
  alignas(32) float at[kNumVoices / 2][kSubBlock][2][4];
};

// Both banks of one voice at once, each summed over its lanes with lane j delayed by j samples.
template <class Family>
struct OscillatorRun {
  Voice& v;
  typename Family::Bank banks;
  F8 constant, weight, sum;

  explicit OscillatorRun(Voice& voice)
      : v(voice),
        banks(sideBySide<typename Family::Bank>(v.*Family::kBanks[0], v.*Family::kBanks[1])),
        constant(Family::bankConstant(0), Family::bankConstant(1)),
        weight(v.weightL, v.weightR),
        sum(v.sumL, v.sumR) {}

  // Lane 0 of each bank's sum into input: [bank L, bank R, -, -].
  ORVALIS_INLINE void step(float* input) {
    const F8 u = mulAdd(weight, Family::step(banks, constant), sum);
    sum = shiftDown(u);
    store4(input, _mm256_castps256_ps128(
                      _mm256_permutevar8x32_ps(u.v, _mm256_setr_epi32(0, 4, 0, 4, 0, 4, 0, 4))));
  }

  void save() {
    v.sumL = sum.lo();
    v.sumR = sum.hi();
    split(banks, v.*Family::kBanks[0], v.*Family::kBanks[1]);
  }
};

// Two voices side by side where the family's states fit the registers twice: a bank's phase
// waits on its wrap every sample, and the other voice's work fills that wait.
template <class Family>
void runOscillators(Voice* voices, int count, ChainInputs& in, int frames) {
  int v = 0;
  for (; Family::kTwoVoicesAtOnce && v + 1 < count; v += 2) {
    OscillatorRun<Family> a(voices[v]), b(voices[v + 1]);
    float(*slots)[2][4] = in.at[v / 2];
    for (int i = 0; i < frames; ++i) {
      a.step(slots[i][0]);
      b.step(slots[i][1]);
    }
    a.save();
    b.save();
  }
  for (; v < count; ++v) {
    OscillatorRun<Family> a(voices[v]);
    for (int i = 0; i < frames; ++i) a.step(in.at[v / 2][i][v % 2]);
    a.save();
  }
}

template <class Family>
void oscillatorLanes(Voice& v, F4* bankL, F4* bankR, int frames) {
  typename Family::Bank banks =
      sideBySide<typename Family::Bank>(v.*Family::kBanks[0], v.*Family::kBanks[1]);
  const F8 constant(Family::bankConstant(0), Family::bankConstant(1));
  for (int i = 0; i < frames; ++i) {
    const F8 out = Family::step(banks, constant);
    bankL[i] = out.lo();
    bankR[i] = out.hi();
  }
  split(banks, v.*Family::kBanks[0], v.*Family::kBanks[1]);
}

// The filter lanes of two voices through a run; for an odd voice count the last pair holds the
// same voice twice and only its first half counts. The output gains are folded into two weight
// vectors per run, so that a sample's output pair is two products of the chain outputs.
template <bool kPanned>
struct PairRun {
  Voice& a;
  Voice& b;
  FilterLanesOf<F8> lanes;
  F8 weight1, weight3;  // the output pair's weights of chain outputs 1 (L) and 3 (R)
  F8 out = F8::zero();

  PairRun(Voice& first, Voice& second)
      : a(first),
        b(second),
        lanes(sideBySide<FilterLanesOf<F8>>(first.filter.lanes, second.filter.lanes)) {
    if (kPanned) {
      weight1 = shuffle<0, 2, 0, 2>(lanes.panGain);
      weight3 = shuffle<1, 3, 1, 3>(lanes.panGain);
    } else {
      const F8 pan(F4(first.filter.panCos, first.filter.panSin, 0.f, 0.f),
                   F4(second.filter.panCos, second.filter.panSin, 0.f, 0.f));
      weight1 = FilterLanesOf<F8>::chain1Weights() * pan;
      weight3 = FilterLanesOf<F8>::chain3Weights() * pan;
    }
  }

  ORVALIS_INLINE F8 output() const {
    const F8 chainL = shuffle<1, 1, 1, 1>(lanes.sat), chainR = shuffle<3, 3, 3, 3>(lanes.sat);
    return mulAdd(chainR, weight3, mulAdd(chainL, weight1, F8(kPanned ? kDenormalGuard : 0.f)));
  }

  ORVALIS_INLINE F8 step(const float* inputs) {
    if (kPanned) out = output();
    lanes.step(load8(inputs));
    if (!kPanned) {
      lanes.applyLevel();
      out = output();
    }
    return out;
  }

  void save(bool single) {
    if (single) {
      splitLow(lanes, a.filter.lanes);
    } else {
      split(lanes, a.filter.lanes, b.filter.lanes);
      b.filter.outLeft = out.hi().lane0();
      b.filter.outRight = shuffle<1, 1, 1, 1>(out.hi()).lane0();
    }
    a.filter.outLeft = out.lo().lane0();
    a.filter.outRight = shuffle<1, 1, 1, 1>(out.lo()).lane0();
  }
};

// The pairs' output pairs, summed, into the run's [left, right] sums. Two pairs run side by
// side where there are four voices: each chain waits on its saturator every sample, and the
// second chain fills that wait.
template <bool kPanned>
void runChains(Voice* voices, int count, ChainInputs& in, float (*mixed)[4], int frames) {
  int v = 0;
  for (; v + 3 < count; v += 4) {
    PairRun<kPanned> p(voices[v], voices[v + 1]), q(voices[v + 2], voices[v + 3]);
    const float(*slotsP)[2][4] = in.at[v / 2];
    const float(*slotsQ)[2][4] = in.at[v / 2 + 1];
    for (int i = 0; i < frames; ++i) {
      const F8 out = p.step(slotsP[i][0]) + q.step(slotsQ[i][0]);
      store4(mixed[i], load4(mixed[i]) + (out.lo() + out.hi()));
    }
    p.save(false);
    q.save(false);
  }
  for (; v < count; v += 2) {
    const bool single = v + 1 == count;
    PairRun<kPanned> pair(voices[v], voices[single ? v : v + 1]);
    const float(*slots)[2][4] = in.at[v / 2];
    for (int i = 0; i < frames; ++i) {
      const F8 out = pair.step(slots[i][0]);
      const F4 sum = single ? out.lo() : out.lo() + out.hi();
      store4(mixed[i], load4(mixed[i]) + sum);
    }
    pair.save(single);
  }
}

template <class Family, bool kMono>
void renderRun(Voice* voices, int count, float* left, float* right, int frames) {
  ChainInputs in;
  alignas(16) float mixed[kSubBlock][4];
  for (int done = 0; done < frames; done += kSubBlock) {
    const int n = frames - done < kSubBlock ? frames - done : kSubBlock;
    runOscillators<Family>(voices, count, in, n);
    // An odd last voice is paired with itself: its twin half reads its inputs.
    if (count % 2)
      for (int i = 0; i < n; ++i) store4(in.at[count / 2][i][1], load4(in.at[count / 2][i][0]));
    for (int i = 0; i < n; ++i) store4(mixed[i], F4::zero());
    runChains<Family::kPannedOutput>(voices, count, in, mixed, n);
    for (int i = 0; i < n; ++i)
      mixPair<kMono>(mixed[i][0], mixed[i][1], left[done + i], right[done + i]);
  }
}

struct Avx2Loops {
  template <class Family, bool kMono>
  static void render(Voice* voices, int count, float* left, float* right, int frames) {
    renderRun<Family, kMono>(voices, count, left, right, frames);
  }
  template <class Family>
  static void oscillators(Voice& v, F4* bankL, F4* bankR, int frames) {
    oscillatorLanes<Family>(v, bankL, bankR, frames);
  }
  static void trigonometry(TrigBatch& batch) { computeTrigBatch<D4, 4>(batch); }
  static void exponentials(float* values, int count) { fastExp2Batch<D4>(values, count); }
  static void designInputs(DesignBatch& b, int count) {
    computeDesignBatch<F8, exponentials>(b, count);
  }
};

}  // namespace
}  // namespace avx2

extern const KernelSet kAvx2Kernels;
const KernelSet kAvx2Kernels = kernelSetOf<avx2::Avx2Loops, F8>("avx2");

}  // namespace orvalis::engine
