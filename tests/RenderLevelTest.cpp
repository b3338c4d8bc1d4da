// What orvalis-render writes and reports about levels, through the real binary: the float WAV's
// header as readers want it, clipped samples counted for integer formats, --gain.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "tests/support/midi_file_writer.h"
#include "tests/support/renderer_process.h"
#include "tests/support/wav_file.h"

using orvalis::tests::MidiFileWriter;
using orvalis::tests::WavFile;
using orvalis::tests::renderer::Result;
using orvalis::tests::renderer::run;

namespace {

std::string shell(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    pclose(pipe);
  }
  return output;
}

class RenderLevelTest : public orvalis::tests::renderer::RendererFixture {
 protected:
  void SetUp() override {
    RendererFixture::SetUp();
    MidiFileWriter midi;
    midi.note(0, 480, 60, 127).note(0, 480, 64, 127).note(0, 480, 67, 127).note(480, 480, 72, 127);
    song = path("song.mid");
    ASSERT_TRUE(midi.write(song));
  }
  std::string song;
};

}  // namespace

TEST_F(RenderLevelTest, WavHeadersReadBackWithoutAWarning) {
  for (const std::string format : {"float", "pcm16", "pcm24"}) {
    for (const bool piped : {false, true}) {
      const std::string out = path(format + (piped ? "-piped" : "") + ".wav");
      const Result r =
          run(song + " --quiet --format " + format + " -o " + (piped ? "- | cat > " + out : out));
      ASSERT_EQ(r.status, 0) << r.output;
      const std::string sox = shell("sox --i " + out);
      EXPECT_NE(sox.find("Channels       : 2"), std::string::npos) << sox;
      EXPECT_EQ(sox.find("WARN"), std::string::npos) << format << ": " << sox;
      if (piped) continue;  // a stream's sizes are unknown, which readers note
      SF_INFO info{};
      SNDFILE* file = sf_open(out.c_str(), SFM_READ, &info);
      ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
      char log[4096] = {};
      sf_command(file, SFC_GET_LOG_INFO, log, sizeof log);
      sf_close(file);
      EXPECT_EQ(std::string(log).find("hould"), std::string::npos) << log;  // "Should be ..."
      EXPECT_EQ(std::string(log).find("arning"), std::string::npos) << log;
      if (format == "float") {
        EXPECT_NE(std::string(log).find("fact"), std::string::npos) << log;
        WavFile wav;
        ASSERT_TRUE(orvalis::tests::readWav(out, wav));
        EXPECT_EQ(static_cast<sf_count_t>(wav.left.size()), info.frames);
        const std::string bytes = orvalis::tests::renderer::readFile(out);
        EXPECT_EQ(bytes.substr(12, 8), std::string("fmt \x12\0\0\0", 8));
      }
    }
  }
}

TEST_F(RenderLevelTest, IntegerFormatsCountTheSamplesTheyClip) {
  // Loud enough to clip; the float file keeps every sample, so it tells what was clipped.
  ASSERT_EQ(run(song + " --quiet --gain 12 -o " + path("float.wav")).status, 0);
  WavFile loud;
  ASSERT_TRUE(orvalis::tests::readWav(path("float.wav"), loud));
  long long beyond = 0;
  for (std::size_t i = 0; i < loud.left.size(); ++i)
    beyond += (std::fabs(loud.left[i]) > 1.f) + (std::fabs(loud.right[i]) > 1.f);
  ASSERT_GT(beyond, 0);
  struct Case {
    std::string options, expected;
  };
  const Case cases[] = {
      {"--gain 12 --format pcm16", ", " + std::to_string(beyond) + " samples clipped, RMS"},
      {"--gain 12 --format pcm24", ", " + std::to_string(beyond) + " samples clipped, RMS"},
      {"--format pcm16", ", 0 samples clipped, RMS"},
  };
  for (const Case& c : cases) {
    const Result r = run(song + " -o " + path("out.wav") + " " + c.options);
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find(c.expected), std::string::npos) << c.options << ": " << r.output;
  }
  const Result r = run(song + " --gain 12 -o " + path("out.wav"));
  EXPECT_EQ(r.output.find("clipped"), std::string::npos) << r.output;  // float clips nothing
  EXPECT_NE(r.output.find("peak "), std::string::npos) << r.output;
}

TEST_F(RenderLevelTest, GainScalesEverySample) {
  ASSERT_EQ(run(song + " --quiet --tail 0 -o " + path("plain.wav")).status, 0);
  ASSERT_EQ(run(song + " --quiet --tail 0 --gain -6.5 -o " + path("quiet.wav")).status, 0);
  WavFile plain, quiet;
  ASSERT_TRUE(orvalis::tests::readWav(path("plain.wav"), plain));
  ASSERT_TRUE(orvalis::tests::readWav(path("quiet.wav"), quiet));
  ASSERT_EQ(plain.left.size(), quiet.left.size());
  const float gain = static_cast<float>(std::pow(10.0, -6.5 / 20));
  for (std::size_t i = 0; i < plain.left.size(); ++i) {
    ASSERT_EQ(quiet.left[i], plain.left[i] * gain) << i;
    ASSERT_EQ(quiet.right[i], plain.right[i] * gain) << i;
  }
}
