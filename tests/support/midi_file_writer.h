// Writes small Standard MIDI Files for tests: one track, 480 pulses per quarter note.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_host {

class MidiFileWriter {
 public:
  static constexpr int kPpq = 480;
  MidiFileWriter& tempo(uint32_t tick, double bpm);
  MidiFileWriter& note(uint32_t tick, uint32_t length, int key, int velocity = 100);
  bool write(const std::string& path) const;

 private:
  struct Event {
    uint32_t tick;
    std::vector<uint8_t> bytes;
  };
  std::vector<Event> events;
};

}  // namespace testing_host
