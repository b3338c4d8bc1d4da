// Reads the fuzz input as a MIDI file and checks what the reader promises: a refusal is one
// line and leaves the song as it was; an accepted song has only whole channel messages, in
// playing order, inside the song's length and within the limits.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "render/midi_file.h"

namespace {

// Small enough that fuzzed files reach them.
constexpr std::size_t kFuzzMaxEvents = 1000;
constexpr double kFuzzMaxSeconds = 3600;
// The highest rate the renderer takes: the largest frame numbers.
constexpr uint32_t kRate = 384000;

[[noreturn]] void broken(const char* what) {
  std::fprintf(stderr, "broken promise: %s\n", what);
  std::abort();
}

bool oneLine(const std::string& text) {
  return !text.empty() && text.find('\n') == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvalis::render::MidiLimits limits;
  limits.maxEvents = kFuzzMaxEvents;
  limits.maxSeconds = kFuzzMaxSeconds;
  orvalis::render::MidiSong song;
  song.tracks = -1;
  std::string error;
  if (!orvalis::render::parseMidiFile(data, size, kRate, limits, song, error)) {
    if (!oneLine(error)) broken("a refusal is not one line");
    if (song.tracks != -1 || !song.events.empty()) broken("a refusal changed the song");
    return 0;
  }
  if (!error.empty()) broken("an accepted file left an error");
  if (song.format < 0 || song.format > 2 || song.tracks < 1) broken("format or tracks");
  if (song.eventsRead > kFuzzMaxEvents || song.events.size() > song.eventsRead)
    broken("event count");
  if (!(song.seconds >= 0 && song.seconds <= kFuzzMaxSeconds)) broken("song length");
  if (song.endFrame > static_cast<int64_t>(kFuzzMaxSeconds * kRate) + 1) broken("end frame");
  int64_t previous = 0;
  for (const orvalis::render::MidiEvent& e : song.events) {
    if (e.frame < previous || e.frame >= song.endFrame) broken("event out of order or length");
    previous = e.frame;
    const uint8_t status = e.bytes[0];
    if (status < 0x80 || status >= 0xF0) broken("not a channel message");
    if (e.length != ((status & 0xE0) == 0xC0 ? 2 : 3)) broken("message length");
    for (int i = 1; i < e.length; ++i)
      if (e.bytes[i] & 0x80) broken("data byte with the top bit set");
  }
  for (const std::string& w : song.warnings)
    if (!oneLine(w)) broken("a warning is not one line");
  return 0;
}
