// The synthesis engine of one plug-in instance: the rate record, the eight voices, the event
// queue, the voice allocator, the sub-block clock and the load meter. It reads the current
// program's 61 values through a pointer it is given and knows nothing of the host interface.
#pragma once

#include <cstdint>

#include "engine/event_queue.h"
#include "engine/kernel_set.h"
#include "engine/processing_meter.h"
#include "engine/rate_constants.h"
#include "engine/voice.h"
#include "engine/voice_allocator.h"

namespace orvalis::engine {

class alignas(16) SynthEngine {
 public:
  SynthEngine();

  // Builds the engine at 44100 Hz with the given parameter values (the current program).
  void build(const float* params);
  // Refused (false) for non-finite, non-positive or absurd rates.
  bool setSampleRate(float sampleRate, const float* params);
  // A program was selected: every voice reads the new values.
  void attachProgram(const float* params);
  // A parameter changed: every voice, sounding or not, maps it.
  void applyParameter(int index);
  void setPolyphony(int voiceCount);
  // The sample loops this engine runs; the set chosen at load unless told otherwise.
  void useKernels(const KernelSet& set) { kernelSet = &set; }
  const KernelSet& kernels() const { return *kernelSet; }

  void queueMidi(int32_t deltaFrames, uint8_t status, uint8_t data1, uint8_t data2) {
    queue.decodeMidi(deltaFrames, status, data1, data2);
  }

  // Overwrites frames samples of both buffers.
  void process(float* left, float* right, int32_t frames);

  const Voice& voice(int index) const { return voices[index & 7]; }
  Voice& voice(int index) { return voices[index & 7]; }
  const VoiceAllocator& allocator() const { return voiceAllocator; }
  const MidiEventQueue& eventQueue() const { return queue; }
  // Where the coming blocks' events go, for callers that queue them other than as MIDI bytes.
  MidiEventQueue& eventQueue() { return queue; }
  const RateConstants& rateConstants() const { return rates; }
  const ProcessingMeter& meter() const { return loadMeter; }
  int subBlockCounter() const { return subBlockCount; }
  int lastBoundary() const { return lastBoundaryFrame; }

 private:
  void renderBlock(const ModeKernels& kernels, float* left, float* right, int32_t frames);
  void linkVoices(const float* params);

  RateConstants rates;
  Voice voices[kNumVoices];
  MidiEventQueue queue;
  VoiceAllocator voiceAllocator;
  int32_t subBlockCount = kSubBlock;
  int32_t lastBoundaryFrame = 0;
  ProcessingMeter loadMeter;
  const KernelSet* kernelSet = &activeKernels();
};

}  // namespace orvalis::engine
