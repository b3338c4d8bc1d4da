#include "tools/bank_audit/sonogram.h"

#include <algorithm>
#include <cmath>

#include "tools/bank_audit/fft.h"

namespace orvalis::tools::audit {

namespace {

constexpr std::size_t kFftSize = 2048;
constexpr double kLowestHz = 40, kHighestHz = 16000;
constexpr double kFloorDb = -96, kTopDb = -6;
constexpr uint32_t kSeparator = 0xFF3A4A5A;

// Dark blue through violet and orange to pale yellow.
uint32_t heat(double t) {
  struct Stop {
    double at, r, g, b;
  };
  static const Stop kStops[] = {{0.0, 4, 4, 16},
                                {0.3, 60, 14, 110},
                                {0.55, 170, 40, 110},
                                {0.75, 240, 110, 40},
                                {1.0, 252, 250, 190}};
  t = std::min(1.0, std::max(0.0, t));
  for (std::size_t i = 1; i < sizeof kStops / sizeof kStops[0]; ++i) {
    if (t > kStops[i].at) continue;
    const Stop& a = kStops[i - 1];
    const Stop& b = kStops[i];
    const double u = (t - a.at) / (b.at - a.at);
    auto mix = [u](double x, double y) {
      return static_cast<uint32_t>(std::lround(x + (y - x) * u));
    };
    return 0xFF000000u | mix(a.r, b.r) << 16 | mix(a.g, b.g) << 8 | mix(a.b, b.b);
  }
  return 0xFFFCFABE;
}

}  // namespace

Picture sonogram(const std::vector<Take>& takes, int width, int height) {
  Picture picture;
  picture.width = width;
  picture.height = height;
  picture.fill(kSeparator);
  std::size_t total = 0;
  for (const Take& take : takes) total += take.left.size();
  if (!total || width < 1 || height < 2) return picture;

  // The bins each row covers, highest frequency at the top.
  std::vector<std::size_t> rowLow(height), rowHigh(height);
  for (int y = 0; y < height; ++y) {
    auto binOf = [&](double row) {
      const double f = kLowestHz * std::pow(kHighestHz / kLowestHz, 1.0 - row / (height - 1));
      return f * kFftSize / kSampleRate;
    };
    rowLow[y] = static_cast<std::size_t>(std::max(1.0, std::floor(binOf(y + 0.5))));
    rowHigh[y] = std::max(rowLow[y], static_cast<std::size_t>(std::ceil(binOf(y - 0.5))));
  }
  const double fullScale = kFftSize / 4.0;  // a full-scale sine's peak under the Hann window

  int x = 0;
  std::size_t before = 0;
  for (const Take& take : takes) {
    const int end = static_cast<int>(
        std::lround(static_cast<double>(before + take.left.size()) * width / total));
    for (; x < end; ++x) {
      if (x == end - 1 && &take != &takes.back()) continue;  // the separator
      const double at = (static_cast<double>(x) + 0.5) * total / width - before;
      const std::size_t from = static_cast<std::size_t>(std::max(0.0, at - kFftSize / 2.0));
      const std::vector<float> m =
          magnitudeSpectrum(monoFrame(take.left, take.right, from, kFftSize));
      for (int y = 0; y < height; ++y) {
        float top = 0;
        for (std::size_t k = rowLow[y]; k <= rowHigh[y] && k < m.size(); ++k)
          top = std::max(top, m[k]);
        const double db = 20.0 * std::log10(top / fullScale + 1e-12);
        picture.set(x, y, heat((db - kFloorDb) / (kTopDb - kFloorDb)));
      }
    }
    before += take.left.size();
  }
  return picture;
}

}  // namespace orvalis::tools::audit
