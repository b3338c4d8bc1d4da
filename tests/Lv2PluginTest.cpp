// The LV2 plug-in through lilv, from the built bundle: what it declares, and that it sounds
// exactly like the VST 2 plug-in for the same MIDI and the same automation.
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/midi/midi.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lv2/display_message.h"
#include "lv2/uris.h"
#include "params/factory_bank.h"
#include "params/program_record.h"
#include "tests/support/format_instance.h"
#include "tests/support/lv2_host.h"
#include "tests/support/signal_analysis.h"
#include "tests/support/test_songs.h"

using orvalis::tests::Lv2Host;
using orvalis::tests::Lv2World;

namespace {

constexpr double kRate = 44100.0;

bool portIs(const LilvPlugin* plugin, const LilvPort* port, const char* classUri) {
  LilvNode* c = lilv_new_uri(Lv2World::get().world, classUri);
  const bool is = lilv_port_is_a(plugin, port, c);
  lilv_node_free(c);
  return is;
}

}  // namespace

TEST(Lv2Plugin, ListsSixtyOneControlsMidiInAndStereoOut) {
  const LilvPlugin* plugin = Lv2World::get().plugin;
  ASSERT_NE(plugin, nullptr) << "no plug-in in " ORVALIS_LV2_BUNDLE;
  ASSERT_EQ(lilv_plugin_get_num_ports(plugin), orvalis::lv2::kPortCount);
  std::vector<float> minimum(orvalis::lv2::kPortCount), maximum(orvalis::lv2::kPortCount),
      defaults(orvalis::lv2::kPortCount);
  lilv_plugin_get_port_ranges_float(plugin, minimum.data(), maximum.data(), defaults.data());
  int controls = 0, audioOut = 0, midiIn = 0;
  LilvNode* midiEvent = lilv_new_uri(Lv2World::get().world, LV2_MIDI__MidiEvent);
  for (uint32_t i = 0; i < orvalis::lv2::kPortCount; ++i) {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, i);
    const std::string symbol = lilv_node_as_string(lilv_port_get_symbol(plugin, port));
    if (portIs(plugin, port, LV2_CORE__ControlPort) && portIs(plugin, port, LV2_CORE__InputPort)) {
      ++controls;
      ASSERT_LT(i, static_cast<uint32_t>(orvalis::params::kNumParams));
      const orvalis::params::ParameterInfo& row =
          orvalis::params::parameterInfo(static_cast<int>(i));
      EXPECT_EQ(symbol, row.symbol);
      EXPECT_EQ(defaults[i], orvalis::params::factoryProgram(0).record.values[i]) << symbol;
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
      EXPECT_EQ(symbol, orvalis::lv2::kMidiInSymbol);
      ++midiIn;
    }
  }
  lilv_node_free(midiEvent);
  EXPECT_EQ(controls, 61);
  EXPECT_EQ(audioOut, 2);
  EXPECT_EQ(midiIn, 1);
}

namespace {
// Without the LFO the random start phases do not matter; with it, the same seed before each
// instance gives both the same phases.
orvalis::tests::Script songScript(float lfoDepth, int seed, std::vector<uint32_t> blocks) {
  orvalis::tests::Script script;
  const orvalis::params::ProgramRecord basique;
  script.start.assign(basique.values, basique.values + orvalis::params::kNumParams);
  for (int p : {orvalis::params::kLfoDepthL, orvalis::params::kLfoDepthH})
    script.start[p] = lfoDepth;
  script.start[orvalis::params::kLfoDelay] = 0.f;
  script.events = orvalis::tests::demoSong(4.0, kRate);
  script.frames = static_cast<int64_t>(4.5 * kRate);
  script.blocks = std::move(blocks);
  script.seed = seed;
  return script;
}
}  // namespace

TEST(Lv2Plugin, SameMidiFileGivesTheSameSamplesAsVst2) {
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
    const orvalis::tests::Script script = songScript(c.lfoDepth, c.seed, c.blocks);
    ASSERT_GT(script.events.size(), 10u);
    orvalis::tests::Rendered vst2;
    EXPECT_EQ(
        orvalis::tests::firstDifferenceFromVst2(orvalis::tests::makeLv2Instance, script, &vst2),
        -1);
    EXPECT_GT(orvalis::tests::rms(vst2.left), 1e-3);
  }
}

TEST(Lv2Plugin, WithTheLfoTheLevelsMatchVst2WhateverThePhases) {
  // Different seeds: the two draw different LFO phases, and the level stays the same.
  orvalis::tests::Script script = songScript(0.8f, 2, {256});
  const orvalis::tests::Rendered vst2 =
      orvalis::tests::play(orvalis::tests::makeVst2Instance, script);
  script.seed = 7;
  const orvalis::tests::Rendered lv2 =
      orvalis::tests::play(orvalis::tests::makeLv2Instance, script);
  EXPECT_NE(orvalis::tests::firstDifference(vst2, lv2), -1);
  EXPECT_NEAR(orvalis::tests::rms(lv2.left) / orvalis::tests::rms(vst2.left), 1.0, 0.05);
  EXPECT_NEAR(orvalis::tests::rms(lv2.right) / orvalis::tests::rms(vst2.right), 1.0, 0.05);
}

TEST(Lv2Plugin, AutomationBetweenBlocksIsSampleIdenticalToVst2) {
  // Every kind of change, applied between blocks, while a chord plays and notes come and go.
  orvalis::tests::Script script;
  script.changes = {
      {0, orvalis::params::kOscType, 0.2f},         {1024, orvalis::params::kFilter1FreqHigh, 0.3f},
      {1536, orvalis::params::kFilter1Type, 0.25f}, {2048, orvalis::params::kOscType, 0.6f},
      {2560, orvalis::params::kPolyphony, 0.f},     {3072, orvalis::params::kPan, 0.1f},
      {3584, orvalis::params::kPolyphony, 1.f},     {4096, orvalis::params::kOverdrive1H, 0.9f},
      {4608, orvalis::params::kAmpReleaseH, 0.2f},  {5120, orvalis::params::kOscType, 1.f},
      {5632, orvalis::params::kFilter2Type, 1.f},   {6144, orvalis::params::kLaneWeights, 0.7f},
      {6656, orvalis::params::kPitchStartH, 0.9f},  {7168, orvalis::params::kGain, 0.2f}};
  script.events = orvalis::tests::chord();
  script.frames = 9000;
  script.blocks = {512};
  script.seed = 1;
  orvalis::tests::Rendered vst2;
  EXPECT_EQ(orvalis::tests::firstDifferenceFromVst2(orvalis::tests::makeLv2Instance, script, &vst2),
            -1);
  EXPECT_GT(orvalis::tests::rms(vst2.left), 1e-3);
}

TEST(Lv2Plugin, DisplaySnapshotsReachTheNotifyPortAboutSixtyTimesASecond) {
  Lv2Host host(kRate);
  ASSERT_TRUE(host.loaded());
  orvalis::lv2::DisplayUrids urids(&Lv2World::get().urids.mapFeature);
  std::vector<float> l, r;
  int messages = 0;
  orvalis::core::DisplaySnapshot last;
  host.midi(0, 0x90, 60, 100);
  for (int block = 0; block < static_cast<int>(kRate) / 256; ++block) {
    host.run(l, r, 256);
    for (const std::vector<uint8_t>& event : host.notifications()) {
      ASSERT_TRUE(orvalis::lv2::readDisplayAtom(urids, event.data(),
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
  ASSERT_GT(orvalis::tests::peak(expectedLeft), 0.f);
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
    lilv_instance_connect_port(host.instance, orvalis::lv2::kMidiIn, buffer.data());
    std::vector<float> left, right;
    host.run(left, right, 512);
    EXPECT_EQ(left, expectedLeft) << c.what;
    EXPECT_EQ(right, expectedRight) << c.what;
  }
}
