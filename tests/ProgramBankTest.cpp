// Programs: selection, names, copies and the clipboard.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/instance_peek.h"
#include "tests/support/midi_builder.h"
#include "tests/support/test_host.h"

using orvalis::tests::InProcessHost;
using orvalis::tests::TestHost;

namespace {

std::string indexedName(TestHost& host, int index) {
  char text[64] = "untouched";
  host.dispatch(effGetProgramNameIndexed, index, 0, text);
  return text;
}

std::string currentName(TestHost& host) {
  char text[64] = "untouched";
  host.dispatch(effGetProgramName, 0, 0, text);
  return text;
}

void rename(TestHost& host, const char* name) {
  char text[64];
  std::snprintf(text, sizeof text, "%s", name);
  host.dispatch(effSetProgramName, 0, 0, text);
}

orvalis::vst2::Corvina& mutableInstance(TestHost& host) {
  return *static_cast<orvalis::vst2::Corvina*>(
      static_cast<orvalis::vst2::AudioEffect*>(host.effect->object));
}

}  // namespace

TEST(ProgramBankTest, NewInstanceHasOneHundredTwentyEightBasique) {
  TestHost host;
  EXPECT_EQ(host.dispatch(effGetProgram), 0);
  for (int i = 0; i < 128; ++i) EXPECT_EQ(indexedName(host, i), "Basique") << i;
  EXPECT_EQ(host.dispatch(effGetProgramNameIndexed, 128, 0, nullptr), 0);
  EXPECT_EQ(indexedName(host, 128), "untouched");
  EXPECT_EQ(indexedName(host, -1), "untouched");
}

TEST(ProgramBankTest, SelectionIgnoresOutOfRangeAndMinusOneReloads) {
  InProcessHost host;
  host.dispatch(effSetProgram, 0, 3);
  host.dispatch(effSetProgram, 0, 128);
  host.dispatch(effSetProgram, 0, 1000);
  EXPECT_EQ(host.dispatch(effGetProgram), 3);
  // -1 reloads: voices are released.
  orvalis::tests::MidiBuilder m;
  m.noteOn(0, 60, 100);
  host.sendEvents(m.events());
  std::vector<float> l, r;
  host.render(l, r, 64);
  ASSERT_EQ(orvalis::tests::engineOf(host).voice(0).gate, 1);
  host.dispatch(effSetProgram, 0, -1);
  EXPECT_EQ(host.dispatch(effGetProgram), 3);
  host.applyPendingChanges();
  EXPECT_EQ(orvalis::tests::engineOf(host).voice(0).gate, 0);
}

TEST(ProgramBankTest, ParameterChangesLiveInTheBank) {
  InProcessHost host;
  host.dispatch(effSetProgram, 0, 2);
  host.setParameter(5, 0.3f);
  host.dispatch(effSetProgram, 0, 7);
  EXPECT_EQ(host.getParameter(5), 0.f);
  host.dispatch(effSetProgram, 0, 2);
  EXPECT_EQ(host.getParameter(5), 0.3f);
  host.applyPendingChanges();
  EXPECT_EQ(orvalis::tests::engineOf(host).voice(4).filter.type1, orvalis::engine::kLowPass);
}

TEST(ProgramBankTest, CopyProgramCopiesValuesAndName) {
  TestHost host;
  host.dispatch(effSetProgram, 0, 2);
  host.setParameter(23, 0.9f);
  rename(host, "Lead");
  EXPECT_EQ(host.dispatch(effCopyProgram, 9), 1);
  EXPECT_EQ(host.dispatch(effGetProgram), 2);
  EXPECT_EQ(indexedName(host, 9), "Lead");
  host.dispatch(effSetProgram, 0, 9);
  EXPECT_EQ(host.getParameter(23), 0.9f);
  EXPECT_EQ(host.dispatch(effCopyProgram, 128), 0);
  EXPECT_EQ(host.dispatch(effCopyProgram, -1), 0);
}

TEST(ProgramBankTest, NamesAreCutAtTwentyThreeCharacters) {
  TestHost host;
  rename(host, "A very long program name that goes on");
  EXPECT_EQ(currentName(host), "A very long program nam");
  EXPECT_EQ(indexedName(host, 0), "A very long program nam");
}

TEST(ProgramBankTest, RenameLeavesTheEditRecordNameAndPasteWritesItBack) {
  InProcessHost host;
  rename(host, "New name");
  EXPECT_EQ(currentName(host), "New name");
  orvalis::vst2::Corvina& synth = mutableInstance(host);
  synth.copyToClipboard();
  synth.pasteFromClipboard();
  EXPECT_EQ(currentName(host), "Basique");
}

TEST(ProgramBankTest, PasteWithoutCopyWritesTheDefaultProgram) {
  InProcessHost host;
  host.dispatch(effSetProgram, 0, 4);
  host.setParameter(3, 0.9f);
  rename(host, "Pad");
  mutableInstance(host).pasteFromClipboard();
  EXPECT_EQ(host.getParameter(3), 0.5f);
  EXPECT_EQ(currentName(host), "Basique");
  EXPECT_EQ(host.dispatch(effGetProgram), 4);
}

TEST(ProgramBankTest, CopyAndPasteMoveAProgram) {
  InProcessHost host;
  host.dispatch(effSetProgram, 0, 1);
  host.setParameter(10, 0.25f);
  orvalis::vst2::Corvina& synth = mutableInstance(host);
  synth.copyToClipboard();
  host.dispatch(effSetProgram, 0, 6);
  synth.pasteFromClipboard();
  EXPECT_EQ(host.getParameter(10), 0.25f);
  host.dispatch(effSetProgram, 0, 5);
  host.dispatch(effSetProgram, 0, 6);
  EXPECT_EQ(host.getParameter(10), 0.25f);
}
