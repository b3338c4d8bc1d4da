#include "engine/filters.h"

#include <cmath>

#include "engine/fast_exp2.h"
#include "engine/voice.h"
#include "params/parameter_table.h"

using namespace params;

FilterType filterTypeOf(float v) {
  if (v < 0.2f) return kFlat;
  if (v < 0.4f) return kLowPass;
  if (v < 0.6f) return kEq;
  if (v < 0.8f) return kShelving;
  return kHighPass;
}

void designBiquad(FilterType type, float omega, float q, double c[5]) {
  const double w = omega, Q = q;
  const double co = std::cos(w), si = std::sin(w);
  switch (type) {
    case kEq: {
      // Peaking section of fixed bandwidth: gain A^2 at omega, 1 far from it.
      const double A = Q - 0.4;
      const double beta = 0.25158313 * si;
      const double n = 1.0 / (1.0 + beta / A);
      c[0] = (1.0 + beta * A) * n;
      c[1] = -2.0 * co * n;
      c[2] = (1.0 - beta * A) * n;
      c[3] = 2.0 * co * n;
      c[4] = (beta / A - 1.0) * n;
      return;
    }
    case kShelving: {
      // The cookbook low shelf evaluated at pi - omega: a high shelf, 1 at low frequencies and
      // A^2 at half the sample rate.
      const double A = 0.4 * (Q - 0.4);
      const double wm = 3.1415927 - w;
      const double cm = std::cos(wm), sm = std::sin(wm);
      const double m = A - 1.0, P = A + 1.0;
      const double gamma = sm * std::sqrt(A * A + 1.0 - m * m);
      const double D = P + cm * m, N = P - cm * m;
      const double n = 1.0 / (D + gamma);
      c[0] = (N + gamma) * A * n;
      c[1] = -2.0 * (m - cm * P) * A * n;
      c[2] = (N - gamma) * A * n;
      c[3] = -2.0 * (cm * P + m) * n;
      c[4] = -(D - gamma) * n;
      return;
    }
    default: {
      // 0.101321176 is 1/pi^2: widens alpha toward high frequencies.
      const double x = 0.5 / Q;
      const double alpha = si * x * (1.0 + 0.101321176 * x * x);
      const double n = 1.0 / (1.0 + alpha);
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
        const double k = (alpha - 1.0) / (alpha + 1.0);
        c[0] = -k;
        c[1] = -co * (1.0 - k);
        c[2] = 1.0;
        c[3] = co * (1.0 - k);
        c[4] = k;
      }
      return;
    }
  }
}

void designFilters(Voice& v) {
  const RateConstants& rc = *v.rates;
  FilterStage& f = v.filter;
  const float env1 = v.filter1Env.output, env2 = v.filter2Env.output;

  f.cutoff1 = v.p(kFilter1FreqLow) + (v.p(kFilter1FreqHigh) - v.p(kFilter1FreqLow)) * env1;
  f.reso1 = v.p(kFilter1ResoLow) + (v.p(kFilter1ResoHigh) - v.p(kFilter1ResoLow)) * env1;
  f.cutoff2 = v.p(kFilter2FreqLow) + (v.p(kFilter2FreqHigh) - v.p(kFilter2FreqLow)) * env2;
  f.reso2 = v.p(kFilter2ResoLow) + (v.p(kFilter2ResoHigh) - v.p(kFilter2ResoLow)) * env2;
  const float k1 = fastExp2(10.f * f.cutoff1 - 1.f);
  const float k2 = fastExp2(10.f * f.cutoff2 - 1.f);

  // Each chain's filters track the other chain's pitch; "WaveTable" filters a fixed 220 Hz.
  const float refL = v.mode == 5 ? 220.f : v.freqR;
  const float refR = v.mode == 5 ? 220.f : v.freqL;
  const float lfo1 = v.p(kFilter1Lfo), lfo2 = v.p(kFilter2Lfo);
  const float cosine = v.lfo.cosine, sine = v.lfo.sine;
  const F4 cutoffHz(fastExp2(-lfo1 * cosine) * k1 * refL, fastExp2(lfo2 * cosine) * k2 * refL,
                    fastExp2(-lfo1 * sine) * k1 * refR, fastExp2(lfo2 * sine) * k2 * refR);
  // Negative cutoffs (only from extreme settings) design as 0 Hz rather than blowing up.
  const F4 omega = clamp(cutoffHz * rc.twoPiOverSr4, F4::zero(), F4(3.0f));
  const float q1 = 9.5f * (f.reso1 * f.reso1) + 0.5f;
  const float q2 = 9.5f * (f.reso2 * f.reso2) + 0.5f;

  alignas(16) float w[4];
  store(w, omega);
  double lane[4][5];
  designBiquad(f.type1, w[0], q1, lane[0]);
  designBiquad(f.type2, w[1], q2, lane[1]);
  designBiquad(f.type1, w[2], q1, lane[2]);
  designBiquad(f.type2, w[3], q2, lane[3]);
  auto column = [&](int k) { return F4(lane[0][k], lane[1][k], lane[2][k], lane[3][k]); };

  // Drive, level and pan follow their targets at control rate; the amplitude envelope acts on
  // the input of the second saturator.
  f.od1Smooth += (v.overdrive1 - f.od1Smooth) * 0.05f;
  f.od2Smooth += (v.overdrive2 - f.od2Smooth) * 0.05f;
  const float od2 = f.od2Smooth * v.ampEnv.output;
  f.drive.toward(F4(f.od1Smooth, od2, f.od1Smooth, od2), rc.crOverSr4);
  f.gainSmooth += (v.gain - f.gainSmooth) * 0.003f;
  f.level = F4(1.f, f.gainSmooth, 1.f, f.gainSmooth);
  const float g = v.gain;
  const F4 panTarget(f.panCos * 0.9f * g, f.panCos * 0.100000024f * g, f.panSin * 0.100000024f * g,
                     f.panSin * 0.9f * g);
  f.panGain += (panTarget - f.panGain) * F4(0.01f);

  f.b0.toward(column(0), rc.crOverSr4);
  f.b1.toward(column(1), rc.crOverSr4);
  f.b2.toward(column(2), rc.crOverSr4);
  f.a1n.toward(column(3), rc.crOverSr4);
  f.a2n.toward(column(4), rc.crOverSr4);
  f.z1 = clamp(f.z1, F4(-8.f), F4(8.f));
  f.z2 = clamp(f.z2, F4(-8.f), F4(8.f));
}
