// The whole instrument through processReplacing: 8 held voices at 44.1 kHz in 256-frame
// blocks, per mode family, in ns per voice-sample and percent of real time; and the same with
// every voice released (their tails decay toward the denormal range).
#include <benchmark/benchmark.h>

#include <new>
#include <vector>

#include "plugin/corvina.h"

namespace {

constexpr int kBlock = 256;
constexpr int kVoices = 8;
const float kOscTypes[6] = {0.f, 0.2f, 0.4f, 0.6f, 0.8f, 1.f};

intptr_t VSTCALLBACK hostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

void sendChord(Corvina& synth, bool release) {
  std::vector<VstMidiEvent> midi(kVoices);
  std::vector<char> block(sizeof(VstEvents) + kVoices * sizeof(VstEvent*));
  auto* events = reinterpret_cast<VstEvents*>(block.data());
  events->numEvents = kVoices;
  VstEvent** list = events->events;
  for (int i = 0; i < kVoices; ++i) {
    midi[i] = VstMidiEvent{};
    midi[i].type = kVstMidiType;
    midi[i].byteSize = sizeof(VstMidiEvent);
    midi[i].midiData[0] = static_cast<char>(release ? 0x80 : 0x90);
    midi[i].midiData[1] = static_cast<char>(48 + 3 * i);
    midi[i].midiData[2] = 100;
    list[i] = reinterpret_cast<VstEvent*>(&midi[i]);
  }
  synth.processEvents(events);
}

void run(benchmark::State& state, bool released) {
  const int mode = static_cast<int>(state.range(0));
  Corvina* synth = new (std::nothrow) Corvina(hostCallback);
  synth->setSampleRate(44100.f);
  synth->setParameter(params::kOscType, kOscTypes[mode]);
  sendChord(*synth, false);
  std::vector<float> left(kBlock), right(kBlock);
  float* outs[2] = {left.data(), right.data()};
  for (int i = 0; i < 40; ++i) synth->processReplacing(nullptr, outs, kBlock);
  if (released) {
    sendChord(*synth, true);
    // Run the tails far down, where denormals would appear without protection.
    for (int i = 0; i < 44100 * 20 / kBlock; ++i) synth->processReplacing(nullptr, outs, kBlock);
  }
  for (auto _ : state) {
    synth->processReplacing(nullptr, outs, kBlock);
    benchmark::DoNotOptimize(left[0]);
  }
  const double voiceSamples = double(state.iterations()) * kBlock * kVoices;
  state.counters["ns/voice-sample"] =
      benchmark::Counter(voiceSamples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["pct_realtime"] =
      benchmark::Counter(double(state.iterations()) * kBlock / 44100.0 * 0.01,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  delete synth;
}

void BM_EightVoicesHeld(benchmark::State& state) { run(state, false); }
void BM_EightVoicesReleased(benchmark::State& state) { run(state, true); }
BENCHMARK(BM_EightVoicesHeld)->DenseRange(0, 5)->ArgName("mode");
BENCHMARK(BM_EightVoicesReleased)->DenseRange(0, 5)->ArgName("mode");

}  // namespace
