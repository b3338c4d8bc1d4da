#include "engine/filters.h"

#include <cmath>

#include "engine/double2.h"
#include "engine/fast_exp2.h"
#include "engine/voice.h"
#include "params/parameter_table.h"

namespace orvalis {

using namespace params;

FilterType filterTypeOf(float v) {
  if (v < 0.2f) return kFlat;
  if (v < 0.4f) return kLowPass;
  if (v < 0.6f) return kEq;
  if (v < 0.8f) return kShelving;
  return kHighPass;
}

namespace {

// Per-tick smoothing of the values that reach the saturators and the output.
constexpr float kOverdriveSmoothing = 0.05f;
constexpr float kGainSmoothing = 0.003f;
constexpr float kPanSmoothing = 0.01f;

// alpha / sin(omega) of the peaking section: its bandwidth, fixed.
constexpr double kEqBandwidth = 0.25158313;
// 1/pi^2 to nine digits: widens the cookbook alpha toward high frequencies.
constexpr double kAlphaWidening = 0.101321176;
// pi to eight digits; the shelf is the low shelf designed at this minus omega.
constexpr double kShelfMirror = 3.1415927;
// The highest design angle, about 21 kHz at 44.1 kHz; tan-free designs stay stable to it.
constexpr float kMaxOmega = 3.0f;
// Filter states are pulled back to this bound at every tick.
constexpr float kStateBound = 8.f;
// "WaveTable" filters track this fixed pitch instead of the note's.
constexpr float kWaveTableFilterPitch = 220.f;

// Coefficients b0, b1, b2, a1n, a2n of two lanes sharing a type and Q, in double precision.
void designPair(FilterType type, D2 w, double Q, D2 c[5]) {
  D2 si, co;
  sinCos(w, si, co);
  switch (type) {
    case kEq: {
      // Peaking section of fixed bandwidth: gain A^2 at omega, 1 far from it.
      const double A = Q - 0.4;
      const D2 beta = kEqBandwidth * si;
      const D2 n = 1.0 / (1.0 + beta / D2(A));
      c[0] = (1.0 + beta * A) * n;
      c[1] = -2.0 * co * n;
      c[2] = (1.0 - beta * A) * n;
      c[3] = 2.0 * co * n;
      c[4] = (beta / D2(A) - 1.0) * n;
      return;
    }
    case kShelving: {
      // The cookbook low shelf evaluated at pi - omega: a high shelf, 1 at low frequencies and
      // A^2 at half the sample rate.
      const double A = 0.4 * (Q - 0.4);
      D2 sm, cm;
      sinCos(kShelfMirror - w, sm, cm);
      const double m = A - 1.0, P = A + 1.0;
      const D2 gamma = sm * std::sqrt(A * A + 1.0 - m * m);
      const D2 D = P + cm * m, N = P - cm * m;
      const D2 n = 1.0 / (D + gamma);
      c[0] = (N + gamma) * A * n;
      c[1] = -2.0 * (m - cm * P) * A * n;
      c[2] = (N - gamma) * A * n;
      c[3] = -2.0 * (cm * P + m) * n;
      c[4] = -(D - gamma) * n;
      return;
    }
    default: {
      const double x = 0.5 / Q;
      const D2 alpha = si * x * (1.0 + kAlphaWidening * x * x);
      const D2 n = 1.0 / (1.0 + alpha);
      if (type == kLowPass) {
        c[0] = c[2] = 0.5 * (1.0 - co) * n;
        c[1] = (1.0 - co) * n;
        c[3] = 2.0 * co * n;
        c[4] = -(1.0 - alpha) * n;
      } else if (type == kHighPass) {
        c[0] = c[2] = 0.5 * (1.0 + co) * n;
        c[1] = (-1.0 - co) * n;
        c[3] = 2.0 * co * n;
        c[4] = -(1.0 - alpha) * n;
      } else {
        // Second-order all-pass.
        const D2 k = (alpha - 1.0) / (alpha + 1.0);
        c[0] = -k;
        c[1] = -co * (1.0 - k);
        c[2] = D2(1.0);
        c[3] = co * (1.0 - k);
        c[4] = k;
      }
      return;
    }
  }
}

// [a.lo, b.lo, a.hi, b.hi] as floats: Filtre1 pairs in lanes 0 and 2, Filtre2 in 1 and 3.
F4 interleaveLanes(D2 filter1, D2 filter2) {
  return _mm_unpacklo_ps(_mm_cvtpd_ps(filter1.v), _mm_cvtpd_ps(filter2.v));
}

}  // namespace

void designBiquad(FilterType type, float omega, float q, double coefficients[5]) {
  D2 c[5];
  designPair(type, D2(static_cast<double>(omega)), q, c);
  for (int k = 0; k < 5; ++k) coefficients[k] = c[k].lo();
}

void designFilters(Voice& v) {
  const RateConstants& rc = *v.rates;
  FilterStage& f = v.filter;
  const float env1 = v.filter1Env.output, env2 = v.filter2Env.output;

  f.cutoff1 = v.p(kFilter1FreqLow) + (v.p(kFilter1FreqHigh) - v.p(kFilter1FreqLow)) * env1;
  f.reso1 = v.p(kFilter1ResoLow) + (v.p(kFilter1ResoHigh) - v.p(kFilter1ResoLow)) * env1;
  f.cutoff2 = v.p(kFilter2FreqLow) + (v.p(kFilter2FreqHigh) - v.p(kFilter2FreqLow)) * env2;
  f.reso2 = v.p(kFilter2ResoLow) + (v.p(kFilter2ResoHigh) - v.p(kFilter2ResoLow)) * env2;
  // Factors of the four lanes, two lanes at a time: the envelope-driven K of each filter and
  // the LFO factors (Filtre1 lanes with opposite sign to Filtre2's).
  const D2 k = fastExp2(D2(10.f * f.cutoff1 - 1.f, 10.f * f.cutoff2 - 1.f));
  const float k1 = static_cast<float>(k.lo()), k2 = static_cast<float>(k.hi());

  // Each chain's filters track the other chain's pitch; "WaveTable" filters a fixed 220 Hz.
  const bool fixedPitch = v.mode == OscMode::WaveTable;
  const float refL = fixedPitch ? kWaveTableFilterPitch : v.freqR;
  const float refR = fixedPitch ? kWaveTableFilterPitch : v.freqL;
  const float lfo1 = v.p(kFilter1Lfo), lfo2 = v.p(kFilter2Lfo);
  const float cosine = v.lfo.cosine, sine = v.lfo.sine;
  const D2 byCosine = fastExp2(D2(-lfo1 * cosine, lfo2 * cosine));
  const D2 bySine = fastExp2(D2(-lfo1 * sine, lfo2 * sine));
  const F4 lfoFactor = _mm_movelh_ps(_mm_cvtpd_ps(byCosine.v), _mm_cvtpd_ps(bySine.v));
  const F4 cutoffHz = lfoFactor * F4(k1, k2, k1, k2) * F4(refL, refL, refR, refR);
  // Negative cutoffs (only from extreme settings) design as 0 Hz rather than blowing up.
  const F4 omega = clamp(cutoffHz * rc.twoPiOverSr4, F4::zero(), F4(kMaxOmega));
  const float q1 = 9.5f * (f.reso1 * f.reso1) + 0.5f;
  const float q2 = 9.5f * (f.reso2 * f.reso2) + 0.5f;

  // Lanes 0, 2 (Filtre1) and 1, 3 (Filtre2) as double pairs.
  const D2 omega1 = _mm_cvtps_pd(shuffle<0, 2, 0, 2>(omega).v);
  const D2 omega2 = _mm_cvtps_pd(shuffle<1, 3, 1, 3>(omega).v);
  D2 c1[5], c2[5];
  designPair(f.type1, omega1, q1, c1);
  designPair(f.type2, omega2, q2, c2);
  auto column = [&](int k) { return interleaveLanes(c1[k], c2[k]); };

  // Drive, level and pan follow their targets at control rate; the amplitude envelope acts on
  // the input of the second saturator.
  FilterLanes& lanes = f.lanes;
  f.od1Smooth += (v.overdrive1 - f.od1Smooth) * kOverdriveSmoothing;
  f.od2Smooth += (v.overdrive2 - f.od2Smooth) * kOverdriveSmoothing;
  const float od2 = f.od2Smooth * v.ampEnv.output;
  lanes.drive.toward(F4(f.od1Smooth, od2, f.od1Smooth, od2), rc.crOverSr4);
  f.gainSmooth += (v.gain - f.gainSmooth) * kGainSmoothing;
  lanes.level = F4(1.f, f.gainSmooth, 1.f, f.gainSmooth);
  const float g = v.gain;
  const F4 panTarget(f.panCos * kDirectMix * g, f.panCos * kCrossMix * g, f.panSin * kCrossMix * g,
                     f.panSin * kDirectMix * g);
  lanes.panGain += (panTarget - lanes.panGain) * F4(kPanSmoothing);

  lanes.b0.toward(column(0), rc.crOverSr4);
  lanes.b1.toward(column(1), rc.crOverSr4);
  lanes.b2.toward(column(2), rc.crOverSr4);
  lanes.a1n.toward(column(3), rc.crOverSr4);
  lanes.a2n.toward(column(4), rc.crOverSr4);
  lanes.z1 = clamp(lanes.z1, F4(-kStateBound), F4(kStateBound));
  lanes.z2 = clamp(lanes.z2, F4(-kStateBound), F4(kStateBound));
}

}  // namespace orvalis
