// Golden renders: interleaved stereo float samples stored as little-endian 32-bit floats under
// tests/golden/<name>.f32. With ORVALIS_GOLDEN=record the check rewrites the file instead.
#pragma once

#include <string>
#include <vector>

namespace orvalis::tests {

// Bit-exact on the SSE2 path of the build the files were recorded with (native x86-64 g++);
// elsewhere (the AVX path, other compilers) within kGoldenMinSnrDb. The plug-in under test and
// this check choose their path by the same rule, at load.
constexpr double kGoldenMinSnrDb = 100.0;

void checkGolden(const std::string& name, const std::vector<float>& samples);

// Signal-to-noise ratio of a against the reference, in dB (infinite when equal).
double snrDb(const std::vector<float>& reference, const std::vector<float>& a);

}  // namespace orvalis::tests
