#include "engine/filters.h"

#include <cmath>

#include "engine/biquad_design.h"
#include "engine/design_batch.h"
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

// A voice's column of the batch: its envelopes, its LFO and the pitch its filters track (each
// chain's filters track the other chain's pitch; "WaveTable" filters a fixed 220 Hz).
void gatherDesignInputs(const Voice& v, DesignBatch& b, int i) {
  b.env1[i] = v.filter1Env.output;
  b.env2[i] = v.filter2Env.output;
  b.cosine[i] = v.lfo.cosine;
  b.sine[i] = v.lfo.sine;
  const bool fixedPitch = v.mode == OscMode::WaveTable;
  b.refL[i] = fixedPitch ? kWaveTableFilterPitch : v.freqR;
  b.refR[i] = fixedPitch ? kWaveTableFilterPitch : v.freqL;
}

void addDesign(Voice& v, const DesignBatch& b, int i, TrigBatch& batch) {
  FilterStage& f = v.filter;
  f.cutoff1 = b.cutoff1[i];
  f.reso1 = b.reso1[i];
  f.cutoff2 = b.cutoff2[i];
  f.reso2 = b.reso2[i];
  const F4 omega = load4(b.omega[i]);
  const float q1 = b.q1[i];
  const float q2 = b.q2[i];
  const FilterType type1 = f.type1, type2 = f.type2;

  FilterStage::Design& d = f.design;
  if (sameBits(omega, d.omega) && q1 == d.q1 && q2 == d.q2 && type1 == d.type1 && type2 == d.type2)
    return;
  d.omega = omega;
  d.q1 = q1;
  d.q2 = q2;
  d.type1 = type1;
  d.type2 = type2;
  float* targets = reinterpret_cast<float*>(d.target);
  for (int lane = 0; lane < 4; ++lane) {
    const bool filter1 = lane % 2 == 0;
    batch.addBiquad(filter1 ? type1 : type2, b.omega[i][lane], filter1 ? q1 : q2, targets + lane);
  }
}

}  // namespace

void prepareFilterDesigns(Voice* const* voices, int count, const KernelSet& kernels,
                          TrigBatch& batch) {
  if (count <= 0) return;
  DesignBatch b;
  const Voice& first = *voices[0];
  b.freqLow1 = first.p(kFilter1FreqLow);
  b.freqSpan1 = first.p(kFilter1FreqHigh) - b.freqLow1;
  b.resoLow1 = first.p(kFilter1ResoLow);
  b.resoSpan1 = first.p(kFilter1ResoHigh) - b.resoLow1;
  b.freqLow2 = first.p(kFilter2FreqLow);
  b.freqSpan2 = first.p(kFilter2FreqHigh) - b.freqLow2;
  b.resoLow2 = first.p(kFilter2ResoLow);
  b.resoSpan2 = first.p(kFilter2ResoHigh) - b.resoLow2;
  b.lfo1 = first.p(kFilter1Lfo);
  b.lfo2 = first.p(kFilter2Lfo);
  b.twoPiOverSr = first.rates->twoPiOverSr4.lane0();
  for (int i = 0; i < count; ++i) gatherDesignInputs(*voices[i], b, i);
  for (int i = count; i < DesignBatch::kColumns; ++i)
    b.env1[i] = b.env2[i] = b.cosine[i] = b.sine[i] = b.refL[i] = b.refR[i] = 0.f;
  kernels.designInputs(b, count);
  for (int i = 0; i < count; ++i) addDesign(*voices[i], b, i, batch);
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
