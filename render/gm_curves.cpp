#include "render/gm_curves.h"

#include <algorithm>
#include <cmath>

namespace orvalis::render {

namespace {
constexpr double kHalfPi = 1.5707963267948966;
double unit(int cc) { return std::clamp(cc, 0, 127) / 127.0; }
}  // namespace

float levelGain(int volume, int expression) {
  const double v = unit(volume), e = unit(expression);
  return static_cast<float>(v * v * e * e);
}

StereoGain panGain(int pan) {
  const double angle = kHalfPi * (std::clamp(pan, 1, 127) - 1) / 126.0;
  return {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
}

int32_t scaledBend(int32_t bend, double sensitivity, double instrumentRange) {
  if (!(instrumentRange > 0)) return 0;
  const double scaled = std::round(bend * sensitivity / instrumentRange);
  return static_cast<int32_t>(std::clamp(scaled, -8192.0, 8191.0));
}

}  // namespace orvalis::render
