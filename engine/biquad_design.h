// The biquad designs of the five filter types over a vector of doubles, every lane with its
// own angle and Q (two lanes on SSE2, four on AVX). Every lane computes exactly what a scalar
// evaluation in double would, so the width changes nothing in the result.
#pragma once

#include "engine/filters.h"

namespace orvalis::engine {

// alpha / sin(omega) of the peaking section: its bandwidth, fixed.
constexpr double kEqBandwidth = 0.25158313;
// 1/pi^2 to nine digits: widens the cookbook alpha toward high frequencies.
constexpr double kAlphaWidening = 0.101321176;
// pi to eight digits; the shelf is the low shelf designed at this minus omega.
constexpr double kShelfMirror = 3.1415927;

// Coefficients b0, b1, b2, a1n, a2n of lanes of one type; each result lane is the double that
// rounds to the stored float.
template <class D>
ORVALIS_INLINE void designBiquads(FilterType type, D w, D Q, D c[5]) {
  D si, co;
  sinCos(w, si, co);
  switch (type) {
    case kEq: {
      // Peaking section of fixed bandwidth: gain A^2 at omega, 1 far from it.
      const D A = Q - 0.4;
      const D beta = kEqBandwidth * si;
      const D n = 1.0 / (1.0 + beta / A);
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
      const D A = 0.4 * (Q - 0.4);
      D sm, cm;
      sinCos(kShelfMirror - w, sm, cm);
      const D m = A - 1.0, P = A + 1.0;
      const D gamma = sm * sqrt(A * A + 1.0 - m * m);
      const D Dn = P + cm * m, N = P - cm * m;
      const D n = 1.0 / (Dn + gamma);
      c[0] = (N + gamma) * A * n;
      c[1] = -2.0 * (m - cm * P) * A * n;
      c[2] = (N - gamma) * A * n;
      c[3] = -2.0 * (cm * P + m) * n;
      c[4] = -(Dn - gamma) * n;
      return;
    }
    default: {
      const D x = 0.5 / Q;
      const D alpha = si * x * (1.0 + kAlphaWidening * x * x);
      if (type == kLowPass || type == kHighPass) {
        const D n = 1.0 / (1.0 + alpha);
        const D side = type == kLowPass ? 1.0 - co : 1.0 + co;
        c[0] = c[2] = 0.5 * side * n;
        c[1] = type == kLowPass ? side * n : (-1.0 - co) * n;
        c[3] = 2.0 * co * n;
        c[4] = -(1.0 - alpha) * n;
      } else {
        // Second-order all-pass.
        const D k = (alpha - 1.0) / (alpha + 1.0);
        c[0] = -k;
        c[1] = -co * (1.0 - k);
        c[2] = D(1.0);
        c[3] = co * (1.0 - k);
        c[4] = k;
      }
      return;
    }
  }
}

}  // namespace orvalis::engine
