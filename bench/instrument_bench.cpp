// The whole engine as the plug-in drives it: 8 held voices at 44.1 kHz in 256-frame blocks, per
// mode and per kernel path, in ns per voice-sample; and the same with every voice released,
// their tails far down where denormals would appear without protection. And the cost curve:
// "Pulse" with 0, 1, 2, 4 and 8 notes held, in CPU seconds per rendered second
// (`make bench-peers` sets the same curve beside other instruments').
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "bench/paths.h"
#include "engine/denormals.h"
#include "engine/synth_engine.h"
#include "params/program_record.h"

namespace {

using namespace orvalis;
using namespace orvalis::engine;

constexpr int kBlock = 256;
constexpr int kVoices = 8;

void chord(SynthEngine& engine, bool release, int notes = kVoices) {
  for (int i = 0; i < notes; ++i)
    engine.queueMidi(0, release ? 0x80 : 0x90, static_cast<uint8_t>(48 + 3 * i), 100);
}

void run(benchmark::State& state, bool released) {
  const KernelSet* kernels = orvalis::bench::pathOf(state);
  if (!kernels) return;
  ScopedFlushToZero ftz;  // as the plug-in sets it around its audio work
  std::srand(1);
  orvalis::params::ProgramRecord program;
  program.values[orvalis::params::kOscType] = state.range(0) / 5.f;
  SynthEngine engine;
  engine.build(program.values);
  engine.useKernels(*kernels);
  float left[kBlock], right[kBlock];
  chord(engine, false);
  for (int i = 0; i < 40; ++i) engine.process(left, right, kBlock);
  if (released) {
    chord(engine, true);
    for (int i = 0; i < 44100 * 20 / kBlock; ++i) engine.process(left, right, kBlock);
  }
  for (auto _ : state) {
    engine.process(left, right, kBlock);
    benchmark::DoNotOptimize(left[0]);
  }
  orvalis::bench::perVoiceSample(state, kBlock * kVoices);
}

void BM_EightVoicesHeld(benchmark::State& state) { run(state, false); }
void BM_EightVoicesReleased(benchmark::State& state) { run(state, true); }
BENCHMARK(BM_EightVoicesHeld)->Apply(orvalis::bench::modesAndPaths);
BENCHMARK(BM_EightVoicesReleased)->Apply(orvalis::bench::modesAndPaths);

void BM_NotesHeld(benchmark::State& state) {
  const KernelSet* kernels = orvalis::bench::pathOf(state);
  if (!kernels) return;
  ScopedFlushToZero ftz;
  std::srand(1);
  orvalis::params::ProgramRecord program;
  SynthEngine engine;
  engine.build(program.values);
  engine.useKernels(*kernels);
  float left[kBlock], right[kBlock];
  chord(engine, false, static_cast<int>(state.range(0)));
  for (int i = 0; i < 40; ++i) engine.process(left, right, kBlock);
  for (auto _ : state) {
    engine.process(left, right, kBlock);
    benchmark::DoNotOptimize(left[0]);
  }
  // Seconds per rendered second: the inverse of the rate of rendered seconds.
  state.counters["cpu_s/rendered_s"] =
      benchmark::Counter(double(state.iterations()) * kBlock / 44100.0,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_NotesHeld)->ArgsProduct({{0, 1, 2, 4, 8}, {0, 1}})->ArgNames({"notes", "avx2"});

}  // namespace
