// The events a format hands over for its next block, at frame offsets into it. They wait here
// until render() knows the block's length; then they are clamped into the block and taken in
// offset order, so a format may deliver them in any order.
#pragma once

#include <cstdint>

namespace orvalis::core {

struct BlockEvent {
  enum Kind : uint8_t { kMidi, kNoteOn, kNoteOff, kParameter };

  int32_t offset;
  Kind kind;
  // kMidi: a short channel message. kNoteOn/kNoteOff: bytes[1] is the key.
  uint8_t bytes[3];
  // The parameter's index for kParameter.
  int32_t index;
  // The velocity (0..1) of a note, or the parameter's value.
  float value;
};

class BlockEvents {
 public:
  // More than a block of MIDI and automation from any host we know of; more are dropped, as a
  // full engine queue drops them.
  static constexpr int kCapacity = 1024;

  void add(const BlockEvent& event) {
    if (count < kCapacity) events[count++] = event;
  }
  // Clamps every offset into 0 .. frames - 1 (0 for an empty block) and sorts by offset,
  // keeping the order of events at the same offset.
  void arrange(int32_t frames);
  void clear() { count = 0; }

  int size() const { return count; }
  const BlockEvent& operator[](int i) const { return events[i]; }

 private:
  BlockEvent events[kCapacity];
  int count = 0;
};

}  // namespace orvalis::core
