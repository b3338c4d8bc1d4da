// Cost of the engine's building blocks for one voice: the oscillator kernels alone, and the
// full voice (control tick every 16 samples plus the per-sample chain), per mode.
#include <benchmark/benchmark.h>

#include "engine/oscillators.h"
#include "engine/param_mapping.h"
#include "engine/kernel_set.h"
#include "engine/voice.h"
#include "engine/voice_control.h"
#include "params/program_record.h"

namespace {

using namespace orvalis;

constexpr int kBlock = 256;
const float kOscTypes[6] = {0.f, 0.2f, 0.4f, 0.6f, 0.8f, 1.f};

struct OneVoice {
  params::ProgramRecord program;
  RateConstants rates;
  Voice voice;
  explicit OneVoice(int mode) {
    program.values[params::kOscType] = kOscTypes[mode];
    voice.params = program.values;
    voice.setupRates(&rates);
    applyAllParameters(voice);
    voice.noteStart(60.f, 0.8f, false);
  }
};

void perSample(benchmark::State& state) {
  state.counters["ns/sample"] =
      benchmark::Counter(double(state.iterations()) * kBlock,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_OscillatorKernel(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  OneVoice one(mode);
  updateVoiceControl(one.voice);
  const OscillatorRun run = kernelsOf(one.voice.mode).oscillators;
  F4 bankL[kBlock], bankR[kBlock];
  for (auto _ : state) {
    run(one.voice, bankL, bankR, kBlock);
    benchmark::DoNotOptimize(bankL[kBlock - 1]);
  }
  perSample(state);
}
BENCHMARK(BM_OscillatorKernel)->DenseRange(0, 5)->ArgName("mode");

void BM_FullVoice(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  OneVoice one(mode);
  const RenderRun run = kernelsOf(one.voice.mode).render;
  float left[kBlock], right[kBlock];
  for (auto _ : state) {
    for (int i = 0; i < kBlock; i += kSubBlock) {
      updateVoiceControl(one.voice);
      run(&one.voice, 1, left + i, right + i, kSubBlock);
    }
    benchmark::DoNotOptimize(left[0]);
  }
  perSample(state);
}
BENCHMARK(BM_FullVoice)->DenseRange(0, 5)->ArgName("mode");

void BM_ControlTick(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  OneVoice one(mode);
  for (auto _ : state) {
    updateVoiceControl(one.voice);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ControlTick)->DenseRange(0, 5)->ArgName("mode");

}  // namespace
