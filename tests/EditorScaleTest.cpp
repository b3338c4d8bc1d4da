// The editor at 2x, offscreen through the plug-in's dispatcher: the same layout at twice the
// pixels, the same values from the same gestures, and the sources of the scale in their order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "editor/bar_bitmap.h"
#include "plugin/corvina_gui_editor.h"
#include "tests/support/editor_scale.h"
#include "tests/support/instance_peek.h"
#include "tests/support/test_host.h"
#include "toolkit/bitmap.h"
#include "toolkit/controls.h"
#include "toolkit/frame.h"
#include "toolkit/platform/desktop_scale.h"
#if !defined(_WIN32)
#include "tests/support/scoped_env.h"
#endif

using namespace VSTGUI;
using orvalis::tests::InProcessHost;
using orvalis::tests::TestHost;

namespace {

CRect twice(const CRect& r) { return CRect(2 * r.left, 2 * r.top, 2 * r.right, 2 * r.bottom); }

// Where a view sits and what it covers, for comparing the two scales.
struct Geometry {
  CRect size, mouseable, handleAtZero, handleAtOne, inner;
  CPoint handleOffset;
};

std::vector<Geometry> geometryOf(CFrame& frame) {
  std::vector<Geometry> out;
  for (int32_t i = 0; i < frame.getNbViews(); ++i) {
    CView* view = frame.getView(i);
    Geometry g;
    g.size = view->getViewSize();
    g.mouseable = view->getMouseableArea();
    if (auto* slider = dynamic_cast<CSlider*>(view)) {
      const float value = slider->getValue();
      slider->setValue(0.f);
      g.handleAtZero = slider->handleRect();
      slider->setValue(1.f);
      g.handleAtOne = slider->handleRect();
      slider->setValue(value);
      g.handleOffset = slider->getOffsetHandle();
    }
    if (auto* range = dynamic_cast<orvalis::editor::CBarBitmapLH*>(view))
      g.inner = range->getInner();
    out.push_back(g);
  }
  return out;
}

// The values parameter tag takes along a gesture: pressed on its handle's centre (through the
// frame, which picks the control under the pointer), dragged in 1x-pixel steps from beyond one
// end of the travel to beyond the other, released. At 2x every point is twice the 1x point. The
// moves go to the control itself: through the frame each would also run the idle pump, which
// sleeps when called this often.
std::vector<float> dragValues(TestHost& host, orvalis::editor::Panel& editor, int32_t tag,
                              int32_t scale, const CRect& handle1x, bool horizontal, int32_t from,
                              int32_t to) {
  CFrame& frame = *editor.getFrame();
  CControl& control = *editor.parameterControl(tag);
  std::vector<float> values;
  const CPoint grip((handle1x.left + handle1x.right) / 2, (handle1x.top + handle1x.bottom) / 2);
  frame.onMouseDown(CPoint(grip.h * scale, grip.v * scale), kLButton);
  values.push_back(host.getParameter(tag));
  for (int32_t p = from; p <= to; ++p) {
    const CPoint at = horizontal ? CPoint(p, grip.v) : CPoint(grip.h, p);
    control.onMouseMoved(CPoint(at.h * scale, at.v * scale), kLButton);
    values.push_back(host.getParameter(tag));
  }
  frame.onMouseUp(CPoint(0, 0), kLButton);
  return values;
}

uint32_t rgb(uint32_t p) { return p & 0xFFFFFF; }

}  // namespace

TEST(EditorScaleTest, EveryViewAtTwoTimesIsTwiceItsOneTimesGeometry) {
  InProcessHost one, two;
  orvalis::editor::Panel& small = orvalis::tests::openEditorAt(one, 1.f);
  orvalis::editor::Panel& large = orvalis::tests::openEditorAt(two, 2.f);
  EXPECT_EQ(large.getFrame()->getViewSize(), CRect(0, 0, 1440, 640));
  EXPECT_EQ(large.getFrame()->pixels().size(), 1440u * 640u);
  const std::vector<Geometry> a = geometryOf(*small.getFrame());
  const std::vector<Geometry> b = geometryOf(*large.getFrame());
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(b[i].size, twice(a[i].size)) << "view " << i;
    EXPECT_EQ(b[i].mouseable, twice(a[i].mouseable)) << "view " << i;
    EXPECT_EQ(b[i].handleAtZero, twice(a[i].handleAtZero)) << "view " << i;
    EXPECT_EQ(b[i].handleAtOne, twice(a[i].handleAtOne)) << "view " << i;
    EXPECT_EQ(b[i].inner, twice(a[i].inner)) << "view " << i;
    EXPECT_EQ(b[i].handleOffset, CPoint(2 * a[i].handleOffset.h, 2 * a[i].handleOffset.v)) << i;
  }
  // The about image opens over twice its 1x area.
  small.getFrame()->onMouseDown(CPoint(100, 300), kLButton);
  large.getFrame()->onMouseDown(CPoint(200, 600), kLButton);
  ASSERT_TRUE(large.about()->isShown());
  EXPECT_EQ(large.about()->getViewSize(), twice(small.about()->getViewSize()));
}

TEST(EditorScaleTest, DraggingOverTheTwoTimesTravelGivesTheOneTimesValues) {
  for (const float start : {0.f, 1.f}) {
    InProcessHost one, two;
    for (int32_t tag = 0; tag < 61; ++tag) {
      one.setParameter(tag, start);
      two.setParameter(tag, start);
    }
    orvalis::editor::Panel& small = orvalis::tests::openEditorAt(one, 1.f);
    orvalis::editor::Panel& large = orvalis::tests::openEditorAt(two, 2.f);
    for (int32_t tag = 0; tag < 61; ++tag) {
      auto* slider = dynamic_cast<CSlider*>(small.parameterControl(tag));
      if (slider) {
        const bool horizontal = (slider->getStyle() & kHorizontal) != 0;
        const CRect size = slider->getViewSize();
        const int32_t from = (horizontal ? size.left : size.top) - 10;
        const int32_t to = (horizontal ? size.right : size.bottom) + 10;
        const CRect handle = slider->handleRect();
        const std::vector<float> expected =
            dragValues(one, small, tag, 1, handle, horizontal, from, to);
        EXPECT_EQ(dragValues(two, large, tag, 2, handle, horizontal, from, to), expected) << tag;
        // The gesture reached both ends of the travel.
        EXPECT_EQ(*std::min_element(expected.begin(), expected.end()), 0.f) << tag;
        EXPECT_EQ(*std::max_element(expected.begin(), expected.end()), 1.f) << tag;
      } else {
        // Switches: a click at every 1x column of the switch.
        const CRect size = small.parameterControl(tag)->getViewSize();
        for (int32_t x = size.left; x < size.right; ++x) {
          const CPoint at(x, (size.top + size.bottom) / 2);
          small.getFrame()->onMouseDown(at, kLButton);
          small.getFrame()->onMouseUp(at, kLButton);
          large.getFrame()->onMouseDown(CPoint(2 * at.h, 2 * at.v), kLButton);
          large.getFrame()->onMouseUp(CPoint(2 * at.h, 2 * at.v), kLButton);
          EXPECT_EQ(two.getParameter(tag), one.getParameter(tag)) << tag << " at " << x;
        }
      }
    }
  }
}

TEST(EditorScaleTest, BarsAtTwoTimesCoverTwiceTheirOneTimesPixels) {
  InProcessHost one, two;
  orvalis::editor::Panel* editors[2] = {&orvalis::tests::openEditorAt(one, 1.f),
                                        &orvalis::tests::openEditorAt(two, 2.f)};
  const uint32_t marker = 0xFAE246;  // the strip's marker colour
  struct Case {
    float lo, hi, value;
  };
  const Case cases[] = {{0.f, 1.f, 0.5f},   {0.2f, 0.7f, 0.3f}, {0.45f, 0.45f, 0.45f},
                        {0.6f, 0.9f, 0.1f}, {0.f, 0.f, 1.f},    {1.f, 1.f, 0.f}};
  for (const Case& c : cases) {
    // Per scale: level bar tops, then range band left, band right, marker column (or -1).
    std::vector<int32_t> found[2];
    for (int k = 0; k < 2; ++k) {
      const int32_t s = k + 1;
      orvalis::editor::Panel& editor = *editors[k];
      CFrame& frame = *editor.getFrame();
      for (int i = 0; i < 3; ++i) editor.levelBar(i)->setValue(c.value);
      for (int i = 0; i < 5; ++i) {
        editor.rangeBar(i)->setLowHigh(c.lo, c.hi);
        editor.rangeBar(i)->setValue(c.value);
      }
      frame.redraw();
      const CBitmap& panel = *frame.getBackground();
      auto drawn = [&](int32_t x, int32_t y) {
        return rgb(frame.pixels()[y * frame.getViewSize().width() + x]) != rgb(panel.pixel(x, y));
      };
      for (int i = 0; i < 3; ++i) {
        const CRect b = editor.levelBar(i)->getBounds();
        int32_t top = b.bottom;
        for (int32_t y = b.bottom - 1; y >= b.top && drawn(b.left + 2 * s, y); --y) top = y;
        found[k].push_back(top);
      }
      for (int i = 0; i < 5; ++i) {
        const CRect b = editor.rangeBar(i)->getViewSize();
        const int32_t y = b.top + 3 * s;
        int32_t left = -1, right = -1, mark = -1;
        for (int32_t x = b.left; x < b.right; ++x) {
          if (!drawn(x, y)) continue;
          if (left < 0) left = x;
          right = x + 1;
          if (mark < 0 && rgb(frame.pixels()[y * frame.getViewSize().width() + x]) == marker)
            mark = x;
        }
        found[k].insert(found[k].end(), {left, right, mark});
      }
    }
    ASSERT_EQ(found[0].size(), found[1].size());
    for (std::size_t j = 0; j < found[0].size(); ++j) {
      if (found[0][j] < 0) {
        EXPECT_LT(found[1][j], 0) << "lo " << c.lo << " hi " << c.hi << " value " << c.value;
        continue;
      }
      // Each pixel edge lands within one 2x pixel of twice its 1x place (both truncate).
      EXPECT_NEAR(found[1][j], 2 * found[0][j], 1)
          << "item " << j << ", lo " << c.lo << " hi " << c.hi << " value " << c.value;
    }
  }
}

TEST(EditorScaleTest, HostScaleOpcodeSetsTheSizeAtOnceWhileClosed) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float factor;
    intptr_t answer;
    int width;  // reported after the call
  };
  // Each row follows the one before: a refused factor leaves the size as it was.
  const Case cases[] = {{2.f, 1, 1440}, {1.f, 1, 720},  {1.5f, 1, 1440}, {1.49f, 1, 720},
                        {3.f, 1, 1440}, {nan, 0, 1440}, {0.f, 0, 1440},  {-2.f, 0, 1440},
                        {inf, 0, 1440}, {1.25f, 1, 720}};
  TestHost host;
  for (const Case& c : cases) {
    EXPECT_EQ(orvalis::tests::sendHostScale(host, c.factor), c.answer) << c.factor;
    const CRect r = orvalis::tests::reportedRect(host);
    EXPECT_EQ(r, CRect(0, 0, c.width, c.width * 320 / 720)) << c.factor;
  }
  // The opcode with another index or value is not the scale.
  EXPECT_EQ(host.dispatch(effVendorSpecific, 0x50726553, 0, nullptr, 2.f), 0);
  EXPECT_EQ(host.dispatch(effVendorSpecific, 0, 0x41654373, nullptr, 2.f), 0);
  EXPECT_EQ(orvalis::tests::reportedRect(host).right, 720);
}

TEST(EditorScaleTest, ScaleChangeWhileOpenWaitsForTheNextOpen) {
  InProcessHost host;
  orvalis::editor::Panel& editor = orvalis::tests::openEditorAt(host, 1.f);
  EXPECT_EQ(orvalis::tests::sendHostScale(host, 2.f), 1);
  EXPECT_EQ(orvalis::tests::reportedRect(host).right, 720);
  EXPECT_EQ(editor.getFrame()->getViewSize().right, 720);
  host.dispatch(effEditIdle);
  host.dispatch(effEditClose);
  EXPECT_EQ(orvalis::tests::reportedRect(host), CRect(0, 0, 1440, 640));
  host.dispatch(effEditOpen);
  EXPECT_EQ(editor.getFrame()->getViewSize(), CRect(0, 0, 1440, 640));
  EXPECT_EQ(editor.scale(), 2);
  host.dispatch(effEditClose);
  EXPECT_EQ(orvalis::tests::sendHostScale(host, 1.f), 1);
  EXPECT_EQ(orvalis::tests::reportedRect(host), CRect(0, 0, 720, 320));
}

#if !defined(_WIN32)
TEST(EditorScaleTest, GdkScaleSelectsTheScaleUnlessTheHostGaveOne) {
  struct Case {
    const char* gdkScale;
    float hostFactor;  // 0: the host sends none
    int width;
  };
  const Case cases[] = {{"2", 0.f, 1440}, {"1.5", 0.f, 1440}, {"1", 0.f, 720},
                        {"2", 1.f, 720},  {"1", 2.f, 1440},   {"3", 0.f, 1440}};
  for (const Case& c : cases) {
    orvalis::tests::ScopedEnv gdk("GDK_SCALE", c.gdkScale);
    InProcessHost host;
    if (c.hostFactor > 0) orvalis::tests::sendHostScale(host, c.hostFactor);
    EXPECT_EQ(orvalis::tests::reportedRect(host).right, c.width)
        << "GDK_SCALE " << c.gdkScale << ", host " << c.hostFactor;
    host.dispatch(effEditOpen);
    EXPECT_EQ(orvalis::tests::instanceOf(host).guiEditor()->getFrame()->getViewSize().right,
              c.width);
    host.dispatch(effEditClose);
  }
}
#endif

TEST(DesktopScaleTest, ReadsGdkScaleAndXftDpiAsTheDesktopWritesThem) {
  struct GdkCase {
    const char* value;
    double scale;
  };
  const GdkCase gdk[] = {{"2", 2}, {"1", 1},  {" 2 ", 2}, {"1.5", 1.5}, {"2x", 0}, {"0", 0},
                         {"", 0},  {"-2", 0}, {"abc", 0}, {nullptr, 0}, {"1e3", 0}};
  for (const GdkCase& c : gdk) EXPECT_EQ(parseGdkScale(c.value), c.scale) << c.value;

  struct DpiCase {
    const char* text;
    std::size_t cut;  // bytes handed over; 0: all
    double dpi;
  };
  const DpiCase dpi[] = {
      {"Xft.dpi:\t192\n", 0, 192},
      {"Xft.antialias:\t1\nXft.dpi:\t96\nXft.rgba:\trgb\n", 0, 96},
      {"Xft.dpi: 144.5", 0, 144.5},
      {"Xft.dpi:\t192\nXft.dpi:\t96\n", 0, 96},  // the later entry wins
      {"Xft.dpis:\t200\n", 0, 0},
      {"*dpi:\t200\n", 0, 0},
      {"Xft.dpi:\tabc\n", 0, 0},
      {"Xft.dpi:\t-5\n", 0, 0},
      {"Xft.dpi:\t192 dots\n", 0, 0},
      {"Xft.dpi:\t99999\n", 0, 0},
      {"Xft.dpi:\t192\n", 9, 0},  // the value lies beyond the bytes handed over
      {"", 0, 0},
  };
  for (const DpiCase& c : dpi) {
    const std::size_t length = c.cut ? c.cut : std::char_traits<char>::length(c.text);
    EXPECT_EQ(parseXftDpi(c.text, length), c.dpi) << c.text;
  }
  EXPECT_EQ(parseXftDpi(nullptr, 10), 0);

  const char* hiDpi = "Xft.dpi:\t192\n";
  EXPECT_EQ(x11ScaleFactor(nullptr, hiDpi, 13), 2.0);
  EXPECT_EQ(x11ScaleFactor("1", hiDpi, 13), 1.0);  // GDK_SCALE first
  EXPECT_EQ(x11ScaleFactor(nullptr, "Xft.dpi:\t144\n", 13), 1.0);
  EXPECT_EQ(x11ScaleFactor(nullptr, nullptr, 0), 1.0);
  EXPECT_EQ(LayoutScale::fromFactor(1.5).factor(), 2);
  EXPECT_EQ(LayoutScale::fromFactor(1.4999).factor(), 1);
  EXPECT_EQ(LayoutScale::fromFactor(std::nan("")).factor(), 1);
}
