// What the processor and the operating system let the engine run.
#pragma once

namespace orvalis::engine {

// AVX2 and FMA, with the operating system saving the 256-bit registers across task switches.
bool cpuRunsAvx2Fma();

}  // namespace orvalis::engine
