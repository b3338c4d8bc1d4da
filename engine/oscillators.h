// The oscillator banks of a voice and their per-sample kernels. Each bank is four lanes; bank L
// runs at the 441 Hz reference, bank R at 439 Hz. The control tick (oscillators.cpp) sets the
// ramp targets; the kernels below only advance phases and ramps, branch-free.
//
// A kernel copies its bank into locals for one run of samples and writes it back afterwards,
// so the state stays in registers between control ticks.
#pragma once

#include "engine/ramp.h"
#include "engine/simd4.h"

namespace orvalis {

struct Voice;

// Modes 0 ("Pulse") and 1 ("SupSaw"): two differentiated cubic saws per lane.
struct SawBank {
  F4 phase = F4::zero();
  Ramp phaseInc, offset, mix, scale;
  F4 prevPoly = F4::zero();
  F4 prevD1 = F4::zero();
};

// Mode 2 ("FM1"): a master phase hard-syncing two crossfaded slave copies.
struct SyncBank {
  F4 master = F4::zero();
  Ramp masterInc;
  F4 slaveA = F4::zero();
  F4 slaveB = F4::zero();
  Ramp slaveInc, resetScale, outScale;
  F4 prevA = F4::zero();
  F4 prevB = F4::zero();
  F4 toggle = F4::zero();
  F4 prevToggle = F4::zero();
  F4 fade1 = F4::zero();
  F4 fade2 = F4::zero();
};

// Modes 3, 4 and 5: two-operator phase modulation.
struct PmBank {
  F4 modPhase = F4::zero();
  Ramp modInc;
  F4 carPhase = F4::zero();
  Ramp carInc, depth;
};

// c(x) = (1 - x^2) x, the cubic whose differences make the saws.
inline F4 cubic(F4 x) { return (F4(1.f) - x * x) * x; }

// s(x) = (1 - x^2) x (1 - x^2 / 4), the sine-like polynomial of the phase modulation.
inline F4 pmSine(F4 x) {
  const F4 x2 = x * x;
  return ((F4(1.f) - x2) * x) * (F4(1.f) - F4(0.25f) * x2);
}

// Subtracts 2 from the lanes above 1.
inline F4 wrapDown(F4 x) { return x - ((x > F4(1.f)) & F4(2.f)); }

struct SawKernel {
  F4 phase, inc, dInc, offset, dOffset, mix, dMix, scale, dScale, prevPoly, prevD1;

  explicit SawKernel(const SawBank& b)
      : phase(b.phase),
        inc(b.phaseInc.value),
        dInc(b.phaseInc.inc),
        offset(b.offset.value),
        dOffset(b.offset.inc),
        mix(b.mix.value),
        dMix(b.mix.inc),
        scale(b.scale.value),
        dScale(b.scale.inc),
        prevPoly(b.prevPoly),
        prevD1(b.prevD1) {}

  F4 step() {
    phase = wrapDown(phase + inc);
    const F4 q = wrapDown(phase + offset);
    const F4 poly = cubic(phase) + mix * cubic(q);
    const F4 d1 = poly - prevPoly;
    const F4 out = clamp((prevD1 - d1) * scale, F4(-1.f), F4(1.f));
    prevPoly = poly;
    prevD1 = d1;
    inc += dInc;
    offset += dOffset;
    mix += dMix;
    scale += dScale;
    return out;
  }

  void save(SawBank& b) const {
    b.phase = phase;
    b.phaseInc.value = inc;
    b.offset.value = offset;
    b.mix.value = mix;
    b.scale.value = scale;
    b.prevPoly = prevPoly;
    b.prevD1 = prevD1;
  }
};

struct SyncKernel {
  F4 master, masterInc, dMasterInc, slaveA, slaveB, slaveInc, dSlaveInc, resetScale, dResetScale,
      outScale, dOutScale, prevA, prevB, toggle, prevToggle, fade1, fade2, resetOffset;

  SyncKernel(const SyncBank& b, F4 resetOffset)
      : master(b.master),
        masterInc(b.masterInc.value),
        dMasterInc(b.masterInc.inc),
        slaveA(b.slaveA),
        slaveB(b.slaveB),
        slaveInc(b.slaveInc.value),
        dSlaveInc(b.slaveInc.inc),
        resetScale(b.resetScale.value),
        dResetScale(b.resetScale.inc),
        outScale(b.outScale.value),
        dOutScale(b.outScale.inc),
        prevA(b.prevA),
        prevB(b.prevB),
        toggle(b.toggle),
        prevToggle(b.prevToggle),
        fade1(b.fade1),
        fade2(b.fade2),
        resetOffset(resetOffset) {}

  F4 step() {
    const F4 m = master + masterInc;
    slaveA = wrapDown(slaveA + slaveInc);
    slaveB = wrapDown(slaveB + slaveInc);
    const F4 cA = cubic(slaveA);
    const F4 cB = cubic(slaveB);
    const F4 dA = cA - prevA;
    const F4 dB = cB - prevB;
    prevA = cA;
    prevB = cB;

    // A master wrap flips the toggle and restarts the copy it now selects, from the next sample.
    const F4 wrapped = m > F4(1.f);
    master = m - (wrapped & F4(1.f));
    toggle = select(wrapped, F4(1.f) - toggle, toggle);
    const F4 restart = m * resetScale + resetOffset;
    const F4 onB = toggle > F4(0.5f);
    slaveA = select(andNot(onB, wrapped), restart, slaveA);
    slaveB = select(onB & wrapped, restart, slaveB);

    const F4 out = ((F4(1.f) - fade2) * dA + fade2 * dB) * outScale;
    fade2 += (fade1 - fade2) * F4(0.125f);
    fade1 += (prevToggle + F4(1e-10f) - fade1) * F4(0.125f);
    prevToggle = toggle;

    masterInc += dMasterInc;
    slaveInc += dSlaveInc;
    resetScale += dResetScale;
    outScale += dOutScale;
    return out;
  }

  void save(SyncBank& b) const {
    b.master = master;
    b.masterInc.value = masterInc;
    b.slaveA = slaveA;
    b.slaveB = slaveB;
    b.slaveInc.value = slaveInc;
    b.resetScale.value = resetScale;
    b.outScale.value = outScale;
    b.prevA = prevA;
    b.prevB = prevB;
    b.toggle = toggle;
    b.prevToggle = prevToggle;
    b.fade1 = fade1;
    b.fade2 = fade2;
  }
};

struct PmKernel {
  F4 modPhase, modInc, dModInc, carPhase, carInc, dCarInc, depth, dDepth;

  explicit PmKernel(const PmBank& b)
      : modPhase(b.modPhase),
        modInc(b.modInc.value),
        dModInc(b.modInc.inc),
        carPhase(b.carPhase),
        carInc(b.carInc.value),
        dCarInc(b.carInc.inc),
        depth(b.depth.value),
        dDepth(b.depth.inc) {}

  F4 step() {
    modPhase = wrapDown(modPhase + modInc);
    F4 c = carPhase + depth * pmSine(modPhase) + carInc;
    c += (c < F4(-1.f)) & F4(2.f);
    carPhase = wrapDown(c);
    modInc += dModInc;
    carInc += dCarInc;
    depth += dDepth;
    return pmSine(carPhase);
  }

  void save(PmBank& b) const {
    b.modPhase = modPhase;
    b.modInc.value = modInc;
    b.carPhase = carPhase;
    b.carInc.value = carInc;
    b.depth.value = depth;
  }
};

// Per-bank restart offsets of the synced slaves.
inline F4 syncResetOffsetL() { return F4(0.55f, 0.f, 0.2f, 0.8f); }
inline F4 syncResetOffsetR() { return F4(0.45f, 0.f, 0.3f, 0.7f); }

// Control-rate half, once per tick from the voice control update.
void advanceGlide(Voice& v);
void computePitch(Voice& v);
void updateTimbre(Voice& v);
void setOscillatorTargets(Voice& v);

// Start state of every mode at voice set-up and after a sample-rate change.
void resetOscillators(Voice& v);

}  // namespace orvalis
