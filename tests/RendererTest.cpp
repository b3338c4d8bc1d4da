// The real orvalis-render binary on small MIDI files of our own.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/renderer_process.h"
#include "tests/support/midi_file_writer.h"
#include "tests/support/signal_analysis.h"
#include "tests/support/wav_file.h"

using renderer_test::exists;
using renderer_test::Result;
using renderer_test::run;
using testing_host::MidiFileWriter;
using testing_host::WavFile;

namespace {

class RendererTest : public renderer_test::RendererFixture {
 protected:
  // Two notes at 120 bpm: A4 for one beat from beat 0, C5 for one beat from beat 2.
  std::string twoNotes() {
    MidiFileWriter midi;
    midi.tempo(0, 120).note(0, 480, 69).note(960, 480, 72);
    const std::string p = path("two.mid");
    EXPECT_TRUE(midi.write(p));
    return p;
  }
};

}  // namespace

TEST_F(RendererTest, TwoNotesRenderTheExpectedLengthAndPitch) {
  const std::string out = path("two.wav");
  const Result r = run(twoNotes() + " -o " + out + " --param \"LFO DepthL=0\" --param 48=0");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("peak"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("CPU"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(out + ": "), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("song 1.50 s with 4 events"), std::string::npos) << r.output;
  WavFile wav;
  ASSERT_TRUE(testing_host::readWav(out, wav));
  EXPECT_EQ(wav.sampleRate, 44100);
  EXPECT_EQ(wav.channels, 2);
  EXPECT_EQ(wav.format & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT);
  // The last note ends at 1.5 s; the release tail (about 0.4 s) follows, capped at 10 s.
  const double seconds = wav.left.size() / 44100.0;
  EXPECT_GT(seconds, 1.6);
  EXPECT_LT(seconds, 4.0);
  EXPECT_GT(testing_host::peak(wav.left), 0.01f);
  EXPECT_NEAR(testing_host::fundamentalHz(wav.left, 44100, 200, 1000, 4410, 8192), 441.0, 3.0);
  EXPECT_NEAR(testing_host::fundamentalHz(wav.left, 44100, 200, 1000, 44100 + 4410, 8192),
              441.0 * std::pow(2.0, 3 / 12.0), 4.0);
  EXPECT_EQ(listing(), (std::vector<std::string>{"two.mid", "two.wav"}));
}

TEST_F(RendererTest, ParametersAndProgramsChangeTheResult) {
  const std::string midi = twoNotes();
  ASSERT_EQ(run(midi + " --quiet -o " + path("a.wav")).status, 0);
  ASSERT_EQ(run(midi + " --quiet -o " + path("b.wav") + " --param \"Osc Type=0.6\"").status, 0);
  ASSERT_EQ(run(midi + " --quiet -o " + path("c.wav") + " --param 28=0.6").status, 0);
  WavFile a, b, c;
  ASSERT_TRUE(testing_host::readWav(path("a.wav"), a));
  ASSERT_TRUE(testing_host::readWav(path("b.wav"), b));
  ASSERT_TRUE(testing_host::readWav(path("c.wav"), c));
  EXPECT_NE(a.left, b.left);
  EXPECT_EQ(b.left, c.left);  // by name or by index, the same parameter
  // Program 3 differs from program 0 only if it was changed; a fresh bank is all "Basique".
  ASSERT_EQ(run(midi + " --quiet -o " + path("d.wav") + " --program 3").status, 0);
  WavFile d;
  ASSERT_TRUE(testing_host::readWav(path("d.wav"), d));
  EXPECT_EQ(a.left.size(), d.left.size());
}

TEST_F(RendererTest, TempoChangeMovesTheNotes) {
  MidiFileWriter slow;
  slow.tempo(0, 120).tempo(480, 60).note(960, 480, 69);  // beat 1 at 0.5 s, beat 2 at 1.5 s
  ASSERT_TRUE(slow.write(path("slow.mid")));
  ASSERT_EQ(run(path("slow.mid") + " --quiet -o " + path("slow.wav")).status, 0);
  WavFile wav;
  ASSERT_TRUE(testing_host::readWav(path("slow.wav"), wav));
  const long onset = testing_host::firstAbove(wav.left, 1e-4f);
  EXPECT_GT(onset, static_cast<long>(1.5 * 44100));
  EXPECT_LT(onset, static_cast<long>(1.5 * 44100) + 600);
}

TEST_F(RendererTest, SameFileTwiceGivesIdenticalSamples) {
  const std::string midi = twoNotes();
  ASSERT_EQ(run(midi + " --quiet --format pcm24 -o " + path("1.wav")).status, 0);
  ASSERT_EQ(run(midi + " --quiet --format pcm24 -o " + path("2.wav")).status, 0);
  WavFile one, two;
  ASSERT_TRUE(testing_host::readWav(path("1.wav"), one));
  ASSERT_TRUE(testing_host::readWav(path("2.wav"), two));
  EXPECT_EQ(one.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_24);
  EXPECT_EQ(one.left, two.left);
  EXPECT_EQ(one.right, two.right);
}

TEST_F(RendererTest, ListParamsPrintsEveryParameter) {
  const Result r = run("--list-params");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("Filtre1 Freq High"), std::string::npos);
  EXPECT_NE(r.output.find("Droite 64"), std::string::npos);
  EXPECT_NE(r.output.find("   60  Polyphonie"), std::string::npos) << r.output;
}

TEST_F(RendererTest, EveryErrorExitsNonZeroAndLeavesNoFile) {
  const std::string midi = twoNotes();
  const std::string out = path("out.wav");
  std::ofstream(path("junk.mid")) << "this is not MIDI";
  struct Case {
    std::string arguments;
    std::string message;
  };
  const Case cases[] = {
      {path("missing.mid"), "cannot read MIDI file"},
      {path("junk.mid"), "not a Standard MIDI File"},
      {midi + " --plugin " + path("none.so"), "cannot load plug-in"},
      {midi + " --plugin " + std::string(FAKE_WRONG_MAGIC_PATH), "wrong magic"},
      {midi + " --plugin " + std::string(FAKE_EFFECT_PATH), "not a VST 2 instrument"},
      {midi + " --plugin /lib/x86_64-linux-gnu/libm.so.6", "not a VST 2 plug-in"},
      {midi + " --rate 0", "bad --rate"},
      {midi + " --rate 44100.5", "bad --rate (want a whole number of Hz"},
      {midi + " --max-length 0", "bad --max-length"},
      {midi + " " + path("a.wav") + " " + path("b.wav"), "too many files given"},
      {midi + " " + path("a.wav"), "two outputs given"},
      {midi + " --block 0", "bad --block"},
      {midi + " --format mp3", "bad --format"},
      {midi + " --param 99=0.5", "out of range"},
      {midi + " --param \"No Such=1\"", "no parameter named"},
      {midi + " --param 3", "bad parameter setting"},
      {midi + " --program 128", "out of range"},
      {midi + " --tail -1", "bad --tail"},
      {midi + " --bogus", "unknown option"},
      {"", "no MIDI file given"},
  };
  for (const Case& c : cases) {
    const Result r = run(c.arguments + " -o " + out);
    EXPECT_NE(r.status, 0) << c.arguments;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.arguments << ": " << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
    EXPECT_FALSE(exists(out)) << c.arguments;
  }
  const Result r = run(midi + " -o /nonexistent/dir/out.wav");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find("cannot write"), std::string::npos) << r.output;
  EXPECT_FALSE(exists("/nonexistent/dir"));
}

TEST_F(RendererTest, BankOptionsLoadAndSaveAsHostsDo) {
  const std::string midi = twoNotes();
  const std::string factory = std::string(ORVALIS_PRESETS_DIR) + "/Orvalis Factory.fxb";
  const std::string strings = std::string(ORVALIS_PRESETS_DIR) + "/Ensemble/048 String Section.fxp";
  ASSERT_EQ(run(midi + " --quiet -o " + path("basique.wav")).status, 0);
  const Result banked = run(midi + " --quiet -o " + path("bank.wav") + " --bank \"" + factory +
                            "\" --program 48 --save-bank " + path("saved.fxb"));
  ASSERT_EQ(banked.status, 0) << banked.output;
  ASSERT_EQ(
      run(midi + " --quiet -o " + path("preset.wav") + " --preset \"" + strings + "\"").status, 0);
  WavFile basique, bank, preset;
  ASSERT_TRUE(testing_host::readWav(path("basique.wav"), basique));
  ASSERT_TRUE(testing_host::readWav(path("bank.wav"), bank));
  ASSERT_TRUE(testing_host::readWav(path("preset.wav"), preset));
  EXPECT_NE(basique.left, bank.left);
  EXPECT_EQ(bank.left, preset.left);  // the same program, from the bank or on its own
  ASSERT_EQ(
      run(midi + " --quiet -o " + path("at.wav") + " --bank \"" + factory + "\" --program-at 0:48")
          .status,
      0);
  WavFile at;
  ASSERT_TRUE(testing_host::readWav(path("at.wav"), at));
  EXPECT_EQ(bank.left, at.left);  // selected at the first block
  // Nothing was automated: the saved bank is the loaded one, with program 48 current.
  const std::string saved = renderer_test::readFile(path("saved.fxb"));
  const std::string loaded = renderer_test::readFile(factory);
  ASSERT_EQ(saved.size(), loaded.size());
  constexpr std::size_t kCurrentProgram = 28;  // big-endian, in the bank's header
  EXPECT_EQ(saved.substr(0, kCurrentProgram), loaded.substr(0, kCurrentProgram));
  EXPECT_EQ(saved.substr(kCurrentProgram, 4), std::string("\0\0\0\x30", 4));
  const auto differ = std::mismatch(saved.begin() + 32, saved.end(), loaded.begin() + 32);
  EXPECT_TRUE(differ.first == saved.end()) << "differs at byte " << differ.first - saved.begin();

  const std::string bytes = renderer_test::readFile(factory);
  auto spoiled = [&](const std::string& name, std::string content) {
    std::ofstream(path(name), std::ios::binary) << content;
    return path(name);
  };
  std::string otherPlugin = bytes;
  otherPlugin.replace(16, 4, "Zz9q");
  std::string nan = bytes;
  nan.replace(bytes.size() - 4, 4, std::string("\x7f\xc0\x00\x00", 4));
  struct Case {
    std::string option, message;
  };
  const Case cases[] = {
      {"--bank " + spoiled("magic.fxb", "RIFF" + bytes.substr(4)), "magic"},
      {"--bank " + spoiled("short.fxb", bytes.substr(0, 100)), "truncated"},
      {"--bank " + spoiled("other.fxb", otherPlugin), "another plug-in"},
      {"--bank " + spoiled("nan.fxb", nan), "not a number"},
      {"--preset \"" + factory + "\"", "bank"},
      {"--bank " + path("missing.fxb"), "missing.fxb"},
      {"--program-at 3", "bad --program-at"},
      {"--program-at 1:128", "out of range"},
  };
  for (const Case& c : cases) {
    const Result r = run(midi + " -o " + path("out.wav") + " " + c.option);
    EXPECT_NE(r.status, 0) << c.option;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.option << ": " << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
    EXPECT_FALSE(exists(path("out.wav"))) << c.option;
  }
}
