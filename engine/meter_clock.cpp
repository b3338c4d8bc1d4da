#include "engine/meter_clock.h"

#if defined(_WIN32)
#include <windows.h>

namespace orvalis::engine {

int64_t meterTicks() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

int64_t meterTicksPerSecond() {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return f.QuadPart;
}
}  // namespace orvalis::engine
#else
#include <time.h>

namespace orvalis::engine {

int64_t meterTicks() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

int64_t meterTicksPerSecond() { return 1000000000; }

}  // namespace orvalis::engine
#endif
