// The audio callback's load meter in nanoseconds per output sample: the median of the last
// three measurements, then three cascaded one-pole smoothers. Double precision throughout.
#pragma once

namespace orvalis::engine {

struct ProcessingMeter {
  double previous = 50.0;
  double older = 50.0;
  double median = 50.0;
  double smooth1 = 50.0;
  double smooth2 = 50.0;
  double smooth = 50.0;

  void reset();
  void update(double nanosecondsPerSample);
};

}  // namespace orvalis::engine
