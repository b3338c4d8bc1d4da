// Millisecond tick count and sleep for the editor's idle pump.
#pragma once

#include <cstdint>
#if defined(_WIN32)
#include <windows.h>
#else
#include <time.h>
#endif

namespace orvalis::vst2 {

#if defined(_WIN32)
inline uint32_t tickCountMs() { return GetTickCount(); }
inline void sleepMs(uint32_t ms) { Sleep(ms); }
#else
inline uint32_t tickCountMs() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<uint32_t>(static_cast<uint64_t>(t.tv_sec) * 1000u + t.tv_nsec / 1000000);
}
inline void sleepMs(uint32_t ms) {
  timespec t = {static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  nanosleep(&t, nullptr);
}
#endif

}  // namespace orvalis::vst2
