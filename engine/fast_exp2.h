// The engine's own 2^x: the degree-5 Taylor polynomial of e^b with b = x ln 2, evaluated in
// double precision and stored as a float. It is not an exact power (fastExp2(9) is about 209,
// not 512); the pitch and cutoff ranges of the instrument follow from the polynomial.
#pragma once

#include "engine/double2.h"

namespace orvalis::engine {

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

// The same polynomial on the lanes of a double vector (D2, D4), each lane computing exactly what
// the scalar form does before its rounding to float.
template <class D>
ORVALIS_INLINE DoubleLanes<D> fastExp2Unrounded(D x) {
  using namespace fast_exp2_detail;
  const D b = x * kLn2;
  return 1.0 + b * (1.0 + 0.5 * b * (1.0 + kThird * b * (1.0 + 0.25 * b * (1.0 + 0.2 * b))));
}

// Two lanes; each result is rounded to float as the scalar one is.
inline D2 fastExp2(D2 x) { return _mm_cvtps_pd(toFloats(fastExp2Unrounded(x)).v); }

// fastExp2 of count values in place, D's lanes side by side: the control tick's exponents of all
// voices at once, each result the float the scalar form gives. values holds count rounded up to
// a multiple of kMaxExpLanes, the values past count finite (they are computed and overwritten).
constexpr int kMaxExpLanes = 4;
template <class D>
ORVALIS_INLINE void fastExp2Batch(float* values, int count) {
  for (int i = 0; i < count; i += D::kLanes)
    storeFloats(values + i, fastExp2Unrounded(D::fromFloats(values + i)));
}

}  // namespace orvalis::engine
