// The oscillator banks of a voice and their per-sample kernels. Each bank is four lanes; bank L
// runs at the 441 Hz reference, bank R at 439 Hz. The control tick (oscillators.cpp) sets the
// ramp targets; the kernels below only advance phases and ramps, branch-free.
//
// A bank is its own kernel: a sample loop copies it into locals for one run of samples, steps
// the copy and saves it back by copy, so the state stays in registers between control ticks.
// The kernels are written over the vector type: four lanes (one bank) for SSE2, eight (both
// banks side by side) for AVX.
#pragma once

#include "engine/ramp.h"
#include "engine/simd4.h"

namespace orvalis::engine {

struct TrigBatch;
struct Voice;

// c(x) = (1 - x^2) x, the cubic whose differences make the saws.
template <class V>
ORVALIS_INLINE V cubic(V x) {
  return negMulAdd(x, x, V(1.f)) * x;
}

template <class V>
ORVALIS_INLINE V steppedCubic(V x) {
  return (V(1.f) - x * x) * x;
}

// s(x) = (1 - x^2) x (1 - x^2 / 4), the sine-like polynomial of the phase modulation.
template <class V>
ORVALIS_INLINE V pmSine(V x) {
  const V x2 = x * x;
  return ((V(1.f) - x2) * x) * negMulAdd(V(0.25f), x2, V(1.f));
}

// Subtracts 2 from the lanes above 1.
template <class V>
ORVALIS_INLINE V wrapDown(V x) {
  return subtractWhere(x > V(1.f), x, V(2.f));
}

// Modes 0 ("Pulse") and 1 ("SupSaw"): two differentiated cubic saws per lane.
template <class V>
struct SawBankOf {
  V phase = V::zero();
  RampOf<V> phaseInc, offset, mix, scale;
  V prevPoly = V::zero();
  V prevD1 = V::zero();

  // The second difference cancels all but the last bits of the cubics, and the scale then
  // multiplies those by up to 1/inc^2: the cubics are rounded step by step on every path, so
  // that the paths agree.
  ORVALIS_INLINE V step() {
    phase = wrapDown(phase + phaseInc.value);
    const V q = wrapDown(phase + offset.value);
    const V poly = steppedCubic(phase) + mix.value * steppedCubic(q);
    const V d1 = poly - prevPoly;
    const V out = clamp((prevD1 - d1) * scale.value, V(-1.f), V(1.f));
    prevPoly = poly;
    prevD1 = d1;
    phaseInc.advance();
    offset.advance();
    mix.advance();
    scale.advance();
    return out;
  }
};

// A master wrap restarts a slave copy at master phase times resetScale plus this offset.
constexpr float kSyncResetOffsetL[4] = {0.55f, 0.f, 0.2f, 0.8f};
constexpr float kSyncResetOffsetR[4] = {0.45f, 0.f, 0.3f, 0.7f};
// Per sample, the crossfade between the slave copies covers this share of what remains.
constexpr float kSyncFadeRate = 0.125f;
// Keeps the crossfade stages, which decay toward 0 after every second wrap, normal numbers.
constexpr float kSyncFadeGuard = 1e-10f;

// Mode 2 ("FM1"): a master phase hard-syncing two crossfaded slave copies.
template <class V>
struct SyncBankOf {
  V master = V::zero();
  RampOf<V> masterInc;
  V slaveA = V::zero();
  V slaveB = V::zero();
  RampOf<V> slaveInc, resetScale, outScale;
  V prevA = V::zero();
  V prevB = V::zero();
  V toggle = V::zero();
  V prevToggle = V::zero();
  V fade1 = V::zero();
  V fade2 = V::zero();

  ORVALIS_INLINE V step(V resetOffset) {
    const V m = master + masterInc.value;
    slaveA = wrapDown(slaveA + slaveInc.value);
    slaveB = wrapDown(slaveB + slaveInc.value);
    const V cA = steppedCubic(slaveA);  // differenced, as the saw's
    const V cB = steppedCubic(slaveB);
    const V dA = cA - prevA;
    const V dB = cB - prevB;
    prevA = cA;
    prevB = cB;

    // A master wrap flips the toggle and restarts the copy it now selects, from the next sample.
    const V wrapped = m > V(1.f);
    master = m - (wrapped & V(1.f));
    toggle = select(wrapped, V(1.f) - toggle, toggle);
    const V restart = mulAdd(m, resetScale.value, resetOffset);
    const V onB = toggle > V(0.5f);
    slaveA = select(andNot(onB, wrapped), restart, slaveA);
    slaveB = select(onB & wrapped, restart, slaveB);

    const V out = mulAdd(fade2, dB, (V(1.f) - fade2) * dA) * outScale.value;
    fade2 = mulAdd(fade1 - fade2, V(kSyncFadeRate), fade2);
    fade1 = mulAdd(prevToggle + V(kSyncFadeGuard) - fade1, V(kSyncFadeRate), fade1);
    prevToggle = toggle;

    masterInc.advance();
    slaveInc.advance();
    resetScale.advance();
    outScale.advance();
    return out;
  }
};

// Modes 3, 4 and 5: two-operator phase modulation.
template <class V>
struct PmBankOf {
  V modPhase = V::zero();
  RampOf<V> modInc;
  V carPhase = V::zero();
  RampOf<V> carInc, depth;

  ORVALIS_INLINE V step() {
    modPhase = wrapDown(modPhase + modInc.value);
    V c = mulAdd(depth.value, pmSine(modPhase), carPhase) + carInc.value;
    c += (c < V(-1.f)) & V(2.f);
    carPhase = wrapDown(c);
    modInc.advance();
    carInc.advance();
    depth.advance();
    return pmSine(carPhase);
  }
};

using SawBank = SawBankOf<F4>;
using SyncBank = SyncBankOf<F4>;
using PmBank = PmBankOf<F4>;

// Control-rate half, once per tick from the voice control update.
void advanceGlide(Voice& v);
// The pitch around fastExp2, for the tick's batch of all voices: the exponents of the bend and
// vibrato factors and the timbre stage of voices sharing one program, four side by side; then
// one voice's pitch envelope tick and bank frequencies.
void pitchExponentsAndTimbres(Voice* const* voices, int count, float* exponents);
void finishPitch(Voice& v, float pitchFactor);
// The targets of the voice's mode; in "WaveTable" the octave stack's window weights join the
// tick's trigonometry, and finishOscillatorTargets takes them into the lane weights after it.
void setOscillatorTargets(Voice& v, TrigBatch& batch);
void finishOscillatorTargets(Voice& v);

// Start state of every mode at voice set-up and after a sample-rate change.
void resetOscillators(Voice& v);

}  // namespace orvalis::engine
