#include "engine/oscillators.h"

#include <cmath>
#include <initializer_list>

#include "engine/double2.h"
#include "engine/fast_exp2.h"
#include "engine/trig_batch.h"
#include "engine/voice.h"
#include "params/parameter_table.h"

namespace orvalis::engine {

using namespace orvalis::params;

namespace {

// The negated second difference of x - x^3 is 6 x inc^2: scaled by this over inc^2, the saw
// spans about +-0.465.
constexpr float kSawScale = 0.077515684f;
// 2/pi to seven digits: the phase-modulation depth per unit of index.
constexpr float kTwoOverPi = 0.6366199f;
// A4 of the two banks; the pair beats at 2 Hz.
constexpr float kBankLPitch = 441.f;
constexpr float kBankRPitch = 439.f;
// Octaves per semitone, 1/12 in float: bend and vibrato are in semitones.
constexpr float kOctavesPerSemitone = 0.083333336f;
// 2 pi / 96 in float: one raised-cosine period over the 96 notes of the octave stack.
constexpr float kWindowAngle = 0.06544985f;

// A phase that has run away (increments above 2 can outgrow the single wrap of the kernels) is
// restarted at 0; phases in normal operation never come near the bound.
F4 containPhase(F4 x) { return (x < F4(8.f)) & (F4(-8.f) < x) & x; }

// Reciprocal of a value that is positive in normal operation, kept finite when it is not.
F4 safeReciprocal(F4 x) { return F4(1.f) / max(x, F4(1e-30f)); }

void setSawTargets(SawBank& b, F4 freq, float timbre2, float mixTarget, const RateConstants& rc) {
  b.phase = containPhase(b.phase);
  const F4 inc = freq * rc.twoOverSr4;
  b.phaseInc.toward(inc, rc.crOverSr4);
  b.scale.toward(F4(kSawScale) * safeReciprocal(inc * inc), rc.crOverSr4);
  b.offset.toward(F4(2.f * timbre2), rc.crOverSr4);
  b.mix.toward(F4(mixTarget), rc.crOverSr4);
}

void setSyncTargets(SyncBank& b, F4 freq, float k, bool primed, const RateConstants& rc) {
  b.master = containPhase(b.master);
  b.slaveA = containPhase(b.slaveA);
  b.slaveB = containPhase(b.slaveB);
  const F4 kF = F4(k) * freq;
  const F4 slaveTarget = kF * rc.twoOverSr4;
  // The output scale follows the increment that was sounding over the last tick.
  const F4 currentSlave = primed ? b.slaveInc.value : slaveTarget;
  b.outScale.toward(F4(0.5f) * safeReciprocal(currentSlave), rc.crOverSr4);
  b.masterInc.toward(freq * rc.invSr4, rc.crOverSr4);
  b.slaveInc.toward(slaveTarget, rc.crOverSr4);
  b.resetScale.toward(F4(0.5f) * kF * safeReciprocal(freq), rc.crOverSr4);
}

void setPmTargets(PmBank& b, F4 freq, F4 modRatio, F4 index, const RateConstants& rc) {
  b.modPhase = containPhase(b.modPhase);
  b.carPhase = containPhase(b.carPhase);
  const F4 current = b.carInc.value;
  b.carInc.toward(min(freq * rc.twoOverSr4, F4(1.f)), rc.crOverSr4);
  b.modInc.toward(modRatio * current, rc.crOverSr4);
  b.depth.toward(
      min(modRatio * index * current * F4(kTwoOverPi) + F4(kDenormalGuard), F4(1.f) - current),
      rc.crOverSr4);
}

// Mode 5: the note's octaves folded into note numbers 24..120, weighted by a raised cosine
// over that range. Bank R takes partials 6, 4, 2, 0 and bank L 7, 5, 3, 1.
// n mod 96 as fmod gives it, for n >= 0 without the library call: n - 96 k is exact (n and 96 k
// lie within a factor of two), and k = n / 96 truncated can only come out one too high, for n
// just under a multiple of 96, where adding 96 back is exact too. folds: how many 96s went.
double wrap96(double n, long long& folds) {
  folds = static_cast<long long>(n / 96.0);
  const double r = n - 96.0 * static_cast<double>(folds);
  if (r >= 0.0) return r;
  --folds;
  return r + 96.0;
}

void setOctaveStack(Voice& v, TrigBatch& batch) {
  const double n = v.freqR > 0.f ? 69.0 + 12.0 * std::log2(v.freqR / 440.0) : 69.0;
  // Note numbers folded into [24, 120): each partial 12 above the previous, modulo 96. A
  // partial is j octaves above partial 0, or j - 8 where it folded.
  double x[8];
  int octave[8];
  long long folds = 0;
  const double first = n >= 0.0 ? wrap96(n, folds) : std::fmod(n, 96.0);
  for (int j = 0; j < 8; ++j) {
    double folded = first >= 0.0 ? first + 12.0 * j : std::fmod(n + 12.0 * j, 96.0);
    octave[j] = j;
    if (folded >= 96.0) {
      folded -= 96.0;
      octave[j] = j - 8;
    }
    x[j] = folded + 24.0;
  }
  if (first < 0.0) {
    // Below 8 Hz: fmod folds each partial by itself; count the octaves from the note numbers.
    for (int j = 0; j < 8; ++j) {
      const double octaves = (x[j] - x[0]) / 12.0;  // a whole number, up to rounding
      octave[j] = static_cast<int>(octaves + (octaves >= 0 ? 0.5 : -0.5));
    }
  }
  // The partials are octaves of one another: one power, then exact scalings by 2^k. Partial 0
  // lies two octaves above the note less its folds of 96, so for a sounding note the power is
  // freqR * 2^(2 - 8 folds), exactly; the library's power lands within about 1e-14 of it, which
  // rounds to the same floats below.
  double f0;
  if (v.freqR > 0.f && first >= 0.0) {
    static constexpr double kFoldScale[] = {0x1p2, 0x1p-6, 0x1p-14, 0x1p-22, 0x1p-30};  // by folds
    const double freq = v.freqR;
    f0 = folds < 5 ? freq * kFoldScale[folds] : std::ldexp(freq, 2 - 8 * static_cast<int>(folds));
  } else {
    f0 = 440.0 * std::pow(2.0, (x[0] - 69.0) / 12.0);
  }
  float f[8];
  static const double kOctave[17] = {1. / 256, 1. / 128, 1. / 64, 1. / 32, 1. / 16, 1. / 8,
                                     1. / 4,   1. / 2,   1.,      2.,      4.,      8.,
                                     16.,      32.,      64.,     128.,    256.};
  for (int j = 0; j < 8; ++j) {
    const int k = octave[j];
    f[j] = static_cast<float>(f0 * kOctave[(k < -8 ? -8 : (k > 8 ? 8 : k)) + 8]);
  }
  // The window weights come with the tick's other trigonometry; finishOscillatorTargets takes
  // them into the lane weights.
  for (int j = 0; j < 8; ++j) batch.addWindow((x[j] - 24.0) * kWindowAngle, &v.windowWeight[j]);
  v.laneFreqR = F4(f[6], f[4], f[2], f[0]);
  v.laneFreqL = F4(f[7], f[5], f[3], f[1]);
}

}  // namespace

void finishOscillatorTargets(Voice& v) {
  if (v.mode != OscMode::WaveTable) return;
  const float* w = v.windowWeight;
  v.weightR = F4(w[6], 1.0003f * w[4], 0.9998f * w[2], 0.9997f * w[0]);
  v.weightL = F4(w[7], 1.0002f * w[5], 0.9996f * w[3], 0.9998f * w[1]);
}

void advanceGlide(Voice& v) { v.glide += (v.noteRatio - v.glide) * v.glideRate; }

void pitchExponentsAndTimbres(Voice* const* voices, int count, float* exponents) {
  if (count <= 0) return;
  const Voice& first = *voices[0];
  const float depthLow = first.p(kLfoDepthL), depthSpan = first.p(kLfoDepthH) - depthLow;
  const float timbreLow = first.p(kOscTimbreLow);
  const float timbreSpan = first.p(kOscTimbreHigh) - timbreLow;
  alignas(16) float bend[kNumVoices] = {}, wheel[kNumVoices] = {}, delay[kNumVoices] = {};
  alignas(16) float sine[kNumVoices] = {}, env[kNumVoices] = {};
  alignas(16) float raw[kNumVoices], timbre1[kNumVoices] = {}, timbre2[kNumVoices] = {};
  for (int i = 0; i < count; ++i) {
    const Voice& v = *voices[i];
    bend[i] = v.bend;
    wheel[i] = v.modWheel;
    delay[i] = v.lfoDelayEnv.output;
    sine[i] = v.lfo.sine;
    env[i] = v.filter1Env.output;
    timbre1[i] = v.timbre1;
    timbre2[i] = v.timbre2;
  }
  for (int c = 0; c < count; c += F4::kLanes) {
    // Bend spans +-12 semitones; full vibrato depth about +-1 semitone.
    const F4 depth = F4(depthLow) + F4(depthSpan) * F4::load(wheel + c);
    const F4 e = F4::load(delay + c);
    ((F4(12.f) * F4::load(bend + c) + depth * (e * e * e) * F4::load(sine + c)) *
     F4(kOctavesPerSemitone))
        .store(exponents + c);
    // The timbre follows the filter-1 envelope through two smoothing stages.
    const F4 r = F4(timbreLow) + F4(timbreSpan) * F4::load(env + c);
    const F4 t = oscTimbreShare(r);
    const F4 t1 = F4::load(timbre1 + c);
    const F4 s1 = t1 + (t - t1) * F4(0.1f);
    const F4 t2 = F4::load(timbre2 + c);
    r.store(raw + c);
    s1.store(timbre1 + c);
    (t2 + (s1 - t2) * F4(0.1f)).store(timbre2 + c);
  }
  for (int i = 0; i < count; ++i) {
    Voice& v = *voices[i];
    v.timbreRaw = raw[i];
    v.timbre1 = timbre1[i];
    v.timbre2 = timbre2[i];
  }
}

void finishPitch(Voice& v, float pm) {
  const float baseL = kBankLPitch * v.glide;
  const float baseR = kBankRPitch * v.glide;
  if (v.gate)
    v.pitchEnv += (1.f - v.pitchEnv) * v.pitchEnvAttackRate;
  else
    v.pitchEnv += (v.pitchEnvEnd - v.pitchEnv) * v.pitchEnvReleaseRate;
  pm = pm * v.pitchEnv;
  v.freqL = baseL * pm;
  v.freqR = baseR * pm;
  v.laneFreqL = F4(v.freqL) * v.laneRatio;
  v.laneFreqR = F4(v.freqR) * v.laneRatio;
}

void setOscillatorTargets(Voice& v, TrigBatch& batch) {
  const RateConstants& rc = *v.rates;
  switch (v.mode) {
    case OscMode::Pulse:
    case OscMode::SupSaw: {
      const float mix = v.mode == OscMode::Pulse ? -1.f : 0.9f;
      setSawTargets(v.sawL, v.laneFreqL, v.timbre2, mix, rc);
      setSawTargets(v.sawR, v.laneFreqR, v.timbre2, mix, rc);
      break;
    }
    case OscMode::Fm1: {
      const float k = 8.f * v.timbre2 + 1.f;
      setSyncTargets(v.syncL, v.laneFreqL, k, v.syncPrimed, rc);
      setSyncTargets(v.syncR, v.laneFreqR, k, v.syncPrimed, rc);
      v.syncPrimed = true;
      break;
    }
    case OscMode::Fm2:
    case OscMode::Fm3:
    case OscMode::WaveTable: {
      F4 ratioL, ratioR;
      if (v.mode == OscMode::Fm2) {
        ratioL = ratioR = F4(2.f, 2.f, 1.f, 3.f);
      } else if (v.mode == OscMode::Fm3) {
        ratioR = F4(3.5127f, 3.491f, 0.9996f, 0.5004f);
        ratioL = F4(3.4902f, 3.5121f, 1.0002f, 0.4996f);
      } else {
        ratioL = ratioR = F4(0.4992f, 0.5013f, 0.4985f, 0.501f);
        setOctaveStack(v, batch);
      }
      const F4 t(oscTimbreShare(v.timbreRaw));
      setPmTargets(v.pmR, v.laneFreqR, ratioR, t * F4(40.7f, 40.3f, 40.1f, 40.0f), rc);
      setPmTargets(v.pmL, v.laneFreqL, ratioL, t * F4(40.6f, 40.2f, 40.05f, 39.9f), rc);
      break;
    }
    default:
      break;  // no such mode: the callback renders silence
  }
}

void resetOscillators(Voice& v) {
  const RateConstants& rc = *v.rates;
  const F4 tiny(kDenormalGuard);
  v.sawR.phase = v.sawR.prevPoly = v.sawR.prevD1 = tiny;
  for (SawBank* b : {&v.sawL, &v.sawR}) {
    b->offset.toward(F4(2.f / 3.f), rc.crOverSr4);
    b->mix.toward(F4(-1.f), rc.crOverSr4);
  }
  v.syncL = SyncBank();
  v.syncR = SyncBank();
  v.pmL = PmBank();
  v.pmR = PmBank();
  v.syncPrimed = false;
}

}  // namespace orvalis::engine
