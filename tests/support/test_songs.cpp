#include "tests/support/test_songs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace orvalis::tests {

#if defined(ORVALIS_DEMO_MIDI)
std::vector<orvalis::render::MidiEvent> demoSong(double seconds, double sampleRate) {
  orvalis::render::MidiSong song;
  std::string error;
  EXPECT_TRUE(orvalis::render::readMidiFile(ORVALIS_DEMO_MIDI, static_cast<uint32_t>(sampleRate),
                                            {}, song, error))
      << error;
  std::vector<orvalis::render::MidiEvent>& events = song.events;
  events.erase(std::remove_if(events.begin(), events.end(),
                              [&](const orvalis::render::MidiEvent& e) {
                                return e.frame >= seconds * sampleRate;
                              }),
               events.end());
  return std::move(events);
}
#endif

std::vector<orvalis::render::MidiEvent> chord() {
  std::vector<orvalis::render::MidiEvent> notes;
  const int keys[] = {48, 55, 64, 67, 72};
  for (int k = 0; k < 5; ++k) {
    notes.push_back({k * 700 + 3, {0x90, static_cast<uint8_t>(keys[k]), 100}, 3});
    notes.push_back({k * 700 + 2900, {0x80, static_cast<uint8_t>(keys[k]), 0}, 3});
  }
  std::stable_sort(notes.begin(), notes.end(),
                   [](const orvalis::render::MidiEvent& a, const orvalis::render::MidiEvent& b) {
                     return a.frame < b.frame;
                   });
  return notes;
}

}  // namespace orvalis::tests
