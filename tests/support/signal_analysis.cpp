#include "tests/support/signal_analysis.h"

#include <algorithm>
#include <cmath>

namespace orvalis::tests {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

float peak(const std::vector<float>& x, std::size_t from, std::size_t to) {
  to = std::min(to, x.size());
  float p = 0.f;
  for (std::size_t i = from; i < to; ++i) p = std::max(p, std::fabs(x[i]));
  return p;
}

double rms(const std::vector<float>& x, std::size_t from, std::size_t to) {
  to = std::min(to, x.size());
  if (to <= from) return 0.0;
  double s = 0.0;
  for (std::size_t i = from; i < to; ++i) s += double(x[i]) * x[i];
  return std::sqrt(s / double(to - from));
}

bool allFinite(const std::vector<float>& x) {
  for (float v : x)
    if (!std::isfinite(v)) return false;
  return true;
}

long firstAbove(const std::vector<float>& x, float threshold) {
  for (std::size_t i = 0; i < x.size(); ++i)
    if (std::fabs(x[i]) > threshold) return static_cast<long>(i);
  return -1;
}

double fundamentalHz(const std::vector<float>& x, double sampleRate, double minHz, double maxHz,
                     std::size_t from, std::size_t length) {
  if (from + length > x.size()) length = x.size() > from ? x.size() - from : 0;
  const int minLag = static_cast<int>(sampleRate / maxHz);
  const int maxLag = static_cast<int>(sampleRate / minHz) + 1;
  if (length < static_cast<std::size_t>(2 * maxLag)) return 0.0;
  const std::size_t n = length - maxLag;
  double mean = 0.0;
  for (std::size_t i = 0; i < length; ++i) mean += x[from + i];
  mean /= double(length);
  std::vector<double> r(maxLag + 2, 0.0);
  for (int lag = minLag - 1; lag <= maxLag + 1; ++lag) {
    double s = 0.0, e0 = 0.0, e1 = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      const double a = x[from + i] - mean, b = x[from + i + lag] - mean;
      s += a * b;
      e0 += a * a;
      e1 += b * b;
    }
    r[lag] = (e0 > 0 && e1 > 0) ? s / std::sqrt(e0 * e1) : 0.0;
  }
  // The first lag that comes close to the best correlation avoids picking a multiple.
  double best = -1.0;
  for (int lag = minLag; lag <= maxLag; ++lag) best = std::max(best, r[lag]);
  for (int lag = minLag; lag <= maxLag; ++lag) {
    if (r[lag] >= 0.9 * best && r[lag] >= r[lag - 1] && r[lag] >= r[lag + 1]) {
      // Parabolic interpolation around the peak.
      const double a = r[lag - 1], b = r[lag], c = r[lag + 1];
      const double d = a - 2 * b + c;
      const double shift = d != 0 ? 0.5 * (a - c) / d : 0.0;
      return sampleRate / (lag + shift);
    }
  }
  return 0.0;
}

double magnitudeAt(const std::vector<float>& x, double sampleRate, double f, std::size_t from,
                   std::size_t length) {
  double re = 0.0, im = 0.0, wsum = 0.0;
  for (std::size_t i = 0; i < length && from + i < x.size(); ++i) {
    const double w = 0.5 - 0.5 * std::cos(2 * kPi * double(i) / double(length));
    const double ph = 2 * kPi * f * double(i) / sampleRate;
    re += w * x[from + i] * std::cos(ph);
    im -= w * x[from + i] * std::sin(ph);
    wsum += w;
  }
  return 2.0 * std::sqrt(re * re + im * im) / wsum;
}

}  // namespace orvalis::tests
