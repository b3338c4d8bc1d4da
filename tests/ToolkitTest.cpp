// The widget toolkit offscreen, pixel by pixel where the geometry is fixed.
#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <string>
#include <vector>

#include "editor/bar_bitmap.h"
#include "plugin/aeff_gui_editor.h"
#include "plugin/audio_effect_x.h"
#include "toolkit/bitmap.h"
#include "toolkit/controls.h"
#include "toolkit/frame.h"

using namespace VSTGUI;

namespace {

constexpr uint32_t kPanel = 0xFF203040u;

// An image whose row y has colour (y, 100, 200), so drawn rows can be traced back.
CBitmap* rowCoded(int32_t w, int32_t h) {
  std::vector<uint32_t> p(static_cast<std::size_t>(w) * h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      p[y * w + x] = 0xFF000000u | (uint32_t(y) << 16) | (100u << 8) | 200u;
  return new CBitmap(w, h, p.data());
}

// An image whose column x has colour (x, 50, 60) and whose centre column is a marker colour.
CBitmap* columnCoded(int32_t w, int32_t h, uint32_t marker) {
  std::vector<uint32_t> p(static_cast<std::size_t>(w) * h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      p[y * w + x] = x == w / 2 ? marker : 0xFF000000u | (uint32_t(x) << 16) | (50u << 8) | 60u;
  return new CBitmap(w, h, p.data());
}

CBitmap* plain(int32_t w, int32_t h, uint32_t colour) {
  std::vector<uint32_t> p(static_cast<std::size_t>(w) * h, colour);
  return new CBitmap(w, h, p.data());
}

struct Recorder : FrameEditor, CControlListener {
  std::vector<std::string> log;
  void beginEdit(int32_t tag) override { log.push_back("begin " + std::to_string(tag)); }
  void endEdit(int32_t tag) override { log.push_back("end " + std::to_string(tag)); }
  void doIdleStuff() override {}
  void valueChanged(CDrawContext*, CControl* c) override {
    char text[64];
    std::snprintf(text, sizeof text, "value %d %.3f", c->getTag(), c->getValue());
    log.push_back(text);
  }
};

struct Stage {
  Recorder recorder;
  CBitmap* panel = plain(720, 320, kPanel);
  CFrame frame{CRect(0, 0, 720, 320), nullptr, &recorder};
  Stage() { frame.setBackground(panel); }
  ~Stage() { panel->forget(); }
  uint32_t at(int x, int y) const { return frame.pixels()[static_cast<std::size_t>(y) * 720 + x]; }
};

}  // namespace

TEST(BarBitmapTest, LevelBarFillsFromTheBottomWithTheImageTopRows) {
  Stage s;
  CBitmap* bar = rowCoded(6, 80);
  auto* level = new orvalis::editor::CBarBitmap(CRect(422, 240, 428, 300), s.panel, bar);
  s.frame.addView(level);
  level->setValue(0.5f);
  s.frame.redraw();
  for (int y = 240; y < 270; ++y) EXPECT_EQ(s.at(424, y), kPanel) << y;
  for (int y = 270; y < 300; ++y) EXPECT_EQ((s.at(424, y) >> 16) & 0xFF, uint32_t(y - 270)) << y;
  EXPECT_EQ(s.at(428, 280), kPanel);  // right edge exclusive

  level->setValue(1.5f);
  s.frame.redraw();
  EXPECT_EQ(level->getValue(), 1.f);  // clamped at draw
  EXPECT_EQ((s.at(424, 240) >> 16) & 0xFF, 0u);
  level->setValue(-0.2f);
  s.frame.redraw();
  EXPECT_EQ(level->getValue(), 0.f);
  for (int y = 240; y < 300; ++y) EXPECT_EQ(s.at(424, y), kPanel);
  bar->forget();
}

TEST(BarBitmapTest, RangeBarPutsTheMarkerAtTheValue) {
  Stage s;
  const uint32_t marker = 0xFFFF00FFu;
  CBitmap* strip = columnCoded(240, 8, marker);
  auto* range = new orvalis::editor::CBarBitmapLH(CRect(310, 222, 412, 230), s.panel, strip);
  s.frame.addView(range);
  EXPECT_EQ(range->getInner(), CRect(312, 222, 410, 230));
  range->setLowHigh(0.8f, 0.5f);
  EXPECT_EQ(range->getLow(), 0.8f);
  EXPECT_EQ(range->getHigh(), 0.5f);
  EXPECT_EQ(range->getLo(), 0.5f);
  EXPECT_EQ(range->getHi(), 0.8f);

  range->setLowHigh(0.f, 1.f);
  range->setValue(0.5f);
  s.frame.redraw();
  EXPECT_EQ(s.at(361, 225), marker);
  EXPECT_NE(s.at(310, 225), kPanel);  // the band spans 310 .. 411
  EXPECT_NE(s.at(411, 225), kPanel);

  // Outside [lo, hi] only the band shows, without the marker.
  range->setLowHigh(0.6f, 0.8f);
  range->setValue(0.2f);
  s.frame.redraw();
  for (int x = 310; x < 412; ++x) EXPECT_NE(s.at(x, 225), marker) << x;
  EXPECT_EQ(s.at(320, 225), kPanel);
  // Ends from absurd parameter values draw clipped, without overflowing a coordinate.
  range->setLowHigh(-1e30f, 1e30f);
  range->setValue(0.5f);
  s.frame.redraw();
  EXPECT_EQ(s.at(300, 225), kPanel);
  strip->forget();
}

TEST(BarBitmapTest, BarsAreRedrawnAtEveryIdleUnlessAtOne) {
  Stage s;
  CBitmap* bar = rowCoded(6, 80);
  auto* level = new orvalis::editor::CBarBitmap(CRect(0, 0, 6, 80), s.panel, bar);
  s.frame.addView(level);
  level->setValue(0.3f);
  s.frame.idle();
  EXPECT_TRUE(level->isDirty());  // the old value stays 1.0
  level->setValue(1.f);
  s.frame.idle();
  EXPECT_FALSE(level->isDirty());
  bar->forget();
}

TEST(SliderTest, DragFromBottomToTopGoesFromZeroToOneInsideBeginAndEnd) {
  Stage s;
  CBitmap* handle = plain(8, 16, 0xFF00FF00u);
  auto* slider = new CVerticalSlider(CRect(690, 241, 698, 299), &s.recorder, 3, 242, 283, handle,
                                     s.panel, CPoint(690, 241), kBottom);
  s.frame.addView(slider);
  slider->setValue(0.f);
  EXPECT_EQ(slider->handleRect(), CRect(690, 283, 698, 299));  // value 0 at the bottom
  s.frame.onMouseDown(CPoint(694, 291), kLButton);             // on the handle
  for (int y = 291; y >= 240; y -= 5) s.frame.onMouseMoved(CPoint(694, y), kLButton);
  s.frame.onMouseMoved(CPoint(694, 200), kLButton);
  s.frame.onMouseUp(CPoint(694, 200), kLButton);
  EXPECT_EQ(slider->getValue(), 1.f);
  ASSERT_GE(s.recorder.log.size(), 3u);
  EXPECT_EQ(s.recorder.log.front(), "begin 3");
  EXPECT_EQ(s.recorder.log.back(), "end 3");
  EXPECT_EQ(s.recorder.log[s.recorder.log.size() - 2], "value 3 1.000");
  EXPECT_EQ(slider->handleRect(), CRect(690, 242, 698, 258));
  handle->forget();
}

TEST(SliderTest, TopStyleDrawsValueZeroAtTheTopAndHorizontalAtTheLeft) {
  Stage s;
  CBitmap* arrow = plain(16, 5, 0xFFFF0000u);
  auto* top = new CVerticalSlider(CRect(120, 81, 136, 161), &s.recorder, 43, 81, 156, arrow,
                                  s.panel, CPoint(120, 81), kTop);
  s.frame.addView(top);
  top->setValue(0.f);
  s.frame.redraw();
  EXPECT_EQ(s.at(125, 81), 0xFFFF0000u);
  EXPECT_EQ(s.at(125, 90), kPanel);
  top->setValue(1.f);
  EXPECT_EQ(top->handleRect().top, 156);

  CBitmap* knob = plain(16, 16, 0xFF0000FFu);
  auto* h = new CHorizontalSlider(CRect(242, 180, 262, 260), &s.recorder, 0, 180, 240, knob,
                                  s.panel, CPoint(242, 180), kLeft);
  h->setOffsetHandle(CPoint(2, 2));
  s.frame.addView(h);
  h->setValue(0.f);
  EXPECT_EQ(h->handleRect(), CRect(182, 182, 198, 198));
  arrow->forget();
  knob->forget();
}

TEST(SwitchTest, PositionsGiveEvenValuesAndFramesFollowTheValue) {
  Stage s;
  CBitmap* image = rowCoded(80, 160);
  auto* poly = new CHorizontalSwitch(CRect(600, 40, 680, 80), &s.recorder, 60, 4, 40, 4, image);
  s.frame.addView(poly);
  const float expected[4] = {0.f, 1.f / 3, 2.f / 3, 1.f};
  for (int k = 0; k < 4; ++k) {
    s.frame.onMouseDown(CPoint(600 + 20 * k + 5, 50), kLButton);
    s.frame.onMouseUp(CPoint(600 + 20 * k + 5, 50), kLButton);
    EXPECT_FLOAT_EQ(poly->getValue(), expected[k]) << k;
    EXPECT_EQ(poly->currentFrame(), k);
    s.frame.redraw();
    EXPECT_EQ((s.at(610, 40) >> 16) & 0xFF, uint32_t(40 * k));  // frame k's first row
  }
  poly->setValue(0.4f);  // nearest frame of 0.4 * 3 = 1.2
  EXPECT_EQ(poly->currentFrame(), 1);
  // Stored values far outside 0..1 pick the end frames.
  poly->setValue(1.66e35f);
  EXPECT_EQ(poly->currentFrame(), 3);
  poly->setValue(-1e30f);
  EXPECT_EQ(poly->currentFrame(), 0);
  s.frame.redraw();
  image->forget();
}

TEST(KickButtonTest, OneClickNotifiesPressAndRelease) {
  Stage s;
  CBitmap* image = rowCoded(60, 40);
  auto* copy = new CKickButton(CRect(20, 20, 80, 40), &s.recorder, 1000, 20, image);
  s.frame.addView(copy);
  s.frame.onMouseDown(CPoint(30, 30), kLButton);
  s.frame.redraw();
  EXPECT_EQ((s.at(30, 20) >> 16) & 0xFF, 20u);  // pressed frame
  s.frame.onMouseUp(CPoint(30, 30), kLButton);
  s.frame.redraw();
  EXPECT_EQ((s.at(30, 20) >> 16) & 0xFF, 0u);
  const std::vector<std::string> expected = {"begin 1000", "value 1000 1.000", "value 1000 0.000",
                                             "end 1000"};
  EXPECT_EQ(s.recorder.log, expected);
  image->forget();
}

TEST(SplashScreenTest, ShowsAsModalViewAndHidesOnClick) {
  Stage s;
  CBitmap* about = plain(220, 160, 0xFFABCDEFu);
  CBitmap* knob = plain(16, 16, 0xFF0000FFu);
  auto* slider = new CHorizontalSlider(CRect(100, 100, 200, 120), &s.recorder, 7, 100, 184, knob,
                                       s.panel, CPoint(100, 100));
  auto* splash = new CSplashScreen(CRect(0, 270, 260, 320), &s.recorder, 10300, about,
                                   CRect(20, 20, 240, 180));
  s.frame.addView(slider);
  s.frame.addView(splash);
  s.frame.redraw();
  s.frame.onMouseDown(CPoint(10, 300), kLButton);
  EXPECT_TRUE(splash->isShown());
  EXPECT_EQ(s.frame.getModalView(), splash);
  EXPECT_EQ(s.at(120, 110), 0xFFABCDEFu);
  s.recorder.log.clear();
  s.frame.onMouseDown(CPoint(150, 300), kLButton);  // outside the image: nothing
  s.frame.onMouseDown(CPoint(300, 250), kLButton);
  EXPECT_TRUE(s.recorder.log.empty());
  s.frame.onMouseDown(CPoint(120, 110), kLButton);  // on the image: hide
  EXPECT_FALSE(splash->isShown());
  EXPECT_EQ(s.frame.getModalView(), nullptr);
  EXPECT_NE(s.at(120, 110), 0xFFABCDEFu);
  EXPECT_EQ(s.recorder.log.back(), "value 10300 0.000");
  about->forget();
  knob->forget();
}

TEST(TextEditTest, TakesFocusOnClickAndGivesItUpOnReturn) {
  Stage s;
  auto* text = new CTextEdit(CRect(0, 0, 100, 20), nullptr, 999, "init");
  s.frame.addView(text);
  s.frame.redraw();
  EXPECT_EQ(s.frame.onKeyDown(KeyEvent{'a', 0, 0}), -1);
  s.frame.onMouseDown(CPoint(10, 10), kLButton);
  EXPECT_EQ(s.frame.getEditView(), text);
  EXPECT_TRUE(text->isEditing());
  EXPECT_EQ(s.frame.onKeyDown(KeyEvent{'!', 0, 0}), 1);
  EXPECT_STREQ(text->getText(), "init!");
  EXPECT_EQ(s.frame.onKeyDown(KeyEvent{0, kVirtBack, 0}), 1);
  EXPECT_EQ(s.frame.onKeyDown(KeyEvent{0, kVirtReturn, 0}), 1);
  EXPECT_EQ(s.frame.getEditView(), nullptr);
  text->setText("  50.0   50.0");
  EXPECT_STREQ(text->getText(), "  50.0   50.0");
  // The font drew something in the field.
  s.frame.redraw();
  int lit = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 100; ++x) lit += s.at(x, y) != s.at(0, 0);
  EXPECT_GT(lit, 20);
}

TEST(BitmapTest, MissingResourceIsEmptyAndReferencesCount) {
  const int32_t before = CBitmap::liveBitmaps();
  CBitmap* missing = new CBitmap(4242);
  EXPECT_EQ(missing->getWidth(), 0);
  EXPECT_EQ(missing->getHeight(), 0);
  missing->remember();
  EXPECT_EQ(missing->referenceCount(), 2);
  missing->forget();
  missing->forget();
  EXPECT_EQ(CBitmap::liveBitmaps(), before);
}

namespace {

class IdleCounter : public orvalis::vst2::AEffGUIEditor {
 public:
  using orvalis::vst2::AEffGUIEditor::AEffGUIEditor;
  void idle() override { ++idles; }
  int idles = 0;
};

class BareEffect : public orvalis::vst2::AudioEffectX {
 public:
  BareEffect() : orvalis::vst2::AudioEffectX(nullptr, 1, 1) {}
  void process(float**, float**, int32_t) override {}
};

}  // namespace

TEST(GuiEditorTest, IdlePumpLetsOnePassThroughEveryHundredMilliseconds) {
  auto* effect = new (std::nothrow) BareEffect();
  auto* editor = new IdleCounter(effect);
  EXPECT_EQ(effect->getAeffect()->flags & effFlagsHasEditor, effFlagsHasEditor);
  editor->doIdleStuff();
  EXPECT_EQ(editor->idles, 1);
#if defined(_WIN32)
  Sleep(10);
#else
  usleep(10000);
#endif
  editor->doIdleStuff();  // too early: sleeps 4 ms and returns
  EXPECT_EQ(editor->idles, 1);
  ERect* rect = nullptr;
  EXPECT_EQ(editor->getRect(&rect), 1);
  EXPECT_NE(rect, nullptr);
  VstKeyCode key{};
  EXPECT_EQ(editor->onKeyDown(key), -1);  // no frame
  EXPECT_EQ(editor->onKeyUp(key), -1);
  EXPECT_FALSE(editor->onWheel(1.f));
  EXPECT_EQ(editor->setKnobMode(2), 1);
  EXPECT_EQ(editor->getKnobMode(), 2);
  delete effect;  // deletes its editor
}
