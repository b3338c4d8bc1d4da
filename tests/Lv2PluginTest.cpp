// The LV2 plug-in through lilv, from the built bundle: what it declares, and that it sounds
// exactly like the VST 2 plug-in for the same MIDI and the same automation.
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/midi/midi.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "lv2/display_message.h"
#include "lv2/uris.h"
#include "render/midi_file.h"
#include "tests/support/lv2_host.h"
#include "tests/support/midi_builder.h"
#include "tests/support/signal_analysis.h"
#include "tests/support/test_host.h"

using testing_host::Lv2Host;
using testing_host::Lv2World;
using testing_host::TestHost;

namespace {

constexpr double kRate = 44100.0;

bool portIs(const LilvPlugin* plugin, const LilvPort* port, const char* classUri) {
  LilvNode* c = lilv_new_uri(Lv2World::get().world, classUri);
  const bool is = lilv_port_is_a(plugin, port, c);
  lilv_node_free(c);
  return is;
}

// Seeds rand() when given a seed: the LFO start phases are drawn at construction.
struct SeedIf {
  explicit SeedIf(int seed) {
    if (seed >= 0) std::srand(static_cast<unsigned>(seed));
  }
};

// Both plug-ins in one script: parameter changes between blocks, MIDI with frame offsets. With a
// seed, each instance is made right after seeding, so both draw the same LFO phases.
class Pair {
 public:
  explicit Pair(int seed = -1) : Pair(seed, seed) {}
  Pair(int vstSeed, int lv2Seed) : seedVst(vstSeed), seedLv2(lv2Seed) {
    vst.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    vst.dispatch(effSetBlockSize, 0, Lv2Host::kMaxBlock);
    vst.dispatch(effMainsChanged, 0, 1);
  }
  void param(int index, float value) {
    vst.setParameter(index, value);
    lv2.control(index) = value;
  }
  // Plays the events (frames from now on) in blocks of the pattern, for total frames.
  void play(const std::vector<render::MidiEvent>& events, int64_t total,
            const std::vector<uint32_t>& blocks,
            const std::function<void(int64_t frame)>& betweenBlocks = nullptr) {
    std::size_t next = 0, b = 0;
    for (int64_t start = 0; start < total;) {
      if (betweenBlocks) betweenBlocks(start);
      const auto n =
          static_cast<uint32_t>(std::min<int64_t>(blocks[b++ % blocks.size()], total - start));
      testing_host::MidiBuilder block;
      for (; next < events.size() && events[next].frame < start + n; ++next) {
        const render::MidiEvent& e = events[next];
        const auto offset = static_cast<int32_t>(std::max<int64_t>(e.frame - start, 0));
        block.message(offset, e.bytes[0], e.length > 1 ? e.bytes[1] : 0,
                      e.length > 2 ? e.bytes[2] : 0);
        lv2.midi(offset, e.bytes[0], e.length > 1 ? e.bytes[1] : 0, e.length > 2 ? e.bytes[2] : 0);
      }
      if (!block.raw().empty()) vst.sendEvents(block.events());
      std::vector<float> l, r;
      vst.render(l, r, static_cast<int32_t>(n));
      vstOut[0].insert(vstOut[0].end(), l.begin(), l.end());
      vstOut[1].insert(vstOut[1].end(), r.begin(), r.end());
      lv2.run(lv2Out[0], lv2Out[1], n);
      start += n;
    }
  }
  // The first sample where the two differ, or -1.
  long firstDifference() const {
    for (int c = 0; c < 2; ++c) {
      if (vstOut[c].size() != lv2Out[c].size()) return 0;
      for (std::size_t i = 0; i < vstOut[c].size(); ++i)
        if (vstOut[c][i] != lv2Out[c][i]) return static_cast<long>(i);
    }
    return -1;
  }

  SeedIf seedVst;
  TestHost vst;
  SeedIf seedLv2;
  Lv2Host lv2{kRate};
  std::vector<float> vstOut[2], lv2Out[2];
};

std::vector<render::MidiEvent> demoSong(double seconds) {
  render::MidiSong song;
  std::string error;
  EXPECT_TRUE(
      render::readMidiFile(ORVALIS_DEMO_MIDI, static_cast<uint32_t>(kRate), {}, song, error))
      << error;
  std::vector<render::MidiEvent>& events = song.events;
  events.erase(
      std::remove_if(events.begin(), events.end(),
                     [&](const render::MidiEvent& e) { return e.frame >= seconds * kRate; }),
      events.end());
  return std::move(events);
}

}  // namespace

TEST(Lv2Plugin, ListsSixtyOneControlsMidiInAndStereoOut) {
  const LilvPlugin* plugin = Lv2World::get().plugin;
  ASSERT_NE(plugin, nullptr) << "no plug-in in " ORVALIS_LV2_BUNDLE;
  ASSERT_EQ(lilv_plugin_get_num_ports(plugin), orvalis_lv2::kPortCount);
  std::vector<float> minimum(orvalis_lv2::kPortCount), maximum(orvalis_lv2::kPortCount),
      defaults(orvalis_lv2::kPortCount);
  lilv_plugin_get_port_ranges_float(plugin, minimum.data(), maximum.data(), defaults.data());
  int controls = 0, audioOut = 0, midiIn = 0;
  LilvNode* midiEvent = lilv_new_uri(Lv2World::get().world, LV2_MIDI__MidiEvent);
  for (uint32_t i = 0; i < orvalis_lv2::kPortCount; ++i) {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
    const std::string symbol = lilv_node_as_string(lilv_port_get_symbol(plugin, port));
    if (portIs(plugin, port, LV2_CORE__ControlPort) && portIs(plugin, port, LV2_CORE__InputPort)) {
      ++controls;
      ASSERT_LT(i, static_cast<uint32_t>(orvalis::params::kNumParams));
      const orvalis::params::ParameterInfo& row =
          orvalis::params::parameterInfo(static_cast<int>(i));
      EXPECT_EQ(symbol, row.symbol);
      EXPECT_EQ(defaults[i], row.defaultValue) << symbol;
      EXPECT_EQ(minimum[i], 0.f);
      EXPECT_EQ(maximum[i], 1.f);
      int choices = 0;
      orvalis::params::choiceNames(static_cast<int>(i), &choices);
      LilvScalePoints* points = lilv_port_get_scale_points(plugin, port);
      EXPECT_EQ(points ? static_cast<int>(lilv_scale_points_size(points)) : 0, choices) << symbol;
      lilv_scale_points_free(points);
    } else if (portIs(plugin, port, LV2_CORE__AudioPort)) {
      EXPECT_TRUE(portIs(plugin, port, LV2_CORE__OutputPort));
      ++audioOut;
    } else if (portIs(plugin, port, LV2_ATOM__AtomPort) &&
               portIs(plugin, port, LV2_CORE__InputPort)) {
      EXPECT_TRUE(lilv_port_supports_event(plugin, port, midiEvent));
      EXPECT_EQ(symbol, orvalis_lv2::kMidiInSymbol);
      ++midiIn;
    }
  }
  lilv_node_free(midiEvent);
  EXPECT_EQ(controls, 61);
  EXPECT_EQ(audioOut, 2);
  EXPECT_EQ(midiIn, 1);
}

TEST(Lv2Plugin, SameMidiFileGivesTheSameSamplesAsVst2) {
  const std::vector<render::MidiEvent> song = demoSong(4.0);
  ASSERT_GT(song.size(), 10u);
  // Without the LFO the random start phases do not matter; with it, the same seed before each
  // instance gives both the same phases.
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
    for (int p : {orvalis::params::kLfoDepthL, orvalis::params::kLfoDepthH})
      pair.param(p, c.lfoDepth);
    pair.param(orvalis::params::kLfoDelay, 0.f);
    pair.play(song, static_cast<int64_t>(4.5 * kRate), c.blocks);
    EXPECT_GT(testing_host::rms(pair.vstOut[0]), 1e-3);
    EXPECT_EQ(pair.firstDifference(), -1);
  }
}

TEST(Lv2Plugin, WithTheLfoTheLevelsMatchVst2WhateverThePhases) {
  const std::vector<render::MidiEvent> song = demoSong(4.0);
  // Different seeds: the two draw different LFO phases, and the level stays the same.
  Pair pair(2, 7);
  for (int p : {orvalis::params::kLfoDepthL, orvalis::params::kLfoDepthH}) pair.param(p, 0.8f);
  pair.param(orvalis::params::kLfoDelay, 0.f);
  pair.play(song, static_cast<int64_t>(4.5 * kRate), {256});
  EXPECT_NE(pair.firstDifference(), -1);
  for (int c = 0; c < 2; ++c)
    EXPECT_NEAR(testing_host::rms(pair.lv2Out[c]) / testing_host::rms(pair.vstOut[c]), 1.0, 0.05);
}

TEST(Lv2Plugin, AutomationBetweenBlocksIsSampleIdenticalToVst2) {
  // Every kind of change, applied between blocks, while a chord plays and notes come and go.
  const struct {
    int64_t frame;
    int index;
    float value;
  } lane[] = {
      {0, orvalis::params::kOscType, 0.2f},         {1024, orvalis::params::kFilter1FreqHigh, 0.3f},
      {1536, orvalis::params::kFilter1Type, 0.25f}, {2048, orvalis::params::kOscType, 0.6f},
      {2560, orvalis::params::kPolyphony, 0.f},     {3072, orvalis::params::kPan, 0.1f},
      {3584, orvalis::params::kPolyphony, 1.f},     {4096, orvalis::params::kOverdrive1H, 0.9f},
      {4608, orvalis::params::kAmpReleaseH, 0.2f},  {5120, orvalis::params::kOscType, 1.f},
      {5632, orvalis::params::kFilter2Type, 1.f},   {6144, orvalis::params::kLaneWeights, 0.7f},
      {6656, orvalis::params::kPitchStartH, 0.9f},  {7168, orvalis::params::kGain, 0.2f}};
  std::vector<render::MidiEvent> notes;
  const int keys[] = {48, 55, 64, 67, 72};
  for (int k = 0; k < 5; ++k) {
    notes.push_back({k * 700 + 3, {0x90, static_cast<uint8_t>(keys[k]), 100}, 3});
    notes.push_back({k * 700 + 2900, {0x80, static_cast<uint8_t>(keys[k]), 0}, 3});
  }
  std::sort(notes.begin(), notes.end(), [](const render::MidiEvent& a, const render::MidiEvent& b) {
    return a.frame < b.frame;
  });
  Pair pair(1);
  pair.play(notes, 9000, {512}, [&](int64_t frame) {
    for (const auto& change : lane)
      if (change.frame == frame) pair.param(change.index, change.value);
  });
  EXPECT_GT(testing_host::rms(pair.vstOut[0]), 1e-3);
  EXPECT_EQ(pair.firstDifference(), -1);
}

TEST(Lv2Plugin, DisplaySnapshotsReachTheNotifyPortAboutSixtyTimesASecond) {
  Lv2Host host(kRate);
  ASSERT_TRUE(host.loaded());
  orvalis_lv2::DisplayUrids urids(&Lv2World::get().urids.mapFeature);
  std::vector<float> l, r;
  int messages = 0;
  orvalis::DisplaySnapshot last;
  host.midi(0, 0x90, 60, 100);
  for (int block = 0; block < static_cast<int>(kRate) / 256; ++block) {
    host.run(l, r, 256);
    for (const std::vector<uint8_t>& event : host.notifications()) {
      ASSERT_TRUE(orvalis_lv2::readDisplayAtom(urids, event.data(),
                                               static_cast<uint32_t>(event.size()), &last));
      ++messages;
    }
  }
  EXPECT_NEAR(messages, 60, 1);
  EXPECT_GT(last.ampEnv, 0.f);  // the note is held
}

TEST(Lv2Plugin, AnEventOverhangingTheDeclaredSequenceIsNotRead) {
  // The buffer ends exactly where the sequence's declared size does, so that AddressSanitizer
  // reports any read beyond it. The second event's header, or its body, does not fit.
  const LV2_URID midiType = Lv2World::get().urids.map(LV2_MIDI__MidiEvent);
  const LV2_URID sequenceType = Lv2World::get().urids.map(LV2_ATOM__Sequence);
  constexpr uint32_t kEvent = sizeof(LV2_Atom_Event);
  const struct {
    const char* what;
    uint32_t inside;  // bytes of the second event within the declared size
  } cases[] = {{"time only", 8}, {"header cut in its size field", 10}, {"body cut", kEvent + 1}};
  std::vector<float> expectedLeft, expectedRight;
  {
    std::srand(7);
    Lv2Host reference(kRate);
    ASSERT_TRUE(reference.loaded());
    reference.midi(0, 0x90, 60, 100);
    reference.run(expectedLeft, expectedRight, 512);
  }
  ASSERT_GT(testing_host::peak(expectedLeft), 0.f);
  for (const auto& c : cases) {
    const uint32_t declared = sizeof(LV2_Atom_Sequence_Body) + kEvent + 8 + c.inside;
    std::vector<uint8_t> buffer(sizeof(LV2_Atom) + declared, 0);
    auto* sequence = reinterpret_cast<LV2_Atom_Sequence*>(buffer.data());
    sequence->atom.size = declared;
    sequence->atom.type = sequenceType;
    uint8_t* first = buffer.data() + sizeof(LV2_Atom_Sequence);
    auto* note = reinterpret_cast<LV2_Atom_Event*>(first);
    note->time.frames = 0;
    note->body.size = 3;
    note->body.type = midiType;
    const uint8_t on[3] = {0x90, 60, 100};
    std::memcpy(first + kEvent, on, 3);
    // What of the second event fits: its time, part of its header, or a note-on cut short.
    uint8_t second[kEvent + 3];
    auto* overhang = reinterpret_cast<LV2_Atom_Event*>(second);
    overhang->time.frames = 0;
    overhang->body.size = 3;
    overhang->body.type = midiType;
    const uint8_t other[3] = {0x90, 72, 127};
    std::memcpy(second + kEvent, other, 3);
    std::memcpy(first + kEvent + 8, second, c.inside);

    std::srand(7);
    Lv2Host host(kRate);
    ASSERT_TRUE(host.loaded());
    lilv_instance_connect_port(host.instance, orvalis_lv2::kMidiIn, buffer.data());
    std::vector<float> left, right;
    host.run(left, right, 512);
    EXPECT_EQ(left, expectedLeft) << c.what;
    EXPECT_EQ(right, expectedRight) << c.what;
  }
}
