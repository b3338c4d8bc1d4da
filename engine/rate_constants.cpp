#include "engine/rate_constants.h"

#include <cmath>

namespace orvalis::engine {

void RateConstants::build(float sampleRate) {
  const double pi = 3.1415927f;  // single-precision pi
  const double s = sampleRate;
  const double c = static_cast<float>(s * 0.0625);
  sr = sampleRate;
  cr = static_cast<float>(c);
  const float invSr = static_cast<float>(1.0 / s);
  const float crOverSr = static_cast<float>(c * invSr);
  invCr = static_cast<float>(1.0 / c);
  const float twoOverSr = static_cast<float>(2.0 * invSr);
  const float twoPiOverSr = static_cast<float>(twoOverSr * pi);
  const float twoOverCr = static_cast<float>(2.0 * invCr);
  twoPiOverCr = static_cast<float>(twoOverCr * pi);

  crOverSr4 = F4(crOverSr);
  invSr4 = F4(invSr);
  twoOverSr4 = F4(twoOverSr);
  twoPiOverSr4 = F4(twoPiOverSr);
}

bool isUsableSampleRate(float sampleRate) {
  return std::isfinite(sampleRate) && sampleRate >= kMinSampleRate && sampleRate <= kMaxSampleRate;
}

}  // namespace orvalis::engine
