// What a frame needs from the platform: a child window of the host's window that shows the
// frame's pixel buffer and delivers input. Everything else in the toolkit is platform-neutral.
#pragma once

#include <cstdint>

#include "toolkit/geometry.h"

namespace VSTGUI {

class CFrame;

class PlatformWindow {
 public:
  virtual ~PlatformWindow() {}
  // The frame the window shows; called once, right after the window is made.
  virtual void attach(CFrame& frame) { (void)frame; }
  // Shows the given area of the frame's buffer (0xAARRGGBB rows of the frame's width).
  virtual void present(const uint32_t* pixels, int32_t width, int32_t height,
                       const CRect& area) = 0;
  // Delivers pending input and expose events to the frame; runs on the thread of the editor's idle.
  virtual void pump(CFrame& frame) = 0;
  // The platform handle of the child window (an X11 window id, an HWND).
  virtual uintptr_t handle() const = 0;
  // The connection's file descriptor the host may watch for input; -1 where there is none.
  virtual int fileDescriptor() const { return -1; }
};

// A child window of parent, or null when it cannot be made (the frame then stays offscreen).
PlatformWindow* createPlatformWindow(void* parent, int32_t width, int32_t height);

}  // namespace VSTGUI
