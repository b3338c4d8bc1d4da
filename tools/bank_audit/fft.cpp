#include "tools/bank_audit/fft.h"

#include <cmath>
#include <complex>

namespace orvalis::tools::audit {

std::vector<float> magnitudeSpectrum(const std::vector<float>& frame) {
  const std::size_t n = frame.size();
  std::vector<std::complex<double>> x(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double window = 0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(i) / n);
    x[i] = frame[i] * window;
  }
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(x[i], x[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const std::complex<double> step = std::polar(1.0, -2.0 * M_PI / static_cast<double>(len));
    for (std::size_t i = 0; i < n; i += len) {
      std::complex<double> w = 1.0;
      for (std::size_t k = 0; k < len / 2; ++k) {
        const std::complex<double> a = x[i + k], b = x[i + k + len / 2] * w;
        x[i + k] = a + b;
        x[i + k + len / 2] = a - b;
        w *= step;
      }
    }
  }
  std::vector<float> magnitude(n / 2 + 1);
  for (std::size_t k = 0; k < magnitude.size(); ++k)
    magnitude[k] = static_cast<float>(std::abs(x[k]));
  return magnitude;
}

std::vector<float> monoFrame(const std::vector<float>& left, const std::vector<float>& right,
                             std::size_t from, std::size_t n) {
  std::vector<float> frame(n, 0.f);
  for (std::size_t i = 0; i < n && from + i < left.size(); ++i)
    frame[i] = 0.5f * (left[from + i] + right[from + i]);
  return frame;
}

}  // namespace orvalis::tools::audit
