#include "engine/processing_meter.h"

namespace orvalis::engine {

namespace {
double medianOf3(double a, double b, double c) {
  if (a > b) {
    const double t = a;
    a = b;
    b = t;
  }
  if (b > c) b = c;
  return a > b ? a : b;
}
}  // namespace

void ProcessingMeter::reset() { previous = older = median = smooth1 = smooth2 = smooth = 50.0; }

void ProcessingMeter::update(double x) {
  median = medianOf3(x, previous, older);
  older = previous;
  previous = x;
  smooth1 += 0.03 * (median - smooth1);
  smooth2 += 0.03 * (smooth1 - smooth2);
  smooth += 0.03 * (smooth2 - smooth);
}

}  // namespace orvalis::engine
