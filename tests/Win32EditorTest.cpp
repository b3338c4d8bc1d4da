// The editor in a real window of the test's own (Windows, or Wine under Xvfb): the pixels the
// child window paints equal the offscreen rendering, at 1x and at 2x, and the monitor's DPI
// picks the scale when the host gives none.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "plugin/corvina_gui_editor.h"
#include "tests/support/editor_scale.h"
#include "tests/support/instance_peek.h"
#include "tests/support/test_host.h"
#include "toolkit/frame.h"
#include "toolkit/platform/platform_window.h"

namespace {

void pumpFor(orvalis::tests::TestHost& host, int rounds) {
  for (int i = 0; i < rounds; ++i) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    host.dispatch(effEditIdle);
    Sleep(10);
  }
}

// The child window's pixels, as the screen shows them.
std::vector<uint32_t> capture(HWND window, int width, int height) {
  HDC dc = GetDC(window);
  HDC memory = CreateCompatibleDC(dc);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
  const auto* pixels = static_cast<const uint32_t*>(bits);
  std::vector<uint32_t> out(pixels, pixels + static_cast<std::size_t>(width) * height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, dc);
  return out;
}

}  // namespace

TEST(Win32EditorTest, EditorPaintsIntoTheHostWindowAtBothScales) {
  // Room for the 2x editor (1440 x 640) inside the host's window.
  HWND parent = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1600,
                                760, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  for (int scale : {1, 2}) {
    const int width = 720 * scale, height = 320 * scale;
    orvalis::tests::InProcessHost host;
    orvalis::tests::sendHostScale(host, static_cast<float>(scale));
    ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, parent), 1);
    pumpFor(host, 20);
    orvalis::vst2::CorvinaGuiEditor* editor = orvalis::tests::instanceOf(host).guiEditor();
    ASSERT_NE(editor->getFrame(), nullptr);
    ASSERT_NE(editor->getFrame()->platformWindow(), nullptr);
    HWND child = reinterpret_cast<HWND>(editor->getFrame()->platformWindow()->handle());
    EXPECT_EQ(GetParent(child), parent);
    RECT client;
    GetClientRect(child, &client);
    EXPECT_EQ(client.right - client.left, width);
    EXPECT_EQ(client.bottom - client.top, height);

    const std::vector<uint32_t> shown = capture(child, width, height);
    const std::vector<uint32_t>& offscreen = editor->getFrame()->pixels();
    ASSERT_EQ(offscreen.size(), shown.size());
    int differ = 0, left = width, top = height, right = -1, bottom = -1;
    for (int i = 0; i < width * height; ++i) {
      if ((shown[i] & 0xFFFFFF) == (offscreen[i] & 0xFFFFFF)) continue;
      ++differ;
      left = std::min(left, i % width);
      right = std::max(right, i % width);
      top = std::min(top, i / width);
      bottom = std::max(bottom, i / width);
    }
    EXPECT_EQ(differ, 0) << scale << "x: differing pixels within x " << left << ".." << right
                         << ", y " << top << ".." << bottom;
    host.dispatch(effEditClose);
    EXPECT_FALSE(IsWindow(child));
  }
  DestroyWindow(parent);
}

// Run by the build under Wine twice: in the usual prefix (96 dpi) and in one set to the DPI
// named by ORVALIS_EXPECT_DPI. 144 dpi (150 %) and above give 2x.
TEST(Win32EditorTest, MonitorDpiSelectsTheScaleWhenTheHostGivesNone) {
  const char* expected = std::getenv("ORVALIS_EXPECT_DPI");
  const int dpi = expected ? std::atoi(expected) : 96;
  // As a DPI-aware host: Windows tells an unaware one 96 dpi and stretches its windows itself
  // (Wine does not, so that case is not tried here).
  SetProcessDPIAware();
  HDC screen = GetDC(nullptr);
  const int systemDpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  if (!expected && systemDpi != 96) GTEST_SKIP() << "this desktop runs at " << systemDpi << " dpi";
  orvalis::tests::InProcessHost host;
  const int width = dpi >= 144 ? 1440 : 720;
  EXPECT_EQ(orvalis::tests::reportedRect(host), VSTGUI::CRect(0, 0, width, width * 320 / 720));
  HWND parent = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1600,
                                760, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, parent), 1);
  EXPECT_EQ(orvalis::tests::instanceOf(host).guiEditor()->getFrame()->getViewSize().right, width);
  host.dispatch(effEditClose);
  // The host's factor comes first.
  orvalis::tests::sendHostScale(host, 1.f);
  EXPECT_EQ(orvalis::tests::reportedRect(host).right, 720);
  DestroyWindow(parent);
}
