#include "engine/event_queue.h"

#include <cstring>

namespace orvalis {

void MidiEventQueue::clear() {
  std::memset(offset, 0, sizeof offset);
  std::memset(kind, 0, sizeof kind);
  std::memset(data1, 0, sizeof data1);
  std::memset(data2, 0, sizeof data2);
  count = 0;
  readPosition = 0;
  windowEnd = 0;
}

void MidiEventQueue::append(int32_t at, int32_t k, int32_t d1, int32_t d2) {
  if (count >= kCapacity) return;
  offset[count] = at < 0 ? 0 : at;
  kind[count] = k;
  data1[count] = d1;
  data2[count] = d2;
  ++count;
}

void MidiEventQueue::decodeMidi(int32_t deltaFrames, uint8_t status, uint8_t d1, uint8_t d2) {
  switch (status & 0xF0) {
    case 0x90:
      if (d2 & 0x7F)
        appendNoteOn(deltaFrames, d1 & 0x7F, d2 & 0x7F);
      else
        appendNoteOff(deltaFrames, d1 & 0x7F, 0);
      break;
    case 0x80:
      appendNoteOff(deltaFrames, d1 & 0x7F, d2 & 0x7F);
      break;
    case 0xB0: {
      // The controller number is read as a signed byte, unmasked: 0x81 is not controller 1.
      const int controller = static_cast<int8_t>(d1);
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
  int32_t applied = readPosition < count ? readPosition : count;
  if (applied < 0) applied = 0;
  const int32_t kept = count - applied;
  for (int32_t i = 0; i < kept; ++i) {
    const int32_t from = applied + i;
    // Saturating: an entry held behind a far-future one must not wrap around.
    const int64_t rebased = static_cast<int64_t>(offset[from]) - frameCount;
    offset[i] = rebased < INT32_MIN ? INT32_MIN : static_cast<int32_t>(rebased);
    kind[i] = kind[from];
    data1[i] = data1[from];
    data2[i] = data2[from];
  }
  count = kept;
  readPosition = 0;
}

}  // namespace orvalis
