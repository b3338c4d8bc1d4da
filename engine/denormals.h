// Flush-to-zero and denormals-are-zero for the calling thread: decaying states would otherwise
// fall into denormal numbers and slow every voice down.
#pragma once

#include <xmmintrin.h>

inline void enableFlushToZero() { _mm_setcsr(_mm_getcsr() | 0x8040); }
