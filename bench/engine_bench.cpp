// Cost of the engine's building blocks for one voice: the oscillator kernels alone, and the
// full voice (control tick every 16 samples plus the per-sample chain), per mode.
#include <benchmark/benchmark.h>

#include "engine/oscillators.h"
#include "engine/param_mapping.h"
#include "engine/render.h"
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

template <class Kernel>
F4 runKernel(Kernel& l, Kernel& r) {
  F4 acc = F4::zero();
  for (int i = 0; i < kBlock; ++i) acc += l.step() + r.step();
  return acc;
}

void BM_OscillatorKernel(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  OneVoice one(mode);
  updateVoiceControl(one.voice);
  Voice& v = one.voice;
  for (auto _ : state) {
    F4 out;
    if (mode <= 1) {
      SawKernel l(v.sawL), r(v.sawR);
      out = runKernel(l, r);
    } else if (mode == 2) {
      SyncKernel l(v.syncL, syncResetOffsetL()), r(v.syncR, syncResetOffsetR());
      out = runKernel(l, r);
    } else {
      PmKernel l(v.pmL), r(v.pmR);
      out = runKernel(l, r);
    }
    benchmark::DoNotOptimize(out);
  }
  perSample(state);
}
BENCHMARK(BM_OscillatorKernel)->DenseRange(0, 5)->ArgName("mode");

void BM_FullVoice(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  OneVoice one(mode);
  void (*run)(Voice*, int, float*, float*, int) = mode <= 1   ? renderPulseSaw
                                                  : mode == 2 ? renderSync
                                                  : mode == 5 ? renderWaveTable
                                                              : renderPhaseMod;
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
