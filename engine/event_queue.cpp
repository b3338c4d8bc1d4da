#include "engine/event_queue.h"

#include <cstring>

namespace orvalis::engine {

void MidiEventQueue::clear() {
  std::memset(events, 0, sizeof events);
  count = 0;
  applied = 0;
}

void MidiEventQueue::append(int32_t at, EventKind kind, int32_t d1, float velocity) {
  if (count >= kCapacity) return;
  events[count++] = {at < 0 ? 0 : at, kind, d1, velocity};
}

void MidiEventQueue::decodeMidi(int32_t deltaFrames, uint8_t status, uint8_t d1, uint8_t d2) {
  switch (status & 0xF0) {
    case 0x90:
      if (d2 & 0x7F)
        appendNoteOn(deltaFrames, d1 & 0x7F, midiVelocity(d2 & 0x7F));
      else
        appendNoteOff(deltaFrames, d1 & 0x7F, 0.f);
      break;
    case 0x80:
      appendNoteOff(deltaFrames, d1 & 0x7F, midiVelocity(d2 & 0x7F));
      break;
    case 0xB0: {
      // The controller number is read as a signed byte, unmasked: 0x81 is not controller 1.
      const int controller = static_cast<int8_t>(d1);  // NOLINT(bugprone-signed-char-misuse)
      if (controller == 1)
        appendModWheel(deltaFrames, d2 & 0x7F);
      else if (controller == 123)
        appendAllNotesOff(deltaFrames);
      break;
    }
    case 0xE0:
      appendPitchBend(deltaFrames, (d2 & 0x7F) * 128 + (d1 & 0x7F) - 8192);
      break;
    default:
      break;
  }
}

void MidiEventQueue::compact(int32_t frameCount) {
  const int32_t done = applied < count ? applied : count;
  const int32_t kept = count - done;
  for (int32_t i = 0; i < kept; ++i) {
    events[i] = events[done + i];
    // Saturating: an entry held behind a far-future one must not wrap around.
    const int64_t rebased = static_cast<int64_t>(events[i].offset) - frameCount;
    events[i].offset = rebased < INT32_MIN ? INT32_MIN : static_cast<int32_t>(rebased);
  }
  count = kept;
  applied = 0;
}

}  // namespace orvalis::engine
