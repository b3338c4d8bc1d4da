// The host interface through the real entry: record, dispatcher answers, exports.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "tests/support/test_host.h"

using orvalis::tests::TestHost;

TEST(PluginEntryTest, ReturnsInstrumentRecordWithFinalFields) {
  TestHost host;
  ASSERT_NE(host.effect, nullptr);
  const AEffect* e = host.effect;
  EXPECT_EQ(e->magic, 0x56737450);
  EXPECT_EQ(e->numPrograms, 128);
  EXPECT_EQ(e->numParams, 61);
  EXPECT_EQ(e->numInputs, 0);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->flags & ~effFlagsHasEditor, 0x110);
  EXPECT_EQ(e->uniqueID, 0x52623574);
  EXPECT_EQ(e->version, 1);
  EXPECT_EQ(e->ioRatio, 1.f);
  EXPECT_EQ(e->initialDelay, 0);
  EXPECT_EQ(e->resvd1, 0);
  EXPECT_EQ(e->resvd2, 0);
  EXPECT_NE(e->object, nullptr);
  EXPECT_NE(e->dispatcher, nullptr);
  EXPECT_NE(e->process, nullptr);
  EXPECT_NE(e->processReplacing, nullptr);
  EXPECT_NE(e->setParameter, nullptr);
  EXPECT_NE(e->getParameter, nullptr);
  for (char c : e->future) EXPECT_EQ(c, 0);
  // The object must be 16-byte aligned: its engine state is SSE data.
  EXPECT_EQ(reinterpret_cast<uintptr_t>(e->object) % 16, 0u);
  // The entry asked the host for its version with a null record.
  ASSERT_FALSE(host.calls.empty());
  EXPECT_EQ(host.calls.front().opcode, audioMasterVersion);
}

TEST(PluginEntryTest, MainAndVstPluginMainAreTheSameEntry) {
  auto& lib = TestHost::library();
  ASSERT_TRUE(lib.loaded());
  ASSERT_NE(lib.mainEntry, nullptr);
  auto callback = [](AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) -> intptr_t {
    return opcode == audioMasterVersion ? 2400 : 0;
  };
  AEffect* e = lib.mainEntry(callback);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->magic, kEffectMagic);
  EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.f), 1);
}

TEST(PluginEntryTest, RefusesHostThatAnswersVersionZero) {
  TestHost host(0);
  EXPECT_EQ(host.effect, nullptr);
  ASSERT_EQ(host.calls.size(), 1u);
  EXPECT_EQ(host.calls[0].opcode, audioMasterVersion);
  auto& lib = TestHost::library();
  EXPECT_EQ(lib.entry(nullptr), nullptr);
}

// The Windows build checks its export table with objdump; sanitizer builds export their runtime.
#if !defined(_WIN32) && !defined(ORVALIS_SANITIZED)
TEST(PluginEntryTest, ExportsExactlyTheTwoEntries) {
  const std::string command = std::string("nm -D --defined-only ") + ORVALIS_PLUGIN_PATH;
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> symbols;
  char line[512];
  while (std::fgets(line, sizeof line, pipe)) {
    char address[64], type[8], name[400];
    if (std::sscanf(line, "%63s %7s %399s", address, type, name) == 3) symbols.insert(name);
  }
  ASSERT_EQ(pclose(pipe), 0);
  EXPECT_EQ(symbols, (std::set<std::string>{"main", "VSTPluginMain"}));
}
#endif

TEST(DispatcherTest, BaseOpcodesAnswerAsTabled) {
  TestHost host;
  ASSERT_NE(host.effect, nullptr);
  EXPECT_EQ(host.dispatch(effOpen), 0);
  EXPECT_EQ(host.dispatch(effGetVu), 0);
  EXPECT_EQ(host.dispatch(effIdentify), 0x4E764566);
  EXPECT_EQ(host.dispatch(effGetVstVersion), 2300);
  EXPECT_EQ(host.dispatch(effGetPlugCategory), 2);
  for (int op : {effEditDraw, effEditMouse, effEditKey, effEditTop, effEditSleep})
    EXPECT_EQ(host.dispatch(op, 1, 1, nullptr, 1.f), 0) << op;
  for (int op : {77, 78, 1000, -1, 0x7FFFFFFF})
    EXPECT_EQ(host.dispatch(op, 3, 4, nullptr, 5.f), 0) << op;
  // No chunks: hosts save programs through the parameters.
  void* chunk = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(host.dispatch(effGetChunk, 0, 0, &chunk), 0);
  EXPECT_EQ(host.dispatch(effSetChunk, 0, 16, &chunk), 0);
  EXPECT_EQ(host.dispatch(effCanBeAutomated, 5), 1);
  EXPECT_EQ(host.dispatch(effGetNumProgramCategories), 1);
  EXPECT_EQ(host.dispatch(effConnectInput, 0, 1), 1);
  EXPECT_EQ(host.dispatch(effConnectOutput, 1, 0), 1);
  EXPECT_EQ(host.dispatch(effSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.f), 1);
  EXPECT_EQ(host.dispatch(effSetTotalSampleToProcess, 0, 777), 777);
  EXPECT_EQ(host.dispatch(effGetTailSize), 0);
  EXPECT_EQ(host.dispatch(effSetBypass, 0, 1), 0);
}

TEST(DispatcherTest, ProgramOpcodesFollowSignedComparison) {
  TestHost host;
  EXPECT_EQ(host.dispatch(effGetProgram), 0);
  host.dispatch(effSetProgram, 0, 5);
  EXPECT_EQ(host.dispatch(effGetProgram), 5);
  host.dispatch(effSetProgram, 0, 128);
  EXPECT_EQ(host.dispatch(effGetProgram), 5);
  host.dispatch(effSetProgram, 0, -1);  // reloads the current program
  EXPECT_EQ(host.dispatch(effGetProgram), 5);
}

TEST(DispatcherTest, CloseAnswersOneAndDestroysTheInstance) {
  TestHost host;
  ASSERT_NE(host.effect, nullptr);
  EXPECT_EQ(host.effect->dispatcher(host.effect, effClose, 0, 0, nullptr, 0.f), 1);
  host.effect = nullptr;  // the record is gone
}

TEST(DispatcherTest, EditorOpcodesReachTheEditor) {
  TestHost host;
  EXPECT_EQ(host.effect->flags, 0x111);
  // The rectangle is handed out before the window ever opens (at 1x, which a host's factor
  // of 1 asks for whatever the desktop's scale).
  host.dispatch(effVendorSpecific, 0x50726553, 0x41654373, nullptr, 1.f);
  ERect* rect = nullptr;
  EXPECT_EQ(host.dispatch(effEditGetRect, 0, 0, &rect), 1);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->top, 0);
  EXPECT_EQ(rect->left, 0);
  EXPECT_EQ(rect->bottom, 320);
  EXPECT_EQ(rect->right, 720);
  EXPECT_EQ(host.dispatch(effEditGetRect, 0, 0, nullptr), 0);
  // Some hosts idle before opening and after closing.
  EXPECT_EQ(host.dispatch(effEditIdle), 0);
  EXPECT_EQ(host.dispatch(effEditOpen), 1);
  EXPECT_EQ(host.dispatch(effEditOpen), 1);  // twice without a close
  EXPECT_EQ(host.dispatch(effEditIdle), 0);
  EXPECT_EQ(host.dispatch(effEditKeyDown, 'a', 65, nullptr, 0.f), -1);
  EXPECT_EQ(host.dispatch(effEditKeyUp, 'a', 65, nullptr, 0.f), -1);
  EXPECT_EQ(host.dispatch(effSetEditKnobMode, 0, 2), 1);
  EXPECT_EQ(host.dispatch(effKeysRequired), 1);
  EXPECT_EQ(host.dispatch(effEditClose), 0);
  EXPECT_EQ(host.dispatch(effEditClose), 0);
  EXPECT_EQ(host.dispatch(effEditIdle), 0);
}

TEST(DispatcherTest, NullPointersAreIgnored) {
  TestHost host;
  for (int op : {effSetProgramName,
                 effGetProgramName,
                 effGetParamLabel,
                 effGetParamDisplay,
                 effGetParamName,
                 effEditGetRect,
                 effGetChunk,
                 effSetChunk,
                 effProcessEvents,
                 effString2Parameter,
                 effGetProgramNameIndexed,
                 effGetInputProperties,
                 effGetOutputProperties,
                 effGetEffectName,
                 effGetErrorText,
                 effGetVendorString,
                 effGetProductString,
                 effCanDo,
                 effGetParameterProperties,
                 effGetMidiProgramName,
                 effGetCurrentMidiProgram,
                 effGetMidiProgramCategory,
                 effGetMidiKeyName,
                 effGetSpeakerArrangement,
                 effShellGetNextPlugin,
                 effBeginLoadBank,
                 effBeginLoadProgram,
                 effVendorSpecific,
                 effSetSpeakerArrangement,
                 effProcessVarIo,
                 effOfflineNotify,
                 effOfflinePrepare,
                 effOfflineRun})
    host.dispatch(op, 0, 0, nullptr, 0.f);
  EXPECT_EQ(host.dispatch(effGetProgram), 0);
}

TEST(DispatcherTest, ProcessThroughBothAudioEntriesOverwritesOutputs) {
  TestHost host;
  float left[64], right[64];
  for (float* buf : {left, right})
    for (int i = 0; i < 64; ++i) buf[i] = 123.f;
  float* outs[2] = {left, right};
  host.effect->process(host.effect, nullptr, outs, 64);
  // Idle envelopes rest at 1e-10, so silence is far below -120 dB rather than exactly 0.
  for (int i = 0; i < 64; ++i) {
    EXPECT_LT(std::fabs(left[i]), 1e-6f);
    EXPECT_LT(std::fabs(right[i]), 1e-6f);
  }
  // Null buffers and non-positive frame counts are ignored.
  host.effect->processReplacing(host.effect, nullptr, nullptr, 64);
  float* nulls[2] = {nullptr, nullptr};
  host.effect->processReplacing(host.effect, nullptr, nulls, 64);
  host.effect->processReplacing(host.effect, nullptr, outs, 0);
  host.effect->processReplacing(host.effect, nullptr, outs, -5);
}
