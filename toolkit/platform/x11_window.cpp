// The X11 frame window through xcb: its own connection, a child of the window id the host
// passes, events drained on the thread that calls the editor's idle. xcb reports errors per
// request, so a stale or not yet visible parent never reaches a process-wide error handler.
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "toolkit/frame.h"
#include "toolkit/platform/platform_window.h"

namespace VSTGUI {

namespace {

class X11Window : public PlatformWindow {
 public:
  bool open(xcb_window_t parent, int32_t w, int32_t h) {
    width = w;
    height = h;
    int screenNumber = 0;
    connection = xcb_connect(nullptr, &screenNumber);
    if (!connection || xcb_connection_has_error(connection)) return false;

    xcb_generic_error_t* error = nullptr;
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, parent), &error);
    std::free(error);
    if (!geometry) return false;  // no such window
    xcb_window_t root = geometry->root;
    const uint8_t parentDepth = geometry->depth;
    std::free(geometry);

    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_screen_t* screen = nullptr;
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup); it.rem; xcb_screen_next(&it))
      if (it.data->root == root) screen = it.data;
    if (!screen || parentDepth < 24) return false;
    depth = parentDepth;

    // The parent's visual, not the root's: a child of another visual needs a colormap and border
    // of its own, or the server refuses it, and GTK 3 hosts give a parent of their own visual.
    window = xcb_generate_id(connection);
    const uint32_t mask = XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK;
    const uint32_t values[2] = {screen->black_pixel,
                                XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS |
                                    XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION |
                                    XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE};
    error = xcb_request_check(
        connection, xcb_create_window_checked(connection, XCB_COPY_FROM_PARENT, window, parent, 0,
                                              0, static_cast<uint16_t>(w), static_cast<uint16_t>(h),
                                              0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                                              XCB_COPY_FROM_PARENT, mask, values));
    if (error) {
      std::free(error);
      window = 0;
      return false;
    }
    gc = xcb_generate_id(connection);
    xcb_create_gc(connection, gc, window, 0, nullptr);
    xcb_map_window(connection, window);
    xcb_flush(connection);
    // Each put-image request must fit the server's maximum request length (in 4-byte units).
    const uint32_t maxRequest = xcb_get_maximum_request_length(connection) * 4u;
    bandBytes = maxRequest > 65536 ? maxRequest - 1024 : maxRequest / 2;
    return true;
  }

  ~X11Window() override {
    if (connection) {
      if (gc) xcb_free_gc(connection, gc);
      if (window) xcb_destroy_window(connection, window);
      // A round trip: the window is gone when closing returns, not when the server gets to it.
      std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
      xcb_disconnect(connection);
    }
  }

  void present(const uint32_t* pixels, int32_t w, int32_t h, const CRect& area) override {
    const CRect r = area.intersected(CRect(0, 0, w, h));
    if (r.isEmpty() || !window) return;
    const std::size_t rowBytes = static_cast<std::size_t>(r.width()) * 4;
    int32_t rowsPerBand = static_cast<int32_t>(bandBytes / rowBytes);
    if (rowsPerBand < 1) rowsPerBand = 1;
    for (int32_t top = r.top; top < r.bottom; top += rowsPerBand) {
      const int32_t rows = top + rowsPerBand > r.bottom ? r.bottom - top : rowsPerBand;
      band.resize(static_cast<std::size_t>(rows) * r.width());
      for (int32_t y = 0; y < rows; ++y)
        std::memcpy(&band[static_cast<std::size_t>(y) * r.width()],
                    pixels + static_cast<std::size_t>(top + y) * w + r.left, rowBytes);
      xcb_put_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, gc,
                    static_cast<uint16_t>(r.width()), static_cast<uint16_t>(rows),
                    static_cast<int16_t>(r.left), static_cast<int16_t>(top), 0, depth,
                    static_cast<uint32_t>(band.size() * 4),
                    reinterpret_cast<const uint8_t*>(band.data()));
    }
    xcb_flush(connection);
  }

  void pump(CFrame& frame) override {
    if (!connection) return;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
      switch (event->response_type & 0x7F) {
        case XCB_EXPOSE: {
          auto* e = reinterpret_cast<xcb_expose_event_t*>(event);
          exposed = exposed.united(CRect(e->x, e->y, e->x + e->width, e->y + e->height));
          break;
        }
        case XCB_BUTTON_PRESS: {
          auto* e = reinterpret_cast<xcb_button_press_event_t*>(event);
          const CPoint at(e->event_x, e->event_y);
          if (e->detail == 4 || e->detail == 5)
            frame.onWheel(nullptr, at, e->detail == 4 ? 1.f : -1.f);
          else
            frame.onMouseDown(at, buttonOf(e->detail));
          break;
        }
        case XCB_MOTION_NOTIFY: {
          auto* e = reinterpret_cast<xcb_motion_notify_event_t*>(event);
          frame.onMouseMoved(CPoint(e->event_x, e->event_y), stateButtons(e->state));
          break;
        }
        case XCB_BUTTON_RELEASE: {
          auto* e = reinterpret_cast<xcb_button_release_event_t*>(event);
          if (e->detail != 4 && e->detail != 5)
            frame.onMouseUp(CPoint(e->event_x, e->event_y), buttonOf(e->detail));
          break;
        }
        default:
          break;  // errors arrive here too (response type 0) and are dropped
      }
      std::free(event);
    }
    if (!exposed.isEmpty()) {
      present(frame.pixels().data(), width, height, exposed);
      exposed = CRect();
    }
  }

  uintptr_t handle() const override { return window; }
  int fileDescriptor() const override {
    return connection ? xcb_get_file_descriptor(connection) : -1;
  }

 private:
  static int32_t buttonOf(uint8_t detail) {
    return detail == 1 ? kLButton : detail == 3 ? kRButton : detail == 2 ? kMButton : 0;
  }
  static int32_t stateButtons(uint16_t state) {
    return ((state & XCB_BUTTON_MASK_1) ? kLButton : 0) |
           ((state & XCB_BUTTON_MASK_3) ? kRButton : 0) |
           ((state & XCB_BUTTON_MASK_2) ? kMButton : 0);
  }

  xcb_connection_t* connection = nullptr;
  xcb_window_t window = 0;
  xcb_gcontext_t gc = 0;
  uint8_t depth = 24;
  int32_t width = 0, height = 0;
  std::size_t bandBytes = 65536;
  std::vector<uint32_t> band;
  CRect exposed;
};

}  // namespace

PlatformWindow* createPlatformWindow(void* parent, int32_t width, int32_t height) {
  // Some hosts pass their Display* in value; the window id is always in ptr.
  const xcb_window_t id = static_cast<xcb_window_t>(reinterpret_cast<uintptr_t>(parent));
  auto* w = new X11Window();
  if (!id || !w->open(id, width, height)) {
    delete w;
    return nullptr;
  }
  return w;
}

}  // namespace VSTGUI
