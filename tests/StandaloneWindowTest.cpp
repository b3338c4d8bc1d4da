// The standalone program's window under a virtual X server (run under xvfb-run) on a private
// dummy JACK server: it opens at the panel's size, shows the panel as the core's own panel draws
// it, switches programs with Page Up and Page Down, and closing it quits with the state saved.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/instrument.h"
#include "editor/instrument_panel_host.h"
#include "editor/panel.h"
#include "standalone/sounds.h"
#include "tests/support/jack_server.h"
#include "tests/support/scoped_env.h"
#include "tests/support/standalone_process.h"
#include "toolkit/frame.h"

using orvalis::tests::standalone::Program;

namespace {

constexpr uint32_t kKeysymPrior = 0xFF55, kKeysymNext = 0xFF56;

class StandaloneWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!orvalis::tests::DummyJackServer::installed())
      GTEST_SKIP() << "jackd is not installed (scripts/setup installs jackd2)";
    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
      if (std::getenv("DISPLAY")) FAIL() << "cannot reach the X display " << std::getenv("DISPLAY");
      GTEST_SKIP() << "no X display";
    }
    screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    char pattern[] = "/tmp/orvalis-window-test-XXXXXX";
    dir = mkdtemp(pattern);
    config = std::make_unique<orvalis::tests::ScopedEnv>("XDG_CONFIG_HOME", dir.c_str());
    server = std::make_unique<orvalis::tests::DummyJackServer>();
    std::string error;
    ASSERT_TRUE(server->start(error)) << error;
  }
  void TearDown() override {
    server.reset();
    if (connection) xcb_disconnect(connection);
    if (!dir.empty()) std::system(("rm -rf " + dir).c_str());
  }

  xcb_atom_t atom(const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t a = r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(r);
    return a;
  }

  std::vector<uint32_t> property(xcb_window_t w, xcb_atom_t name, xcb_atom_t type) {
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, w, name, type, 0, 64), nullptr);
    std::vector<uint32_t> words;
    if (r && r->format == 32) {
      const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r));
      words.assign(v, v + xcb_get_property_value_length(r) / 4);
    }
    std::free(r);
    return words;
  }

  std::string name(xcb_window_t w) {
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 64),
        nullptr);
    std::string text;
    if (r && r->format == 8)
      text.assign(static_cast<const char*>(xcb_get_property_value(r)),
                  static_cast<std::size_t>(xcb_get_property_value_length(r)));
    std::free(r);
    return text;
  }

  std::vector<xcb_window_t> children(xcb_window_t w) {
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, w), nullptr);
    std::vector<xcb_window_t> out;
    if (tree) {
      const xcb_window_t* c = xcb_query_tree_children(tree);
      out.assign(c, c + xcb_query_tree_children_length(tree));
    }
    std::free(tree);
    return out;
  }

  xcb_window_t findTopLevel() {
    for (xcb_window_t w : children(screen->root))
      if (name(w) == "Orvalis") return w;
    return 0;
  }

  std::pair<int, int> size(xcb_window_t w) {
    xcb_get_geometry_reply_t* g =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, w), nullptr);
    const std::pair<int, int> s =
        g ? std::make_pair(int(g->width), int(g->height)) : std::make_pair(0, 0);
    std::free(g);
    return s;
  }

  std::vector<uint32_t> readBack(xcb_window_t w, int width, int height) {
    std::vector<uint32_t> out;
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 0, 0, static_cast<uint16_t>(width),
                      static_cast<uint16_t>(height), ~0u),
        nullptr);
    const std::size_t count = static_cast<std::size_t>(width) * height;
    if (image && xcb_get_image_data_length(image) >= static_cast<int>(count * 4)) {
      const auto* data = reinterpret_cast<const uint32_t*>(xcb_get_image_data(image));
      out.assign(data, data + count);
      for (uint32_t& p : out) p &= 0xFFFFFF;
    }
    std::free(image);
    return out;
  }

  // What a user's key press or the window manager's close button would send the window.
  void pressKey(xcb_window_t w, uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
        connection,
        xcb_get_keyboard_mapping(connection, setup->min_keycode, static_cast<uint8_t>(count)),
        nullptr);
    ASSERT_NE(map, nullptr);
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    xcb_keycode_t code = 0;
    for (int i = 0; i < count && !code; ++i)
      if (syms[i * map->keysyms_per_keycode] == keysym)
        code = static_cast<xcb_keycode_t>(setup->min_keycode + i);
    std::free(map);
    ASSERT_NE(code, 0);
    xcb_key_press_event_t e{};
    e.response_type = XCB_KEY_PRESS;
    e.detail = code;
    e.root = screen->root;
    e.event = w;
    e.same_screen = 1;
    xcb_send_event(connection, 0, w, XCB_EVENT_MASK_KEY_PRESS, reinterpret_cast<const char*>(&e));
    xcb_flush(connection);
  }
  void askToClose(xcb_window_t w) {
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = w;
    e.type = atom("WM_PROTOCOLS");
    e.data.data32[0] = atom("WM_DELETE_WINDOW");
    e.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
    xcb_flush(connection);
  }

  std::string path(const std::string& name) const { return dir + "/" + name; }

  xcb_connection_t* connection = nullptr;
  xcb_screen_t* screen = nullptr;
  std::string dir;
  std::unique_ptr<orvalis::tests::ScopedEnv> config;
  std::unique_ptr<orvalis::tests::DummyJackServer> server;
};

TEST_F(StandaloneWindowTest, OpensAtThePanelsSizeShowsItAndClosingQuitsWithTheStateSaved) {
  const struct {
    const char* gdkScale;
    int scale;
  } cases[] = {{nullptr, 1}, {"2", 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scale);
    const orvalis::tests::ScopedEnv gdkScale("GDK_SCALE", c.gdkScale);
    const int width = 720 * c.scale, height = 320 * c.scale;
    const std::string state = path("s.state");
    Program orvalis({"--no-connect", "--state", state}, path("orvalis.log"));
    xcb_window_t top = 0;
    ASSERT_TRUE(orvalis::tests::standalone::within(10, [&] {
      top = findTopLevel();
      return top && children(top).size() == 1;
    })) << orvalis.output();
    EXPECT_EQ(size(top), std::make_pair(width, height));
    // A fixed size: the same minimum and maximum in WM_NORMAL_HINTS.
    const std::vector<uint32_t> hints =
        property(top, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS);
    ASSERT_EQ(hints.size(), 18u);
    EXPECT_EQ(std::vector<uint32_t>(hints.begin() + 5, hints.begin() + 9),
              (std::vector<uint32_t>{uint32_t(width), uint32_t(height), uint32_t(width),
                                     uint32_t(height)}));
    EXPECT_EQ(property(top, atom("WM_PROTOCOLS"), XCB_ATOM_ATOM),
              std::vector<uint32_t>{atom("WM_DELETE_WINDOW")});

    // The panel as the same core's panel draws it offscreen, the load meter's figures aside.
    orvalis::core::Instrument core;
    core.loadFactoryBank();
    // The bars show the engine's state: the program reaches it at the first render.
    core.setSampleRate(48000);
    std::vector<float> left(256), right(256);
    for (int block = 0; block < 20; ++block) core.render(left.data(), right.data(), 256);
    orvalis::editor::InstrumentPanelHost host(core);
    orvalis::editor::Panel panel(host);
    panel.setScaleFactor(static_cast<float>(c.scale));
    panel.open(nullptr);
    panel.idle();
    VSTGUI::CRect meter;
    for (int32_t i = 0; i < panel.getFrame()->getNbViews(); ++i)
      if (auto* control = dynamic_cast<VSTGUI::CControl*>(panel.getFrame()->getView(i)))
        if (control->getTag() == orvalis::editor::Panel::kTimingTag) meter = control->getViewSize();
    ASSERT_FALSE(meter.isEmpty());
    const std::vector<uint32_t>& drawn = panel.getFrame()->pixels();
    const xcb_window_t child = children(top)[0];
    EXPECT_EQ(size(child), std::make_pair(width, height));
    int differing = 0;
    ASSERT_TRUE(orvalis::tests::standalone::within(
        5,
        [&] {
          const std::vector<uint32_t> shown = readBack(child, width, height);
          if (shown.size() != drawn.size()) return false;
          differing = 0;
          for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
              differing += !meter.pointInside(VSTGUI::CPoint(x, y)) &&
                           (shown[y * width + x] & 0xFFFFFF) != (drawn[y * width + x] & 0xFFFFFF);
          return differing == 0;
        }))
        << differing << " pixels differ from the offscreen panel";

    // Two programs on, one back; then the close button.
    pressKey(top, kKeysymNext);
    pressKey(top, kKeysymNext);
    pressKey(top, kKeysymPrior);
    orvalis::tests::standalone::sleepSeconds(0.2);
    askToClose(top);
    ASSERT_TRUE(orvalis.waitForExit(5)) << orvalis.output();
    EXPECT_EQ(orvalis.exitStatus(), 0) << orvalis.output();
    EXPECT_EQ(findTopLevel(), 0u);
    const std::string saved = orvalis::tests::standalone::readFile(state);
    orvalis::core::Instrument restored;
    ASSERT_TRUE(restored.loadState(reinterpret_cast<const uint8_t*>(saved.data()), saved.size()));
    EXPECT_EQ(restored.currentProgram(), 1) << orvalis.output();
    std::remove(state.c_str());
  }
}

}  // namespace
