// A 4-lane single-precision vector over SSE2, with the operators the voice kernels use, so a
// kernel reads like the formula it computes. The kernels are written once for this type and
// for the 8-lane F8 (simd8.h); the fused forms (mulAdd, ...) are two rounded operations here,
// in exactly the order the formula names them, so the SSE2 path computes what it always has.
//
// min and max keep the SSE rule "if either operand is NaN, the second is returned": clamp(x,
// lo, hi) therefore maps a NaN x to lo. The saturator and the state clamps rely on this to
// turn any non-finite value back into a bounded one.
//
// Every function is forced inline: the AVX kernels include this header too, and an out-of-line
// copy compiled there could be picked by the linker for SSE2 code.
#pragma once

#include <emmintrin.h>

#define ORVALIS_INLINE inline __attribute__((always_inline))

namespace orvalis::engine {

struct F4 {
  __m128 v;

  F4() = default;
  ORVALIS_INLINE F4(__m128 x) : v(x) {}
  ORVALIS_INLINE explicit F4(float x) : v(_mm_set1_ps(x)) {}
  ORVALIS_INLINE F4(float a, float b, float c, float d) : v(_mm_setr_ps(a, b, c, d)) {}

  static ORVALIS_INLINE F4 zero() { return _mm_setzero_ps(); }
  // Aligned, for the loops written over the vector type.
  static constexpr int kLanes = 4;
  static ORVALIS_INLINE F4 load(const float* p) { return _mm_load_ps(p); }
  ORVALIS_INLINE void store(float* p) const { _mm_store_ps(p, v); }

  ORVALIS_INLINE float operator[](int i) const {
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, v);
    return lanes[i & 3];
  }
  ORVALIS_INLINE float lane0() const { return _mm_cvtss_f32(v); }

  ORVALIS_INLINE F4& operator+=(F4 b) {
    v = _mm_add_ps(v, b.v);
    return *this;
  }
  ORVALIS_INLINE F4& operator-=(F4 b) {
    v = _mm_sub_ps(v, b.v);
    return *this;
  }
  ORVALIS_INLINE F4& operator*=(F4 b) {
    v = _mm_mul_ps(v, b.v);
    return *this;
  }
};

ORVALIS_INLINE F4 operator+(F4 a, F4 b) { return _mm_add_ps(a.v, b.v); }
ORVALIS_INLINE F4 operator-(F4 a, F4 b) { return _mm_sub_ps(a.v, b.v); }
ORVALIS_INLINE F4 operator*(F4 a, F4 b) { return _mm_mul_ps(a.v, b.v); }
ORVALIS_INLINE F4 operator/(F4 a, F4 b) { return _mm_div_ps(a.v, b.v); }
ORVALIS_INLINE F4 operator+(F4 a, float b) { return a + F4(b); }
ORVALIS_INLINE F4 operator-(F4 a, float b) { return a - F4(b); }
ORVALIS_INLINE F4 operator*(F4 a, float b) { return a * F4(b); }
ORVALIS_INLINE F4 operator+(float a, F4 b) { return F4(a) + b; }
ORVALIS_INLINE F4 operator-(float a, F4 b) { return F4(a) - b; }
ORVALIS_INLINE F4 operator*(float a, F4 b) { return F4(a) * b; }

// a b + c, c - a b, a b - c, and a b + c d + e, each as its separate rounded steps.
ORVALIS_INLINE F4 mulAdd(F4 a, F4 b, F4 c) { return a * b + c; }
ORVALIS_INLINE F4 negMulAdd(F4 a, F4 b, F4 c) { return c - a * b; }
ORVALIS_INLINE F4 mulSub(F4 a, F4 b, F4 c) { return a * b - c; }
ORVALIS_INLINE F4 sumOfProducts(F4 a, F4 b, F4 c, F4 d, F4 e) { return (a * b + c * d) + e; }
// (a b + 1) x, in that order.
ORVALIS_INLINE F4 onePlusProductTimes(F4 a, F4 b, F4 x) { return mulAdd(a, b, F4(1.f)) * x; }

ORVALIS_INLINE F4 min(F4 a, F4 b) { return _mm_min_ps(a.v, b.v); }
ORVALIS_INLINE F4 max(F4 a, F4 b) { return _mm_max_ps(a.v, b.v); }
ORVALIS_INLINE F4 clamp(F4 x, F4 lo, F4 hi) { return min(max(x, lo), hi); }

// Comparison masks: all bits set in the lanes where the relation holds.
ORVALIS_INLINE F4 operator>(F4 a, F4 b) { return _mm_cmpgt_ps(a.v, b.v); }
ORVALIS_INLINE F4 operator<(F4 a, F4 b) { return _mm_cmplt_ps(a.v, b.v); }
ORVALIS_INLINE F4 operator==(F4 a, F4 b) { return _mm_cmpeq_ps(a.v, b.v); }

ORVALIS_INLINE F4 operator&(F4 mask, F4 a) { return _mm_and_ps(mask.v, a.v); }
ORVALIS_INLINE F4 andNot(F4 mask, F4 a) { return _mm_andnot_ps(mask.v, a.v); }
// Lane-wise mask ? a : b.
ORVALIS_INLINE F4 select(F4 mask, F4 a, F4 b) {
  return _mm_or_ps(_mm_and_ps(mask.v, a.v), _mm_andnot_ps(mask.v, b.v));
}
// x - c in the lanes of mask, x in the others.
ORVALIS_INLINE F4 subtractWhere(F4 mask, F4 x, F4 c) { return x - (mask & c); }

// [x1, x2, x3, 0]: the lane-sum shift register moves every lane down by one.
ORVALIS_INLINE F4 shiftDown(F4 x) {
  return _mm_castsi128_ps(_mm_srli_si128(_mm_castps_si128(x.v), 4));
}

// Lane shuffles by index, lane 0 of the result first.
template <int A, int B, int C, int D>
ORVALIS_INLINE F4 shuffle(F4 x) {
  return _mm_shuffle_ps(x.v, x.v, _MM_SHUFFLE(D, C, B, A));
}
// [a0, b0, a1, b1]
ORVALIS_INLINE F4 interleaveLow(F4 a, F4 b) { return _mm_unpacklo_ps(a.v, b.v); }

ORVALIS_INLINE F4 load4(const float* p) { return _mm_load_ps(p); }
ORVALIS_INLINE void store4(float* p, F4 x) { _mm_store_ps(p, x.v); }

}  // namespace orvalis::engine
