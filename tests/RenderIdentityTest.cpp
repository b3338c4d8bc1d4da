// Renders of known songs must not change by accident: a checksum of every sample of each render,
// kept in tests/golden/render_checksums.txt. ORVALIS_GOLDEN=record rewrites the file when a change
// of sound is meant.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "tests/support/midi_file_writer.h"
#include "tests/support/renderer_process.h"
#include "tests/support/scoped_env.h"
#include "tests/support/wav_file.h"

using orvalis::tests::MidiFileWriter;
using orvalis::tests::renderer::RendererFixture;

namespace {

const std::string kGoldenPath =
    std::string(ORVALIS_SOURCE_DIR) + "/tests/golden/render_checksums.txt";

// FNV-1a over the bit patterns of the samples, left and right interleaved.
uint64_t checksum(const orvalis::tests::WavFile& wav) {
  uint64_t h = 1469598103934665603ull;
  auto mix = [&](float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    for (int i = 0; i < 4; ++i) h = (h ^ ((bits >> (8 * i)) & 0xFF)) * 1099511628211ull;
  };
  for (std::size_t i = 0; i < wav.left.size(); ++i) {
    mix(wav.left[i]);
    mix(wav.right[i]);
  }
  return h;
}

struct Golden {
  std::size_t frames;
  std::string sum;
};

std::map<std::string, Golden> readGolden() {
  std::map<std::string, Golden> golden;
  std::ifstream in(kGoldenPath);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string name;
    Golden g{};
    if (fields >> name >> g.frames >> g.sum) golden[name] = g;
  }
  return golden;
}

void writeGolden(const std::map<std::string, Golden>& golden) {
  std::ofstream out(kGoldenPath);
  out << "# song  frames  FNV-1a of the float samples (see RenderIdentityTest.cpp)\n";
  for (const auto& [name, g] : golden) out << name << ' ' << g.frames << ' ' << g.sum << '\n';
}

class RenderIdentityTest : public RendererFixture {};

}  // namespace

TEST_F(RenderIdentityTest, KnownSongsRenderTheRecordedSamples) {
  MidiFileWriter twoNotes, tempoChange;
  twoNotes.tempo(0, 120).note(0, 480, 69).note(960, 480, 72);
  tempoChange.tempo(0, 120).tempo(480, 60).note(960, 480, 69);
  ASSERT_TRUE(twoNotes.write(path("two.mid")));
  ASSERT_TRUE(tempoChange.write(path("tempo.mid")));
  struct Song {
    std::string name, arguments;
  };
  const Song songs[] = {
      // The arguments `make demo` had before it played the factory programs. These renders
      // are of the plug-in's own fresh bank.
      {"demo", std::string(ORVALIS_SOURCE_DIR) +
                   "/examples/demo.mid --no-bank --param Portamento=0.35 --param \"LFO "
                   "Delay=0.6\" --automate \"10:Osc Type=0.2\" --automate \"20:Osc Type=0.6\" "
                   "--automate \"30:Osc Type=1\""},
      {"two_notes", path("two.mid") + " --no-bank"},
      {"two_notes_48k_block_37", path("two.mid") + " --no-bank --rate 48000 --block 37"},
      {"tempo_change", path("tempo.mid") + " --no-bank"},
  };
  const char* mode = std::getenv("ORVALIS_GOLDEN");
  const bool record = mode && std::string(mode) == "record";
  std::map<std::string, Golden> golden = readGolden();
  // The checksums are of the SSE2 path's samples, which the wider path matches only to rounding.
  const orvalis::tests::ScopedEnv simd("ORVALIS_SIMD", "sse2");
  for (const Song& song : songs) {
    const std::string out = path(song.name + ".wav");
    const orvalis::tests::renderer::Result r =
        orvalis::tests::renderer::run(song.arguments + " --quiet -o " + out);
    ASSERT_EQ(r.status, 0) << song.name << ": " << r.output;
    orvalis::tests::WavFile wav;
    ASSERT_TRUE(orvalis::tests::readWav(out, wav)) << song.name;
    char sum[17];
    std::snprintf(sum, sizeof sum, "%016llx", static_cast<unsigned long long>(checksum(wav)));
    if (record) {
      golden[song.name] = {wav.left.size(), sum};
      continue;
    }
    ASSERT_EQ(golden.count(song.name), 1u) << song.name << " has no recorded checksum";
    EXPECT_EQ(wav.left.size(), golden[song.name].frames) << song.name;
    EXPECT_EQ(sum, golden[song.name].sum) << song.name;
  }
  if (record) writeGolden(golden);
}
