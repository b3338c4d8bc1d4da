#include "engine/lfo.h"

#include <cmath>
#include <cstdlib>

namespace orvalis::engine {

namespace {
// One of a thousand start angles, 0.00628 apart (about 2 pi / 1000).
constexpr int kStartPhases = 1000;
constexpr float kStartPhaseStep = 0.00628f;
}  // namespace

void Lfo::randomizePhase() { startAtPhase(std::rand() % kStartPhases); }

void Lfo::startAtPhase(int index) {
  const float phi = static_cast<float>(index) * kStartPhaseStep;
  sine = static_cast<float>(std::sin(static_cast<double>(phi)));
  cosine = static_cast<float>(std::cos(static_cast<double>(phi)));
}

}  // namespace orvalis::engine
