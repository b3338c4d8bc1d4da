// What the instance tells the host about itself.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/test_host.h"

using orvalis::tests::TestHost;

namespace {

std::string text(TestHost& host, int opcode, intptr_t* result = nullptr) {
  char buffer[256] = "untouched";
  const intptr_t r = host.dispatch(opcode, 0, 0, buffer);
  if (result) *result = r;
  return buffer;
}

intptr_t canDo(TestHost& host, const char* capability) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s", capability);
  return host.dispatch(effCanDo, 0, 0, buffer);
}

}  // namespace

TEST(IdentityTest, NamesVendorAndVersion) {
  TestHost host;
  intptr_t r = 0;
  EXPECT_EQ(text(host, effGetEffectName, &r), "Orvalis");
  EXPECT_EQ(r, 1);
  EXPECT_EQ(text(host, effGetProductString, &r), "Orvalis");
  EXPECT_EQ(r, 1);
  EXPECT_EQ(text(host, effGetVendorString, &r), "par Tavrelin");
  EXPECT_EQ(r, 1);
  EXPECT_EQ(host.dispatch(effGetVendorVersion), 1000);
  EXPECT_EQ(text(host, effGetErrorText, &r), "untouched");
  EXPECT_EQ(r, 0);
}

TEST(IdentityTest, CanDoMatchesExactly) {
  TestHost host;
  EXPECT_EQ(canDo(host, "receiveVstEvents"), 1);
  EXPECT_EQ(canDo(host, "receiveVstMidiEvent"), 1);
  EXPECT_EQ(canDo(host, "midiProgramNames"), 1);
  for (const char* nearMiss : {"receiveVstEvents ", "ReceiveVstEvents", "receiveVstEvent",
                               "sendVstEvents", "", "bypass", "midiProgramNamesX"})
    EXPECT_EQ(canDo(host, nearMiss), -1) << '"' << nearMiss << '"';
  EXPECT_EQ(host.dispatch(effCanDo, 0, 0, nullptr), -1);
}

TEST(IdentityTest, OutputPinsAreAStereoPair) {
  TestHost host;
  for (int pin = 0; pin < 2; ++pin) {
    VstPinProperties props;
    std::memset(&props, 0x55, sizeof props);
    EXPECT_EQ(host.dispatch(effGetOutputProperties, pin, 0, &props), 1);
    EXPECT_STREQ(props.label, pin == 0 ? "Vstx 1" : "Vstx 2");
    EXPECT_EQ(props.flags, 3);
  }
  VstPinProperties props;
  std::memset(&props, 0x55, sizeof props);
  EXPECT_EQ(host.dispatch(effGetOutputProperties, 2, 0, &props), 0);
  EXPECT_EQ(props.flags, 0x55555555);
  EXPECT_EQ(host.dispatch(effGetOutputProperties, -1, 0, &props), 0);
  EXPECT_EQ(host.dispatch(effGetInputProperties, 0, 0, &props), 0);
}

TEST(IdentityTest, MidiProgramNamesComeFromGeneralMidi) {
  TestHost host;
  MidiProgramName name;
  std::memset(&name, 0x55, sizeof name);
  name.thisProgramIndex = 7;
  EXPECT_EQ(host.dispatch(effGetMidiProgramName, 0, 0, &name), 128);
  EXPECT_STREQ(name.name, "Clavi");
  EXPECT_EQ(name.midiProgram, 7);
  EXPECT_EQ(name.midiBankMsb, -1);
  EXPECT_EQ(name.midiBankLsb, -1);
  EXPECT_EQ(name.reserved, 0);
  EXPECT_EQ(name.parentCategoryIndex, 0);
  EXPECT_EQ(name.flags, 0);

  name.thisProgramIndex = 127;
  EXPECT_EQ(host.dispatch(effGetMidiProgramName, 4, 0, &name), 128);
  EXPECT_STREQ(name.name, "Gunshot");
  EXPECT_EQ(name.parentCategoryIndex, 15);

  for (int p : {128, -1, 1000}) {
    std::memset(&name, 0x55, sizeof name);
    name.thisProgramIndex = p;
    EXPECT_EQ(host.dispatch(effGetMidiProgramName, 0, 0, &name), 0);
    EXPECT_EQ(name.flags, 0x55555555);
  }
  for (int p : {0, 50, 127}) {
    name.thisProgramIndex = p;
    EXPECT_EQ(host.dispatch(effGetMidiProgramName, 9, 0, &name), 1);
    EXPECT_STREQ(name.name, "Standard");
    EXPECT_EQ(name.midiProgram, 0);
    EXPECT_EQ(name.parentCategoryIndex, 0);
  }
}

TEST(IdentityTest, CurrentMidiProgramIsTheChannelsOwnNumber) {
  TestHost host;
  MidiProgramName name;
  std::memset(&name, 0, sizeof name);
  EXPECT_EQ(host.dispatch(effGetCurrentMidiProgram, 3, 0, &name), 3);
  EXPECT_EQ(name.thisProgramIndex, 3);
  EXPECT_STREQ(name.name, "Honky-tonk Piano");
  EXPECT_EQ(host.dispatch(effGetCurrentMidiProgram, 9, 0, &name), 9);
  EXPECT_STREQ(name.name, "Standard");
  EXPECT_EQ(host.dispatch(effGetCurrentMidiProgram, 16, 0, &name), -1);
  EXPECT_EQ(host.dispatch(effGetCurrentMidiProgram, -1, 0, &name), -1);
  EXPECT_EQ(host.dispatch(effGetCurrentMidiProgram, 0, 0, nullptr), -1);
}

TEST(IdentityTest, MidiCategoriesAndKeyNames) {
  TestHost host;
  MidiProgramCategory category;
  std::memset(&category, 0x55, sizeof category);
  category.thisCategoryIndex = 16;
  EXPECT_EQ(host.dispatch(effGetMidiProgramCategory, 0, 0, &category), 17);
  EXPECT_STREQ(category.name, "DrumSets");
  EXPECT_EQ(category.parentCategoryIndex, -1);
  EXPECT_EQ(category.flags, 0);
  category.thisCategoryIndex = 1;
  host.dispatch(effGetMidiProgramCategory, 0, 0, &category);
  EXPECT_STREQ(category.name, "Percussion");
  category.thisCategoryIndex = 17;
  EXPECT_EQ(host.dispatch(effGetMidiProgramCategory, 0, 0, &category), 17);
  EXPECT_STREQ(category.name, "");
  EXPECT_EQ(host.dispatch(effGetMidiProgramCategory, 9, 0, &category), 1);
  EXPECT_STREQ(category.name, "Drums");

  EXPECT_EQ(host.dispatch(effHasMidiProgramsChanged, 0), 0);
  MidiKeyName key;
  std::memset(&key, 0x55, sizeof key);
  EXPECT_EQ(host.dispatch(effGetMidiKeyName, 0, 0, &key), 0);
  EXPECT_EQ(key.keyName[0], 0);
  EXPECT_EQ(key.reserved, 0);
  EXPECT_EQ(key.flags, 0);
}

TEST(IdentityTest, ResumeAsksTheHostForMidi) {
  TestHost host;
  host.dispatch(effMainsChanged, 0, 1);
  ASSERT_EQ(host.countCalls(audioMasterWantMidi), 1);
  for (const auto& call : host.calls)
    if (call.opcode == audioMasterWantMidi) {
      EXPECT_EQ(call.value, 1);
    }
  host.dispatch(effMainsChanged, 0, 0);  // suspend changes nothing
  EXPECT_EQ(host.countCalls(audioMasterWantMidi), 1);
}

TEST(IdentityTest, KeysAreNotRequiredWhileNoTextIsEdited) {
  TestHost host;
  EXPECT_EQ(host.dispatch(effKeysRequired), 1);
}
