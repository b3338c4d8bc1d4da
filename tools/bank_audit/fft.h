// Magnitude spectrum of a Hann-windowed frame (radix-2, size a power of two).
#pragma once

#include <cstddef>
#include <vector>

namespace orvalis::tools::audit {

// frame.size() must be a power of two; returns frame.size() / 2 + 1 magnitudes.
std::vector<float> magnitudeSpectrum(const std::vector<float>& frame);

// A mono frame of size n starting at from, zero beyond the end of the signal.
std::vector<float> monoFrame(const std::vector<float>& left, const std::vector<float>& right,
                             std::size_t from, std::size_t n);

}  // namespace orvalis::tools::audit
