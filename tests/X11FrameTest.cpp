// A frame in a real X11 window (run under Xvfb): the child window's pixels, read back from the
// server, equal the offscreen rendering, and closing leaves no window and no bitmap behind. The
// desktop's Xft.dpi, set here on the virtual server's root window, picks the 2x editor.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "plugin/corvina_gui_editor.h"
#include "tests/support/instance_peek.h"
#include "tests/support/png_file.h"
#include "tests/support/scoped_env.h"
#include "tests/support/test_host.h"
#include "tests/support/x11_window_test.h"
#include "toolkit/bitmap.h"
#include "toolkit/controls.h"
#include "toolkit/frame.h"
#include "toolkit/platform/platform_window.h"

using namespace VSTGUI;

namespace {

// Room for the 2x editor (1440 x 640) inside the test's host window.
constexpr int kParentWidth = 1600, kParentHeight = 720;

struct NoEditor : FrameEditor {
  void beginEdit(int32_t) override {}
  void endEdit(int32_t) override {}
  void doIdleStuff() override {}
};

class X11FrameTest : public orvalis::tests::X11WindowTest {
 protected:
  X11FrameTest() : X11WindowTest(kParentWidth, kParentHeight) {}

  CRect geometry(xcb_window_t window) {
    xcb_get_geometry_reply_t* g =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
    const CRect r = g ? CRect(g->x, g->y, g->x + g->width, g->y + g->height) : CRect();
    std::free(g);
    return r;
  }

  // The size follows the desktop's scale, which the tests set themselves.
  orvalis::tests::ScopedEnv noGdkScale{"GDK_SCALE", nullptr};
};

}  // namespace

TEST_F(X11FrameTest, ChildWindowShowsTheFramePixels) {
  const int32_t bitmapsBefore = CBitmap::liveBitmaps();
  NoEditor editor;
  for (int round = 0; round < 2; ++round) {
    std::vector<uint32_t> gradient(720 * 320);
    for (int y = 0; y < 320; ++y)
      for (int x = 0; x < 720; ++x)
        gradient[y * 720 + x] = 0xFF000000u | (x & 0xFF) << 16 | (y & 0xFF) << 8 | 0x40;
    CBitmap* panel = new CBitmap(720, 320, gradient.data());
    auto* frame =
        new CFrame(CRect(0, 0, 720, 320), reinterpret_cast<void*>(uintptr_t(parent)), &editor);
    ASSERT_NE(frame->platformWindow(), nullptr);
    frame->setBackground(panel);
    auto* text = new CTextEdit(CRect(0, 0, 100, 20), nullptr, 999, "  50.0   50.0");
    frame->addView(text);
    panel->forget();
    frame->redraw();
    for (int i = 0; i < 5; ++i) frame->idle();
    EXPECT_EQ(children(), 1);

    const auto child = static_cast<xcb_window_t>(frame->platformWindow()->handle());
    const std::vector<uint32_t> shown = readBack(child, 720, 320);
    ASSERT_EQ(shown.size(), frame->pixels().size());
    EXPECT_EQ(orvalis::tests::differingPixels(shown, frame->pixels()), 0);
    delete frame;
    xcb_flush(connection);
    EXPECT_EQ(children(), 0);
  }
  EXPECT_EQ(CBitmap::liveBitmaps(), bitmapsBefore);
}

TEST_F(X11FrameTest, StaleParentGivesAnOffscreenFrame) {
  NoEditor editor;
  CFrame frame(CRect(0, 0, 720, 320), reinterpret_cast<void*>(uintptr_t(0x7FFFFFF)), &editor);
  EXPECT_EQ(frame.platformWindow(), nullptr);
  frame.redraw();
  frame.idle();
}

TEST_F(X11FrameTest, EditorOpensInARealWindowShowingTheRecordedOneTimesPicture) {
  orvalis::tests::InProcessHost host;
  ASSERT_NE(host.effect, nullptr);
  // The host passes its window in ptr; some hosts put a Display* in value, which is ignored.
  EXPECT_EQ(host.dispatch(effEditOpen, 0, 12345, reinterpret_cast<void*>(uintptr_t(parent))), 1);
  for (int i = 0; i < 5; ++i) host.dispatch(effEditIdle);
  orvalis::vst2::CorvinaGuiEditor* editor = orvalis::tests::instanceOf(host).guiEditor();
  ASSERT_NE(editor->getFrame(), nullptr);
  ASSERT_NE(editor->getFrame()->platformWindow(), nullptr);
  EXPECT_EQ(children(), 1);
  const auto child = static_cast<xcb_window_t>(editor->getFrame()->platformWindow()->handle());
  std::vector<uint32_t> shown = readBack(child, 720, 320);
  ASSERT_EQ(shown.size(), 720u * 320u);
  const std::vector<uint32_t>& offscreen = editor->getFrame()->pixels();
  EXPECT_EQ(orvalis::tests::differingPixels(shown, offscreen), 0);
  EXPECT_TRUE(
      orvalis::tests::writePng(std::string(ORVALIS_BUILD_DIR) + "/editor.png", shown, 720, 320));
  // The 1x picture stays what it was recorded as; ORVALIS_RECORD_GOLDEN=1 records it anew
  // after a change that is meant (check build/editor.png first).
  const std::string golden = std::string(ORVALIS_GOLDEN_DIR) + "/editor_1x.png";
  if (const char* record = std::getenv("ORVALIS_RECORD_GOLDEN"); record && *record == '1') {
    EXPECT_TRUE(orvalis::tests::writePng(golden, shown, 720, 320));
  } else {
    std::vector<uint32_t> recorded;
    ASSERT_TRUE(orvalis::tests::readPng(golden, recorded, 720, 320)) << golden;
    CRect changed;
    for (int y = 0; y < 320; ++y)
      for (int x = 0; x < 720; ++x)
        if ((recorded[y * 720 + x] & 0xFFFFFF) != (shown[y * 720 + x] & 0xFFFFFF))
          changed = changed.united(CRect(x, y, x + 1, y + 1));
    EXPECT_TRUE(changed.isEmpty())
        << "the 1x picture differs from " << golden << " within x " << changed.left << ".."
        << changed.right << ", y " << changed.top << ".." << changed.bottom;
  }
  host.dispatch(effEditClose);
  xcb_flush(connection);
  EXPECT_EQ(children(), 0);
  // Reopening builds a fresh window.
  EXPECT_EQ(host.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t(parent))), 1);
  host.dispatch(effEditIdle);
  EXPECT_EQ(children(), 1);
  host.dispatch(effEditClose);
}

TEST_F(X11FrameTest, XftDpiOrGdkScaleSetTheEditorsSize) {
  struct Case {
    const char* resources;
    const char* gdkScale;
    int width, height;
  };
  const Case cases[] = {
      {nullptr, nullptr, 720, 320},
      {"Xft.dpi:\t96\n", nullptr, 720, 320},
      {"Xft.dpi:\t144\n", nullptr, 720, 320},
      {"Xft.antialias:\t1\nXft.dpi:\t192\nXft.hinting:\t1\n", nullptr, 1440, 640},
      {"Xft.dpi:\t288\n", nullptr, 1440, 640},
      {nullptr, "2", 1440, 640},
      {"Xft.dpi:\t192\n", "1", 720, 320},  // GDK_SCALE comes first
  };
  for (const Case& c : cases) {
    setResources(c.resources);
    orvalis::tests::ScopedEnv gdk("GDK_SCALE", c.gdkScale);
    orvalis::tests::TestHost host;
    ERect* rect = nullptr;
    ASSERT_EQ(host.dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, c.width) << (c.resources ? c.resources : "-");
    EXPECT_EQ(rect->bottom - rect->top, c.height) << (c.gdkScale ? c.gdkScale : "-");
  }
}

TEST_F(X11FrameTest, EditorAtTwoTimesFillsARealWindowOfTwiceTheSize) {
  setResources("Xft.dpi:\t192\n");
  orvalis::tests::InProcessHost host;
  ERect* rect = nullptr;
  ASSERT_EQ(host.dispatch(effEditGetRect, 0, 0, &rect), 1);
  EXPECT_EQ(rect->right, 1440);
  EXPECT_EQ(rect->bottom, 640);
  ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t(parent))), 1);
  for (int i = 0; i < 5; ++i) host.dispatch(effEditIdle);
  orvalis::vst2::CorvinaGuiEditor* editor = orvalis::tests::instanceOf(host).guiEditor();
  ASSERT_NE(editor->getFrame(), nullptr);
  ASSERT_NE(editor->getFrame()->platformWindow(), nullptr);
  const auto child = static_cast<xcb_window_t>(editor->getFrame()->platformWindow()->handle());
  EXPECT_EQ(geometry(child), CRect(0, 0, 1440, 640));

  // Every pixel of the window shows the 2x picture, and that picture covers the whole frame.
  const std::vector<uint32_t> shown = readBack(child, 1440, 640);
  ASSERT_EQ(shown.size(), 1440u * 640u);
  const std::vector<uint32_t>& offscreen = editor->getFrame()->pixels();
  EXPECT_EQ(orvalis::tests::differingPixels(shown, offscreen), 0);
  const CBitmap* panel = editor->getFrame()->getBackground();
  ASSERT_EQ(panel->getWidth(), 1440);
  EXPECT_EQ(shown[639 * 1440 + 1439] & 0xFFFFFF, panel->pixel(1439, 639) & 0xFFFFFF);
  EXPECT_TRUE(orvalis::tests::writePng(std::string(ORVALIS_BUILD_DIR) + "/editor@2x.png", shown,
                                       1440, 640));
  host.dispatch(effEditClose);
}
