#include "core/display_snapshot.h"

namespace orvalis::core {

void DisplaySnapshot::toFloats(float* out) const {
  out[0] = filter1Env;
  out[1] = filter2Env;
  out[2] = ampEnv;
  for (int i = 0; i < 5; ++i) out[3 + i] = markers[i];
  out[8] = static_cast<float>(meterSmooth);
  out[9] = static_cast<float>(meterMedian);
}

DisplaySnapshot DisplaySnapshot::fromFloats(const float* in) {
  DisplaySnapshot s;
  s.filter1Env = in[0];
  s.filter2Env = in[1];
  s.ampEnv = in[2];
  for (int i = 0; i < 5; ++i) s.markers[i] = in[3 + i];
  s.meterSmooth = in[8];
  s.meterMedian = in[9];
  return s;
}

void DisplayPublisher::publish(const DisplaySnapshot& snapshot) {
  float values[DisplaySnapshot::kFloats];
  snapshot.toFloats(values);
  for (int i = 0; i < 8; ++i) levels[i].store(values[i], std::memory_order_relaxed);
  meterSmooth.store(snapshot.meterSmooth, std::memory_order_relaxed);
  meterMedian.store(snapshot.meterMedian, std::memory_order_relaxed);
}

DisplaySnapshot DisplayPublisher::read() const {
  float values[DisplaySnapshot::kFloats] = {};
  for (int i = 0; i < 8; ++i) values[i] = levels[i].load(std::memory_order_relaxed);
  DisplaySnapshot s = DisplaySnapshot::fromFloats(values);
  s.meterSmooth = meterSmooth.load(std::memory_order_relaxed);
  s.meterMedian = meterMedian.load(std::memory_order_relaxed);
  return s;
}

}  // namespace orvalis::core
