// A 4-lane double-precision vector over AVX for the control-rate filter design: the same
// operations as D2 (double2.h) on twice the lanes, so every lane's result is bit for bit the one
// D2 gives. Only the AVX translation unit includes it.
#pragma once

#include <immintrin.h>

#include "engine/double_lanes.h"

namespace orvalis::engine {

struct D4 {
  static constexpr bool kDoubleLanes = true;
  __m256d v;

  D4() = default;
  ORVALIS_INLINE D4(__m256d x) : v(x) {}
  ORVALIS_INLINE explicit D4(double x) : v(_mm256_set1_pd(x)) {}

  static constexpr int kLanes = 4;
  static ORVALIS_INLINE D4 load(const double* p) { return _mm256_loadu_pd(p); }
  // Four floats widened.
  static ORVALIS_INLINE D4 fromFloats(const float* p) { return _mm256_cvtps_pd(_mm_loadu_ps(p)); }
};

ORVALIS_INLINE D4 operator+(D4 a, D4 b) { return _mm256_add_pd(a.v, b.v); }
ORVALIS_INLINE D4 operator-(D4 a, D4 b) { return _mm256_sub_pd(a.v, b.v); }
ORVALIS_INLINE D4 operator*(D4 a, D4 b) { return _mm256_mul_pd(a.v, b.v); }
ORVALIS_INLINE D4 operator/(D4 a, D4 b) { return _mm256_div_pd(a.v, b.v); }
ORVALIS_INLINE D4 operator-(D4 a) { return _mm256_xor_pd(a.v, _mm256_set1_pd(-0.0)); }
ORVALIS_INLINE D4 sqrt(D4 a) { return _mm256_sqrt_pd(a.v); }

// The four lanes rounded to float.
ORVALIS_INLINE F4 toFloats(D4 a) { return _mm256_cvtpd_ps(a.v); }
// The four lanes rounded to float, stored at p[0..3].
ORVALIS_INLINE void storeFloats(float* p, D4 a) { _mm_storeu_ps(p, _mm256_cvtpd_ps(a.v)); }

// The sine and cosine of D2's sinCos, lane by lane: the same reduction and kernels.
ORVALIS_INLINE void sinCos(D4 x, D4& sine, D4& cosine) {
  const __m256d q = _mm256_mul_pd(x.v, _mm256_set1_pd(0.63661977236758134308));  // 2/pi
  const __m128i k = _mm256_cvtpd_epi32(q);
  const D4 kd = _mm256_cvtepi32_pd(k);
  D4 s, c;
  sinCosKernels(lessQuarterTurns(x, kd), s, c);

  // Quadrant k: (sin, cos) = (s, c), (c, -s), (-s, -c), (-c, s).
  const __m256i k64 = _mm256_cvtepi32_epi64(k);
  const __m256i one = _mm256_set1_epi64x(1), two = _mm256_set1_epi64x(2);
  const __m256d swap = _mm256_castsi256_pd(_mm256_cmpeq_epi64(_mm256_and_si256(k64, one), one));
  const __m256d negSin = _mm256_castsi256_pd(_mm256_slli_epi64(_mm256_and_si256(k64, two), 62));
  const __m256d negCos =
      _mm256_castsi256_pd(_mm256_slli_epi64(_mm256_and_si256(_mm256_add_epi64(k64, one), two), 62));
  const __m256d sinPart = _mm256_blendv_pd(s.v, c.v, swap);
  const __m256d cosPart = _mm256_blendv_pd(c.v, s.v, swap);
  sine = _mm256_xor_pd(sinPart, negSin);
  cosine = _mm256_xor_pd(cosPart, negCos);
}

}  // namespace orvalis::engine
