// Flush-to-zero and denormals-are-zero for the audio work: decaying states would otherwise fall
// into denormal numbers and slow every voice down. The host's thread gets its own mode back on
// every exit, so its DSP and GUI code compute as they did.
#pragma once

#include <xmmintrin.h>

namespace orvalis::engine {

// Added where a state decays toward zero, so that it settles on a normal number instead; far
// below anything audible (-400 dB).
constexpr float kDenormalGuard = 1e-20f;

class ScopedFlushToZero {
 public:
  ScopedFlushToZero() : saved(_mm_getcsr()) { _mm_setcsr(saved | kFlushToZeroAndDenormalsAreZero); }
  ~ScopedFlushToZero() { _mm_setcsr(saved); }
  ScopedFlushToZero(const ScopedFlushToZero&) = delete;
  ScopedFlushToZero& operator=(const ScopedFlushToZero&) = delete;

 private:
  static constexpr unsigned kFlushToZeroAndDenormalsAreZero = 0x8040;  // MXCSR bits 15 and 6
  unsigned saved;
};

}  // namespace orvalis::engine
