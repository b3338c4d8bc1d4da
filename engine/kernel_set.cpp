#include "engine/kernel_set.h"

#include <cstdlib>
#include <cstring>

#include "engine/cpu_features.h"

namespace orvalis::engine {

#if defined(ORVALIS_AVX2_KERNELS)
extern const KernelSet kAvx2Kernels;
#endif

namespace {

constexpr float kStereoGain = 0.2f;
constexpr float kMonoGain = 0.15f;  // both outputs carry the sum of the pair

const KernelSet* chooseKernels() {
  const char* asked = std::getenv("ORVALIS_SIMD");
  if (asked && std::strcmp(asked, "sse2") == 0) return &kSse2Kernels;
  const KernelSet* avx2 = avx2Kernels();
  return avx2 ? avx2 : &kSse2Kernels;
}

// Decided while the library loads, never on the audio thread.
const KernelSet* const chosenKernels = chooseKernels();

}  // namespace

const KernelSet* avx2Kernels() {
#if defined(ORVALIS_AVX2_KERNELS)
  static const bool runs = cpuRunsAvx2Fma();
  return runs ? &kAvx2Kernels : nullptr;
#else
  return nullptr;
#endif
}

const KernelSet& activeKernels() {
  // Read before the library's own initialisers ran (another library's constructors): decide now.
  return chosenKernels ? *chosenKernels : *chooseKernels();
}

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

}  // namespace orvalis::engine
