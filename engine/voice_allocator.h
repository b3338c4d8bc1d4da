// Decides which voice plays each note, releases voices, and passes bend and wheel on. Acts on
// the queue's entries at each 16-sample boundary of the audio callback.
#pragma once

#include <cstdint>

#include "engine/event_queue.h"
#include "engine/rate_constants.h"

namespace orvalis {

struct Voice;

class VoiceAllocator {
 public:
  VoiceAllocator() { clear(); }

  // Forgets voices, queue and keys (the allocator is not set up afterwards).
  void clear();
  void setup(Voice* voiceTable, int voiceCount, MidiEventQueue* eventQueue);
  // Releases every voice and forgets every held key, then limits the voices in use.
  void setPolyphony(int voiceCount);
  // Ages the voices, then applies the queued entries whose offset lies before windowEnd.
  void dispatchEvents(int32_t windowStart, int32_t windowEnd);

  // Voices 0 .. activeVoices() - 1 take notes and are rendered.
  int activeVoices() const {
    const int n = active;
    return n < 0 ? 0 : (n > totalVoices ? totalVoices : n);
  }
  int lastStartedVoice() const { return lastStarted; }
  int lastTouchedVoice() const { return lastTouched; }
  bool isKeyDown(int key) const { return key >= 0 && key < 128 && keyDown[key]; }
  int voiceOfKey(int key) const { return key >= 0 && key < 128 ? keyVoice[key] : -1; }
  int voiceGateOf(int v) const { return v >= 0 && v < kNumVoices ? voiceGate[v] : 0; }
  float voiceAgeOf(int v) const { return v >= 0 && v < kNumVoices ? voiceAge[v] : 0.f; }

 private:
  void noteOn(int32_t key, int32_t velocity);
  void noteOff(int32_t key, int32_t velocity);
  void clearKeys();

  uint8_t keyDown[128];
  int32_t keyVoice[128];
  Voice* voices = nullptr;
  int active = 0;
  int totalVoices = 0;
  int32_t voiceGate[kNumVoices];
  float voiceAge[kNumVoices];
  MidiEventQueue* queue = nullptr;
  bool enabled = false;
  int lastTouched = 0;
  int lastStarted = 0;
};

}  // namespace orvalis
