// orvalis-render --gm through the real binary, on songs written here: programs, controllers,
// the sustain pedal, bend sensitivity, All Sound Off, the drum channel and the mix.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tests/support/midi_file_writer.h"
#include "tests/support/renderer_process.h"
#include "tests/support/signal_analysis.h"
#include "tests/support/wav_file.h"

using orvalis::tests::MidiFileWriter;
using orvalis::tests::WavFile;
using orvalis::tests::renderer::Result;
using orvalis::tests::renderer::run;

namespace {

constexpr uint32_t kSecond = 2 * MidiFileWriter::kPpq;  // at the default 120 bpm
constexpr std::size_t kRate = 44100;
constexpr int kOrgan = 16;  // the factory bank's Drawbar Organ: it holds its level while held
constexpr int kVolume = 7, kPan = 10, kExpression = 11, kSustain = 64, kAllSoundOff = 120;

std::size_t at(double seconds) { return static_cast<std::size_t>(seconds * kRate); }

class GeneralMidiRenderTest : public orvalis::tests::renderer::RendererFixture {
 protected:
  WavFile render(const MidiFileWriter& song, const std::string& options,
                 std::string* output = nullptr) {
    const std::string name = "song" + std::to_string(count++);
    WavFile wav;
    EXPECT_TRUE(song.write(path(name + ".mid")));
    const Result r = run(path(name + ".mid") + " -o " + path(name + ".wav") + " " + options);
    EXPECT_EQ(r.status, 0) << options << ": " << r.output;
    EXPECT_TRUE(orvalis::tests::readWav(path(name + ".wav"), wav)) << options;
    if (output) *output = r.output;
    return wav;
  }
  int count = 0;
};

}  // namespace

TEST_F(GeneralMidiRenderTest, ProgramChangeActsFromItsTimeAsProgramAtDoes) {
  // Full volume and hard right: the right side is then the instrument's own output.
  MidiFileWriter song;
  song.control(0, 0, kVolume, 127).control(0, 0, kPan, 127);
  song.note(0, 3 * kSecond / 2, 60).note(2 * kSecond, kSecond, 64).note(2 * kSecond, kSecond, 67);
  MidiFileWriter changed = song;
  changed.program(2 * kSecond, 0, 48);
  const WavFile gm = render(changed, "--gm");
  const WavFile plain = render(song, "--program-at 2:48");
  const WavFile unchanged = render(song, "--gm");
  EXPECT_EQ(gm.right, plain.right);
  EXPECT_LT(orvalis::tests::peak(gm.left), 1e-9f);
  // The same before 2 s (up to the block that holds the change), another sound after it.
  ASSERT_GT(unchanged.right.size(), at(2.5));
  EXPECT_TRUE(std::equal(gm.right.begin(), gm.right.begin() + at(1.99), unchanged.right.begin()));
  EXPECT_FALSE(std::equal(gm.right.begin() + at(2), gm.right.begin() + at(2.5),
                          unchanged.right.begin() + at(2)));
}

TEST_F(GeneralMidiRenderTest, VolumeExpressionAndPanScaleTheChannel) {
  auto withController = [](int number, int value) {
    MidiFileWriter song;
    song.program(0, 0, kOrgan).control(0, 0, number, value).note(kSecond / 10, kSecond, 69);
    return song;
  };
  // Without a tail every render has the song's length, however quiet.
  const WavFile full = render(withController(kVolume, 127), "--gm --tail 0");
  const double fullLeft = orvalis::tests::rms(full.left),
               fullRight = orvalis::tests::rms(full.right);
  ASSERT_GT(fullLeft, 1e-3);
  struct Case {
    int number, value;
    double left, right;  // expected RMS relative to full volume at the centre
  };
  const double centre = std::sqrt(0.5);
  const Case cases[] = {
      {kVolume, 0, 0, 0},
      {kExpression, 0, 0, 0},
      {kVolume, 64, std::pow(64 / 127.0, 2), std::pow(64 / 127.0, 2)},
      {kVolume, 100, std::pow(100 / 127.0, 2), std::pow(100 / 127.0, 2)},  // as by default
      {kExpression, 64, std::pow(64 / 127.0, 2) * std::pow(100 / 127.0, 2),
       std::pow(64 / 127.0, 2) * std::pow(100 / 127.0, 2)},
      {kPan, 0, std::pow(100 / 127.0, 2) / centre, 0},
      {kPan, 127, 0, std::pow(100 / 127.0, 2) / centre},
  };
  for (const Case& c : cases) {
    const WavFile wav = render(withController(c.number, c.value), "--gm --tail 0");
    ASSERT_EQ(wav.left.size(), full.left.size()) << c.number << "=" << c.value;
    EXPECT_NEAR(orvalis::tests::rms(wav.left) / fullLeft, c.left, 1e-4)
        << c.number << "=" << c.value;
    EXPECT_NEAR(orvalis::tests::rms(wav.right) / fullRight, c.right, 1e-4)
        << c.number << "=" << c.value;
  }
  // A step is a ramp of a few milliseconds, not a click: still sounding just after it, silent
  // once it is over.
  MidiFileWriter step = withController(kVolume, 127);
  step.control(kSecond / 2, 0, kVolume, 0);
  const WavFile stepped = render(step, "--gm");
  EXPECT_GT(orvalis::tests::peak(stepped.left, at(0.5), at(0.5) + 100),
            0.3f * orvalis::tests::peak(full.left, at(0.3), at(0.5)));
  EXPECT_EQ(orvalis::tests::peak(stepped.left, at(0.5) + at(0.006)), 0.f);
}

TEST_F(GeneralMidiRenderTest, SustainPedalHoldsNotesAndReleasesEveryOne) {
  MidiFileWriter plain;
  plain.program(0, 0, kOrgan).note(kSecond / 10, kSecond / 2, 69).endOfTrack(2 * kSecond);
  MidiFileWriter pedalled = plain;
  pedalled.control(0, 0, kSustain, 127).control(2 * kSecond, 0, kSustain, 0);
  const WavFile off = render(plain, "--gm");
  const WavFile held = render(pedalled, "--gm");
  const double playing = orvalis::tests::rms(off.left, at(0.2), at(0.5));
  ASSERT_GT(playing, 1e-3);
  EXPECT_LT(orvalis::tests::rms(off.left, at(1.2), at(1.8)), 0.01 * playing);
  EXPECT_GT(orvalis::tests::rms(held.left, at(1.2), at(1.8)), 0.5 * playing);
  // After the pedal comes up the note ends as an unpedalled one does.
  EXPECT_LT(held.left.size(), at(2) + (off.left.size() - at(0.6)) + at(0.1));

  // A key struck again and again under the pedal: every voice ends when the pedal rises, so the
  // render stops with the release instead of running into the ten-second tail.
  MidiFileWriter restruck;
  restruck.program(0, 0, kOrgan).control(0, 0, kSustain, 127);
  for (uint32_t t = kSecond / 10; t < kSecond; t += kSecond / 5) restruck.note(t, kSecond / 10, 69);
  restruck.control(kSecond, 0, kSustain, 0);
  const WavFile again = render(restruck, "--gm");
  EXPECT_GT(orvalis::tests::rms(again.left, at(0.8), at(1.0)), 0.5 * playing);
  EXPECT_LT(again.left.size(), at(1) + (off.left.size() - at(0.6)) + at(0.1));
}

TEST_F(GeneralMidiRenderTest, BendSpansTheSensitivityTheSongSets) {
  struct Case {
    int semitones, cents;  // -1: no RPN 0 in the song (2 semitones, the default)
    double interval;
  };
  const Case cases[] = {{-1, 0, 2}, {2, 0, 2}, {7, 0, 7}, {0, 50, 0.5}, {12, 0, 12}};
  for (const Case& c : cases) {
    MidiFileWriter song;
    song.program(0, 0, kOrgan);
    if (c.semitones >= 0)
      song.control(0, 0, 101, 0)
          .control(0, 0, 100, 0)
          .control(0, 0, 6, c.semitones)
          .control(0, 0, 38, c.cents);
    song.bend(0, 0, 8191).note(kSecond / 10, kSecond, 57);
    const WavFile wav = render(song, "--gm");
    const double expected = 220 * std::pow(2.0, c.interval * 8191 / 8192 / 12);
    // Searched within a fifth either side, so that no octave of the tone is taken for it.
    EXPECT_NEAR(orvalis::tests::fundamentalHz(wav.left, kRate, expected / 1.5, expected * 1.5,
                                              at(0.4), 8192),
                expected, expected * 0.003)
        << c.semitones << " semitones " << c.cents << " cents";
  }
  // A bend on channel 2 leaves channel 1 alone.
  MidiFileWriter two;
  two.program(0, 0, kOrgan).program(0, 1, kOrgan).bend(0, 1, 8191);
  two.note(kSecond / 10, kSecond, 57, 100, 0);
  const WavFile first = render(two, "--gm --channels 1");
  EXPECT_NEAR(orvalis::tests::fundamentalHz(first.left, kRate, 150, 330, at(0.4), 8192), 220, 0.7);
}

TEST_F(GeneralMidiRenderTest, AllSoundOffSilencesWithinTheFade) {
  MidiFileWriter song;
  song.program(0, 0, kOrgan).note(0, 3 * kSecond, 69).control(kSecond, 0, kAllSoundOff, 0);
  song.note(2 * kSecond, kSecond / 2, 72);
  const WavFile wav = render(song, "--gm");
  EXPECT_GT(orvalis::tests::peak(wav.left, at(0.9), at(1)), 0.01f);
  EXPECT_EQ(orvalis::tests::peak(wav.left, at(1) + at(0.006), at(2)), 0.f);
  EXPECT_EQ(orvalis::tests::peak(wav.right, at(1) + at(0.006), at(2)), 0.f);
  // The next note sounds again.
  EXPECT_GT(orvalis::tests::peak(wav.left, at(2.1), at(2.4)), 0.01f);
}

TEST_F(GeneralMidiRenderTest, DrumChannelIsLeftOutUnlessAProgramIsNamed) {
  MidiFileWriter song;
  song.note(0, kSecond / 2, 60, 100, 0);
  for (uint32_t t = 0; t < kSecond; t += kSecond / 4) song.note(t, kSecond / 8, 36, 100, 9);
  std::string output;
  const WavFile left = render(song, "--gm", &output);
  EXPECT_NE(output.find("channel 10 (drums) left out"), std::string::npos) << output;
  EXPECT_NE(output.find("channels 1)"), std::string::npos) << output;
  const WavFile melody = render(song, "--gm --channels 1", &output);
  EXPECT_EQ(output.find("channel 10"), std::string::npos) << output;
  EXPECT_EQ(left.left, melody.left);
  const WavFile drums = render(song, "--gm --drums 115 --channels 10", &output);
  EXPECT_NE(output.find("channels 10)"), std::string::npos) << output;
  EXPECT_GT(orvalis::tests::peak(drums.left), 0.01f);
  // Without --gm, --channels picks what the one instance plays.
  EXPECT_LT(orvalis::tests::peak(render(song, "--channels 2-9,11-16").left), 1e-6f);
  EXPECT_GT(orvalis::tests::peak(render(song, "--channels 10").left), 0.01f);
}

TEST_F(GeneralMidiRenderTest, ChannelsMixAsTheSumOfEachAlone) {
  MidiFileWriter song;
  song.program(0, 1, 48).control(0, 1, kPan, 20);
  song.note(0, kSecond, 60, 100, 0).note(kSecond / 4, kSecond, 67, 90, 1);
  const WavFile both = render(song, "--gm --tail 0");
  const WavFile first = render(song, "--gm --tail 0 --channels 1");
  const WavFile second = render(song, "--gm --tail 0 --channels 2");
  ASSERT_EQ(both.left.size(), first.left.size());
  ASSERT_EQ(both.left.size(), second.left.size());
  double worst = 0;
  for (std::size_t i = 0; i < both.left.size(); ++i) {
    worst = std::max(worst, std::fabs(double(both.left[i]) - first.left[i] - second.left[i]));
    worst = std::max(worst, std::fabs(double(both.right[i]) - first.right[i] - second.right[i]));
  }
  EXPECT_LT(worst, 1e-6);
  EXPECT_GT(orvalis::tests::peak(first.left), 0.01f);
  EXPECT_GT(orvalis::tests::peak(second.left), 0.01f);
}
