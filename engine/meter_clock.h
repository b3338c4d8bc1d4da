// The monotonic clock of the processing-load meter: the performance counter on Windows,
// CLOCK_MONOTONIC elsewhere.
#pragma once

#include <cstdint>

namespace orvalis::engine {

int64_t meterTicks();
int64_t meterTicksPerSecond();

}  // namespace orvalis::engine
