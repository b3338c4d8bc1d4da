#include "tests/support/x11_window_test.h"

#include <cstdlib>
#include <cstring>

namespace orvalis::tests {

void X11WindowTest::SetUp() {
  connection = xcb_connect(nullptr, nullptr);
  if (!connection || xcb_connection_has_error(connection)) {
    if (connection) xcb_disconnect(connection);
    connection = nullptr;
    // Run by hand without a display the test has nothing to look at; under xvfb-run it must.
    if (std::getenv("DISPLAY")) FAIL() << "cannot reach the X display " << std::getenv("DISPLAY");
    GTEST_SKIP() << "no X display";
  }
  screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  parent = xcb_generate_id(connection);
  const uint32_t values[1] = {screen->white_pixel};
  xcb_create_window(connection, XCB_COPY_FROM_PARENT, parent, screen->root, 0, 0,
                    static_cast<uint16_t>(parentWidth), static_cast<uint16_t>(parentHeight), 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, values);
  xcb_map_window(connection, parent);
  xcb_flush(connection);
}

void X11WindowTest::TearDown() {
  if (!connection) return;
  setResources(nullptr);
  xcb_destroy_window(connection, parent);
  xcb_disconnect(connection);
  connection = nullptr;
}

void X11WindowTest::syncServer() {
  std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

void X11WindowTest::clickWindow(xcb_window_t window, int x, int y) {
  for (uint8_t type : {XCB_BUTTON_PRESS, XCB_BUTTON_RELEASE}) {
    xcb_button_press_event_t e = {};
    e.response_type = type;
    e.detail = 1;
    e.event = window;
    e.event_x = static_cast<int16_t>(x);
    e.event_y = static_cast<int16_t>(y);
    e.same_screen = 1;
    xcb_send_event(
        connection, 0, window,
        type == XCB_BUTTON_PRESS ? XCB_EVENT_MASK_BUTTON_PRESS : XCB_EVENT_MASK_BUTTON_RELEASE,
        reinterpret_cast<const char*>(&e));
  }
  syncServer();
}

int X11WindowTest::children() {
  xcb_query_tree_reply_t* tree =
      xcb_query_tree_reply(connection, xcb_query_tree(connection, parent), nullptr);
  const int n = tree ? xcb_query_tree_children_length(tree) : -1;
  std::free(tree);
  return n;
}

xcb_window_t X11WindowTest::child() {
  xcb_query_tree_reply_t* tree =
      xcb_query_tree_reply(connection, xcb_query_tree(connection, parent), nullptr);
  xcb_window_t w = 0;
  if (tree && xcb_query_tree_children_length(tree) > 0) w = xcb_query_tree_children(tree)[0];
  std::free(tree);
  return w;
}

std::vector<uint32_t> X11WindowTest::readBack(xcb_window_t window, int width, int height) {
  std::vector<uint32_t> out;
  xcb_get_image_reply_t* image = xcb_get_image_reply(
      connection,
      xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                    static_cast<uint16_t>(width), static_cast<uint16_t>(height), ~0u),
      nullptr);
  if (!image) return out;
  const std::size_t count = static_cast<std::size_t>(width) * height;
  if (xcb_get_image_data_length(image) >= 0 &&
      static_cast<std::size_t>(xcb_get_image_data_length(image)) >= count * sizeof(uint32_t)) {
    const auto* data = reinterpret_cast<const uint32_t*>(xcb_get_image_data(image));
    out.assign(data, data + count);
    for (uint32_t& p : out) p &= 0xFFFFFF;
  }
  std::free(image);
  return out;
}

void X11WindowTest::setResources(const char* text) {
  static const char kName[] = "RESOURCE_MANAGER";
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, sizeof kName - 1, kName), nullptr);
  ASSERT_NE(atom, nullptr);
  if (text)
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, screen->root, atom->atom,
                        XCB_ATOM_STRING, 8, static_cast<uint32_t>(std::strlen(text)), text);
  else
    xcb_delete_property(connection, screen->root, atom->atom);
  std::free(atom);
  syncServer();
}

}  // namespace orvalis::tests
