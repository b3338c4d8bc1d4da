// What the sample loops of every instruction set share: the oscillator families (which banks a
// family steps and how its output reaches the pair), the mix of a voice's output pair into the
// buffers, and the table that gathers one set's loops. A kernels_*.cpp file holds only its own
// way of running the loops: the lane count and how voices sit side by side.
//
// Only the kernel files include this header; every function here is forced inline, so that no
// out-of-line copy compiled for AVX2 can stand in for an SSE2 one.
#pragma once

#include "engine/filters.h"
#include "engine/kernel_set.h"
#include "engine/oscillators.h"
#include "engine/voice.h"

namespace orvalis::engine {

// A family over the vector type V: Bank, the bank type of V's width; kBanks, the voice's two
// 4-lane banks (L, R); kPannedOutput, whether the output pair comes from the previous sample's
// chain outputs through panGain (modes 0, 1) rather than the cross mix of the current one;
// kTwoVoicesAtOnce, whether two voices' wide states fit the registers side by side.
// bankConstant(b) is the 4-lane constant a bank's step takes (bank L = 0, R = 1).
template <class V>
struct SawFamily {
  using Bank = SawBankOf<V>;
  static constexpr SawBank Voice::*kBanks[2] = {&Voice::sawL, &Voice::sawR};
  static constexpr bool kPannedOutput = true;
  static constexpr bool kTwoVoicesAtOnce = false;
  static ORVALIS_INLINE F4 bankConstant(int) { return F4::zero(); }
  static ORVALIS_INLINE V step(Bank& b, V) { return b.step(); }
};

template <class V>
struct SyncFamily {
  using Bank = SyncBankOf<V>;
  static constexpr SyncBank Voice::*kBanks[2] = {&Voice::syncL, &Voice::syncR};
  static constexpr bool kPannedOutput = false;
  static constexpr bool kTwoVoicesAtOnce = true;
  // The offsets a master wrap restarts a slave copy at.
  static ORVALIS_INLINE F4 bankConstant(int bank) {
    const float* o = bank == 0 ? kSyncResetOffsetL : kSyncResetOffsetR;
    return F4(o[0], o[1], o[2], o[3]);
  }
  static ORVALIS_INLINE V step(Bank& b, V resetOffset) { return b.step(resetOffset); }
};

template <class V>
struct PmFamily {
  using Bank = PmBankOf<V>;
  static constexpr PmBank Voice::*kBanks[2] = {&Voice::pmL, &Voice::pmR};
  static constexpr bool kPannedOutput = false;
  static constexpr bool kTwoVoicesAtOnce = true;
  static ORVALIS_INLINE F4 bankConstant(int) { return F4::zero(); }
  static ORVALIS_INLINE V step(Bank& b, V) { return b.step(); }
};

// An output pair into the buffers; kMono ("WaveTable"): both receive left + right.
template <bool kMono>
ORVALIS_INLINE void mixPair(float outLeft, float outRight, float& left, float& right) {
  if (kMono) {
    const float mono = outLeft + outRight;
    left += mono;
    right += mono;
  } else {
    left += outLeft;
    right += outRight;
  }
}

// One instruction set's table. Loops provides, for a family over V:
//   template <class Family, bool kMono> static void render(Voice*, int, float*, float*, int);
//   template <class Family> static void oscillators(Voice&, F4*, F4*, int);
//   static void trigonometry(TrigBatch&);
//   static void exponentials(float*, int);
//   static void designInputs(DesignBatch&, int);
template <class Loops, class V>
constexpr KernelSet kernelSetOf(const char* name) {
  return {
      name,
      {Loops::template render<SawFamily<V>, false>, Loops::template oscillators<SawFamily<V>>},
      {Loops::template render<SyncFamily<V>, false>, Loops::template oscillators<SyncFamily<V>>},
      {Loops::template render<PmFamily<V>, false>, Loops::template oscillators<PmFamily<V>>},
      {Loops::template render<PmFamily<V>, true>, Loops::template oscillators<PmFamily<V>>},
      Loops::trigonometry,
      Loops::exponentials,
      Loops::designInputs,
  };
}

}  // namespace orvalis::engine
