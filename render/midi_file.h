// Standard MIDI Files: formats 0, 1 and 2, PPQN and SMPTE divisions, also wrapped in a RIFF
// RMID file. Every length is checked before it is read; a file that breaks the format is refused
// whole with a one-line reason, and one that merely ends early plays what is whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvalis::render {

struct MidiEvent {
  int64_t frame;  // sample position from the start of the song
  uint8_t bytes[3];
  uint8_t length;
};

struct MidiLimits {
  std::size_t maxEvents = 10'000'000;  // every event of every track, meta and SysEx included
  double maxSeconds = 24 * 3600.0;
  std::size_t maxFileBytes = 256u << 20;
};

struct MidiSong {
  int format = 0;
  int tracks = 0;  // track chunks read
  // Channel messages (note, controller, bend, program, pressure) in playing order: tracks
  // merged by time, or one after another in format 2. Meta and SysEx events are not played.
  std::vector<MidiEvent> events;
  std::size_t eventsRead = 0;
  // The later of the last End-of-Track and the frame after the last channel message.
  int64_t endFrame = 0;
  double seconds = 0;  // the song's length as the file times it
  // Parts of the file that were skipped or cut short, one line each.
  std::vector<std::string> warnings;
};

// Reads from memory; on failure returns false with a one-line reason and leaves song alone.
bool parseMidiFile(const uint8_t* data, std::size_t size, uint32_t sampleRate,
                   const MidiLimits& limits, MidiSong& song, std::string& error);

bool readMidiFile(const std::string& path, uint32_t sampleRate, const MidiLimits& limits,
                  MidiSong& song, std::string& error);

}  // namespace orvalis::render
