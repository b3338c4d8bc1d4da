// A 2-lane double-precision vector over SSE2 for the control-rate filter design: Filtre1 of
// both chains (or Filtre2 of both) share their type and Q, so their coefficients are designed
// together, in double precision, and rounded to float once at the end.
#pragma once

#include <emmintrin.h>

#include "engine/double_lanes.h"

namespace orvalis::engine {

struct D2 {
  static constexpr bool kDoubleLanes = true;
  __m128d v;

  D2() = default;
  ORVALIS_INLINE D2(__m128d x) : v(x) {}
  ORVALIS_INLINE explicit D2(double x) : v(_mm_set1_pd(x)) {}
  ORVALIS_INLINE D2(double lo, double hi) : v(_mm_setr_pd(lo, hi)) {}

  static constexpr int kLanes = 2;
  static ORVALIS_INLINE D2 load(const double* p) { return _mm_loadu_pd(p); }
  // Two floats widened.
  static ORVALIS_INLINE D2 fromFloats(const float* p) {
    return _mm_cvtps_pd(_mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(p))));
  }

  ORVALIS_INLINE double lo() const { return _mm_cvtsd_f64(v); }
  ORVALIS_INLINE double hi() const { return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v)); }
};

ORVALIS_INLINE D2 operator+(D2 a, D2 b) { return _mm_add_pd(a.v, b.v); }
ORVALIS_INLINE D2 operator-(D2 a, D2 b) { return _mm_sub_pd(a.v, b.v); }
ORVALIS_INLINE D2 operator*(D2 a, D2 b) { return _mm_mul_pd(a.v, b.v); }
ORVALIS_INLINE D2 operator/(D2 a, D2 b) { return _mm_div_pd(a.v, b.v); }
ORVALIS_INLINE D2 operator-(D2 a) { return _mm_xor_pd(a.v, _mm_set1_pd(-0.0)); }
ORVALIS_INLINE D2 sqrt(D2 a) { return _mm_sqrt_pd(a.v); }

// The two lanes rounded to float, in lanes 0 and 1.
ORVALIS_INLINE F4 toFloats(D2 a) { return _mm_cvtpd_ps(a.v); }
// The two lanes rounded to float, stored at p[0], p[1].
ORVALIS_INLINE void storeFloats(float* p, D2 a) {
  _mm_store_sd(reinterpret_cast<double*>(p), _mm_castps_pd(_mm_cvtpd_ps(a.v)));
}

// Sine and cosine to within an ulp or so of the correctly rounded double (the results are
// stored as floats). Arguments are reduced by quarter turns with a two-part pi/2, then the
// classic minimax kernels on [-pi/4, pi/4] apply; exact for |x| up to about 1e5.
ORVALIS_INLINE void sinCos(D2 x, D2& sine, D2& cosine) {
  const __m128d q = _mm_mul_pd(x.v, _mm_set1_pd(0.63661977236758134308));  // 2/pi
  const __m128i k = _mm_cvtpd_epi32(q);  // round to nearest, quarter turn index in 2 lanes
  const D2 kd = _mm_cvtepi32_pd(k);
  D2 s, c;
  sinCosKernels(lessQuarterTurns(x, kd), s, c);

  // Quadrant k: (sin, cos) = (s, c), (c, -s), (-s, -c), (-c, s).
  const __m128i k64 = _mm_shuffle_epi32(k, _MM_SHUFFLE(1, 1, 0, 0));
  const __m128d swap =
      _mm_castsi128_pd(_mm_cmpeq_epi32(_mm_and_si128(k64, _mm_set1_epi32(1)), _mm_set1_epi32(1)));
  const __m128d negSin =
      _mm_castsi128_pd(_mm_slli_epi64(_mm_and_si128(k64, _mm_set1_epi32(2)), 62));
  const __m128d negCos = _mm_castsi128_pd(
      _mm_slli_epi64(_mm_and_si128(_mm_add_epi32(k64, _mm_set1_epi32(1)), _mm_set1_epi32(2)), 62));
  const __m128d sinPart = _mm_or_pd(_mm_and_pd(swap, c.v), _mm_andnot_pd(swap, s.v));
  const __m128d cosPart = _mm_or_pd(_mm_and_pd(swap, s.v), _mm_andnot_pd(swap, c.v));
  sine = _mm_xor_pd(sinPart, negSin);
  cosine = _mm_xor_pd(cosPart, negCos);
}

}  // namespace orvalis::engine
