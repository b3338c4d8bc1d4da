// A window of the desktop's own for a program without a host: a title, a fixed size and the
// window manager's close request. A frame's window (platform_window.h) lives in it as its child.
// Everything runs on the thread that calls pump().
#pragma once

#include <cstdint>

namespace VSTGUI {

class TopLevelWindow {
 public:
  // The keys a program may act on while its window has the keyboard.
  enum class Key { kNone, kPageUp, kPageDown };

  virtual ~TopLevelWindow() {}
  // What to hand a frame (or a panel's open()) as its parent: the platform's window handle.
  virtual void* parent() const = 0;
  // Reads the window manager's messages and the keys; never waits.
  virtual void pump() = 0;
  // True from the moment the user asked the window to close (its close button, the window
  // manager's menu or shortcut).
  virtual bool closeRequested() const = 0;
  // The oldest key press not yet taken, kNone when there is none.
  virtual Key takeKey() = 0;
};

// Shown at once; null when there is no desktop to show it on (no X display, say).
TopLevelWindow* createTopLevelWindow(const char* title, int32_t width, int32_t height);

}  // namespace VSTGUI
