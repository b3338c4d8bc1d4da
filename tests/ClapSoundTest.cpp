// The CLAP plug-in sounds exactly like the VST 2 plug-in: the same song, the same automation at
// the same frames, whether it comes inside a block, between blocks or through flush.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <vector>

#include "params/parameter_table.h"
#include "render/midi_file.h"
#include "tests/support/clap_instance.h"
#include "tests/support/format_instance.h"
#include "tests/support/signal_analysis.h"
#include "tests/support/test_songs.h"

using orvalis::tests::ClapHost;
using orvalis::tests::ClapInstance;
using orvalis::tests::Rendered;
using orvalis::tests::Script;
namespace params = orvalis::params;

namespace {

constexpr double kRate = 44100.0;

// A CLAP instance driven by hand, made after seeding as the script says, with its start values:
// the script's events of the first block, then between, then a second block. What between
// gives CLAP, VST 2 gets from the script's later events and changes.
Rendered playByHand(const Script& script, uint32_t first, uint32_t second,
                    const std::function<void(ClapHost&)>& between) {
  std::srand(static_cast<unsigned>(script.seed));
  ClapInstance clap(kRate);
  EXPECT_TRUE(clap.loaded());
  orvalis::tests::setStartValues(clap, script);
  for (const orvalis::render::MidiEvent& e : script.events)
    if (e.frame < first) clap.midi(static_cast<int32_t>(e.frame), e);
  Rendered out;
  clap.render(first, out.left, out.right);
  between(clap.host);
  clap.render(second, out.left, out.right);
  return out;
}

}  // namespace

TEST(ClapSound, TheDemoSongIsSampleIdenticalToVst2) {
  const std::vector<orvalis::render::MidiEvent> song = orvalis::tests::demoSong(4.0, kRate);
  ASSERT_GT(song.size(), 10u);
  const struct {
    const char* name;
    float lfoDepth;
    int seed;
    std::vector<uint32_t> blocks;
  } cases[] = {{"no LFO, blocks of 256", 0.f, -1, {256}},
               {"no LFO, odd blocks", 0.f, -1, {1, 17, 300, 4096, 64}},
               {"LFO, same seed", 0.8f, 1, {512, 128}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Script script;
    script.changes = {{0, params::kLfoDepthL, c.lfoDepth},
                      {0, params::kLfoDepthH, c.lfoDepth},
                      {0, params::kLfoDelay, 0.f}};
    script.changesInsideBlocks = true;
    script.events = song;
    script.frames = static_cast<int64_t>(4.5 * kRate);
    script.blocks = c.blocks;
    script.seed = c.seed;
    Rendered vst2;
    EXPECT_EQ(
        orvalis::tests::firstDifferenceFromVst2(orvalis::tests::makeClapInstance, script, &vst2),
        -1);
    EXPECT_GT(orvalis::tests::rms(vst2.left), 1e-3);
  }
}

// A value event inside a block is heard from the first control boundary after its offset,
// exactly as VST 2 hears the same change made between two blocks at that frame.
TEST(ClapSound, ParameterEventsInsideBlocksSoundAsVst2ChangesAtThatFrame) {
  Script script;
  script.changes = {{0, params::kOscType, 0.2f},        {1, params::kFilter1FreqHigh, 0.3f},
                    {15, params::kFilter1Type, 0.25f},  {16, params::kPan, 0.1f},
                    {17, params::kOscType, 0.6f},       {1000, params::kPolyphony, 0.f},
                    {1535, params::kAmpReleaseH, 0.2f}, {2047, params::kPolyphony, 1.f},
                    {3001, params::kOverdrive1H, 0.9f}, {3002, params::kOscType, 1.f},
                    {4100, params::kFilter2Type, 1.f},  {5000, params::kLaneWeights, 0.7f},
                    {6143, params::kPitchStartH, 0.9f}, {7000, params::kGain, 0.2f}};
  script.changesInsideBlocks = true;
  script.events = orvalis::tests::chord();
  script.frames = 9000;
  script.seed = 1;
  for (const std::vector<uint32_t>& blocks :
       {std::vector<uint32_t>{512}, std::vector<uint32_t>{4096},
        std::vector<uint32_t>{7, 100, 33}}) {
    SCOPED_TRACE(blocks.size());
    script.blocks = blocks;
    Rendered vst2;
    EXPECT_EQ(
        orvalis::tests::firstDifferenceFromVst2(orvalis::tests::makeClapInstance, script, &vst2),
        -1);
    EXPECT_GT(orvalis::tests::rms(vst2.left), 1e-3);
  }
}

// Notes end (and start) the same whether they come as note events, wildcards, chokes or MIDI.
TEST(ClapSound, ChokesWildcardsAndMidiEndNotesAsVst2Does) {
  struct Case {
    const char* name;
    std::function<void(ClapHost&)> clap;
    std::vector<std::array<uint8_t, 3>> vst;  // MIDI at the same frame
  };
  const Case cases[] = {
      {"choke of a key", [](ClapHost& h) { h.choke(100, 60); }, {{0x80, 60, 0}}},
      {"choke of every key", [](ClapHost& h) { h.choke(100, -1); }, {{0xB0, 123, 0}}},
      {"note off of every key", [](ClapHost& h) { h.noteOff(100, -1, 3); }, {{0xB0, 123, 0}}},
      {"MIDI note off", [](ClapHost& h) { h.midi(100, 0x80, 60, 0); }, {{0x80, 60, 0}}},
      // A CLAP note on of velocity 0 is a note on: the quietest a MIDI note on can be.
      {"note on at velocity 0", [](ClapHost& h) { h.noteOn(100, 72, 0.0); }, {{0x90, 72, 1}}},
      {"MIDI bend and wheel",
       [](ClapHost& h) {
         h.midi(100, 0xE0, 0, 100);
         h.midi(100, 0xB1, 1, 90);
       },
       {{0xE0, 0, 100}, {0xB1, 1, 90}}}};
  constexpr uint32_t kFirst = 2048, kSecond = 20000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Script script;
    script.events = {{10, {0x90, 60, 100}, 3}, {10, {0x90, 67, 100}, 3}};
    for (const auto& m : c.vst) script.events.push_back({kFirst + 100, {m[0], m[1], m[2]}, 3});
    script.frames = kFirst + kSecond;
    script.blocks = {kFirst, kSecond};
    script.seed = 1;
    const Rendered clap = playByHand(script, kFirst, kSecond, c.clap);
    const Rendered vst2 = orvalis::tests::play(orvalis::tests::makeVst2Instance, script);
    EXPECT_GT(orvalis::tests::rms(vst2.left), 1e-4);
    EXPECT_EQ(orvalis::tests::firstDifference(vst2, clap), -1);
  }
}

// Outside processing, a host hands values over through flush: heard from the next block, as a
// VST 2 change between blocks.
TEST(ClapSound, FlushedValuesAreChangesBetweenBlocks) {
  Script script;
  for (const orvalis::render::MidiEvent& e : orvalis::tests::chord())
    if (e.frame < 1024) script.events.push_back(e);
  script.changes = {{1024, params::kFilter1FreqHigh, 0.2f}, {1024, params::kOscType, 0.8f}};
  script.frames = 1024 + 4096;
  script.blocks = {1024, 4096};
  script.seed = 1;
  const Rendered clap = playByHand(script, 1024, 4096, [](ClapHost& h) {
    h.param(0, params::kFilter1FreqHigh, 0.2);
    h.param(0, params::kOscType, 4);
    h.flush();
    EXPECT_FLOAT_EQ(static_cast<float>(h.value(params::kFilter1FreqHigh)), 0.2f);
  });
  EXPECT_EQ(orvalis::tests::firstDifference(
                orvalis::tests::play(orvalis::tests::makeVst2Instance, script), clap),
            -1);
}
