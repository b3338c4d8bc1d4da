// What the double-precision vectors D2 (SSE2) and D4 (AVX) share: a plain double on either side
// of an operator, and the sine and cosine kernels. A vector type takes part by declaring
// `static constexpr bool kDoubleLanes = true` and its own +, -, *, / and a broadcast constructor.
#pragma once

#include <type_traits>

#include "engine/simd4.h"

namespace orvalis::engine {

template <class D>
using DoubleLanes = std::enable_if_t<D::kDoubleLanes, D>;

template <class D>
ORVALIS_INLINE DoubleLanes<D> operator+(D a, double b) {
  return a + D(b);
}
template <class D>
ORVALIS_INLINE DoubleLanes<D> operator-(D a, double b) {
  return a - D(b);
}
template <class D>
ORVALIS_INLINE DoubleLanes<D> operator*(D a, double b) {
  return a * D(b);
}
template <class D>
ORVALIS_INLINE DoubleLanes<D> operator+(double a, D b) {
  return D(a) + b;
}
template <class D>
ORVALIS_INLINE DoubleLanes<D> operator-(double a, D b) {
  return D(a) - b;
}
template <class D>
ORVALIS_INLINE DoubleLanes<D> operator*(double a, D b) {
  return D(a) * b;
}
template <class D>
ORVALIS_INLINE DoubleLanes<D> operator/(double a, D b) {
  return D(a) / b;
}

// x less kd quarter turns, with pi/2 in two parts so that the remainder keeps its precision.
template <class D>
ORVALIS_INLINE DoubleLanes<D> lessQuarterTurns(D x, D kd) {
  return (x - kd * 1.57079632673412561417) - kd * 6.07710050650619224932e-11;
}

// The classic minimax sine and cosine kernels on [-pi/4, pi/4].
template <class D>
ORVALIS_INLINE void sinCosKernels(DoubleLanes<D> r, D& s, D& c) {
  const D z = r * r;
  s = r + r * z *
              (-1.66666666666666324348e-01 +
               z * (8.33333333332248946124e-03 +
                    z * (-1.98412698298579493134e-04 +
                         z * (2.75573137070700676789e-06 + z * (-2.50507602534068634195e-08 +
                                                                z * 1.58969099521155010221e-10)))));
  c = 1.0 - 0.5 * z +
      z * z *
          (4.16666666666666019037e-02 +
           z * (-1.38888888888741095749e-03 +
                z * (2.48015872894767294178e-05 +
                     z * (-2.75573143513906633035e-07 +
                          z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11)))));
}

}  // namespace orvalis::engine
