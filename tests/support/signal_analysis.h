// Measurements on rendered audio for tests.
#pragma once

#include <cstddef>
#include <vector>

namespace orvalis::tests {

float peak(const std::vector<float>& x, std::size_t from = 0,
           std::size_t to = static_cast<std::size_t>(-1));
double rms(const std::vector<float>& x, std::size_t from = 0,
           std::size_t to = static_cast<std::size_t>(-1));
bool allFinite(const std::vector<float>& x);
// Index of the first sample whose magnitude exceeds the threshold, or -1.
long firstAbove(const std::vector<float>& x, float threshold);
// The strongest periodicity between minHz and maxHz, by normalised autocorrelation.
double fundamentalHz(const std::vector<float>& x, double sampleRate, double minHz, double maxHz,
                     std::size_t from = 0, std::size_t length = 8192);
// Magnitude of the frequency component f (single-bin DFT with a Hann window).
double magnitudeAt(const std::vector<float>& x, double sampleRate, double f, std::size_t from,
                   std::size_t length);

}  // namespace orvalis::tests
