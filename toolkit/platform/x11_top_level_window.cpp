// The top-level window on X11 through xcb: a connection of its own, the ICCCM properties a
// window manager reads (name, class, a fixed size, WM_DELETE_WINDOW), and a passive grab of the
// program's keys on the window, so that they reach it even while the pointer is over the frame's
// child window (whose connection takes key events and drops them).
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

#include "toolkit/platform/top_level_window.h"

namespace VSTGUI {

namespace {

// keysym values of the X protocol's keyboard encoding.
constexpr uint32_t kKeysymPrior = 0xFF55, kKeysymNext = 0xFF56;
constexpr uint32_t kKeysymKpPrior = 0xFF9A, kKeysymKpNext = 0xFF9B;

// WM_SIZE_HINTS, ICCCM 4.1.2.3: eighteen 32-bit fields.
struct SizeHints {
  uint32_t flags;
  int32_t x, y, width, height, minWidth, minHeight, maxWidth, maxHeight;
  int32_t widthIncrement, heightIncrement, minAspectNum, minAspectDen, maxAspectNum, maxAspectDen;
  int32_t baseWidth, baseHeight, gravity;
};
static_assert(sizeof(SizeHints) == 18 * 4, "WM_SIZE_HINTS is eighteen 32-bit fields");
constexpr uint32_t kProgramSize = 1u << 3, kMinSize = 1u << 4, kMaxSize = 1u << 5;

class X11TopLevelWindow : public TopLevelWindow {
 public:
  bool open(const char* title, int32_t width, int32_t height) {
    int screenNumber = 0;
    connection = xcb_connect(nullptr, &screenNumber);
    if (!connection || xcb_connection_has_error(connection)) return false;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    if (!it.rem || it.data->root_depth < 24) return false;
    const xcb_screen_t* screen = it.data;

    window = xcb_generate_id(connection);
    const uint32_t values[2] = {screen->black_pixel,
                                XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0,
                      static_cast<uint16_t>(width), static_cast<uint16_t>(height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);

    const auto titleLength = static_cast<uint32_t>(std::strlen(title));
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, titleLength, title);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_NAME"),
                        atom("UTF8_STRING"), 8, titleLength, title);
    static const char kClass[] = "orvalis\0Orvalis";
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                        XCB_ATOM_STRING, 8, sizeof kClass, kClass);
    deleteWindow = atom("WM_DELETE_WINDOW");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom("WM_PROTOCOLS"),
                        XCB_ATOM_ATOM, 32, 1, &deleteWindow);
    // The same minimum and maximum: window managers then offer no resizing.
    SizeHints hints{};
    hints.flags = kProgramSize | kMinSize | kMaxSize;
    hints.width = hints.minWidth = hints.maxWidth = width;
    hints.height = hints.minHeight = hints.maxHeight = height;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NORMAL_HINTS,
                        XCB_ATOM_WM_SIZE_HINTS, 32, sizeof hints / 4, &hints);
    grabKeys();
    xcb_map_window(connection, window);
    xcb_flush(connection);
    return true;
  }

  ~X11TopLevelWindow() override {
    if (!connection) return;
    if (window) xcb_destroy_window(connection, window);
    // A round trip: the window is gone when closing returns, not when the server gets to it.
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    xcb_disconnect(connection);
  }

  void* parent() const override { return reinterpret_cast<void*>(static_cast<uintptr_t>(window)); }

  void pump() override {
    if (xcb_connection_has_error(connection)) closed = true;  // the display went away
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
      switch (event->response_type & 0x7F) {
        case XCB_CLIENT_MESSAGE: {
          auto* e = reinterpret_cast<xcb_client_message_event_t*>(event);
          if (e->format == 32 && e->data.data32[0] == deleteWindow) closed = true;
          break;
        }
        case XCB_DESTROY_NOTIFY:
          closed = true;
          break;
        case XCB_KEY_PRESS:
          queueKey(reinterpret_cast<xcb_key_press_event_t*>(event)->detail);
          break;
        default:
          break;  // errors arrive here too (response type 0) and are dropped
      }
      std::free(event);
    }
  }

  bool closeRequested() const override { return closed; }

  Key takeKey() override {
    if (keyCount == 0) return Key::kNone;
    const Key k = keys[0];
    --keyCount;
    std::memmove(keys, keys + 1, static_cast<std::size_t>(keyCount) * sizeof keys[0]);
    return k;
  }

 private:
  xcb_atom_t atom(const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t a = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return a;
  }

  // The keycodes whose keysyms are the program's keys, grabbed with any modifiers.
  void grabKeys() {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const uint8_t first = setup->min_keycode;
    const int count = setup->max_keycode - first + 1;
    xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, first, static_cast<uint8_t>(count)),
        nullptr);
    if (!map) return;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    const int perCode = map->keysyms_per_keycode;
    const int total = xcb_get_keyboard_mapping_keysyms_length(map);
    for (int code = 0; code < count && (code + 1) * perCode <= total; ++code) {
      const xcb_keysym_t sym = perCode > 0 ? syms[code * perCode] : 0;
      const Key key = sym == kKeysymPrior || sym == kKeysymKpPrior ? Key::kPageUp
                      : sym == kKeysymNext || sym == kKeysymKpNext ? Key::kPageDown
                                                                   : Key::kNone;
      if (key == Key::kNone) continue;
      const auto keycode = static_cast<xcb_keycode_t>(first + code);
      keyOf[keycode] = key;
      xcb_grab_key(connection, 1, window, XCB_MOD_MASK_ANY, keycode, XCB_GRAB_MODE_ASYNC,
                   XCB_GRAB_MODE_ASYNC);
    }
    std::free(map);
  }

  void queueKey(xcb_keycode_t code) {
    const Key key = keyOf[code];
    if (key != Key::kNone && keyCount < kMaxKeys) keys[keyCount++] = key;
  }

  static constexpr int kMaxKeys = 16;
  xcb_connection_t* connection = nullptr;
  xcb_window_t window = 0;
  xcb_atom_t deleteWindow = static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  bool closed = false;
  Key keyOf[256] = {};
  Key keys[kMaxKeys] = {};
  int keyCount = 0;
};

}  // namespace

TopLevelWindow* createTopLevelWindow(const char* title, int32_t width, int32_t height) {
  auto* w = new X11TopLevelWindow();
  if (!w->open(title, width, height)) {
    delete w;
    return nullptr;
  }
  return w;
}

}  // namespace VSTGUI
