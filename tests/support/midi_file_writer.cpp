#include "tests/support/midi_file_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace testing_host {

namespace {
void varLen(std::vector<uint8_t>& out, uint32_t n) {
  uint8_t buffer[5];
  int count = 0;
  buffer[count++] = n & 0x7F;
  while (n >>= 7) buffer[count++] = 0x80 | (n & 0x7F);
  while (count) out.push_back(buffer[--count]);
}
void be32(std::vector<uint8_t>& out, uint32_t n) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(n >> s));
}
}  // namespace

MidiFileWriter& MidiFileWriter::tempo(uint32_t tick, double bpm) {
  const uint32_t us = static_cast<uint32_t>(std::lround(60e6 / bpm));
  events.push_back({tick, {0xFF, 0x51, 0x03, uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)}});
  return *this;
}

MidiFileWriter& MidiFileWriter::note(uint32_t tick, uint32_t length, int key, int velocity) {
  events.push_back({tick, {0x90, uint8_t(key), uint8_t(velocity)}});
  events.push_back({tick + length, {0x80, uint8_t(key), 0}});
  return *this;
}

bool MidiFileWriter::write(const std::string& path) const {
  std::vector<Event> sorted = events;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const Event& a, const Event& b) { return a.tick < b.tick; });
  std::vector<uint8_t> track;
  uint32_t now = 0;
  for (const Event& e : sorted) {
    varLen(track, e.tick - now);
    track.insert(track.end(), e.bytes.begin(), e.bytes.end());
    now = e.tick;
  }
  track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
  std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, kPpq >> 8, kPpq & 0xFF};
  file.insert(file.end(), {'M', 'T', 'r', 'k'});
  be32(file, static_cast<uint32_t>(track.size()));
  file.insert(file.end(), track.begin(), track.end());
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace testing_host
