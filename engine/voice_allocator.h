// Decides which voice plays each note, releases voices, and passes bend and wheel on. Acts on
// the queue's entries at each 16-sample boundary of the audio callback.
#pragma once

#include <cstdint>

#include "engine/event_queue.h"
#include "engine/rate_constants.h"

namespace orvalis::engine {

struct Voice;

// Ages grow at every boundary, 1000 times faster once a voice's key is up; the oldest active
// voice takes the next note, the lowest index among equals. A voice that takes a note starts
// again at -1: every step from there rounds as the mirror image of a count down from 1, the
// arithmetic the instrument's voice choice has always had.
constexpr float kNewAge = -1.f;

class VoiceAllocator {
 public:
  VoiceAllocator() { clear(); }

  // Forgets voices, queue and keys (the allocator is not set up afterwards).
  void clear();
  void setup(Voice* voiceTable, int voiceCount, MidiEventQueue* eventQueue);
  // Releases every voice and forgets every held key, then limits the voices in use.
  void setPolyphony(int voiceCount);
  // At a boundary: ages the voices, then applies the queued entries whose offset lies before
  // windowEnd.
  void dispatchEvents(int32_t windowEnd);

  // Voices 0 .. activeVoices() - 1 take notes and are rendered.
  int activeVoices() const {
    const int n = active;
    return n < 0 ? 0 : (n > totalVoices ? totalVoices : n);
  }
  int lastStartedVoice() const { return lastStarted; }
  bool isKeyDown(int key) const { return key >= 0 && key < 128 && keyDown[key]; }
  int voiceOfKey(int key) const { return key >= 0 && key < 128 ? keyVoice[key] : -1; }
  float ageOf(int v) const { return v >= 0 && v < kNumVoices ? age[v] : kNewAge; }

 private:
  void apply(const MidiEvent& e);
  // velocity: 0..1.
  void noteOn(int32_t key, float velocity);
  void noteOff(int32_t key, float velocity);
  void clearKeys();

  uint8_t keyDown[128];
  int32_t keyVoice[128];
  Voice* voices = nullptr;
  int active = 0;
  int totalVoices = 0;
  // Whether the key that took the voice is still down: set by its note-on, cleared by its
  // note-off or a polyphony change, but not by all-notes-off, so unlike the voice's gate it
  // keeps a voice ageing as held after that message. Only the ageing reads it.
  uint8_t keyHeld[kNumVoices];
  float age[kNumVoices];
  MidiEventQueue* queue = nullptr;
  bool enabled = false;
  int lastTouched = 0;
  int lastStarted = 0;
};

}  // namespace orvalis::engine
