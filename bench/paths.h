// The benchmarks' arguments: every oscillator mode on every kernel path, and the counters they
// report.
#pragma once

#include <benchmark/benchmark.h>

#include "engine/kernel_set.h"

namespace orvalis::bench {

// Modes 0..5 by path 0 (sse2) and 1 (avx2).
inline void modesAndPaths(benchmark::internal::Benchmark* b) {
  b->ArgNames({"mode", "avx2"});
  for (int path = 0; path < 2; ++path)
    for (int mode = 0; mode < 6; ++mode) b->Args({mode, path});
}

// The path of the arguments, or null (and the run skipped) where the processor lacks it.
inline const orvalis::engine::KernelSet* pathOf(benchmark::State& state) {
  const orvalis::engine::KernelSet* set =
      state.range(1) ? orvalis::engine::avx2Kernels() : &orvalis::engine::kSse2Kernels;
  if (!set) state.SkipWithError("no AVX2 and FMA here");
  return set;
}

// ns per voice-sample and percent of real time at 44.1 kHz for one voice.
inline void perVoiceSample(benchmark::State& state, double voiceSamplesPerIteration) {
  const double voiceSamples = double(state.iterations()) * voiceSamplesPerIteration;
  state.counters["ns/voice-sample"] =
      benchmark::Counter(voiceSamples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["pct_realtime/voice"] = benchmark::Counter(
      voiceSamples / 44100.0 * 0.01, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

}  // namespace orvalis::bench
