// MIDI files through the real orvalis-render: legal files that an earlier reader crashed on or
// misread play as written, hostile ones are refused whole with one line, and files that merely
// end early play what is whole.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/midi_file_writer.h"
#include "tests/support/renderer_process.h"
#include "tests/support/signal_analysis.h"
#include "tests/support/wav_file.h"

using orvalis::tests::MidiFileWriter;
using orvalis::tests::renderer::exists;
using orvalis::tests::renderer::RendererFixture;
using orvalis::tests::renderer::run;

namespace {

constexpr int kRate = 44100;
constexpr uint32_t kBeat = MidiFileWriter::kPpq;  // 0.5 s at the default 120 bpm

// A file of one track whose event bytes are given as they are, ending as they end.
std::vector<uint8_t> oneTrack(const std::vector<uint8_t>& body, uint16_t format = 0,
                              uint16_t division = kBeat) {
  std::vector<uint8_t> file = {'M',
                               'T',
                               'h',
                               'd',
                               0,
                               0,
                               0,
                               6,
                               uint8_t(format >> 8),
                               uint8_t(format),
                               0,
                               1,
                               uint8_t(division >> 8),
                               uint8_t(division)};
  const uint32_t n = static_cast<uint32_t>(body.size());
  file.insert(file.end(), {'M', 'T', 'r', 'k', uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8),
                           uint8_t(n)});
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

std::vector<uint8_t> withNoteAtBeatOne(MidiFileWriter& midi) {
  return midi.note(kBeat, kBeat, 69).bytes();
}

class MidiFileReadingTest : public RendererFixture {
 protected:
  orvalis::tests::renderer::Result render(const std::vector<uint8_t>& file,
                                          const std::string& options,
                                          orvalis::tests::WavFile& wav) {
    EXPECT_TRUE(MidiFileWriter::writeBytes(path("song.mid"), file));
    orvalis::tests::renderer::Result r =
        run(path("song.mid") + " -o " + path("song.wav") + " " + options);
    if (r.status == 0) {
      EXPECT_TRUE(orvalis::tests::readWav(path("song.wav"), wav));
    }
    return r;
  }
};

}  // namespace

TEST_F(MidiFileReadingTest, LegalFilesPlayAsWritten) {
  struct Case {
    std::string name;
    std::function<std::vector<uint8_t>()> file;
    double onsetSeconds;  // of the first sound
    std::string summary;  // song length and events read from the file
  };
  const std::vector<uint8_t> text200(200, 'x');
  const Case cases[] = {
      {"F7 escape event",
       [] {
         MidiFileWriter m;
         m.sysex(0, 0xF7, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
         return withNoteAtBeatOne(m);
       },
       0.5, "song 1.00 s with 2 events"},
      {"track without End-of-Track",
       [] {
         MidiFileWriter m;
         m.withoutEndOfTrack();
         return withNoteAtBeatOne(m);
       },
       0.5, "song 1.00 s with 2 events"},
      {"running status set again after a SysEx",
       [] {
         MidiFileWriter m;
         m.raw(0, {0x90, 60, 0}).raw(0, {62, 0}).sysex(0, 0xF0, {0x43, 0x10, 0xF7});
         m.raw(kBeat, {0x90, 69, 100}).raw(2 * kBeat, {69, 0});
         return m.bytes();
       },
       0.5, "song 1.00 s with 4 events"},
      {"meta text of 200 bytes (a two-byte length)",
       [&] {
         MidiFileWriter m;
         m.meta(0, 0x01, text200);
         return withNoteAtBeatOne(m);
       },
       0.5, "song 1.00 s with 2 events"},
      {"unknown chunk before the first track",
       [] {
         MidiFileWriter m;
         m.chunk("XFIH", std::vector<uint8_t>(300, 0x90));
         return withNoteAtBeatOne(m);
       },
       0.5, "song 1.00 s with 2 events"},
      {"tempo in the first track times the notes of the second",
       [] {
         MidiFileWriter m;
         m.tempo(0, 60).tempo(kBeat, 30).nextTrack().note(2 * kBeat, kBeat, 69);
         return m.bytes();
       },
       3.0, "song 5.00 s with 2 events"},
      {"SMPTE division, 25 frames of 40 ticks",
       [] {
         MidiFileWriter m;
         m.division(0xE700 | 40)  // -25 frames per second
             .tempo(0, 30)
             .note(1500, 500, 69);
         return m.bytes();
       },
       1.5, "song 2.00 s with 2 events"},
      {"SMPTE division, 29.97 frames of 100 ticks",
       [] {
         MidiFileWriter m;
         m.division(0xE300 | 100)  // -29: 29.97 frames per second
             .note(2997, 2997, 69);
         return m.bytes();
       },
       1.0, "song 2.00 s with 2 events"},
      {"format 2: tracks one after another",
       [] {
         MidiFileWriter m;
         m.format(2).tempo(0, 60).endOfTrack(2 * kBeat);
         m.nextTrack().note(kBeat, kBeat, 69);
         return m.bytes();
       },
       2.5, "song 3.00 s with 2 events"},
      {"End-of-Track after the last note",
       [] {
         MidiFileWriter m;
         m.note(kBeat, kBeat, 69).endOfTrack(8 * kBeat);
         return m.bytes();
       },
       0.5, "song 4.00 s with 2 events"},
      {"RIFF MIDI (RMID) wrapper",
       [] {
         MidiFileWriter m;
         const std::vector<uint8_t> smf = withNoteAtBeatOne(m);
         std::vector<uint8_t> riff = {'R', 'I', 'F', 'F', 0,   0,   0,   0,
                                      'R', 'M', 'I', 'D', 'd', 'a', 't', 'a'};
         const uint32_t n = static_cast<uint32_t>(smf.size());
         riff.insert(riff.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)});
         riff.insert(riff.end(), smf.begin(), smf.end());
         return riff;
       },
       0.5, "song 1.00 s with 2 events"},
      {"RMID with an odd-length chunk (and its pad byte) before the data",
       [] {
         MidiFileWriter m;
         const std::vector<uint8_t> smf = withNoteAtBeatOne(m);
         std::vector<uint8_t> riff = {'R', 'I', 'F', 'F', 0,   0,   0,   0,  'R', 'M',
                                      'I', 'D', 'L', 'I', 'S', 'T', 3,   0,  0,   0,
                                      'a', 'b', 'c', 0,   'd', 'a', 't', 'a'};
         const uint32_t n = static_cast<uint32_t>(smf.size());
         riff.insert(riff.end(), {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)});
         riff.insert(riff.end(), smf.begin(), smf.end());
         return riff;
       },
       0.5, "song 1.00 s with 2 events"},
      {"channel pressure: one data byte, then running status",
       [] {
         MidiFileWriter m;
         m.raw(0, {0xD0, 0x40}).raw(0, {0x30});
         return withNoteAtBeatOne(m);
       },
       0.5, "song 1.00 s with 4 events"},
  };
  for (const Case& c : cases) {
    orvalis::tests::WavFile wav;
    const orvalis::tests::renderer::Result r = render(c.file(), "--rate 44100", wav);
    ASSERT_EQ(r.status, 0) << c.name << ": " << r.output;
    EXPECT_NE(r.output.find(c.summary), std::string::npos) << c.name << ": " << r.output;
    EXPECT_EQ(r.output.find("warning"), std::string::npos) << c.name << ": " << r.output;
    const long onset = orvalis::tests::firstAbove(wav.left, 1e-4f);
    EXPECT_GE(onset, std::lround(c.onsetSeconds * kRate)) << c.name;
    EXPECT_LT(onset, std::lround(c.onsetSeconds * kRate) + 600) << c.name;
  }
}

TEST_F(MidiFileReadingTest, FormatTwoPlaysTheSecondTrackAfterTheFirst) {
  MidiFileWriter m;
  m.format(2).note(0, kBeat, 69).endOfTrack(2 * kBeat).nextTrack().note(0, 2 * kBeat, 81);
  orvalis::tests::WavFile wav;
  const orvalis::tests::renderer::Result r =
      render(m.bytes(), "--param \"LFO DepthL=0\" --param 48=0", wav);
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NEAR(orvalis::tests::fundamentalHz(wav.left, kRate, 200, 1000, kRate / 10, 8192), 441, 3);
  EXPECT_NEAR(orvalis::tests::fundamentalHz(wav.left, kRate, 200, 1000, kRate + kRate / 10, 8192),
              882, 6);
}

TEST_F(MidiFileReadingTest, FileCutShortPlaysWhatIsWholeAndSaysSo) {
  MidiFileWriter m;
  m.note(0, kBeat, 69).note(kBeat, kBeat, 72);
  std::vector<uint8_t> file = m.bytes();
  struct Case {
    std::size_t cut;
    std::string summary, warning;
  };
  const Case cases[] = {
      {1, "with 4 events", "cut short: the file ends 1 byte early"},   // inside End-of-Track
      {5, "with 3 events", "cut short: the file ends 5 bytes early"},  // inside the last note-off
  };
  for (const Case& c : cases) {
    orvalis::tests::WavFile wav;
    const orvalis::tests::renderer::Result r =
        render(std::vector<uint8_t>(file.begin(), file.end() - c.cut), "", wav);
    ASSERT_EQ(r.status, 0) << c.cut << ": " << r.output;
    EXPECT_NE(r.output.find(c.summary), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("warning: " + path("song.mid") + ": track 1 is " + c.warning),
              std::string::npos)
        << r.output;
    EXPECT_GT(orvalis::tests::peak(wav.left), 0.01f);
  }
}

TEST_F(MidiFileReadingTest, HostileFilesAreRefusedWithOneLine) {
  struct Case {
    std::string name;
    std::vector<uint8_t> file;
    std::string message;
  };
  MidiFileWriter tooLong;
  tooLong.division(1).tempo(0, 60e6 / 0xFFFFFF).raw(0x0FFFFFFF, {0x90, 69, 100});
  const std::vector<uint8_t> header = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xE0};
  const Case cases[] = {
      {"empty", {}, "not a Standard MIDI File"},
      {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}, "not a Standard MIDI File"},
      {"RIFF, not RMID", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}, "not RIFF MIDI"},
      {"header cut short", {header.begin(), header.end() - 3}, "ends inside its header"},
      {"header of 4 bytes", {'M', 'T', 'h', 'd', 0, 0, 0, 4, 0, 0, 0, 1}, "header of 4 bytes"},
      {"no tracks", header, "without tracks"},
      {"format 3", oneTrack({0, 0xFF, 0x2F, 0}, 3), "unknown MIDI file format 3"},
      {"division 0", oneTrack({0, 0xFF, 0x2F, 0}, 0, 0), "division of 0 ticks"},
      {"SMPTE 31 fps", oneTrack({0, 0xFF, 0x2F, 0}, 0, 0xE101), "31 frames per second"},
      {"five-byte delta", oneTrack({0x81, 0x80, 0x80, 0x80, 0x00, 0x90, 60, 100}),
       "track 1 at byte 22: variable-length number longer than 4 bytes"},
      {"running status after SysEx", oneTrack({0, 0x90, 60, 100, 0, 0xF0, 1, 0xF7, 0, 60, 0}),
       "track 1 at byte 31: data byte 0x3C without a status byte"},
      {"running status after meta", oneTrack({0, 0x90, 60, 100, 0, 0xFF, 1, 0, 0, 60, 0}),
       "without a status byte"},
      {"status inside a note", oneTrack({0, 0x90, 60, 0x90, 0}), "status byte 0x90 inside"},
      {"system real-time byte", oneTrack({0, 0xF8, 0, 0x90, 60, 100}),
       "status byte 0xF8 is not allowed"},
      {"tempo of two bytes", oneTrack({0, 0xFF, 0x51, 2, 7, 0xA1}), "tempo event of 2 bytes"},
      {"tempo of zero", oneTrack({0, 0xFF, 0x51, 3, 0, 0, 0}), "tempo of 0"},
      {"song longer than 24 h", tooLong.bytes(), "longer than the limit of 24.0 h"},
  };
  for (const Case& c : cases) {
    orvalis::tests::WavFile wav;
    const orvalis::tests::renderer::Result r = render(c.file, "", wav);
    EXPECT_EQ(WEXITSTATUS(r.status), 1) << c.name << ": " << r.output;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.name << ": " << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << c.name << ": " << r.output;
    EXPECT_FALSE(exists(path("song.wav"))) << c.name;
    EXPECT_EQ(listing(), std::vector<std::string>{"song.mid"}) << c.name;
  }
}

TEST_F(MidiFileReadingTest, LimitsAreAnsweredWithOneLine) {
  // Ten million and one empty SysEx events: three bytes each.
  std::vector<uint8_t> body;
  body.reserve(30'000'010);
  for (int i = 0; i <= 10'000'000; ++i) body.insert(body.end(), {0x00, 0xF0, 0x00});
  orvalis::tests::WavFile wav;
  orvalis::tests::renderer::Result r = render(oneTrack(body), "", wav);
  EXPECT_EQ(WEXITSTATUS(r.status), 1) << r.output;
  EXPECT_NE(r.output.find("more than 10000000 events"), std::string::npos) << r.output;

  MidiFileWriter twoSeconds;
  twoSeconds.note(0, 4 * kBeat, 69);
  r = render(twoSeconds.bytes(), "--max-length 1.5", wav);
  EXPECT_EQ(WEXITSTATUS(r.status), 1) << r.output;
  EXPECT_NE(r.output.find("the song lasts 2.0 s, longer than the limit of 1.5 s"),
            std::string::npos)
      << r.output;
  r = render(twoSeconds.bytes(), "--max-length 2.5 --quiet", wav);
  EXPECT_EQ(r.status, 0) << r.output;
}
