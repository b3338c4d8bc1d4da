// A 4-lane single-precision vector over SSE2, with the operators the voice kernels use, so a
// kernel reads like the formula it computes.
//
// min and max keep the SSE rule "if either operand is NaN, the second is returned": clamp(x,
// lo, hi) therefore maps a NaN x to lo. The saturator and the state clamps rely on this to
// turn any non-finite value back into a bounded one.
#pragma once

#include <emmintrin.h>

namespace orvalis {

struct F4 {
  __m128 v;

  F4() = default;
  F4(__m128 x) : v(x) {}
  explicit F4(float x) : v(_mm_set1_ps(x)) {}
  F4(float a, float b, float c, float d) : v(_mm_setr_ps(a, b, c, d)) {}

  static F4 zero() { return _mm_setzero_ps(); }

  float operator[](int i) const {
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, v);
    return lanes[i & 3];
  }
  float lane0() const { return _mm_cvtss_f32(v); }

  F4& operator+=(F4 b) {
    v = _mm_add_ps(v, b.v);
    return *this;
  }
  F4& operator-=(F4 b) {
    v = _mm_sub_ps(v, b.v);
    return *this;
  }
  F4& operator*=(F4 b) {
    v = _mm_mul_ps(v, b.v);
    return *this;
  }
};

inline F4 operator+(F4 a, F4 b) { return _mm_add_ps(a.v, b.v); }
inline F4 operator-(F4 a, F4 b) { return _mm_sub_ps(a.v, b.v); }
inline F4 operator*(F4 a, F4 b) { return _mm_mul_ps(a.v, b.v); }
inline F4 operator/(F4 a, F4 b) { return _mm_div_ps(a.v, b.v); }
inline F4 operator+(F4 a, float b) { return a + F4(b); }
inline F4 operator-(F4 a, float b) { return a - F4(b); }
inline F4 operator*(F4 a, float b) { return a * F4(b); }
inline F4 operator+(float a, F4 b) { return F4(a) + b; }
inline F4 operator-(float a, F4 b) { return F4(a) - b; }
inline F4 operator*(float a, F4 b) { return F4(a) * b; }

inline F4 min(F4 a, F4 b) { return _mm_min_ps(a.v, b.v); }
inline F4 max(F4 a, F4 b) { return _mm_max_ps(a.v, b.v); }
inline F4 clamp(F4 x, F4 lo, F4 hi) { return min(max(x, lo), hi); }

// Comparison masks: all bits set in the lanes where the relation holds.
inline F4 operator>(F4 a, F4 b) { return _mm_cmpgt_ps(a.v, b.v); }
inline F4 operator<(F4 a, F4 b) { return _mm_cmplt_ps(a.v, b.v); }
inline F4 operator==(F4 a, F4 b) { return _mm_cmpeq_ps(a.v, b.v); }

inline F4 operator&(F4 mask, F4 a) { return _mm_and_ps(mask.v, a.v); }
inline F4 andNot(F4 mask, F4 a) { return _mm_andnot_ps(mask.v, a.v); }
// Lane-wise mask ? a : b.
inline F4 select(F4 mask, F4 a, F4 b) {
  return _mm_or_ps(_mm_and_ps(mask.v, a.v), _mm_andnot_ps(mask.v, b.v));
}

// [x1, x2, x3, 0]: the lane-sum shift register moves every lane down by one.
inline F4 shiftDown(F4 x) { return _mm_castsi128_ps(_mm_srli_si128(_mm_castps_si128(x.v), 4)); }

// Lane shuffles by index, lane 0 of the result first.
template <int A, int B, int C, int D>
inline F4 shuffle(F4 x) {
  return _mm_shuffle_ps(x.v, x.v, _MM_SHUFFLE(D, C, B, A));
}
// [a0, a1, b0, b1]
inline F4 lowHalves(F4 a, F4 b) { return _mm_movelh_ps(a.v, b.v); }
// [a0, b0, a1, b1]
inline F4 interleaveLow(F4 a, F4 b) { return _mm_unpacklo_ps(a.v, b.v); }
// [a2, a3, ...]
inline F4 highHalf(F4 a) { return _mm_movehl_ps(a.v, a.v); }

inline void store(float* dst, F4 x) { _mm_storeu_ps(dst, x.v); }

}  // namespace orvalis
