#include "engine/render.h"

namespace orvalis {

namespace {
constexpr float kStereoGain = 0.2f;
constexpr float kMonoGain = 0.15f;  // both outputs carry the sum of the pair
}  // namespace

ModeKernels kernelsOf(OscMode mode, const KernelSet& set) {
  auto of = [](const FamilyKernels& k, float gain) {
    return ModeKernels{k.render, k.oscillators, gain};
  };
  switch (mode) {
    case OscMode::Pulse:
    case OscMode::SupSaw:
      return of(set.pulseSaw, kStereoGain);
    case OscMode::Fm1:
      return of(set.sync, kStereoGain);
    case OscMode::Fm2:
    case OscMode::Fm3:
      return of(set.phaseMod, kStereoGain);
    case OscMode::WaveTable:
      return of(set.waveTable, kMonoGain);
  }
  return {};
}

}  // namespace orvalis
