// What the editor shows of the sound: the last started voice's envelopes, the positions of its
// filters and timbre within their ranges, and the load meter. The audio thread publishes it after
// every block; the editor (or another process's UI) reads it at its own pace.
#pragma once

#include <atomic>

namespace orvalis::core {

struct DisplaySnapshot {
  float filter1Env = 0, filter2Env = 0, ampEnv = 0;
  // filter 1 cutoff, filter 1 resonance, timbre, filter 2 cutoff, filter 2 resonance
  float markers[5] = {};
  double meterSmooth = 0, meterMedian = 0;  // ns per sample

  // As floats, for a transport between processes.
  static constexpr int kFloats = 10;
  void toFloats(float* out) const;
  static DisplaySnapshot fromFloats(const float* in);
};

// Every field a relaxed atomic: a reader may see two blocks' values side by side, which a
// display does not mind, and never a torn number.
class DisplayPublisher {
 public:
  void publish(const DisplaySnapshot& snapshot);
  DisplaySnapshot read() const;

 private:
  std::atomic<float> levels[8] = {};
  std::atomic<double> meterSmooth{0}, meterMedian{0};
};

}  // namespace orvalis::core
