// A test fixture with a real X11 connection and a mapped parent window for a plug-in's window to
// live in (run under xvfb-run), and the reads the tests make of the server.
#pragma once

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

namespace orvalis::tests {

class X11WindowTest : public ::testing::Test {
 protected:
  X11WindowTest(int parentWidth, int parentHeight)
      : parentWidth(parentWidth), parentHeight(parentHeight) {}

  void SetUp() override;
  void TearDown() override;

  // Waits until the server has applied every request sent so far.
  void syncServer();
  // A left click at (x, y) of the window, as the server delivers one; waits until it is sent.
  void clickWindow(xcb_window_t window, int x, int y);
  // How many child windows the parent has (-1 if the server does not say), and the first (0 if
  // none).
  int children();
  xcb_window_t child();
  // A window's pixels, 0x00RRGGBB, or nothing if the server refuses.
  std::vector<uint32_t> readBack(xcb_window_t window, int width, int height);
  // The desktop's resource database on the root window, as a desktop session sets it (null
  // removes it).
  void setResources(const char* text);

  xcb_connection_t* connection = nullptr;
  xcb_screen_t* screen = nullptr;
  xcb_window_t parent = 0;

 private:
  int parentWidth, parentHeight;
};

// How many pixels differ in colour (alpha aside), or -1 if the pictures differ in size.
inline int differingPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return -1;
  int n = 0;
  for (std::size_t i = 0; i < a.size(); ++i) n += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
  return n;
}

}  // namespace orvalis::tests
