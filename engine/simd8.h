// An 8-lane single-precision vector over AVX2 and FMA: two groups of four lanes side by side,
// bank L and bank R of one voice, or the filter lanes of two voices. It has the operators of F4
// (simd4.h), so the kernels are written once for both; every lane pattern (shiftDown, shuffle,
// interleaveLow) acts within each group of four, as it does on F4. The fused forms round once.
//
// Only the AVX translation unit includes this header, and it is compiled for AVX2 and FMA; the
// other code never reaches these instructions unless the processor has them.
#pragma once

#include <immintrin.h>

#include "engine/simd4.h"

namespace orvalis::engine {

struct F8 {
  __m256 v;

  F8() = default;
  ORVALIS_INLINE F8(__m256 x) : v(x) {}
  ORVALIS_INLINE explicit F8(float x) : v(_mm256_set1_ps(x)) {}
  // The same four lanes in both groups.
  ORVALIS_INLINE F8(float a, float b, float c, float d)
      : v(_mm256_setr_ps(a, b, c, d, a, b, c, d)) {}
  // Group 0 from lo, group 1 from hi.
  ORVALIS_INLINE F8(F4 lo, F4 hi) : v(_mm256_set_m128(hi.v, lo.v)) {}

  static ORVALIS_INLINE F8 zero() { return _mm256_setzero_ps(); }
  static constexpr int kLanes = 8;
  static ORVALIS_INLINE F8 load(const float* p) { return _mm256_load_ps(p); }
  ORVALIS_INLINE void store(float* p) const { _mm256_store_ps(p, v); }

  ORVALIS_INLINE F4 lo() const { return _mm256_castps256_ps128(v); }
  ORVALIS_INLINE F4 hi() const { return _mm256_extractf128_ps(v, 1); }

  ORVALIS_INLINE F8& operator+=(F8 b) {
    v = _mm256_add_ps(v, b.v);
    return *this;
  }
};

ORVALIS_INLINE F8 operator+(F8 a, F8 b) { return _mm256_add_ps(a.v, b.v); }
ORVALIS_INLINE F8 operator-(F8 a, F8 b) { return _mm256_sub_ps(a.v, b.v); }
ORVALIS_INLINE F8 operator*(F8 a, F8 b) { return _mm256_mul_ps(a.v, b.v); }

// a b + c, c - a b, a b - c, a b + c d + e.
ORVALIS_INLINE F8 mulAdd(F8 a, F8 b, F8 c) { return _mm256_fmadd_ps(a.v, b.v, c.v); }
ORVALIS_INLINE F8 negMulAdd(F8 a, F8 b, F8 c) { return _mm256_fnmadd_ps(a.v, b.v, c.v); }
ORVALIS_INLINE F8 mulSub(F8 a, F8 b, F8 c) { return _mm256_fmsub_ps(a.v, b.v, c.v); }
ORVALIS_INLINE F8 sumOfProducts(F8 a, F8 b, F8 c, F8 d, F8 e) {
  return mulAdd(a, b, mulAdd(c, d, e));
}
// (a b + 1) x as a (b x) + x: the product b x forms beside a instead of after the sum, one
// multiply fewer on the chain to the result (the saturator's, which each sample's Filtre2 input
// waits for).
ORVALIS_INLINE F8 onePlusProductTimes(F8 a, F8 b, F8 x) { return mulAdd(a, b * x, x); }

// NaN rule as F4's: the second operand is returned.
ORVALIS_INLINE F8 min(F8 a, F8 b) { return _mm256_min_ps(a.v, b.v); }
ORVALIS_INLINE F8 max(F8 a, F8 b) { return _mm256_max_ps(a.v, b.v); }
ORVALIS_INLINE F8 clamp(F8 x, F8 lo, F8 hi) { return min(max(x, lo), hi); }

ORVALIS_INLINE F8 operator>(F8 a, F8 b) { return _mm256_cmp_ps(a.v, b.v, _CMP_GT_OQ); }
ORVALIS_INLINE F8 operator<(F8 a, F8 b) { return _mm256_cmp_ps(a.v, b.v, _CMP_LT_OQ); }

ORVALIS_INLINE F8 operator&(F8 mask, F8 a) { return _mm256_and_ps(mask.v, a.v); }
ORVALIS_INLINE F8 andNot(F8 mask, F8 a) { return _mm256_andnot_ps(mask.v, a.v); }
ORVALIS_INLINE F8 select(F8 mask, F8 a, F8 b) { return _mm256_blendv_ps(b.v, a.v, mask.v); }
// x - c in the lanes of mask, x in the others: the subtraction runs beside the comparison
// instead of after it (the phase accumulators wait on this chain every sample).
ORVALIS_INLINE F8 subtractWhere(F8 mask, F8 x, F8 c) { return select(mask, x - c, x); }

ORVALIS_INLINE F8 shiftDown(F8 x) {
  return _mm256_castsi256_ps(_mm256_srli_si256(_mm256_castps_si256(x.v), 4));
}

template <int A, int B, int C, int D>
ORVALIS_INLINE F8 shuffle(F8 x) {
  return _mm256_permute_ps(x.v, _MM_SHUFFLE(D, C, B, A));
}
ORVALIS_INLINE F8 interleaveLow(F8 a, F8 b) { return _mm256_unpacklo_ps(a.v, b.v); }

ORVALIS_INLINE F8 load8(const float* p) { return _mm256_load_ps(p); }
ORVALIS_INLINE void store8(float* p, F8 x) { _mm256_store_ps(p, x.v); }

}  // namespace orvalis::engine
