#include "engine/cpu_features.h"

#include <cpuid.h>

namespace orvalis::engine {

bool cpuRunsAvx2Fma() {
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  if (!(c & bit_AVX) || !(c & bit_FMA) || !(c & bit_OSXSAVE)) return false;
  // XCR0 bits 1 and 2: the operating system saves the SSE and the upper AVX state.
  unsigned xcr0, xcr0High;
  __asm__("xgetbv" : "=a"(xcr0), "=d"(xcr0High) : "c"(0));
  if ((xcr0 & 6) != 6) return false;
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
  return b & bit_AVX2;
}

}  // namespace orvalis::engine
