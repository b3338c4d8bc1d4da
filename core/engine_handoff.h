// Steps from the host's threads to the audio thread, without locks. A parameter change travels
// as a dirty bit (the audio thread reads the current program's value when it applies it); a
// program selection or a rate change travels through a bounded queue, in arrival order. Should
// the queue ever fill, the audio thread reloads the rate and the program in full instead.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/step_queue.h"
#include "params/parameter_table.h"

namespace orvalis::core {

struct EngineStep {
  enum Kind : int32_t { kSelectProgram, kSetSampleRate } kind;
  float sampleRate;
};

class EngineHandoff {
  static_assert(params::kNumParams <= 64, "one dirty bit per parameter");

 public:
  void parameterChanged(int index) {
    dirty.fetch_or(uint64_t{1} << index, std::memory_order_acq_rel);
  }
  void programSelected() { push({EngineStep::kSelectProgram, 0.f}); }
  void sampleRateChanged(float rate) {
    latestRate.store(rate, std::memory_order_relaxed);
    push({EngineStep::kSetSampleRate, rate});
  }

  // Audio thread: the steps in arrival order, then the changed parameters by index.
  template <class OnStep, class OnParameter>
  void drain(OnStep&& onStep, OnParameter&& onParameter) {
    EngineStep step;
    while (steps.pop(step)) onStep(step);
    if (overflowed.exchange(false, std::memory_order_acq_rel)) {
      onStep({EngineStep::kSetSampleRate, latestRate.load(std::memory_order_relaxed)});
      onStep({EngineStep::kSelectProgram, 0.f});
    }
    uint64_t bits = dirty.exchange(0, std::memory_order_acq_rel);
    for (int index = 0; bits; ++index, bits >>= 1)
      if (bits & 1) onParameter(index);
  }

 private:
  void push(const EngineStep& step) {
    if (!steps.push(step)) overflowed.store(true, std::memory_order_release);
  }

  StepQueue<EngineStep, 64> steps;
  std::atomic<uint64_t> dirty{0};
  std::atomic<bool> overflowed{false};
  std::atomic<float> latestRate{44100.f};
};

}  // namespace orvalis::core
