// The fixed 256-entry queue of engine events. processEvents appends the recognised MIDI
// messages with their sample offsets inside the coming block; the audio callback hands them to
// the voice allocator at the 16-sample boundary that follows each offset.
#pragma once

#include <cstdint>

namespace orvalis::engine {

// 7-bit values (velocity, wheel) to 0..1 and the 14-bit bend, centred, to -1..1. Multiplied,
// never divided, so that the products round the same everywhere.
constexpr float kMidiValueScale = 1.f / 127.f;  // 0.007874016
constexpr float kBendScale = 1.f / 8192.f;

enum EventKind : int32_t {
  kNoteOn = 1,
  kNoteOff = 2,
  kPitchBend = 3,
  kModWheel = 4,
  kAllNotesOff = 5
};

// One queued event: its frame offset in the block and its values: the key and the velocity
// already scaled to 0..1, or the bend or wheel value.
struct MidiEvent {
  int32_t offset;
  EventKind kind;
  int32_t data1;
  float velocity;
};

// A 7-bit MIDI velocity as the voices hear it.
inline float midiVelocity(int32_t velocity) {
  return static_cast<float>(velocity) * kMidiValueScale;
}

struct MidiEventQueue {
  static constexpr int kCapacity = 256;

  int32_t count = 0;

  MidiEventQueue() { clear(); }
  void clear();

  // Each append does nothing when the queue is full.
  // velocity: 0..1, as midiVelocity() gives it for a MIDI velocity.
  void appendNoteOn(int32_t at, int32_t key, float velocity) { append(at, kNoteOn, key, velocity); }
  void appendNoteOff(int32_t at, int32_t key, float velocity) {
    append(at, kNoteOff, key, velocity);
  }
  void appendPitchBend(int32_t at, int32_t value) { append(at, kPitchBend, value, 0.f); }
  void appendModWheel(int32_t at, int32_t value) { append(at, kModWheel, value, 0.f); }
  void appendAllNotesOff(int32_t at) { append(at, kAllNotesOff, 0, 0.f); }

  // Decodes one short MIDI message: note on/off (velocity 0 is a note off), pitch bend,
  // controllers 1 (wheel) and 123 (all notes off); every channel alike, everything else ignored.
  // A negative offset is queued at 0.
  void decodeMidi(int32_t deltaFrames, uint8_t status, uint8_t data1, uint8_t data2);

  // Hands apply, in queue order, every entry not yet applied whose offset lies before end.
  template <class Apply>
  void drainUpTo(int32_t end, Apply&& apply) {
    while (applied < count && events[applied].offset < end) apply(events[applied++]);
  }

  // At the end of a block of frameCount frames: drops the entries already applied and re-bases
  // the rest to the next block, so each is applied at the first boundary after its offset
  // whatever the block lengths.
  void compact(int32_t frameCount);

 private:
  void append(int32_t at, EventKind kind, int32_t d1, float velocity);

  MidiEvent events[kCapacity];
  int32_t applied = 0;  // entries before it have been applied in this block
};

}  // namespace orvalis::engine
