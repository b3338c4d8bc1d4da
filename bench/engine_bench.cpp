// Cost of the engine's building blocks, per mode and per kernel path (sse2, avx2): the
// oscillator kernels of one voice alone, and the control tick of eight voices.
#include <benchmark/benchmark.h>

#include "bench/paths.h"
#include "engine/denormals.h"
#include "engine/kernel_set.h"
#include "engine/param_mapping.h"
#include "engine/voice.h"
#include "engine/voice_control.h"
#include "params/program_record.h"

namespace {

using namespace orvalis;
using namespace orvalis::engine;

constexpr int kBlock = 256;

struct Voices {
  orvalis::params::ProgramRecord program;
  RateConstants rates;
  Voice voices[kNumVoices];
  explicit Voices(int mode) {
    program.values[orvalis::params::kOscType] = mode / 5.f;
    for (int v = 0; v < kNumVoices; ++v) {
      voices[v].params = program.values;
      voices[v].setupRates(&rates);
      applyAllParameters(voices[v]);
      voices[v].noteStart(48.f + 3 * v, 0.8f, false);
    }
  }
};

void BM_OscillatorKernel(benchmark::State& state) {
  const KernelSet* kernels = orvalis::bench::pathOf(state);
  if (!kernels) return;
  ScopedFlushToZero ftz;
  Voices v(static_cast<int>(state.range(0)));
  updateVoiceControl(v.voices, 1, *kernels);
  const OscillatorRun run = kernelsOf(v.voices[0].mode, *kernels).oscillators;
  F4 bankL[kBlock], bankR[kBlock];
  for (auto _ : state) {
    run(v.voices[0], bankL, bankR, kBlock);
    benchmark::DoNotOptimize(bankL[kBlock - 1]);
  }
  orvalis::bench::perVoiceSample(state, kBlock);
}
BENCHMARK(BM_OscillatorKernel)->Apply(orvalis::bench::modesAndPaths);

// One control tick of eight voices, in ns per voice-sample (a tick serves 16 samples).
void BM_ControlTick(benchmark::State& state) {
  const KernelSet* kernels = orvalis::bench::pathOf(state);
  if (!kernels) return;
  ScopedFlushToZero ftz;
  Voices v(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    updateVoiceControl(v.voices, kNumVoices, *kernels);
    benchmark::ClobberMemory();
  }
  orvalis::bench::perVoiceSample(state, kSubBlock * kNumVoices);
}
BENCHMARK(BM_ControlTick)->Apply(orvalis::bench::modesAndPaths);

}  // namespace
