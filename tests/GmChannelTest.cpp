// The General MIDI channel of orvalis-render --gm: what the instrument receives for a channel's
// messages. Orvalis re-strikes a held key's own voice, so its audio cannot show a missing
// note-off; the messages can.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/gm_channel.h"

using orvalis::render::GmChannel;
using orvalis::render::ShortMessage;

namespace {

struct Sent {
  int status, data1, data2;
  bool operator==(const Sent& o) const {
    return status == o.status && data1 == o.data1 && data2 == o.data2;
  }
};

std::ostream& operator<<(std::ostream& out, const Sent& s) {
  return out << std::hex << s.status << " " << std::dec << s.data1 << " " << s.data2;
}

std::vector<Sent> play(const std::vector<std::vector<uint8_t>>& messages) {
  GmChannel channel(12);
  std::vector<ShortMessage> out;
  for (const std::vector<uint8_t>& m : messages)
    channel.handle(m.data(), static_cast<int>(m.size()), out);
  std::vector<Sent> sent;
  for (const ShortMessage& m : out) sent.push_back({m.status, m.data1, m.data2});
  return sent;
}

}  // namespace

TEST(GmChannel, GivesTheInstrumentWhatTheSongMeans) {
  struct Case {
    std::string name;
    std::vector<std::vector<uint8_t>> song;
    std::vector<Sent> sent;
  };
  const Case cases[] = {
      {"note-offs wait for the pedal",
       {{0xB1, 64, 127},
        {0x91, 60, 90},
        {0x81, 60, 30},
        {0x91, 64, 90},
        {0x91, 64, 0},
        {0xB1, 64, 0}},
       {{0x91, 60, 90}, {0x91, 64, 90}, {0x81, 60, 30}, {0x81, 64, 0}}},
      {"a key struck again under the pedal is released first",
       {{0xB0, 64, 100}, {0x90, 60, 90}, {0x80, 60, 0}, {0x90, 60, 80}, {0xB0, 64, 10}},
       {{0x90, 60, 90}, {0x80, 60, 0}, {0x90, 60, 80}}},
      {"without the pedal nothing waits",
       {{0x90, 60, 90}, {0x80, 60, 5}},
       {{0x90, 60, 90}, {0x80, 60, 5}}},
      {"a full bend at the default sensitivity spans 2 of the instrument's 12 semitones",
       {{0xE0, 0x7F, 0x7F}},
       {{0xE0, (8192 + 1365) & 0x7F, (8192 + 1365) >> 7}}},
      {"RPN 0 sets the sensitivity, and a bend already held follows it",
       {{0xE0, 0x00, 0x00}, {0xB0, 101, 0}, {0xB0, 100, 0}, {0xB0, 6, 12}},
       {{0xE0, (8192 - 1365) & 0x7F, (8192 - 1365) >> 7}, {0xE0, 0, 0}}},
      {"an NRPN's data entry leaves the sensitivity alone",
       {{0xB0, 99, 0}, {0xB0, 98, 0}, {0xB0, 6, 12}, {0xE0, 0x00, 0x00}},
       {{0xE0, (8192 - 1365) & 0x7F, (8192 - 1365) >> 7}}},
      {"all sound off is all notes off, and the pedal forgets what it held",
       {{0xB0, 64, 127}, {0x90, 60, 90}, {0x80, 60, 0}, {0xB0, 120, 0}, {0xB0, 64, 0}},
       {{0x90, 60, 90}, {0xB0, 123, 0}}},
      {"reset all controllers releases the pedal, the wheel and the bend",
       {{0xB0, 64, 127}, {0x90, 60, 90}, {0x80, 60, 0}, {0xE0, 0, 0x50}, {0xB0, 121, 0}},
       {{0x90, 60, 90},
        {0xE0, (8192 + 341) & 0x7F, (8192 + 341) >> 7},
        {0x80, 60, 0},
        {0xB0, 1, 0},
        {0xE0, 0, 64}}},
      {"controllers the instrument plays by itself pass, others stay here",
       {{0xB0, 1, 70},
        {0xB0, 7, 20},
        {0xB0, 10, 0},
        {0xB0, 11, 50},
        {0xB0, 0, 1},
        {0xC0, 5},
        {0xD0, 90}},
       {{0xB0, 1, 70}}},
  };
  for (const Case& c : cases) EXPECT_EQ(play(c.song), c.sent) << c.name;
}

TEST(GmChannel, KeepsProgramAndLevelForTheHost) {
  GmChannel channel(12);
  std::vector<ShortMessage> out;
  const uint8_t program[] = {0xC3, 48}, volume[] = {0xB3, 7, 127}, pan[] = {0xB3, 10, 0},
                expression[] = {0xB3, 11, 0}, reset[] = {0xB3, 121, 0};
  EXPECT_EQ(channel.handle(program, 2, out), GmChannel::kProgram);
  EXPECT_EQ(channel.program(), 48);
  EXPECT_EQ(channel.handle(volume, 3, out), GmChannel::kLevel);
  EXPECT_EQ(channel.handle(pan, 3, out), GmChannel::kLevel);
  EXPECT_EQ(channel.gain().left, 1.f);
  EXPECT_EQ(channel.gain().right, 0.f);
  channel.handle(expression, 3, out);
  EXPECT_EQ(channel.gain().left, 0.f);
  // Reset All Controllers restores expression and keeps volume and pan.
  EXPECT_EQ(channel.handle(reset, 3, out), GmChannel::kLevel);
  EXPECT_EQ(channel.gain().left, 1.f);
  EXPECT_EQ(channel.gain().right, 0.f);
}
