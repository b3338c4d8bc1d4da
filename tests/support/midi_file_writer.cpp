#include "tests/support/midi_file_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace orvalis::tests {

namespace {
void be32(std::vector<uint8_t>& out, uint32_t n) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(n >> s));
}
std::vector<uint8_t> chunkBytes(const std::string& id, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> out(id.begin(), id.end());
  be32(out, static_cast<uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}
}  // namespace

void MidiFileWriter::varLen(std::vector<uint8_t>& out, uint32_t n) {
  uint8_t buffer[5];
  int count = 0;
  buffer[count++] = n & 0x7F;
  while (n >>= 7) buffer[count++] = 0x80 | (n & 0x7F);
  while (count) out.push_back(buffer[--count]);
}

MidiFileWriter& MidiFileWriter::tempo(uint32_t tick, double bpm) {
  const uint32_t us = static_cast<uint32_t>(std::lround(60e6 / bpm));
  return meta(tick, 0x51, {uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)});
}

MidiFileWriter& MidiFileWriter::note(uint32_t tick, uint32_t length, int key, int velocity,
                                     int channel) {
  raw(tick, {uint8_t(0x90 | channel), uint8_t(key), uint8_t(velocity)});
  return raw(tick + length, {uint8_t(0x80 | channel), uint8_t(key), 0});
}

MidiFileWriter& MidiFileWriter::control(uint32_t tick, int channel, int number, int value) {
  return raw(tick, {uint8_t(0xB0 | channel), uint8_t(number), uint8_t(value)});
}

MidiFileWriter& MidiFileWriter::program(uint32_t tick, int channel, int program) {
  return raw(tick, {uint8_t(0xC0 | channel), uint8_t(program)});
}

MidiFileWriter& MidiFileWriter::bend(uint32_t tick, int channel, int value) {
  const int v = value + 8192;
  return raw(tick, {uint8_t(0xE0 | channel), uint8_t(v & 0x7F), uint8_t(v >> 7)});
}

MidiFileWriter& MidiFileWriter::raw(uint32_t tick, std::vector<uint8_t> bytes) {
  current().events.push_back({tick, std::move(bytes)});
  return *this;
}

MidiFileWriter& MidiFileWriter::meta(uint32_t tick, uint8_t type,
                                     const std::vector<uint8_t>& data) {
  std::vector<uint8_t> bytes = {0xFF, type};
  varLen(bytes, static_cast<uint32_t>(data.size()));
  bytes.insert(bytes.end(), data.begin(), data.end());
  return raw(tick, std::move(bytes));
}

MidiFileWriter& MidiFileWriter::sysex(uint32_t tick, uint8_t kind,
                                      const std::vector<uint8_t>& data) {
  std::vector<uint8_t> bytes = {kind};
  varLen(bytes, static_cast<uint32_t>(data.size()));
  bytes.insert(bytes.end(), data.begin(), data.end());
  return raw(tick, std::move(bytes));
}

MidiFileWriter& MidiFileWriter::nextTrack() {
  tracks.emplace_back();
  return *this;
}

MidiFileWriter& MidiFileWriter::endOfTrack(uint32_t tick) {
  current().endGiven = true;
  current().endTick = tick;
  return *this;
}

MidiFileWriter& MidiFileWriter::withoutEndOfTrack() {
  current().endOfTrack = false;
  return *this;
}

MidiFileWriter& MidiFileWriter::chunk(const std::string& id, const std::vector<uint8_t>& body) {
  current().chunksBefore.push_back(chunkBytes(id, body));
  return *this;
}

MidiFileWriter& MidiFileWriter::format(int format) {
  fileFormat = format;
  return *this;
}

MidiFileWriter& MidiFileWriter::division(uint16_t division) {
  fileDivision = division;
  return *this;
}

std::vector<uint8_t> MidiFileWriter::bytes() const {
  const int format = fileFormat >= 0 ? fileFormat : tracks.size() > 1 ? 1 : 0;
  const std::vector<uint8_t> header = {uint8_t(format >> 8),        uint8_t(format),
                                       uint8_t(tracks.size() >> 8), uint8_t(tracks.size()),
                                       uint8_t(fileDivision >> 8),  uint8_t(fileDivision)};
  std::vector<uint8_t> file = chunkBytes("MThd", header);
  for (const Track& t : tracks) {
    std::vector<Event> sorted = t.events;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Event& a, const Event& b) { return a.tick < b.tick; });
    std::vector<uint8_t> body;
    uint32_t now = 0;
    for (const Event& e : sorted) {
      varLen(body, e.tick - now);
      body.insert(body.end(), e.bytes.begin(), e.bytes.end());
      now = e.tick;
    }
    if (t.endOfTrack) {
      varLen(body, t.endGiven && t.endTick > now ? t.endTick - now : 0);
      body.insert(body.end(), {0xFF, 0x2F, 0x00});
    }
    for (const std::vector<uint8_t>& c : t.chunksBefore)
      file.insert(file.end(), c.begin(), c.end());
    const std::vector<uint8_t> track = chunkBytes("MTrk", body);
    file.insert(file.end(), track.begin(), track.end());
  }
  return file;
}

bool MidiFileWriter::write(const std::string& path) const { return writeBytes(path, bytes()); }

bool MidiFileWriter::writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace orvalis::tests
