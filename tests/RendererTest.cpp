// The real orvalis-render binary on small MIDI files of our own.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/support/midi_file_writer.h"
#include "tests/support/renderer_process.h"
#include "tests/support/signal_analysis.h"
#include "tests/support/wav_file.h"

using orvalis::tests::MidiFileWriter;
using orvalis::tests::WavFile;
using orvalis::tests::renderer::exists;
using orvalis::tests::renderer::Result;
using orvalis::tests::renderer::run;

namespace {

class RendererTest : public orvalis::tests::renderer::RendererFixture {
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
  ASSERT_TRUE(orvalis::tests::readWav(out, wav));
  EXPECT_EQ(wav.sampleRate, 44100);
  EXPECT_EQ(wav.channels, 2);
  EXPECT_EQ(wav.format & SF_FORMAT_SUBMASK, SF_FORMAT_FLOAT);
  // The last note ends at 1.5 s; the release tail (about 0.4 s) follows, capped at 10 s.
  const double seconds = wav.left.size() / 44100.0;
  EXPECT_GT(seconds, 1.6);
  EXPECT_LT(seconds, 4.0);
  EXPECT_GT(orvalis::tests::peak(wav.left), 0.01f);
  EXPECT_NEAR(orvalis::tests::fundamentalHz(wav.left, 44100, 200, 1000, 4410, 8192), 441.0, 3.0);
  EXPECT_NEAR(orvalis::tests::fundamentalHz(wav.left, 44100, 200, 1000, 44100 + 4410, 8192),
              441.0 * std::pow(2.0, 3 / 12.0), 4.0);
  EXPECT_EQ(listing(), (std::vector<std::string>{"two.mid", "two.wav"}));
}

TEST_F(RendererTest, ParametersAndProgramsChangeTheResult) {
  const std::string midi = twoNotes();
  const std::string factory = std::string(ORVALIS_PRESETS_DIR) + "/Orvalis Factory.fxb";
  struct Render {
    std::string name, options;
  };
  const Render renders[] = {
      {"a", "--no-bank"},
      {"b", "--no-bank --param \"Osc Type=0.6\""},
      {"c", "--no-bank --param 28=0.6"},
      {"c2", "--no-bank --param \"osc TYPE=fm2\""},  // a name in any case, a choice by name
      {"d", "--no-bank --program 3"},
      {"e", "--program 3"},  // the factory bank, loaded by default
      {"f", "--bank \"" + factory + "\" --program 3"},
  };
  std::map<std::string, WavFile> wav;
  for (const Render& r : renders) {
    const std::string out = path(r.name + ".wav");
    ASSERT_EQ(run(midi + " --quiet -o " + out + " " + r.options).status, 0) << r.options;
    ASSERT_TRUE(orvalis::tests::readWav(out, wav[r.name])) << r.options;
  }
  EXPECT_NE(wav["a"].left, wav["b"].left);
  EXPECT_EQ(wav["b"].left, wav["c"].left);  // by name or by index, the same parameter
  EXPECT_EQ(wav["b"].left, wav["c2"].left);
  // Without the factory bank, program 3 is one more "Basique".
  EXPECT_EQ(wav["a"].left, wav["d"].left);
  EXPECT_NE(wav["a"].left, wav["e"].left);
  EXPECT_EQ(wav["e"].left, wav["f"].left);
}

TEST_F(RendererTest, TempoChangeMovesTheNotes) {
  MidiFileWriter slow;
  slow.tempo(0, 120).tempo(480, 60).note(960, 480, 69);  // beat 1 at 0.5 s, beat 2 at 1.5 s
  ASSERT_TRUE(slow.write(path("slow.mid")));
  ASSERT_EQ(run(path("slow.mid") + " --quiet -o " + path("slow.wav")).status, 0);
  WavFile wav;
  ASSERT_TRUE(orvalis::tests::readWav(path("slow.wav"), wav));
  const long onset = orvalis::tests::firstAbove(wav.left, 1e-4f);
  EXPECT_GT(onset, static_cast<long>(1.5 * 44100));
  EXPECT_LT(onset, static_cast<long>(1.5 * 44100) + 600);
}

TEST_F(RendererTest, SameFileTwiceGivesIdenticalSamples) {
  const std::string midi = twoNotes();
  ASSERT_EQ(run(midi + " --quiet --format pcm24 -o " + path("1.wav")).status, 0);
  ASSERT_EQ(run(midi + " --quiet --format pcm24 -o " + path("2.wav")).status, 0);
  WavFile one, two;
  ASSERT_TRUE(orvalis::tests::readWav(path("1.wav"), one));
  ASSERT_TRUE(orvalis::tests::readWav(path("2.wav"), two));
  EXPECT_EQ(one.format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_24);
  EXPECT_EQ(one.left, two.left);
  EXPECT_EQ(one.right, two.right);
}

TEST_F(RendererTest, ListingsShowThePluginAsLoaded) {
  const std::string strings = std::string(ORVALIS_PRESETS_DIR) + "/Ensemble/048 String Section.fxp";
  struct Case {
    std::string arguments;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"--list-params", {"Filtre1 Freq High", "Droite 64", "   60  Polyphonie"}},
      {"--list-programs", {"      0  Concert Grand", "      3  Saloon Piano", "    127  "}},
      {"--no-bank --list-programs", {"      3  Basique", "    127  Basique"}},
      // A program file goes into program 0 of the plug-in's own bank.
      {"--preset \"" + strings + "\" --list-programs", {"      0  String Section", "  1  Basique"}},
      {"--list-params --list-programs", {"Polyphonie", "Saloon Piano"}},
  };
  for (const Case& c : cases) {
    const Result r = run(c.arguments);
    ASSERT_EQ(r.status, 0) << c.arguments << ": " << r.output;
    for (const std::string& line : c.lines)
      EXPECT_NE(r.output.find(line), std::string::npos) << c.arguments << ": " << r.output;
  }
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
      {midi + " --param \"Osc Type=1.5\"", "value 1.5 for 'Osc Type' is outside 0..1"},
      {midi + " --param 28=-0.1", "is outside 0..1"},
      {midi + " --param \"Osc Type=FM7\"",
       "bad value 'FM7' for 'Osc Type' (want 0..1 or one of Pulse, SupSaw, FM1, FM2, FM3, "
       "WaveTable)"},
      {midi + " --automate \"1:portamento=2\"", "outside 0..1"},
      {midi + " --save-bank " + path("s.fxb") + " --plugin " + FAKE_CHUNK_INSTRUMENT_PATH,
       "keeps its programs as chunks"},
      {midi + " --gain x", "bad --gain"},
      {midi + " --gain 41", "bad --gain"},
      {midi + " --channels 0", "bad --channels"},
      {midi + " --channels 3-2", "bad --channels"},
      {midi + " --channels 1,,2", "bad --channels"},
      {midi + " --channels 17", "bad --channels"},
      {midi + " --drums 0", "--drums needs --gm"},
      {midi + " --gm --drums 128", "bad --drums"},
      {midi + " --gm --program 3", "--program cannot be used with --gm"},
      {midi + " --gm --param 3=0", "cannot be used with --gm"},
      {midi + " --no-bank --bank x.fxb", "exclude each other"},
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
  ASSERT_EQ(run(midi + " --quiet --no-bank -o " + path("basique.wav")).status, 0);
  const Result banked = run(midi + " --quiet -o " + path("bank.wav") + " --bank \"" + factory +
                            "\" --program 48 --save-bank " + path("saved.fxb"));
  ASSERT_EQ(banked.status, 0) << banked.output;
  ASSERT_EQ(
      run(midi + " --quiet -o " + path("preset.wav") + " --preset \"" + strings + "\"").status, 0);
  WavFile basique, bank, preset;
  ASSERT_TRUE(orvalis::tests::readWav(path("basique.wav"), basique));
  ASSERT_TRUE(orvalis::tests::readWav(path("bank.wav"), bank));
  ASSERT_TRUE(orvalis::tests::readWav(path("preset.wav"), preset));
  EXPECT_NE(basique.left, bank.left);
  EXPECT_EQ(bank.left, preset.left);  // the same program, from the bank or on its own
  ASSERT_EQ(
      run(midi + " --quiet -o " + path("at.wav") + " --bank \"" + factory + "\" --program-at 0:48")
          .status,
      0);
  WavFile at;
  ASSERT_TRUE(orvalis::tests::readWav(path("at.wav"), at));
  EXPECT_EQ(bank.left, at.left);  // selected at the first block
  // Nothing was automated: the saved bank is the loaded one, with program 48 current.
  const std::string saved = orvalis::tests::renderer::readFile(path("saved.fxb"));
  const std::string loaded = orvalis::tests::renderer::readFile(factory);
  ASSERT_EQ(saved.size(), loaded.size());
  constexpr std::size_t kCurrentProgram = 28;  // big-endian, in the bank's header
  EXPECT_EQ(saved.substr(0, kCurrentProgram), loaded.substr(0, kCurrentProgram));
  EXPECT_EQ(saved.substr(kCurrentProgram, 4), std::string("\0\0\0\x30", 4));
  const auto differ = std::mismatch(saved.begin() + 32, saved.end(), loaded.begin() + 32);
  EXPECT_TRUE(differ.first == saved.end()) << "differs at byte " << differ.first - saved.begin();

  const std::string bytes = orvalis::tests::renderer::readFile(factory);
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

TEST_F(RendererTest, InterruptionSaysInOneLineWhatWasLeft) {
  MidiFileWriter hour;
  hour.note(0, 240, 69).endOfTrack(7200 * 480);
  ASSERT_TRUE(hour.write(path("hour.mid")));
  std::ofstream(path("old.wav")) << "an older render";
  struct Case {
    int signal;
    std::string output, expected;
  };
  const Case cases[] = {
      {SIGINT, "new.wav", "orvalis-render: interrupted: nothing written to " + path("new.wav")},
      {SIGTERM, "old.wav", "orvalis-render: terminated: " + path("old.wav") + " left as it was"},
  };
  for (const Case& c : cases) {
    orvalis::tests::renderer::Child child = orvalis::tests::renderer::start(
        {path("hour.mid"), "-o", path(c.output)}, path("messages.txt"));
    // Wait for the render to be under way: its temporary file appears.
    bool started = false;
    for (int i = 0; i < 500 && !started; ++i) {
      usleep(10000);
      for (const std::string& name : listing())
        started |= name.rfind(c.output + ".partial-", 0) == 0;
    }
    EXPECT_TRUE(started);
    kill(child.pid, c.signal);
    orvalis::tests::renderer::wait(child);
    EXPECT_TRUE(WIFSIGNALED(child.status) && WTERMSIG(child.status) == c.signal) << child.status;
    EXPECT_EQ(orvalis::tests::renderer::readFile(path("messages.txt")), c.expected + "\n");
  }
  EXPECT_EQ(orvalis::tests::renderer::readFile(path("old.wav")), "an older render");
  EXPECT_FALSE(exists(path("new.wav")));
}
