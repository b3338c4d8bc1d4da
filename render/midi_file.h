// Standard MIDI Files, read with libsmf: every track and channel merged in time order, with the
// file's tempo changes turned into sample positions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace render {

struct TimedMidi {
  int64_t frame;  // sample position from the start of the song
  uint8_t bytes[3];
  int length;
};

// Channel messages only (note, controller, bend, program, pressure); meta and system events
// are dropped. Returns false with a one-line reason when the file cannot be read.
bool readMidiFile(const std::string& path, double sampleRate, std::vector<TimedMidi>& events,
                  std::string& error);

}  // namespace render
