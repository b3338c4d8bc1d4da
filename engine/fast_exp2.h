// The engine's own 2^x: the degree-5 Taylor polynomial of e^b with b = x ln 2, evaluated in
// double precision and stored as a float. It is not an exact power (fastExp2(9) is about 209,
// not 512); the pitch and cutoff ranges of the instrument follow from the polynomial.
#pragma once

#include "engine/double2.h"

namespace orvalis {

namespace fast_exp2_detail {
constexpr double kLn2 = 0.6931471805599453094;
constexpr double kThird = 0.33333f;  // the float 0.3333300054
}  // namespace fast_exp2_detail

inline float fastExp2(float x) {
  using namespace fast_exp2_detail;
  const double b = static_cast<double>(x) * kLn2;
  return static_cast<float>(1 +
                            b * (1 + 0.5 * b * (1 + kThird * b * (1 + 0.25 * b * (1 + 0.2 * b)))));
}

// The same polynomial on two lanes; each result is rounded to float as the scalar one is.
inline D2 fastExp2(D2 x) {
  using namespace fast_exp2_detail;
  const D2 b = x * kLn2;
  const D2 p = 1.0 + b * (1.0 + 0.5 * b * (1.0 + kThird * b * (1.0 + 0.25 * b * (1.0 + 0.2 * b))));
  return _mm_cvtps_pd(_mm_cvtpd_ps(p.v));
}

}  // namespace orvalis
