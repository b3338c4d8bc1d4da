// The VST 3 editor in a real X11 window (run under Xvfb), from the built bundle, driven by a run
// loop of the test's own as a Linux host drives it: it shows what the offscreen panel draws,
// reports gestures through the component handler, follows the host's scale and leaves nothing
// behind.
#include <gtest/gtest.h>
#include <poll.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <vector>

#include "core/instrument.h"
#include "editor/panel.h"
#include "params/parameter_table.h"
#include "tests/support/reference_panel.h"
#include "tests/support/vst3_host.h"
#include "tests/support/x11_window_test.h"

namespace v3 = orvalis::vst3;

namespace {

constexpr int kW = orvalis::editor::Panel::kWidth, kH = orvalis::editor::Panel::kHeight;

// What a new instance shows before it has played, for the values the test gives.
struct ReferencePanel : orvalis::tests::ReferencePanel {
  ReferencePanel() { snapshot = orvalis::core::Instrument().display(); }
};

// The host's frame with its run loop: timers and descriptors, run by the test.
class HostFrame final : public v3::IPlugFrame, public v3::IRunLoop {
 public:
  v3::tresult ORVALIS_VST3_CALL queryInterface(const v3::TUID iid, void** object) override {
    if (v3::sameId(iid, v3::IRunLoop::iid)) {
      *object = static_cast<v3::IRunLoop*>(this);
      ++references;
      return v3::kResultOk;
    }
    if (v3::sameId(iid, v3::FUnknown::iid) || v3::sameId(iid, v3::IPlugFrame::iid)) {
      *object = static_cast<v3::IPlugFrame*>(this);
      ++references;
      return v3::kResultOk;
    }
    *object = nullptr;
    return v3::kNoInterface;
  }
  uint32_t ORVALIS_VST3_CALL addRef() override { return ++references; }
  uint32_t ORVALIS_VST3_CALL release() override { return --references; }
  v3::tresult ORVALIS_VST3_CALL resizeView(v3::IPlugView*, v3::ViewRect* size) override {
    resized = *size;
    return v3::kResultOk;
  }
  v3::tresult ORVALIS_VST3_CALL registerEventHandler(v3::IEventHandler* h, int fd) override {
    handlers.push_back({h, fd});
    return v3::kResultOk;
  }
  v3::tresult ORVALIS_VST3_CALL unregisterEventHandler(v3::IEventHandler* h) override {
    for (auto i = handlers.begin(); i != handlers.end(); ++i)
      if (i->handler == h) {
        handlers.erase(i);
        return v3::kResultOk;
      }
    return v3::kInvalidArgument;
  }
  v3::tresult ORVALIS_VST3_CALL registerTimer(v3::ITimerHandler* t, uint64_t) override {
    timers.push_back(t);
    return v3::kResultOk;
  }
  v3::tresult ORVALIS_VST3_CALL unregisterTimer(v3::ITimerHandler* t) override {
    for (auto i = timers.begin(); i != timers.end(); ++i)
      if (*i == t) {
        timers.erase(i);
        return v3::kResultOk;
      }
    return v3::kInvalidArgument;
  }
  // A few turns of the loop: ready descriptors to their handlers, then every timer.
  void run(int turns = 3) {
    for (int t = 0; t < turns; ++t) {
      for (const Watch& w : std::vector<Watch>(handlers)) {
        pollfd p{w.fd, POLLIN, 0};
        if (poll(&p, 1, 10) > 0) w.handler->onFDIsSet(w.fd);
      }
      for (v3::ITimerHandler* timer : std::vector<v3::ITimerHandler*>(timers)) timer->onTimer();
    }
  }
  struct Watch {
    v3::IEventHandler* handler;
    int fd;
  };
  std::vector<Watch> handlers;
  std::vector<v3::ITimerHandler*> timers;
  v3::ViewRect resized{};
  int references = 1;
};

class Vst3EditorTest : public orvalis::tests::X11WindowTest {
 protected:
  Vst3EditorTest() : X11WindowTest(1600, 800) {}
};

}  // namespace

TEST_F(Vst3EditorTest, ShowsThePanelReportsGesturesFollowsTheScaleAndCloses) {
  orvalis::tests::Vst3Host host;
  ASSERT_TRUE(host.loaded());
  v3::IPlugView* view = host.controller->createView("editor");
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(host.controller->createView("other"), nullptr);
  EXPECT_EQ(view->isPlatformTypeSupported(v3::kPlatformTypeX11EmbedWindowID), v3::kResultTrue);
  EXPECT_NE(view->isPlatformTypeSupported(v3::kPlatformTypeHWND), v3::kResultTrue);
  EXPECT_EQ(view->canResize(), v3::kResultFalse);
  v3::ViewRect size{};
  ASSERT_EQ(view->getSize(&size), v3::kResultOk);
  EXPECT_EQ(size.right - size.left, kW);
  EXPECT_EQ(size.bottom - size.top, kH);

  HostFrame frame;
  ASSERT_EQ(view->setFrame(&frame), v3::kResultOk);
  ASSERT_EQ(
      view->attached(reinterpret_cast<void*>(uintptr_t{parent}), v3::kPlatformTypeX11EmbedWindowID),
      v3::kResultOk);
  // Idle and the window's events come from the host's run loop.
  EXPECT_EQ(frame.timers.size(), 1u);
  EXPECT_EQ(frame.handlers.size(), 1u);
  EXPECT_EQ(children(), 1);
  frame.run();
  syncServer();
  frame.run();
  ReferencePanel reference;
  for (int i = 0; i < orvalis::params::kNumParams; ++i)
    reference.values[i] = static_cast<float>(host.controller->getParamNormalized(i));
  const xcb_window_t window = child();
  EXPECT_EQ(orvalis::tests::differingPixels(readBack(window, kW, kH), reference.draw()), 0);

  // A click on the right end of the first filter's type switch: HighPass, inside an edit.
  clickWindow(window, 395, 120);
  frame.run();
  std::vector<char> kinds;
  for (const orvalis::tests::HandlerCall& c : host.handler.calls)
    if (c.id == orvalis::params::kFilter1Type) kinds.push_back(c.kind);
  EXPECT_EQ(kinds, (std::vector<char>{'b', 'p', 'e'}));
  EXPECT_EQ(host.controller->getParamNormalized(orvalis::params::kFilter1Type), 1.0);

  // The host's scale: the panel opens again at 2x and asks for its new size.
  void* scaling = nullptr;
  ASSERT_EQ(view->queryInterface(v3::IPlugViewContentScaleSupport::iid.bytes, &scaling),
            v3::kResultOk);
  auto* scale = static_cast<v3::IPlugViewContentScaleSupport*>(scaling);
  EXPECT_EQ(scale->setContentScaleFactor(2.f), v3::kResultOk);
  EXPECT_EQ(frame.resized.right - frame.resized.left, 2 * kW);
  EXPECT_EQ(frame.resized.bottom - frame.resized.top, 2 * kH);
  ASSERT_EQ(view->getSize(&size), v3::kResultOk);
  EXPECT_EQ(size.right, 2 * kW);
  EXPECT_EQ(children(), 1);
  scale->release();

  EXPECT_EQ(view->removed(), v3::kResultOk);
  syncServer();
  EXPECT_EQ(children(), 0);
  EXPECT_TRUE(frame.timers.empty());
  EXPECT_TRUE(frame.handlers.empty());
  EXPECT_EQ(view->release(), 0u);
  EXPECT_EQ(frame.references, 1);
}
