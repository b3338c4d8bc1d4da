// The editor in a real window of the test's own (Windows, or Wine under Xvfb): the pixels the
// child window paints equal the offscreen rendering.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "plugin/corvina_gui_editor.h"
#include "tests/support/instance_peek.h"
#include "tests/support/test_host.h"
#include "toolkit/frame.h"
#include "toolkit/platform/platform_window.h"

namespace {

void pumpFor(testing_host::TestHost& host, int rounds) {
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

}  // namespace

TEST(Win32EditorTest, EditorPaintsIntoTheHostWindow) {
  HWND parent = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                                400, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  testing_host::InProcessHost host;
  ASSERT_EQ(host.dispatch(effEditOpen, 0, 0, parent), 1);
  pumpFor(host, 20);
  CorvinaGuiEditor* editor = testing_host::instanceOf(host).guiEditor();
  ASSERT_NE(editor->getFrame(), nullptr);
  ASSERT_NE(editor->getFrame()->platformWindow(), nullptr);
  HWND child = reinterpret_cast<HWND>(editor->getFrame()->platformWindow()->handle());
  EXPECT_EQ(GetParent(child), parent);
  RECT client;
  GetClientRect(child, &client);
  EXPECT_EQ(client.right - client.left, 720);
  EXPECT_EQ(client.bottom - client.top, 320);

  HDC dc = GetDC(child);
  HDC memory = CreateCompatibleDC(dc);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 720;
  info.bmiHeader.biHeight = -320;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP capture = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, capture);
  BitBlt(memory, 0, 0, 720, 320, dc, 0, 0, SRCCOPY);
  const auto* shown = static_cast<const uint32_t*>(bits);
  const std::vector<uint32_t>& offscreen = editor->getFrame()->pixels();
  int differ = 0, left = 720, top = 320, right = -1, bottom = -1;
  for (int i = 0; i < 720 * 320; ++i) {
    if ((shown[i] & 0xFFFFFF) == (offscreen[i] & 0xFFFFFF)) continue;
    ++differ;
    left = std::min(left, i % 720);
    right = std::max(right, i % 720);
    top = std::min(top, i / 720);
    bottom = std::max(bottom, i / 720);
  }
  EXPECT_EQ(differ, 0) << "differing pixels within x " << left << ".." << right << ", y " << top
                       << ".." << bottom;
  SelectObject(memory, old);
  DeleteObject(capture);
  DeleteDC(memory);
  ReleaseDC(child, dc);

  host.dispatch(effEditClose);
  EXPECT_FALSE(IsWindow(child));
  DestroyWindow(parent);
}
