// The Orvalis editor, offscreen, through the plug-in's dispatcher.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "editor/bar_bitmap.h"
#include "plugin/corvina_gui_editor.h"
#include "tests/support/editor_scale.h"
#include "tests/support/instance_peek.h"
#include "tests/support/midi_builder.h"
#include "tests/support/test_host.h"
#include "toolkit/bitmap.h"
#include "toolkit/controls.h"
#include "toolkit/frame.h"

using namespace VSTGUI;
using orvalis::tests::InProcessHost;
using orvalis::tests::TestHost;

namespace {

orvalis::editor::Panel& editorOf(TestHost& host) {
  return orvalis::tests::instanceOf(host).guiEditor()->getPanel();
}

// Opens the window offscreen (no parent window) at 1x, whatever the desktop's scale, and runs
// one idle.
orvalis::editor::Panel& openEditor(TestHost& host) {
  return orvalis::tests::openEditorAt(host, 1.f);
}

CPoint centre(const CRect& r) { return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

}  // namespace

TEST(EditorTest, EveryParameterHasExactlyOneControlAtItsPlace) {
  InProcessHost host;
  orvalis::editor::Panel& editor = openEditor(host);
  CFrame* frame = editor.getFrame();
  ASSERT_NE(frame, nullptr);
  int sliders = 0, switches = 0;
  std::set<CControl*> distinct;
  for (int i = 0; i < 61; ++i) {
    CControl* c = editor.parameterControl(i);
    ASSERT_NE(c, nullptr) << i;
    EXPECT_EQ(c->getTag(), i);
    distinct.insert(c);
    sliders += dynamic_cast<CSlider*>(c) != nullptr;
    switches += dynamic_cast<CHorizontalSwitch*>(c) != nullptr;
  }
  EXPECT_EQ(distinct.size(), 61u);
  EXPECT_EQ(sliders, 57);
  EXPECT_EQ(switches, 4);
  // 61 controls, two buttons, the splash, eight bars and the text display.
  EXPECT_EQ(frame->getNbViews(), 61 + 3 + 8 + 1);
  EXPECT_EQ(editor.parameterControl(0)->getViewSize(), CRect(242, 180, 262, 260));
  EXPECT_EQ(editor.parameterControl(1)->getViewSize(), CRect(581, 242, 679, 250));
  EXPECT_EQ(editor.parameterControl(13)->getViewSize(), CRect(300, 21, 420, 41));
  EXPECT_EQ(editor.parameterControl(43)->getViewSize(), CRect(120, 81, 136, 161));
  EXPECT_EQ(editor.parameterControl(56)->getViewSize(), CRect(124, 182, 132, 240));
  EXPECT_EQ(editor.parameterControl(28)->getViewSize(), CRect(160, 80, 280, 160));
  EXPECT_EQ(editor.parameterControl(60)->getViewSize(), CRect(600, 40, 680, 80));
  EXPECT_EQ(static_cast<CSlider*>(editor.parameterControl(43))->getStyle() & kTop, kTop);
  EXPECT_EQ(static_cast<CSlider*>(editor.parameterControl(0))->getOffsetHandle(), CPoint(2, 2));
  EXPECT_TRUE(editor.parameterControl(0)->getTransparency());
  EXPECT_FALSE(editor.parameterControl(28)->getTransparency());
  // The timing display is the last view.
  EXPECT_EQ(dynamic_cast<CTextEdit*>(frame->getView(frame->getNbViews() - 1))->getTag(), 999);
  // Parameter 13's slider is built after 12's and lies on top at y = 40.
  EXPECT_EQ(editor.parameterControl(13)->getViewSize().bottom, 41);
}

TEST(EditorTest, ControlsFollowThePlugInAfterOpenAutomationAndProgramChange) {
  InProcessHost host;
  host.setParameter(10, 0.25f);
  orvalis::editor::Panel& editor = openEditor(host);
  for (int i = 0; i < 61; ++i)
    EXPECT_EQ(editor.parameterControl(i)->getValue(), host.getParameter(i)) << i;
  host.setParameter(11, 0.9f);  // host automation while open: shown at the next idle
  host.dispatch(effEditIdle);
  EXPECT_EQ(editor.parameterControl(11)->getValue(), 0.9f);
  EXPECT_EQ(editor.rangeBar(0)->getLow(), 0.25f);
  EXPECT_EQ(editor.rangeBar(0)->getHigh(), 0.9f);
  host.dispatch(effSetProgram, 0, 5);
  host.dispatch(effEditIdle);
  for (int i = 0; i < 61; ++i)
    EXPECT_EQ(editor.parameterControl(i)->getValue(), host.getParameter(i)) << i;
  EXPECT_EQ(editor.parameterControl(10)->getValue(), 0.6f);
  // A kBottom slider at 0 has its handle at the bottom, a kTop one (43) at the top.
  host.setParameter(0, 0.f);
  host.dispatch(effEditIdle);
  EXPECT_EQ(static_cast<CSlider*>(editor.parameterControl(0))->handleRect().top, 242);
  EXPECT_EQ(static_cast<CSlider*>(editor.parameterControl(43))->handleRect().top, 81);
}

TEST(EditorTest, DraggingASliderAutomatesItsParameterInsideBeginAndEndEdit) {
  InProcessHost host;
  orvalis::editor::Panel& editor = openEditor(host);
  CFrame* frame = editor.getFrame();
  host.calls.clear();
  frame->onMouseDown(CPoint(600, 190), kLButton);  // "Gain"
  frame->onMouseMoved(CPoint(640, 190), kLButton);
  frame->onMouseMoved(CPoint(670, 190), kLButton);
  frame->onMouseUp(CPoint(670, 190), kLButton);
  ASSERT_GE(host.calls.size(), 3u);
  EXPECT_EQ(host.calls.front().opcode, audioMasterBeginEdit);
  EXPECT_EQ(host.calls.front().index, 23);
  EXPECT_EQ(host.calls.back().opcode, audioMasterEndEdit);
  EXPECT_EQ(host.calls.back().index, 23);
  int automations = 0;
  for (const auto& call : host.calls)
    if (call.opcode == audioMasterAutomate) {
      ++automations;
      EXPECT_EQ(call.index, 23);
    }
  EXPECT_GE(automations, 2);
  float last = -1;
  for (const auto& call : host.calls)
    if (call.opcode == audioMasterAutomate) last = call.opt;
  EXPECT_EQ(last, host.getParameter(23));
  EXPECT_EQ(host.getParameter(23), 1.f);
}

TEST(EditorTest, SwitchesGiveEvenSteps) {
  InProcessHost host;
  orvalis::editor::Panel& editor = openEditor(host);
  CFrame* frame = editor.getFrame();
  const float poly[4] = {0.f, 1.f / 3, 2.f / 3, 1.f};
  for (int k = 0; k < 4; ++k) {
    frame->onMouseDown(CPoint(600 + 20 * k + 10, 60), kLButton);
    frame->onMouseUp(CPoint(600 + 20 * k + 10, 60), kLButton);
    EXPECT_FLOAT_EQ(host.getParameter(60), poly[k]);
    host.applyPendingChanges();
    EXPECT_EQ(orvalis::tests::engineOf(host).allocator().activeVoices(), 1 << k);
  }
  for (int k = 0; k < 6; ++k) {
    frame->onMouseDown(CPoint(160 + 20 * k + 10, 120), kLButton);
    frame->onMouseUp(CPoint(160 + 20 * k + 10, 120), kLButton);
    EXPECT_FLOAT_EQ(host.getParameter(28), k / 5.f);
    host.applyPendingChanges();
    EXPECT_EQ(orvalis::tests::engineOf(host).voice(0).mode,
              static_cast<orvalis::engine::OscMode>(k));
  }
}

TEST(EditorTest, CopyThenPasteIntoAnotherProgramCopiesItWithItsName) {
  InProcessHost host;
  host.dispatch(effSetProgram, 0, 2);
  char name[32] = "Bright Lead";
  host.dispatch(effSetProgramName, 0, 0, name);
  host.dispatch(effSetProgram, 0, 2);  // the edit record takes the new name
  host.setParameter(23, 0.8f);
  orvalis::editor::Panel& editor = openEditor(host);
  CFrame* frame = editor.getFrame();
  frame->onMouseDown(centre(editor.copy()->getViewSize()), kLButton);
  frame->onMouseUp(centre(editor.copy()->getViewSize()), kLButton);
  host.dispatch(effSetProgram, 0, 7);
  EXPECT_EQ(host.getParameter(23), 0.5f);
  host.calls.clear();
  frame->onMouseDown(centre(editor.paste()->getViewSize()), kLButton);
  frame->onMouseUp(centre(editor.paste()->getViewSize()), kLButton);
  EXPECT_EQ(host.dispatch(effGetProgram), 7);
  EXPECT_EQ(host.getParameter(23), 0.8f);
  EXPECT_EQ(editor.parameterControl(23)->getValue(), 0.8f);
  char current[32] = {};
  host.dispatch(effGetProgramName, 0, 0, current);
  EXPECT_STREQ(current, "Bright Lead");
  EXPECT_EQ(host.calls.front().opcode, audioMasterBeginEdit);
  EXPECT_EQ(host.calls.front().index, 1001);
}

TEST(EditorTest, AboutSplashChangesNoParameter) {
  InProcessHost host;
  orvalis::editor::Panel& editor = openEditor(host);
  CFrame* frame = editor.getFrame();
  float before[61];
  for (int i = 0; i < 61; ++i) before[i] = host.getParameter(i);
  host.calls.clear();
  frame->onMouseDown(CPoint(100, 300), kLButton);
  EXPECT_TRUE(editor.about()->isShown());
  frame->onMouseDown(CPoint(600, 190), kLButton);  // under the modal image: nothing
  frame->onMouseUp(CPoint(600, 190), kLButton);
  frame->onMouseDown(CPoint(100, 100), kLButton);  // on the image: hide
  EXPECT_FALSE(editor.about()->isShown());
  for (int i = 0; i < 61; ++i) EXPECT_EQ(host.getParameter(i), before[i]) << i;
  EXPECT_EQ(host.countCalls(audioMasterAutomate), 0);
}

TEST(EditorTest, IdleShowsTheLastStartedVoiceAndTheMeter) {
  InProcessHost host;
  orvalis::editor::Panel& editor = openEditor(host);
  EXPECT_STREQ(editor.timing(), "  50.0   50.0");
  orvalis::tests::MidiBuilder midi;
  midi.noteOn(0, 60, 100).noteOn(0, 64, 100);
  host.sendEvents(midi.events());
  std::vector<float> l, r;
  host.renderBlocks(l, r, 4410, 256);
  host.dispatch(effEditIdle);
  const orvalis::engine::Voice& voice =
      orvalis::tests::engineOf(host).voice(1);  // the second note's voice
  EXPECT_EQ(orvalis::tests::engineOf(host).allocator().lastStartedVoice(), 1);
  EXPECT_EQ(editor.levelBar(2)->getValue(), std::min(1.f, voice.ampEnv.output));
  EXPECT_GT(editor.levelBar(2)->getValue(), 0.3f);
  EXPECT_EQ(editor.rangeBar(0)->getValue(), std::min(1.f, voice.filter.cutoff1));
  EXPECT_EQ(editor.rangeBar(2)->getValue(), voice.timbreRaw);
  // Two right-aligned numbers of one decimal, at least six characters each, in 15 at most.
  EXPECT_STRNE(editor.timing(), "  50.0   50.0");
  double smooth = 0, median = 0;
  EXPECT_EQ(std::sscanf(editor.timing(), "%lf %lf", &smooth, &median), 2) << editor.timing();
  EXPECT_GE(std::strlen(editor.timing()), 13u);
  EXPECT_LE(std::strlen(editor.timing()), 15u);
}

TEST(EditorTest, TextFieldTakesTheKeyboardOnlyWhileEdited) {
  InProcessHost host;
  orvalis::editor::Panel& editor = openEditor(host);
  EXPECT_EQ(host.dispatch(effKeysRequired), 1);
  editor.getFrame()->onMouseDown(CPoint(50, 10), kLButton);
  EXPECT_TRUE(editor.isEditingText());
  EXPECT_EQ(host.dispatch(effKeysRequired), 0);
  editor.getFrame()->onMouseDown(CPoint(700, 150), kLButton);  // elsewhere
  EXPECT_EQ(host.dispatch(effKeysRequired), 1);
}

TEST(EditorTest, OpeningAndClosingTwoEditorsLeaksNothing) {
  // In process, so that the bitmap count and the shared image seen here are the instances' own.
  // The panel image is built once and kept, so it is counted before.
  CBitmap* const shared = orvalis::editor::Panel::sharedPanel();
  ASSERT_GT(shared->getWidth(), 0);
  const int32_t before = CBitmap::liveBitmaps();
  const int32_t sharedReferences = shared->referenceCount();
  {
    InProcessHost a, b;
    orvalis::tests::sendHostScale(a, 1.f);
    orvalis::tests::sendHostScale(b, 1.f);
    for (int i = 0; i < 10; ++i) {
      a.dispatch(effEditOpen);
      b.dispatch(effEditOpen);
      EXPECT_EQ(shared, editorOf(a).getFrame()->getBackground());
      EXPECT_EQ(editorOf(a).getFrame()->getBackground(), editorOf(b).getFrame()->getBackground());
      a.dispatch(effEditIdle);
      b.dispatch(effEditIdle);
      a.dispatch(effEditClose);
      b.dispatch(effEditClose);
    }
  }
  EXPECT_EQ(orvalis::editor::Panel::sharedPanel(), shared);
  EXPECT_EQ(shared->referenceCount(), sharedReferences);
  EXPECT_EQ(CBitmap::liveBitmaps(), before);
}

TEST(EditorTest, EditorCallsWithTheWindowClosedDoNothing) {
  InProcessHost host;
  orvalis::editor::Panel& editor = editorOf(host);
  EXPECT_EQ(editor.getFrame(), nullptr);
  host.setParameter(5, 0.3f);
  host.dispatch(effEditIdle);
  EXPECT_STREQ(editor.timing(), "init");
  EXPECT_FALSE(editor.isEditingText());
  EXPECT_EQ(editor.parameterControl(5), nullptr);
}
