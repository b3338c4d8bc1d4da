// The VST 3 module through our own VST 3 host, from the built bundle: what the factory
// declares, the instance's life, and that it sounds exactly like the VST 2 plug-in for the same
// notes, automation and controllers; parameters, state and the program list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/state_blob.h"
#include "params/factory_bank.h"
#include "tests/support/midi_builder.h"
#include "tests/support/signal_analysis.h"
#include "tests/support/test_host.h"
#include "tests/support/vst3_host.h"
#include "vst3/parameters.h"
#if defined(ORVALIS_DEMO_MIDI)
#include "render/midi_file.h"
#endif

using orvalis::tests::TestHost;
using orvalis::tests::toUtf8;
using orvalis::tests::Vst3Host;
using orvalis::tests::Vst3Module;
namespace v3 = orvalis::vst3;
namespace params = orvalis::params;

namespace {

constexpr double kRate = 44100.0;

// 128 "Basique": what a new VST 2 instance holds.
std::vector<uint8_t> basiqueBank() {
  return orvalis::core::encodeBankState(orvalis::core::BankState{});
}

// One scripted MIDI message or parameter change, at a frame from the start.
struct Step {
  int64_t frame;
  enum Kind { kMidi, kParam } kind;
  uint8_t bytes[3];
  int index;
  float value;
};

// The VST 2 and the VST 3 plug-in side by side, seeded alike (the LFO start phases are drawn at
// construction), both holding the Basique bank.
class Pair {
 public:
  explicit Pair(unsigned seed = 1) : seedVst(seed), seedVst3(seed) {
    vst.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    vst.dispatch(effSetBlockSize, 0, Vst3Host::kMaxBlock);
    vst.dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(vst3.loadState(basiqueBank()), v3::kResultOk);
  }
  // Plays the script in blocks of the pattern. VST 3 gets each change inside its block at its
  // offset; VST 2 gets it through setParameter between blocks split at that frame (split says
  // whether VST 2's blocks are split there; otherwise changes apply at VST 2's block start).
  void play(const std::vector<Step>& script, int64_t total, const std::vector<int32_t>& blocks) {
    std::size_t b = 0;
    std::size_t next = 0;
    for (int64_t start = 0; start < total;) {
      const int32_t n =
          static_cast<int32_t>(std::min<int64_t>(blocks[b++ % blocks.size()], total - start));
      // VST 3: one block, everything at its offset.
      std::size_t end = next;
      for (; end < script.size() && script[end].frame < start + n; ++end) {
        const Step& s = script[end];
        const auto offset = static_cast<int32_t>(s.frame - start);
        if (s.kind == Step::kParam) {
          vst3.parameter(offset, static_cast<v3::ParamID>(s.index), s.value);
        } else if ((s.bytes[0] & 0xF0) == 0x90 && s.bytes[2] > 0) {
          vst3.noteOn(offset, s.bytes[1], s.bytes[2] / 127.f, s.bytes[0] & 15);
        } else if ((s.bytes[0] & 0xF0) == 0x80 || (s.bytes[0] & 0xF0) == 0x90) {
          vst3.noteOff(offset, s.bytes[1], s.bytes[2] / 127.f, s.bytes[0] & 15);
        } else if ((s.bytes[0] & 0xF0) == 0xE0) {
          EXPECT_TRUE(vst3.midiController(offset, v3::kPitchBend, s.bytes[2] * 128 + s.bytes[1]));
        } else if ((s.bytes[0] & 0xF0) == 0xB0) {
          vst3.midiController(offset, s.bytes[1], s.bytes[2]);
        }
      }
      vst3.process(vst3Out[0], vst3Out[1], n);
      // VST 2: the same block cut at every parameter change.
      int64_t at = start;
      while (next < end) {
        const int64_t cut = script[next].frame;
        if (cut > at) renderVst(at, cut - at);
        at = std::max(at, cut);
        orvalis::tests::MidiBuilder midi;
        for (; next < end && script[next].frame == cut; ++next) {
          const Step& s = script[next];
          if (s.kind == Step::kParam)
            vst.setParameter(s.index, s.value);
          else
            midi.message(0, s.bytes[0], s.bytes[1], s.bytes[2]);
        }
        if (!midi.raw().empty()) {
          // Events stay in the block that holds them: the rest of this block.
          pendingMidi = midi.raw();
        }
      }
      if (start + n > at) renderVst(at, start + n - at);
      start += n;
    }
  }
  long firstDifference() const {
    for (int c = 0; c < 2; ++c) {
      if (vstOut[c].size() != vst3Out[c].size()) return 0;
      for (std::size_t i = 0; i < vstOut[c].size(); ++i)
        if (vstOut[c][i] != vst3Out[c][i]) return static_cast<long>(i);
    }
    return -1;
  }

  struct Seed {
    explicit Seed(unsigned s) { std::srand(s); }
  } seedVst;
  TestHost vst;
  Seed seedVst3;
  Vst3Host vst3{kRate};
  std::vector<float> vstOut[2], vst3Out[2];

 private:
  void renderVst(int64_t, int64_t frames) {
    if (!pendingMidi.empty()) {
      orvalis::tests::MidiBuilder midi;
      for (const VstMidiEvent& e : pendingMidi)
        midi.message(0, static_cast<uint8_t>(e.midiData[0]), static_cast<uint8_t>(e.midiData[1]),
                     static_cast<uint8_t>(e.midiData[2]));
      vst.sendEvents(midi.events());
      pendingMidi.clear();
    }
    std::vector<float> l, r;
    vst.render(l, r, static_cast<int32_t>(frames));
    vstOut[0].insert(vstOut[0].end(), l.begin(), l.end());
    vstOut[1].insert(vstOut[1].end(), r.begin(), r.end());
  }
  std::vector<VstMidiEvent> pendingMidi;
};

#if defined(ORVALIS_DEMO_MIDI)
std::vector<Step> demoSong(double seconds) {
  orvalis::render::MidiSong song;
  std::string error;
  EXPECT_TRUE(orvalis::render::readMidiFile(ORVALIS_DEMO_MIDI, static_cast<uint32_t>(kRate), {},
                                            song, error))
      << error;
  std::vector<Step> steps;
  for (const orvalis::render::MidiEvent& e : song.events)
    if (e.frame < seconds * kRate && e.length == 3)
      steps.push_back({e.frame, Step::kMidi, {e.bytes[0], e.bytes[1], e.bytes[2]}, 0, 0.f});
  return steps;
}
#endif

Step midiStep(int64_t frame, uint8_t status, uint8_t d1, uint8_t d2) {
  return {frame, Step::kMidi, {status, d1, d2}, 0, 0.f};
}

Step paramStep(int64_t frame, int index, float value) {
  return {frame, Step::kParam, {0, 0, 0}, index, value};
}

void sortByFrame(std::vector<Step>& steps) {
  std::stable_sort(steps.begin(), steps.end(),
                   [](const Step& a, const Step& b) { return a.frame < b.frame; });
}

}  // namespace

TEST(Vst3Module, ExportsTheEntryPointsAndOneInstrumentClass) {
  Vst3Module& module = Vst3Module::get();
  ASSERT_TRUE(module.loaded()) << module.error();
#if !defined(_WIN32)
  // Only the three entry points leave the module (scripts/check-exports checks the DLL's).
  FILE* nm = popen("nm -D --defined-only '" ORVALIS_VST3_MODULE "'", "r");
  ASSERT_NE(nm, nullptr);
  std::set<std::string> exported;
  char line[512];
  while (std::fgets(line, sizeof line, nm)) {
    char type = 0, name[400] = {};
    if (std::sscanf(line, "%*s %c %399s", &type, name) == 2 && (type == 'T' || type == 'W'))
      exported.insert(name);
  }
  pclose(nm);
#ifndef ORVALIS_SANITIZED
  // Sanitizer builds link without the export map.
  EXPECT_EQ(exported, (std::set<std::string>{"GetPluginFactory", "ModuleEntry", "ModuleExit"}));
#endif
#endif

  v3::IPluginFactory* factory = module.factory;
  v3::PFactoryInfo info{};
  ASSERT_EQ(factory->getFactoryInfo(&info), v3::kResultOk);
  EXPECT_STREQ(info.vendor, "par Tavrelin");
  ASSERT_EQ(factory->countClasses(), 1);
  v3::PClassInfo c{};
  ASSERT_EQ(factory->getClassInfo(0, &c), v3::kResultOk);
  EXPECT_STREQ(c.category, "Audio Module Class");
  EXPECT_STREQ(c.name, "Orvalis");
  EXPECT_NE(factory->getClassInfo(1, &c), v3::kResultOk);

  void* object = nullptr;
  ASSERT_EQ(factory->queryInterface(v3::IPluginFactory3::iid.bytes, &object), v3::kResultOk);
  auto* factory3 = static_cast<v3::IPluginFactory3*>(object);
  v3::PClassInfo2 c2{};
  ASSERT_EQ(factory3->getClassInfo2(0, &c2), v3::kResultOk);
  EXPECT_EQ(std::memcmp(c2.cid, c.cid, 16), 0);
  EXPECT_STREQ(c2.subCategories, "Instrument|Synth");
  EXPECT_STREQ(c2.vendor, "par Tavrelin");
  EXPECT_STREQ(c2.version, ORVALIS_VERSION);
  v3::PClassInfoW cw{};
  ASSERT_EQ(factory3->getClassInfoUnicode(0, &cw), v3::kResultOk);
  EXPECT_EQ(toUtf8(cw.name), "Orvalis");
  EXPECT_EQ(toUtf8(cw.version), ORVALIS_VERSION);
  // The class id hosts store in songs.
  const v3::Uid released{0x18B4C904, 0x05A14315, 0x89E76F45, 0xC56E563D};
  EXPECT_TRUE(released == c.cid);
  // Unknown classes and interfaces are refused.
  char other[16] = {1};
  EXPECT_EQ(factory->createInstance(other, v3::IComponent::iid.bytes, &object), v3::kNoInterface);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(factory->createInstance(c.cid, v3::IPlugView::iid.bytes, &object), v3::kNoInterface);
}

TEST(Vst3Instance, BusesSetupAndProcessing) {
  Vst3Host host(kRate);
  ASSERT_TRUE(host.loaded());
  ASSERT_NE(host.midiMapping, nullptr);
  ASSERT_NE(host.units, nullptr);
  v3::IComponent* c = host.component;
  // Initialising and terminating again is harmless.
  EXPECT_EQ(c->initialize(nullptr), v3::kResultOk);
  EXPECT_EQ(host.controller->initialize(nullptr), v3::kResultOk);
  const struct {
    v3::MediaType type;
    v3::BusDirection direction;
    int32_t count, channels;
  } buses[] = {{v3::kAudio, v3::kInput, 0, 0},
               {v3::kAudio, v3::kOutput, 1, 2},
               {v3::kEvent, v3::kInput, 1, 16},
               {v3::kEvent, v3::kOutput, 0, 0}};
  for (const auto& b : buses) {
    EXPECT_EQ(c->getBusCount(b.type, b.direction), b.count);
    v3::BusInfo info{};
    EXPECT_EQ(c->getBusInfo(b.type, b.direction, 0, info) == v3::kResultOk, b.count == 1);
    if (b.count) {
      EXPECT_EQ(info.channelCount, b.channels);
      EXPECT_EQ(info.busType, v3::kMain);
    }
    EXPECT_NE(c->getBusInfo(b.type, b.direction, 1, info), v3::kResultOk);
  }
  v3::SpeakerArrangement stereo = v3::kStereo, mono = 1;
  EXPECT_EQ(host.processor->setBusArrangements(nullptr, 0, &stereo, 1), v3::kResultOk);
  EXPECT_NE(host.processor->setBusArrangements(nullptr, 0, &mono, 1), v3::kResultOk);
  EXPECT_NE(host.processor->setBusArrangements(&stereo, 1, &stereo, 1), v3::kResultOk);
  EXPECT_EQ(host.processor->canProcessSampleSize(v3::kSample32), v3::kResultOk);
  EXPECT_NE(host.processor->canProcessSampleSize(v3::kSample64), v3::kResultOk);
  v3::ProcessSetup doubles{v3::kRealtime, v3::kSample64, 512, kRate};
  EXPECT_NE(host.processor->setupProcessing(doubles), v3::kResultOk);
  v3::ProcessSetup badRate{v3::kRealtime, v3::kSample32, 512, -1.0};
  EXPECT_NE(host.processor->setupProcessing(badRate), v3::kResultOk);

  // A note at an offset sounds from there on; before it, silence.
  std::vector<float> l, r;
  EXPECT_EQ(host.flush(), v3::kResultOk);
  host.noteOn(300, 60, 0.8f);
  ASSERT_EQ(host.process(l, r, 1024), v3::kResultOk);
  EXPECT_LT(orvalis::tests::rms(std::vector<float>(l.begin(), l.begin() + 300)), 1e-9);
  EXPECT_GT(orvalis::tests::rms(std::vector<float>(l.begin() + 300, l.end())), 1e-4);
  // Nonsense from the host is refused or ignored, never played.
  host.noteOn(0, 200, 1.f);
  host.parameter(0, 9999, 0.5);
  EXPECT_EQ(host.process(l, r, 64), v3::kResultOk);
  v3::ProcessData negative{};
  negative.numSamples = -5;
  EXPECT_NE(host.processor->process(negative), v3::kResultOk);
  EXPECT_EQ(c->terminate(), v3::kResultOk);
  EXPECT_EQ(c->terminate(), v3::kResultOk);
}

// The song reader is part of the renderer, which Windows builds leave out.
#if defined(ORVALIS_DEMO_MIDI)
TEST(Vst3Instance, DemoSongSoundsAsThroughVst2) {
  const std::vector<Step> song = demoSong(4.0);
  ASSERT_GT(song.size(), 10u);
  // With the LFO running: the same seed before each instance gives both the same phases.
  const struct {
    const char* name;
    std::vector<int32_t> blocks;
  } cases[] = {{"blocks of 256", {256}}, {"odd blocks", {1, 17, 300, 4096, 64}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Step> script = song;
    for (int p : {params::kLfoDepthL, params::kLfoDepthH}) script.push_back(paramStep(0, p, 0.8f));
    script.push_back(paramStep(0, params::kLfoDelay, 0.f));
    sortByFrame(script);
    Pair pair(3);
    pair.play(script, static_cast<int64_t>(4.5 * kRate), c.blocks);
    EXPECT_GT(orvalis::tests::rms(pair.vstOut[0]), 1e-3);
    EXPECT_EQ(pair.firstDifference(), -1);
  }
}
#endif

TEST(Vst3Instance, AutomationInsideAndBetweenBlocksMatchesVst2) {
  // Changes at frames inside VST 3's blocks, on and off the 16-sample grid, and at block starts.
  std::vector<Step> script = {
      paramStep(0, params::kOscType, 0.2f),         paramStep(700, params::kFilter1FreqHigh, 0.3f),
      paramStep(1031, params::kFilter1Type, 0.25f), paramStep(1536, params::kOscType, 0.6f),
      paramStep(2049, params::kPolyphony, 0.f),     paramStep(3001, params::kPan, 0.1f),
      paramStep(3584, params::kPolyphony, 1.f),     paramStep(4100, params::kOverdrive1H, 0.9f),
      paramStep(4100, params::kAmpReleaseH, 0.2f),  paramStep(5127, params::kOscType, 1.f),
      paramStep(5632, params::kFilter2Type, 1.f),   paramStep(6150, params::kLaneWeights, 0.7f),
      paramStep(6656, params::kPitchStartH, 0.9f),  paramStep(7170, params::kGain, 0.2f)};
  const int keys[] = {48, 55, 64, 67, 72};
  for (int k = 0; k < 5; ++k) {
    script.push_back(midiStep(k * 700 + 3, 0x90, static_cast<uint8_t>(keys[k]), 100));
    script.push_back(midiStep(k * 700 + 2900, 0x80, static_cast<uint8_t>(keys[k]), 0));
  }
  sortByFrame(script);
  for (const std::vector<int32_t>& blocks : {std::vector<int32_t>{512}, {100, 1000, 37}}) {
    Pair pair(1);
    pair.play(script, 9000, blocks);
    EXPECT_GT(orvalis::tests::rms(pair.vstOut[0]), 1e-3);
    EXPECT_EQ(pair.firstDifference(), -1);
  }
}

TEST(Vst3Instance, BendWheelAndAllNotesOffThroughMidiMappingMatchVst2Midi) {
  Vst3Host host;
  ASSERT_TRUE(host.loaded());
  v3::ParamID id = 0;
  // Every channel maps; controllers the instrument ignores map to nothing.
  for (int16_t channel : {0, 9, 15}) {
    EXPECT_EQ(host.midiMapping->getMidiControllerAssignment(0, channel, 1, id), v3::kResultTrue);
    EXPECT_EQ(host.midiMapping->getMidiControllerAssignment(0, channel, 129, id), v3::kResultTrue);
  }
  for (int16_t ignored : {0, 7, 64, 128, 130, -1})
    EXPECT_NE(host.midiMapping->getMidiControllerAssignment(0, 0, ignored, id), v3::kResultTrue);
  EXPECT_NE(host.midiMapping->getMidiControllerAssignment(1, 0, 1, id), v3::kResultTrue);

  std::vector<Step> script = {midiStep(10, 0x90, 60, 100), midiStep(500, 0x90, 67, 90)};
  for (int i = 0; i < 60; ++i) {
    const int bend = 8192 + (i * 271) % 8000 - 4000;
    script.push_back(midiStep(600 + i * 92, 0xE0, static_cast<uint8_t>(bend & 0x7F),
                              static_cast<uint8_t>(bend >> 7)));
    script.push_back(midiStep(650 + i * 92, 0xB1, 1, static_cast<uint8_t>(i * 2)));
  }
  script.push_back(midiStep(7000, 0xB0, 123, 0));
  script.push_back(midiStep(7500, 0x90, 64, 80));
  sortByFrame(script);
  Pair pair(2);
  pair.play(script, 9000, {256});
  EXPECT_GT(orvalis::tests::rms(pair.vstOut[0]), 1e-3);
  EXPECT_EQ(pair.firstDifference(), -1);
}

TEST(Vst3Parameters, TableRowsTextsAndInverses) {
  Vst3Host host;
  ASSERT_TRUE(host.loaded());
  v3::IEditController* ec = host.controller;
  ASSERT_EQ(ec->getParameterCount(), params::kNumParams + 4);
  std::set<v3::ParamID> ids;
  TestHost vst;  // VST 2's own display texts
  for (int32_t i = 0; i < ec->getParameterCount(); ++i) {
    v3::ParameterInfo info{};
    ASSERT_EQ(ec->getParameterInfo(i, info), v3::kResultOk);
    EXPECT_TRUE(ids.insert(info.id).second) << "id " << info.id << " twice";
    if (i >= params::kNumParams) {
      EXPECT_TRUE(info.id == v3::kProgramParam || (info.flags & v3::ParameterInfo::kIsHidden) != 0);
      continue;
    }
    SCOPED_TRACE(i);
    const params::ParameterInfo& row = params::parameterInfo(i);
    EXPECT_EQ(info.id, static_cast<v3::ParamID>(i));
    EXPECT_EQ(info.defaultNormalizedValue, row.defaultValue);
    int choices = 0;
    params::choiceNames(i, &choices);
    EXPECT_EQ(info.stepCount, choices ? choices - 1 : 0);
    const bool hidden = params::isHidden(i);
    EXPECT_EQ((info.flags & v3::ParameterInfo::kIsHidden) != 0, hidden);
    EXPECT_EQ((info.flags & v3::ParameterInfo::kCanAutomate) != 0, !hidden);
    if (hidden) continue;
    EXPECT_EQ(toUtf8(info.title), row.name);
    EXPECT_EQ(toUtf8(info.units), row.label);
    for (float v : {0.f, 0.1f, 0.25f, 0.5f, 0.73f, 1.f}) {
      vst.setParameter(i, v);
      v3::String128 text{};
      ASSERT_EQ(ec->getParamStringByValue(info.id, v, text), v3::kResultOk);
      const std::string shown = toUtf8(text);
      EXPECT_EQ(shown, vst.parameterText(effGetParamDisplay, i)) << v;
      // Read back, the text gives a value that shows the same text.
      v3::ParamValue back = -1.0;
      ASSERT_EQ(ec->getParamValueByString(info.id, text, back), v3::kResultOk) << shown;
      v3::String128 again{};
      ec->getParamStringByValue(info.id, back, again);
      EXPECT_EQ(toUtf8(again), shown);
    }
    char16_t nonsense[] = u"abc";
    v3::ParamValue unchanged = 0.5;
    EXPECT_NE(ec->getParamValueByString(info.id, nonsense, unchanged), v3::kResultOk);
  }
  v3::ParameterInfo info{};
  EXPECT_NE(ec->getParameterInfo(-1, info), v3::kResultOk);
  EXPECT_NE(ec->getParameterInfo(ec->getParameterCount(), info), v3::kResultOk);
}

TEST(Vst3State, RoundTripIntoANewInstanceAndBadStatesRefused) {
  std::vector<uint8_t> saved;
  {
    Vst3Host host;
    ASSERT_TRUE(host.loaded());
    host.parameter(0, v3::kProgramParam, 5 / 127.0);
    host.flush();
    host.parameter(0, params::kGain, 0.123f);
    host.flush();
    EXPECT_EQ(host.controller->getParamNormalized(v3::kProgramParam), 5 / 127.0);
    saved = host.saveState();
    ASSERT_EQ(saved.size(), orvalis::core::kStateSize);
  }
  Vst3Host other;
  EXPECT_EQ(other.loadState(saved), v3::kResultOk);
  EXPECT_EQ(other.saveState(), saved);
  EXPECT_FLOAT_EQ(static_cast<float>(other.controller->getParamNormalized(params::kGain)), 0.123f);
  EXPECT_EQ(other.controller->getParamNormalized(v3::kProgramParam), 5 / 127.0);
  // The host learns that every value changed.
  EXPECT_TRUE(std::any_of(other.handler.calls.begin(), other.handler.calls.end(),
                          [](const orvalis::tests::HandlerCall& c) { return c.kind == 'r'; }));

  Vst3Host host;
  const std::vector<uint8_t> before = host.saveState();
  std::vector<uint8_t> wrongMagic = saved, badValue = saved, longer = saved;
  wrongMagic[0] ^= 0xFF;
  const float nan = std::nanf("");
  std::memcpy(badValue.data() + orvalis::core::kStateHeaderSize + params::kProgramNameSize, &nan,
              4);
  longer.push_back(0);
  const std::vector<std::vector<uint8_t>> bad = {
      {}, std::vector<uint8_t>(saved.begin(), saved.begin() + 100), wrongMagic, longer};
  for (const std::vector<uint8_t>& state : bad) {
    orvalis::tests::MemoryStream stream(state);
    EXPECT_NE(host.component->setState(&stream), v3::kResultOk) << state.size();
    orvalis::tests::MemoryStream again(state);
    EXPECT_NE(host.controller->setComponentState(&again), v3::kResultOk);
    EXPECT_EQ(host.saveState(), before);
  }
  (void)badValue;
  EXPECT_EQ(host.component->setState(nullptr), v3::kInvalidArgument);
}

TEST(Vst3Programs, ListOf128NamesFollowsTheBank) {
  Vst3Host host;
  ASSERT_TRUE(host.loaded());
  v3::IUnitInfo* units = host.units;
  ASSERT_EQ(units->getProgramListCount(), 1);
  v3::ProgramListInfo list{};
  ASSERT_EQ(units->getProgramListInfo(0, list), v3::kResultOk);
  EXPECT_EQ(list.programCount, 128);
  v3::UnitInfo unit{};
  ASSERT_EQ(units->getUnitInfo(0, unit), v3::kResultOk);
  EXPECT_EQ(unit.programListId, list.id);
  // A new instance holds the factory bank.
  for (int p = 0; p < 128; ++p) {
    v3::String128 name{};
    ASSERT_EQ(units->getProgramName(list.id, p, name), v3::kResultOk);
    EXPECT_EQ(toUtf8(name), params::factoryProgram(p).record.name);
  }
  v3::String128 name{};
  EXPECT_NE(units->getProgramName(list.id, 128, name), v3::kResultOk);
  EXPECT_NE(units->getProgramName(list.id + 1, 0, name), v3::kResultOk);
  // The program selector lists the same names.
  v3::String128 text{};
  ASSERT_EQ(host.controller->getParamStringByValue(v3::kProgramParam, 7 / 127.0, text),
            v3::kResultOk);
  EXPECT_EQ(toUtf8(text), params::factoryProgram(7).record.name);

  // A loaded bank renames them all.
  orvalis::core::BankState bank;
  for (int p = 0; p < 128; ++p) bank.programs[p].setName(("Son " + std::to_string(p)).c_str());
  ASSERT_EQ(host.loadState(orvalis::core::encodeBankState(bank)), v3::kResultOk);
  for (int p : {0, 64, 127}) {
    ASSERT_EQ(units->getProgramName(list.id, p, name), v3::kResultOk);
    EXPECT_EQ(toUtf8(name), "Son " + std::to_string(p));
  }
}
