// Writes Standard MIDI Files for tests, hostile ones too: any number of tracks, raw event bytes
// (a first byte below 0x80 relies on running status), meta and SysEx events, chunks of any name,
// a track without End-of-Track. 480 pulses per quarter note unless told otherwise.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvalis::tests {

class MidiFileWriter {
 public:
  static constexpr int kPpq = 480;
  MidiFileWriter& tempo(uint32_t tick, double bpm);
  // Channels count from 0 (channel 1 of the MIDI standard).
  MidiFileWriter& note(uint32_t tick, uint32_t length, int key, int velocity = 100,
                       int channel = 0);
  MidiFileWriter& control(uint32_t tick, int channel, int number, int value);
  MidiFileWriter& program(uint32_t tick, int channel, int program);
  // value -8192..8191, 0 at the centre.
  MidiFileWriter& bend(uint32_t tick, int channel, int value);
  MidiFileWriter& raw(uint32_t tick, std::vector<uint8_t> bytes);
  MidiFileWriter& meta(uint32_t tick, uint8_t type, const std::vector<uint8_t>& data);
  // kind 0xF0 (a SysEx message) or 0xF7 (an escape: any bytes).
  MidiFileWriter& sysex(uint32_t tick, uint8_t kind, const std::vector<uint8_t>& data);
  // Later events go to a new track.
  MidiFileWriter& nextTrack();
  // The current track's End-of-Track; by default it follows the last event.
  MidiFileWriter& endOfTrack(uint32_t tick);
  MidiFileWriter& withoutEndOfTrack();
  // A chunk written before the current track.
  MidiFileWriter& chunk(const std::string& id, const std::vector<uint8_t>& body);
  // Format 0 for one track, 1 for more, unless set.
  MidiFileWriter& format(int format);
  MidiFileWriter& division(uint16_t division);

  std::vector<uint8_t> bytes() const;
  bool write(const std::string& path) const;
  static bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
  static void varLen(std::vector<uint8_t>& out, uint32_t n);

 private:
  struct Event {
    uint32_t tick;
    std::vector<uint8_t> bytes;
  };
  struct Track {
    std::vector<std::vector<uint8_t>> chunksBefore;  // whole chunks, header included
    std::vector<Event> events;
    bool endOfTrack = true;
    bool endGiven = false;
    uint32_t endTick = 0;
  };
  Track& current() { return tracks.back(); }

  std::vector<Track> tracks{1};
  int fileFormat = -1;
  uint16_t fileDivision = kPpq;
};

}  // namespace orvalis::tests
