// The VST 3 module through our own VST 3 host, from the built bundle: what the factory
// declares, the instance's life, and that it sounds exactly like the VST 2 plug-in for the same
// notes, automation and controllers; parameters, state and the program list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "core/state_blob.h"
#include "params/factory_bank.h"
#include "tests/support/format_instance.h"
#include "tests/support/signal_analysis.h"
#include "tests/support/test_host.h"
#include "tests/support/test_songs.h"
#include "tests/support/vst3_host.h"
#include "vst3/parameters.h"

using orvalis::tests::Script;
using orvalis::tests::TestHost;
using orvalis::tests::toUtf8;
using orvalis::tests::Vst3Host;
using orvalis::tests::Vst3Module;
namespace v3 = orvalis::vst3;
namespace params = orvalis::params;

namespace {

constexpr double kRate = 44100.0;

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
  // With the LFO running: the same seed before each instance gives both the same phases.
  Script script;
  script.events = orvalis::tests::demoSong(4.0, kRate);
  ASSERT_GT(script.events.size(), 10u);
  script.changes = {
      {0, params::kLfoDepthL, 0.8f}, {0, params::kLfoDepthH, 0.8f}, {0, params::kLfoDelay, 0.f}};
  script.changesInsideBlocks = true;
  script.frames = static_cast<int64_t>(4.5 * kRate);
  script.seed = 3;
  const struct {
    const char* name;
    std::vector<uint32_t> blocks;
  } cases[] = {{"blocks of 256", {256}}, {"odd blocks", {1, 17, 300, 4096, 64}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    script.blocks = c.blocks;
    orvalis::tests::Rendered vst2;
    EXPECT_EQ(
        orvalis::tests::firstDifferenceFromVst2(orvalis::tests::makeVst3Instance, script, &vst2),
        -1);
    EXPECT_GT(orvalis::tests::rms(vst2.left), 1e-3);
  }
}
#endif

TEST(Vst3Instance, AutomationInsideAndBetweenBlocksMatchesVst2) {
  // Changes at frames inside VST 3's blocks, on and off the 16-sample grid, and at block starts.
  Script script;
  script.changes = {{0, params::kOscType, 0.2f},         {700, params::kFilter1FreqHigh, 0.3f},
                    {1031, params::kFilter1Type, 0.25f}, {1536, params::kOscType, 0.6f},
                    {2049, params::kPolyphony, 0.f},     {3001, params::kPan, 0.1f},
                    {3584, params::kPolyphony, 1.f},     {4100, params::kOverdrive1H, 0.9f},
                    {4100, params::kAmpReleaseH, 0.2f},  {5127, params::kOscType, 1.f},
                    {5632, params::kFilter2Type, 1.f},   {6150, params::kLaneWeights, 0.7f},
                    {6656, params::kPitchStartH, 0.9f},  {7170, params::kGain, 0.2f}};
  script.changesInsideBlocks = true;
  script.events = orvalis::tests::chord();
  script.frames = 9000;
  script.seed = 1;
  for (const std::vector<uint32_t>& blocks : {std::vector<uint32_t>{512}, {100, 1000, 37}}) {
    script.blocks = blocks;
    orvalis::tests::Rendered vst2;
    EXPECT_EQ(
        orvalis::tests::firstDifferenceFromVst2(orvalis::tests::makeVst3Instance, script, &vst2),
        -1);
    EXPECT_GT(orvalis::tests::rms(vst2.left), 1e-3);
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

  Script script;
  script.events = {{10, {0x90, 60, 100}, 3}, {500, {0x90, 67, 90}, 3}};
  for (int i = 0; i < 60; ++i) {
    const int bend = 8192 + (i * 271) % 8000 - 4000;
    script.events.push_back(
        {600 + i * 92,
         {0xE0, static_cast<uint8_t>(bend & 0x7F), static_cast<uint8_t>(bend >> 7)},
         3});
    script.events.push_back({650 + i * 92, {0xB1, 1, static_cast<uint8_t>(i * 2)}, 3});
  }
  script.events.push_back({7000, {0xB0, 123, 0}, 3});
  script.events.push_back({7500, {0x90, 64, 80}, 3});
  script.frames = 9000;
  script.seed = 2;
  orvalis::tests::Rendered vst2;
  EXPECT_EQ(
      orvalis::tests::firstDifferenceFromVst2(orvalis::tests::makeVst3Instance, script, &vst2), -1);
  EXPECT_GT(orvalis::tests::rms(vst2.left), 1e-3);
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
