// The CLAP editor in a real X11 window (run under Xvfb), from the built Orvalis.clap: embedded in
// the host's window at a fixed size and the host's scale, driven only by the host's timer and its
// watch over the X connection, showing what the offscreen panel draws for the same values, and
// telling the host of the user's gestures.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/instrument.h"
#include "editor/panel.h"
#include "params/factory_bank.h"
#include "tests/support/clap_host.h"
#include "tests/support/png_file.h"
#include "tests/support/reference_panel.h"
#include "tests/support/x11_window_test.h"

using orvalis::tests::ClapHost;
using namespace orvalis::clap;
namespace params = orvalis::params;

namespace {

constexpr int kW = orvalis::editor::Panel::kWidth, kH = orvalis::editor::Panel::kHeight;

// What a new instance shows: the first factory program, and the display of an instrument that has
// not played.
struct ReferencePanel : orvalis::tests::ReferencePanel {
  ReferencePanel() {
    std::memcpy(values, params::factoryProgram(0).record.values, sizeof values);
    snapshot = orvalis::core::Instrument().display();
  }
};

class ClapGuiTest : public orvalis::tests::X11WindowTest {
 protected:
  ClapGuiTest() : X11WindowTest(1600, 800) {}

  void SetUp() override {
    X11WindowTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_NE(host.plugin, nullptr);
    gui = host.extension<PluginGui>(kExtGui);
    ASSERT_NE(gui, nullptr);
    timers = host.extension<PluginTimerSupport>(kExtTimerSupport);
    fds = host.extension<PluginPosixFdSupport>(kExtPosixFdSupport);
    ASSERT_NE(timers, nullptr);
    ASSERT_NE(fds, nullptr);
  }

  bool open(double scale = 1.0) {
    if (!gui->create(host.plugin, kWindowApiX11, false)) return false;
    gui->set_scale(host.plugin, scale);
    Window window;
    window.api = kWindowApiX11;
    window.x11 = parent;
    return gui->set_parent(host.plugin, &window) && gui->show(host.plugin);
  }

  // What the host's event loop does: timer ticks, and the fd when the connection has input.
  void idle() {
    syncServer();
    for (int i = 0; i < 3; ++i) {
      for (const auto& t : host.timers) timers->on_timer(host.plugin, t.id);
      for (int fd : host.fds) fds->on_fd(host.plugin, fd, kFdRead);
    }
    syncServer();
  }

  void click(int x, int y) {
    clickWindow(child(), x, y);
    idle();
  }

  ClapHost host;
  const PluginGui* gui = nullptr;
  const PluginTimerSupport* timers = nullptr;
  const PluginPosixFdSupport* fds = nullptr;
};

}  // namespace

TEST_F(ClapGuiTest, EmbedsThePanelDrivenByTheHostsTimerAndFdAndFollowsTheHost) {
  EXPECT_TRUE(gui->is_api_supported(host.plugin, kWindowApiX11, false));
  EXPECT_FALSE(gui->is_api_supported(host.plugin, kWindowApiX11, true));
  EXPECT_FALSE(gui->is_api_supported(host.plugin, kWindowApiWin32, false));
  EXPECT_FALSE(gui->create(host.plugin, kWindowApiX11, true));
  ASSERT_TRUE(open());
  EXPECT_EQ(children(), 1);
  ASSERT_EQ(host.timers.size(), 1u);
  EXPECT_EQ(host.fds.size(), 1u);
  uint32_t w = 0, h = 0;
  ASSERT_TRUE(gui->get_size(host.plugin, &w, &h));
  EXPECT_EQ(w, static_cast<uint32_t>(kW));
  EXPECT_EQ(h, static_cast<uint32_t>(kH));
  EXPECT_FALSE(gui->can_resize(host.plugin));
  EXPECT_TRUE(gui->set_size(host.plugin, kW, kH));
  EXPECT_FALSE(gui->set_size(host.plugin, 800, 400));

  idle();
  ReferencePanel reference;
  EXPECT_EQ(orvalis::tests::differingPixels(readBack(child(), kW, kH), reference.draw()), 0);

  // The host changes values (automation outside processing): the panel follows at its idle.
  host.param(0, params::kOscType, 3);
  host.param(0, params::kFilter1FreqLow, 0.2);
  host.flush();
  idle();
  reference.values[params::kOscType] = 0.6f;
  reference.values[params::kFilter1FreqLow] = 0.2f;
  const std::vector<uint32_t> shown = readBack(child(), kW, kH);
  EXPECT_EQ(orvalis::tests::differingPixels(shown, reference.draw()), 0);
  EXPECT_TRUE(orvalis::tests::writePng(ORVALIS_BUILD_DIR "/editor-clap.png", shown, kW, kH));

  // A click on the right end of the first filter's type switch: the host hears a gesture with
  // the new value, asked for by request_flush and collected by flush.
  const int requests = host.flushRequests;
  click(395, 120);
  EXPECT_GT(host.flushRequests, requests);
  host.flush();
  ASSERT_EQ(host.output.size(), 3u);
  EventParamValue value;
  std::memcpy(&value, host.output[1].data(), sizeof value);
  EXPECT_EQ(value.header.type, kEventParamValue);
  EXPECT_EQ(value.param_id, static_cast<clap_id>(params::kFilter1Type));
  EXPECT_EQ(value.value, 4.0);
  EventParamGesture begin, end;
  std::memcpy(&begin, host.output[0].data(), sizeof begin);
  std::memcpy(&end, host.output[2].data(), sizeof end);
  EXPECT_EQ(begin.header.type, kEventParamGestureBegin);
  EXPECT_EQ(end.header.type, kEventParamGestureEnd);
  EXPECT_EQ(host.value(params::kFilter1Type), 4.0);

  gui->destroy(host.plugin);
  syncServer();
  EXPECT_EQ(children(), 0);
  EXPECT_TRUE(host.timers.empty());
  EXPECT_TRUE(host.fds.empty());
}

TEST_F(ClapGuiTest, TheHostsScaleOfTwoGivesTheDoubleSizePanel) {
  ASSERT_TRUE(open(2.0));
  uint32_t w = 0, h = 0;
  ASSERT_TRUE(gui->get_size(host.plugin, &w, &h));
  EXPECT_EQ(w, 2u * kW);
  EXPECT_EQ(h, 2u * kH);
  idle();
  EXPECT_EQ(children(), 1);
  EXPECT_FALSE(gui->set_scale(host.plugin, -1.0));
  gui->destroy(host.plugin);
  // A stale parent is refused, and the editor can be made again afterwards.
  ASSERT_TRUE(gui->create(host.plugin, kWindowApiX11, false));
  Window stale;
  stale.api = kWindowApiX11;
  stale.x11 = 0x7FFFFFF;
  EXPECT_FALSE(gui->set_parent(host.plugin, &stale));
  EXPECT_TRUE(host.fds.empty());
  gui->destroy(host.plugin);
}
