#include "engine/filters.h"

#include <cmath>

#include "engine/biquad_design.h"
#include "engine/double2.h"
#include "engine/kernel_set.h"
#include "engine/trig_batch.h"
#include "engine/voice.h"
#include "params/parameter_table.h"

namespace orvalis::engine {

using namespace orvalis::params;

FilterType filterTypeOf(float v) { return static_cast<FilterType>(params::filterTypeIndex(v)); }

namespace {

// Per-tick smoothing of the values that reach the saturators and the output.
constexpr float kOverdriveSmoothing = 0.05f;
constexpr float kGainSmoothing = 0.003f;
constexpr float kPanSmoothing = 0.01f;

// The highest design angle, about 21 kHz at 44.1 kHz; tan-free designs stay stable to it.
constexpr float kMaxOmega = 3.0f;
// Filter states are pulled back to this bound at every tick.
constexpr float kStateBound = 8.f;
// "WaveTable" filters track this fixed pitch instead of the note's.
constexpr float kWaveTableFilterPitch = 220.f;

bool sameBits(F4 a, F4 b) {
  const __m128i equal = _mm_cmpeq_epi32(_mm_castps_si128(a.v), _mm_castps_si128(b.v));
  return _mm_movemask_epi8(equal) == 0xFFFF;
}

}  // namespace

void designBiquad(FilterType type, float omega, float q, double coefficients[5]) {
  D2 c[5];
  designBiquads(type, D2(static_cast<double>(omega)), D2(static_cast<double>(q)), c);
  for (int k = 0; k < 5; ++k) coefficients[k] = c[k].lo();
}

namespace {

// The exponents of a voice's six fastExp2 factors: the envelope-driven K of each filter, then
// the LFO factors of the four lanes (Filtre1 lanes with opposite sign to Filtre2's).
void designExponents(Voice& v, float exponents[6]) {
  FilterStage& f = v.filter;
  const float env1 = v.filter1Env.output, env2 = v.filter2Env.output;
  f.cutoff1 = v.p(kFilter1FreqLow) + (v.p(kFilter1FreqHigh) - v.p(kFilter1FreqLow)) * env1;
  f.reso1 = v.p(kFilter1ResoLow) + (v.p(kFilter1ResoHigh) - v.p(kFilter1ResoLow)) * env1;
  f.cutoff2 = v.p(kFilter2FreqLow) + (v.p(kFilter2FreqHigh) - v.p(kFilter2FreqLow)) * env2;
  f.reso2 = v.p(kFilter2ResoLow) + (v.p(kFilter2ResoHigh) - v.p(kFilter2ResoLow)) * env2;
  const float lfo1 = v.p(kFilter1Lfo), lfo2 = v.p(kFilter2Lfo);
  const float cosine = v.lfo.cosine, sine = v.lfo.sine;
  exponents[0] = 10.f * f.cutoff1 - 1.f;
  exponents[1] = 10.f * f.cutoff2 - 1.f;
  exponents[2] = -lfo1 * cosine;
  exponents[3] = lfo2 * cosine;
  exponents[4] = -lfo1 * sine;
  exponents[5] = lfo2 * sine;
}

void addDesign(Voice& v, const float factors[6], TrigBatch& batch) {
  const RateConstants& rc = *v.rates;
  FilterStage& f = v.filter;
  const float k1 = factors[0], k2 = factors[1];
  // Each chain's filters track the other chain's pitch; "WaveTable" filters a fixed 220 Hz.
  const bool fixedPitch = v.mode == OscMode::WaveTable;
  const float refL = fixedPitch ? kWaveTableFilterPitch : v.freqR;
  const float refR = fixedPitch ? kWaveTableFilterPitch : v.freqL;
  const F4 lfoFactor(factors[2], factors[3], factors[4], factors[5]);
  const F4 cutoffHz = lfoFactor * F4(k1, k2, k1, k2) * F4(refL, refL, refR, refR);
  // Negative cutoffs (only from extreme settings) design as 0 Hz rather than blowing up.
  const F4 omega = clamp(cutoffHz * rc.twoPiOverSr4, F4::zero(), F4(kMaxOmega));
  const float q1 = resonanceQ(f.reso1);
  const float q2 = resonanceQ(f.reso2);
  const FilterType type1 = f.type1, type2 = f.type2;

  FilterStage::Design& d = f.design;
  if (sameBits(omega, d.omega) && q1 == d.q1 && q2 == d.q2 && type1 == d.type1 && type2 == d.type2)
    return;
  d.omega = omega;
  d.q1 = q1;
  d.q2 = q2;
  d.type1 = type1;
  d.type2 = type2;
  alignas(16) float lanes[4];
  store4(lanes, omega);
  float* targets = reinterpret_cast<float*>(d.target);
  for (int lane = 0; lane < 4; ++lane) {
    const bool filter1 = lane % 2 == 0;
    batch.addBiquad(filter1 ? type1 : type2, lanes[lane], filter1 ? q1 : q2, targets + lane);
  }
}

}  // namespace

void prepareFilterDesigns(Voice* const* voices, int count, const KernelSet& kernels,
                          TrigBatch& batch) {
  // In three passes, so that the polynomials of all voices run side by side in vectors.
  float values[kNumVoices + 1][6] = {};  // room for the last vector
  for (int i = 0; i < count; ++i) designExponents(*voices[i], values[i]);
  kernels.exponentials(&values[0][0], 6 * count);
  for (int i = 0; i < count; ++i) addDesign(*voices[i], values[i], batch);
}

void finishFilterDesign(Voice& v) {
  const RateConstants& rc = *v.rates;
  FilterStage& f = v.filter;

  // Drive, level and pan follow their targets at control rate; the amplitude envelope acts on
  // the input of the second saturator.
  FilterLanes& lanes = f.lanes;
  // The smoothed values are stored last: the pan gains below are gathered with one load that
  // spans them, and a load over values just stored waits for the stores to drain.
  const float od1Smooth = f.od1Smooth + (v.overdrive1 - f.od1Smooth) * kOverdriveSmoothing;
  const float od2Smooth = f.od2Smooth + (v.overdrive2 - f.od2Smooth) * kOverdriveSmoothing;
  const float gainSmooth = f.gainSmooth + (v.gain - f.gainSmooth) * kGainSmoothing;
  const float od2 = od2Smooth * v.ampEnv.output;
  lanes.drive.toward(F4(od1Smooth, od2, od1Smooth, od2), rc.crOverSr4);
  lanes.level = F4(1.f, gainSmooth, 1.f, gainSmooth);
  const float g = v.gain;
  const F4 panTarget(f.panCos * kDirectMix * g, f.panCos * kCrossMix * g, f.panSin * kCrossMix * g,
                     f.panSin * kDirectMix * g);
  lanes.panGain += (panTarget - lanes.panGain) * F4(kPanSmoothing);

  const F4* target = f.design.target;
  lanes.b0.toward(target[0], rc.crOverSr4);
  lanes.b1.toward(target[1], rc.crOverSr4);
  lanes.b2.toward(target[2], rc.crOverSr4);
  lanes.a1n.toward(target[3], rc.crOverSr4);
  lanes.a2n.toward(target[4], rc.crOverSr4);
  lanes.z1 = clamp(lanes.z1, F4(-kStateBound), F4(kStateBound));
  lanes.z2 = clamp(lanes.z2, F4(-kStateBound), F4(kStateBound));
  f.od1Smooth = od1Smooth;
  f.od2Smooth = od2Smooth;
  f.gainSmooth = gainSmooth;
}

}  // namespace orvalis::engine
