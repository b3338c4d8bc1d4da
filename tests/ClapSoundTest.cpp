// The CLAP plug-in sounds exactly like the VST 2 plug-in: the same song, the same automation at
// the same frames, whether it comes inside a block, between blocks or through flush.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/state_blob.h"
#include "params/parameter_table.h"
#include "render/midi_file.h"
#include "tests/support/clap_host.h"
#include "tests/support/midi_builder.h"
#include "tests/support/signal_analysis.h"
#include "tests/support/test_host.h"

using orvalis::tests::ClapHost;
using orvalis::tests::TestHost;
namespace params = orvalis::params;

namespace {

constexpr double kRate = 44100.0;
constexpr uint32_t kMaxBlock = 4096;

struct SeedIf {
  explicit SeedIf(int seed) {
    if (seed >= 0) std::srand(static_cast<unsigned>(seed));
  }
};

struct Change {
  int64_t frame;
  int index;
  float value;  // as VST 2 stores it
};

// Both plug-ins on one script. The CLAP instance is given the VST 2 plug-in's fresh bank (128
// "Basique") through its state, so both start alike; with a seed, each is made right after
// seeding rand(), so both draw the same LFO phases.
class Pair {
 public:
  explicit Pair(int seed = -1) : seedVst(seed), seedClap(seed) {
    vst.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    vst.dispatch(effSetBlockSize, 0, kMaxBlock);
    vst.dispatch(effMainsChanged, 0, 1);
    const auto fresh = std::make_unique<orvalis::core::BankState>();
    EXPECT_TRUE(clap.loadState(orvalis::core::encodeBankState(*fresh)));
    EXPECT_TRUE(clap.activate(kRate, kMaxBlock));
  }

  // The CLAP plain value of a stored one: a switch takes its position (the scripts store
  // switches only at positions, k / (n - 1)).
  static double plain(int index, float value) {
    int positions = 0;
    params::choiceNames(index, &positions);
    return positions > 0 ? std::round(value * (positions - 1)) : value;
  }

  // Plays the events in blocks of the pattern for total frames. Changes reach CLAP as events
  // inside its blocks and VST 2 between blocks: its blocks are cut at their frames.
  void play(const std::vector<orvalis::render::MidiEvent>& events, int64_t total,
            const std::vector<uint32_t>& blocks, const std::vector<Change>& changes = {}) {
    std::size_t next = 0, nextChange = 0, b = 0;
    for (int64_t start = 0; start < total;) {
      const auto n =
          static_cast<uint32_t>(std::min<int64_t>(blocks[b++ % blocks.size()], total - start));
      std::vector<Change> blockChanges;
      for (; nextChange < changes.size() && changes[nextChange].frame < start + n; ++nextChange) {
        const Change& c = changes[nextChange];
        blockChanges.push_back(c);
        clap.param(static_cast<uint32_t>(c.frame - start),
                   static_cast<orvalis::clap::clap_id>(c.index), plain(c.index, c.value));
      }
      std::vector<orvalis::render::MidiEvent> blockEvents;
      for (; next < events.size() && events[next].frame < start + n; ++next) {
        const orvalis::render::MidiEvent& e = events[next];
        blockEvents.push_back(e);
        const auto offset = static_cast<uint32_t>(e.frame - start);
        const uint8_t d1 = e.length > 1 ? e.bytes[1] : 0, d2 = e.length > 2 ? e.bytes[2] : 0;
        const int kind = e.bytes[0] & 0xF0, channel = e.bytes[0] & 0x0F;
        if (kind == 0x90 && d2 > 0)
          clap.noteOn(offset, d1, d2 / 127.0, channel);
        else if (kind == 0x80 || kind == 0x90)
          clap.noteOff(offset, d1, channel);
        else
          clap.midi(offset, e.bytes[0], d1, d2);
      }
      clap.process(clapOut[0], clapOut[1], n);
      renderVst(blockEvents, blockChanges, start, n);
      start += n;
    }
  }

  // The first sample where the two differ, or -1.
  long firstDifference() const {
    for (int c = 0; c < 2; ++c) {
      if (vstOut[c].size() != clapOut[c].size()) return 0;
      for (std::size_t i = 0; i < vstOut[c].size(); ++i)
        if (vstOut[c][i] != clapOut[c][i]) return static_cast<long>(i);
    }
    return -1;
  }

  SeedIf seedVst;
  TestHost vst;
  SeedIf seedClap;
  ClapHost clap;
  std::vector<float> vstOut[2], clapOut[2];

 private:
  // One CLAP block as VST 2 pieces, cut where a change falls.
  void renderVst(const std::vector<orvalis::render::MidiEvent>& events,
                 const std::vector<Change>& changes, int64_t start, uint32_t n) {
    const int64_t end = start + n;
    for (int64_t at = start; at < end;) {
      int64_t cut = end;
      for (const Change& c : changes) {
        if (c.frame > at && c.frame < cut) cut = c.frame;
        if (c.frame == at) vst.setParameter(c.index, c.value);
      }
      orvalis::tests::MidiBuilder block;
      for (const orvalis::render::MidiEvent& e : events)
        if (e.frame >= at && e.frame < cut)
          block.message(static_cast<int32_t>(e.frame - at), e.bytes[0],
                        e.length > 1 ? e.bytes[1] : 0, e.length > 2 ? e.bytes[2] : 0);
      if (!block.raw().empty()) vst.sendEvents(block.events());
      std::vector<float> l, r;
      vst.render(l, r, static_cast<int32_t>(cut - at));
      vstOut[0].insert(vstOut[0].end(), l.begin(), l.end());
      vstOut[1].insert(vstOut[1].end(), r.begin(), r.end());
      at = cut;
    }
  }
};

std::vector<orvalis::render::MidiEvent> demoSong(double seconds) {
  orvalis::render::MidiSong song;
  std::string error;
  EXPECT_TRUE(orvalis::render::readMidiFile(ORVALIS_DEMO_MIDI, static_cast<uint32_t>(kRate), {},
                                            song, error))
      << error;
  std::vector<orvalis::render::MidiEvent>& events = song.events;
  events.erase(std::remove_if(
                   events.begin(), events.end(),
                   [&](const orvalis::render::MidiEvent& e) { return e.frame >= seconds * kRate; }),
               events.end());
  return std::move(events);
}

std::vector<orvalis::render::MidiEvent> chord() {
  std::vector<orvalis::render::MidiEvent> notes;
  const int keys[] = {48, 55, 64, 67, 72};
  for (int k = 0; k < 5; ++k) {
    notes.push_back({k * 700 + 3, {0x90, static_cast<uint8_t>(keys[k]), 100}, 3});
    notes.push_back({k * 700 + 2900, {0x80, static_cast<uint8_t>(keys[k]), 0}, 3});
  }
  std::sort(notes.begin(), notes.end(),
            [](const orvalis::render::MidiEvent& a, const orvalis::render::MidiEvent& b) {
              return a.frame < b.frame;
            });
  return notes;
}

}  // namespace

TEST(ClapSound, TheDemoSongIsSampleIdenticalToVst2) {
  const std::vector<orvalis::render::MidiEvent> song = demoSong(4.0);
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
    Pair pair(c.seed);
    const std::vector<Change> setup = {{0, params::kLfoDepthL, c.lfoDepth},
                                       {0, params::kLfoDepthH, c.lfoDepth},
                                       {0, params::kLfoDelay, 0.f}};
    pair.play(song, static_cast<int64_t>(4.5 * kRate), c.blocks, setup);
    EXPECT_GT(orvalis::tests::rms(pair.vstOut[0]), 1e-3);
    EXPECT_EQ(pair.firstDifference(), -1);
  }
}

// A value event inside a block is heard from the first control boundary after its offset,
// exactly as VST 2 hears the same change made between two blocks at that frame.
TEST(ClapSound, ParameterEventsInsideBlocksSoundAsVst2ChangesAtThatFrame) {
  const std::vector<Change> lane = {
      {0, params::kOscType, 0.2f},        {1, params::kFilter1FreqHigh, 0.3f},
      {15, params::kFilter1Type, 0.25f},  {16, params::kPan, 0.1f},
      {17, params::kOscType, 0.6f},       {1000, params::kPolyphony, 0.f},
      {1535, params::kAmpReleaseH, 0.2f}, {2047, params::kPolyphony, 1.f},
      {3001, params::kOverdrive1H, 0.9f}, {3002, params::kOscType, 1.f},
      {4100, params::kFilter2Type, 1.f},  {5000, params::kLaneWeights, 0.7f},
      {6143, params::kPitchStartH, 0.9f}, {7000, params::kGain, 0.2f}};
  for (const std::vector<uint32_t>& blocks :
       {std::vector<uint32_t>{512}, std::vector<uint32_t>{4096},
        std::vector<uint32_t>{7, 100, 33}}) {
    SCOPED_TRACE(blocks.size());
    Pair pair(1);
    pair.play(chord(), 9000, blocks, lane);
    EXPECT_GT(orvalis::tests::rms(pair.vstOut[0]), 1e-3);
    EXPECT_EQ(pair.firstDifference(), -1);
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
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pair pair(1);
    pair.clap.noteOn(10, 60, 100 / 127.0);
    pair.clap.noteOn(10, 67, 100 / 127.0);
    orvalis::tests::MidiBuilder start;
    start.noteOn(10, 60, 100).noteOn(10, 67, 100);
    pair.vst.sendEvents(start.events());
    std::vector<float> l, r;
    pair.clap.process(pair.clapOut[0], pair.clapOut[1], 2048);
    pair.vst.render(l, r, 2048);
    pair.vstOut[0] = l;
    pair.vstOut[1] = r;
    c.clap(pair.clap);
    orvalis::tests::MidiBuilder end;
    for (const auto& m : c.vst) end.message(100, m[0], m[1], m[2]);
    pair.vst.sendEvents(end.events());
    pair.clap.process(pair.clapOut[0], pair.clapOut[1], 20000);
    pair.vst.render(l, r, 20000);
    pair.vstOut[0].insert(pair.vstOut[0].end(), l.begin(), l.end());
    pair.vstOut[1].insert(pair.vstOut[1].end(), r.begin(), r.end());
    EXPECT_GT(orvalis::tests::rms(pair.vstOut[0]), 1e-4);
    EXPECT_EQ(pair.firstDifference(), -1);
  }
}

// Outside processing, a host hands values over through flush: heard from the next block, as a
// VST 2 change between blocks.
TEST(ClapSound, FlushedValuesAreChangesBetweenBlocks) {
  Pair pair(1);
  pair.play(chord(), 1024, {1024});
  pair.clap.param(0, params::kFilter1FreqHigh, 0.2);
  pair.clap.param(0, params::kOscType, 4);
  pair.clap.flush();
  pair.vst.setParameter(params::kFilter1FreqHigh, 0.2f);
  pair.vst.setParameter(params::kOscType, 0.8f);
  EXPECT_FLOAT_EQ(static_cast<float>(pair.clap.value(params::kFilter1FreqHigh)), 0.2f);
  std::vector<float> l, r;
  pair.clap.process(pair.clapOut[0], pair.clapOut[1], 4096);
  pair.vst.render(l, r, 4096);
  pair.vstOut[0].insert(pair.vstOut[0].end(), l.begin(), l.end());
  pair.vstOut[1].insert(pair.vstOut[1].end(), r.begin(), r.end());
  EXPECT_EQ(pair.firstDifference(), -1);
}
