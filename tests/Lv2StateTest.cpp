// The LV2 plug-in's state and presets through lilv: a session saved as Turtle and reopened in a
// new instance brings every program back, a bad state is refused whole, and every preset in the
// bundle applies and sounds.
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/presets/presets.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/instrument.h"
#include "core/state_blob.h"
#include "lv2/factory_presets.h"
#include "lv2/uris.h"
#include "tests/support/lv2_host.h"
#include "tests/support/signal_analysis.h"

using orvalis::tests::Lv2Host;
using orvalis::tests::Lv2World;

namespace {

LV2_URID urid(const char* uri) { return Lv2World::get().urids.map(uri); }

orvalis::core::BankState decode(const std::vector<uint8_t>& blob) {
  orvalis::core::BankState state;
  std::string why;
  EXPECT_TRUE(orvalis::core::decodeBankState(blob.data(), blob.size(), state, &why)) << why;
  return state;
}

// Programs 3 and 77 changed and renamed, 77 selected, as the VST 2 side would leave them.
std::vector<uint8_t> distinctBank() {
  orvalis::core::Instrument instrument;
  instrument.selectProgram(3);
  instrument.setParameter(10, 0.125f);
  instrument.setProgramName("Glass Keys");
  instrument.selectProgram(77);
  instrument.setParameter(orvalis::params::kOscType, 0.6f);
  instrument.setParameter(orvalis::params::kPan, 0.25f);
  instrument.setProgramName("Warm Pad");
  return instrument.saveState();
}

void runBlock(Lv2Host& host, uint32_t frames = 64) {
  std::vector<float> l, r;
  host.run(l, r, frames);
}

}  // namespace

TEST(Lv2State, SessionSavedAsTurtleReopensWithEveryProgramInANewInstance) {
  Lv2Host a;
  ASSERT_TRUE(a.loaded());
  ASSERT_EQ(a.restoreBlob(distinctBank(), urid(LV2_ATOM__Chunk)), LV2_STATE_SUCCESS);
  runBlock(a);
  // The host's controls edit the current program from here on.
  a.control(orvalis::params::kFilter1FreqLow) = 0.33f;
  a.control(orvalis::params::kGain) = 0.7f;
  runBlock(a);
  const std::vector<uint8_t> saved = a.savedBlob();

  LilvWorld* world = Lv2World::get().world;
  LV2_URID_Map* map = &Lv2World::get().urids.mapFeature;
  LilvState* state = a.saveState();
  char* turtle = lilv_state_to_string(world, map, &Lv2World::get().urids.unmapFeature, state,
                                      "urn:orvalis:test:session", nullptr);
  lilv_state_free(state);
  ASSERT_NE(turtle, nullptr);
  LilvState* reopened = lilv_state_new_from_string(world, map, turtle);
  lilv_free(turtle);
  ASSERT_NE(reopened, nullptr);

  Lv2Host b;
  b.restoreState(reopened);
  lilv_state_free(reopened);
  runBlock(b);
  EXPECT_EQ(b.savedBlob(), saved);
  const orvalis::core::BankState bank = decode(b.savedBlob());
  EXPECT_EQ(bank.currentProgram, 77);
  EXPECT_STREQ(bank.programs[3].name, "Glass Keys");
  EXPECT_STREQ(bank.programs[77].name, "Warm Pad");
  EXPECT_EQ(bank.programs[3].values[10], 0.125f);
  EXPECT_EQ(bank.programs[77].values[orvalis::params::kOscType], 0.6f);
  EXPECT_EQ(bank.programs[77].values[orvalis::params::kFilter1FreqLow], 0.33f);
  EXPECT_EQ(bank.programs[77].values[orvalis::params::kGain], 0.7f);
  for (int i = 0; i < orvalis::params::kNumParams; ++i) EXPECT_EQ(b.control(i), a.control(i)) << i;
}

TEST(Lv2State, PortsTheHostRestoresApplyAndPortsItLeavesKeepTheBank) {
  // Hosts set a session's port values along with its state (some from files of their own, which
  // may be newer than the bank), or leave the ports as they were.
  Lv2Host host;
  const std::vector<uint8_t> bank = distinctBank();
  host.control(orvalis::params::kGain) = 0.7f;
  ASSERT_EQ(host.restoreBlob(bank, urid(LV2_ATOM__Chunk)), LV2_STATE_SUCCESS);
  runBlock(host);
  orvalis::core::BankState expected = decode(bank);
  expected.programs[77].values[orvalis::params::kGain] = 0.7f;
  EXPECT_EQ(host.savedBlob(), orvalis::core::encodeBankState(expected));
  host.control(orvalis::params::kPortamento) = 0.9f;
  runBlock(host);
  EXPECT_EQ(decode(host.savedBlob()).programs[77].values[orvalis::params::kPortamento], 0.9f);
}

TEST(Lv2State, StateWithoutTheBankChangesNothing) {
  // Hosts restore presets and defaults that hold port values only.
  Lv2Host host;
  host.control(orvalis::params::kGain) = 0.8f;
  runBlock(host);
  const std::vector<uint8_t> before = host.savedBlob();
  EXPECT_EQ(host.restoreWithoutBank(), LV2_STATE_SUCCESS);
  runBlock(host);
  EXPECT_EQ(host.savedBlob(), before);
  host.control(orvalis::params::kGain) = 0.1f;
  runBlock(host);
  EXPECT_EQ(decode(host.savedBlob()).programs[0].values[orvalis::params::kGain], 0.1f);
}

TEST(Lv2State, BadStateIsRefusedAndChangesNothing) {
  const std::vector<uint8_t> good = distinctBank();
  auto changed = [&](std::size_t at, uint8_t value) {
    std::vector<uint8_t> b = good;
    b[at] = value;
    return b;
  };
  const struct {
    const char* name;
    std::vector<uint8_t> blob;
    const char* type;
  } cases[] = {
      {"empty", {}, LV2_ATOM__Chunk},
      {"cut short", std::vector<uint8_t>(good.begin(), good.end() - 1), LV2_ATOM__Chunk},
      {"one byte too many",
       [&] {
         auto b = good;
         b.push_back(0);
         return b;
       }(),
       LV2_ATOM__Chunk},
      {"wrong magic", changed(0, 'X'), LV2_ATOM__Chunk},
      {"newer version", changed(4, 9), LV2_ATOM__Chunk},
      {"current program out of range", changed(16, 200), LV2_ATOM__Chunk},
      {"not a chunk", good, LV2_ATOM__String},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Lv2Host host;
    host.control(orvalis::params::kGain) = 0.8f;
    runBlock(host);
    const std::vector<uint8_t> before = host.savedBlob();
    EXPECT_NE(host.restoreBlob(c.blob, urid(c.type)), LV2_STATE_SUCCESS);
    runBlock(host);
    EXPECT_EQ(host.savedBlob(), before);
    // The ports still lead: a refused state does not freeze them.
    host.control(orvalis::params::kGain) = 0.1f;
    runBlock(host);
    EXPECT_EQ(decode(host.savedBlob()).programs[0].values[orvalis::params::kGain], 0.1f);
  }
}

TEST(Lv2State, EveryPresetAppliesAndSounds) {
  const std::vector<orvalis::lv2::FactoryPreset> factory = orvalis::lv2::factoryPresets();
  const std::vector<std::string> uris = Lv2World::get().presetUris();
  ASSERT_EQ(uris.size(), factory.size());
  for (const std::string& uri : uris) {
    SCOPED_TRACE(uri);
    LilvState* preset = Lv2World::get().loadPreset(uri);
    ASSERT_NE(preset, nullptr);
    const std::string label = lilv_state_get_label(preset);
    const orvalis::lv2::FactoryPreset* expected = nullptr;
    for (const auto& f : factory)
      if (f.label == label) expected = &f;
    ASSERT_NE(expected, nullptr) << label;
    EXPECT_EQ(Lv2World::get().presetFamily(uri), expected->family);

    Lv2Host host;
    // Start from values no preset holds, so that every port has to change.
    for (int i = 0; i < orvalis::params::kNumParams; ++i) host.control(i) = 0.123f;
    runBlock(host);
    host.restoreState(preset);
    lilv_state_free(preset);
    host.midi(0, 0x90, 60, 100);
    host.midi(0, 0x90, 67, 100);
    std::vector<float> l, r;
    for (int block = 0; block < 32; ++block) host.run(l, r, 512);
    const orvalis::core::BankState bank = decode(host.savedBlob());
    EXPECT_EQ(std::memcmp(bank.programs[0].values, expected->values, sizeof expected->values), 0);
    EXPECT_TRUE(orvalis::tests::allFinite(l) && orvalis::tests::allFinite(r));
    EXPECT_GT(orvalis::tests::rms(l) + orvalis::tests::rms(r), 1e-3);
  }
}

TEST(Lv2State, AFreshInstanceHoldsTheFactoryBankWithProgramZeroOnItsPorts) {
  Lv2Host host;
  runBlock(host);
  const orvalis::core::BankState bank = decode(host.savedBlob());
  EXPECT_EQ(bank.currentProgram, 0);
  const std::vector<orvalis::lv2::FactoryPreset> factory = orvalis::lv2::factoryPresets();
  ASSERT_EQ(factory.size(), static_cast<std::size_t>(orvalis::params::kNumPrograms));
  for (int p = 0; p < orvalis::params::kNumPrograms; ++p) {
    EXPECT_EQ(bank.programs[p].name, factory[p].label) << p;
    for (int i = 0; i < orvalis::params::kNumParams; ++i)
      ASSERT_EQ(bank.programs[p].values[i], factory[p].values[i]) << p << " " << i;
  }
  // The ports start at program 0's values, so the first block leaves the bank as it is.
  for (int i = 0; i < orvalis::params::kNumParams; ++i)
    EXPECT_EQ(host.control(i), factory[0].values[i]) << i;
}

TEST(Lv2State, NonFiniteControlValuesChangeNothing) {
  Lv2Host host;
  runBlock(host);
  const std::vector<uint8_t> before = host.savedBlob();
  for (float bad : {std::nanf(""), INFINITY, -INFINITY}) {
    for (int i = 0; i < orvalis::params::kNumParams; ++i) host.control(i) = bad;
    runBlock(host);
    EXPECT_EQ(host.savedBlob(), before) << bad;
  }
}
