#include "engine/lfo.h"

#include <cmath>
#include <cstdlib>

namespace orvalis {

void Lfo::randomizePhase() {
  const float phi = static_cast<float>(std::rand() % 1000) * 0.00628f;
  sineRaw = sine = static_cast<float>(std::sin(static_cast<double>(phi)));
  cosine = static_cast<float>(std::cos(static_cast<double>(phi)));
}

}  // namespace orvalis
