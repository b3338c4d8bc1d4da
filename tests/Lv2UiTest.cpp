// The LV2 UI library in a real X11 window (run under Xvfb), loaded through its descriptor as a
// host loads it: it shows exactly what the panel draws for the same values and display, follows
// port events, writes the user's gestures to the ports, and closes without a trace.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "editor/panel.h"
#include "lv2/display_message.h"
#include "lv2/uris.h"
#include "tests/support/lv2_host.h"
#include "tests/support/png_file.h"
#include "tests/support/reference_panel.h"
#include "tests/support/x11_window_test.h"

namespace {

constexpr int kW = orvalis::editor::Panel::kWidth, kH = orvalis::editor::Panel::kHeight;

// The parameters' defaults, and the display before any message.
struct ReferencePanel : orvalis::tests::ReferencePanel {
  ReferencePanel() {
    for (int i = 0; i < orvalis::params::kNumParams; ++i)
      values[i] = orvalis::params::parameterInfo(i).defaultValue;
  }
};

// What the UI asked of its host.
struct HostSide {
  std::vector<std::pair<uint32_t, float>> writes;
  std::vector<std::pair<uint32_t, bool>> touches;
  int width = 0, height = 0;
};

class Lv2UiTest : public orvalis::tests::X11WindowTest {
 protected:
  Lv2UiTest() : X11WindowTest(800, 400) {}

  void SetUp() override {
    X11WindowTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;

    library = dlopen(ORVALIS_LV2_BUNDLE "/orvalis_ui.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
    ASSERT_NE(entry, nullptr);
    descriptor = entry(0);
    ASSERT_NE(descriptor, nullptr);
    EXPECT_STREQ(descriptor->URI, orvalis::lv2::kUiUri);
    EXPECT_EQ(entry(1), nullptr);
  }
  void TearDown() override {
    if (ui) descriptor->cleanup(ui);
    if (library) dlclose(library);
    X11WindowTest::TearDown();
  }

  void open() {
    auto& urids = orvalis::tests::Lv2World::get().urids;
    options = {{LV2_OPTIONS_INSTANCE, 0, urids.map(LV2_UI__scaleFactor), sizeof(float),
                urids.map(LV2_ATOM__Float), &scale},
               {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    touch = {&host, [](LV2UI_Feature_Handle h, uint32_t port, bool grabbed) {
               static_cast<HostSide*>(h)->touches.emplace_back(port, grabbed);
             }};
    resize = {&host, [](LV2UI_Feature_Handle h, int w, int hh) {
                static_cast<HostSide*>(h)->width = w;
                static_cast<HostSide*>(h)->height = hh;
                return 0;
              }};
    const LV2_Feature map = {LV2_URID__map, &urids.mapFeature};
    const LV2_Feature parentFeature = {LV2_UI__parent, reinterpret_cast<void*>(uintptr_t(parent))};
    const LV2_Feature optionsFeature = {LV2_OPTIONS__options, options.data()};
    const LV2_Feature touchFeature = {LV2_UI__touch, &touch};
    const LV2_Feature resizeFeature = {LV2_UI__resize, &resize};
    const LV2_Feature* features[] = {&map,          &parentFeature, &optionsFeature,
                                     &touchFeature, &resizeFeature, nullptr};
    auto write = [](LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t format,
                    const void* buffer) {
      if (format == 0 && size == sizeof(float))
        static_cast<HostSide*>(c)->writes.emplace_back(port, *static_cast<const float*>(buffer));
    };
    ui = descriptor->instantiate(descriptor, orvalis::lv2::kPluginUri, ORVALIS_LV2_BUNDLE "/",
                                 write, &host, &widget, features);
    ASSERT_NE(ui, nullptr);
    idleInterface =
        static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
    ASSERT_NE(idleInterface, nullptr);
  }

  void idle(int times = 3) {
    for (int i = 0; i < times; ++i) EXPECT_EQ(idleInterface->idle(ui), 0);
    syncServer();
  }

  void setPort(uint32_t port, float value) {
    descriptor->port_event(ui, port, sizeof(float), 0, &value);
  }
  void sendDisplay(const orvalis::core::DisplaySnapshot& snapshot) {
    orvalis::lv2::DisplayUrids urids(&orvalis::tests::Lv2World::get().urids.mapFeature);
    const orvalis::lv2::DisplayAtom message = orvalis::lv2::makeDisplayAtom(urids, snapshot);
    descriptor->port_event(ui, orvalis::lv2::kNotify, sizeof message, urids.eventTransfer,
                           &message);
  }
  void click(int x, int y) {
    clickWindow(static_cast<xcb_window_t>(reinterpret_cast<uintptr_t>(widget)), x, y);
    idle();
  }

  std::vector<uint32_t> shown() {
    return readBack(static_cast<xcb_window_t>(reinterpret_cast<uintptr_t>(widget)), kW, kH);
  }
  void* library = nullptr;
  const LV2UI_Descriptor* descriptor = nullptr;
  LV2UI_Handle ui = nullptr;
  LV2UI_Widget widget = nullptr;
  const LV2UI_Idle_Interface* idleInterface = nullptr;
  float scale = 1.f;
  std::vector<LV2_Options_Option> options;
  LV2UI_Touch touch;
  LV2UI_Resize resize;
  HostSide host;
};

}  // namespace

TEST_F(Lv2UiTest, ShowsThePanelFollowsPortsAndDisplayAndCloses) {
  open();
  EXPECT_EQ(children(), 1);
  EXPECT_EQ(host.width, kW);
  EXPECT_EQ(host.height, kH);
  ReferencePanel reference;
  // As hosts do right after instantiation: every control's value.
  for (int i = 0; i < orvalis::params::kNumParams; ++i) setPort(i, reference.values[i]);
  idle();
  EXPECT_EQ(orvalis::tests::differingPixels(shown(), reference.draw()), 0);

  // A port change and a display message: the switch, the bars and the meter follow.
  const std::vector<uint32_t> before = shown();
  setPort(orvalis::params::kOscType, 0.6f);
  setPort(orvalis::params::kFilter1FreqLow, 0.2f);
  orvalis::core::DisplaySnapshot snapshot;
  snapshot.ampEnv = 0.8f;
  snapshot.filter1Env = 0.5f;
  for (int i = 0; i < 5; ++i) snapshot.markers[i] = 0.2f * i;
  snapshot.meterSmooth = 123.4;
  snapshot.meterMedian = 99.0;
  sendDisplay(snapshot);
  idle();
  const std::vector<uint32_t> after = shown();
  EXPECT_GT(orvalis::tests::differingPixels(before, after), 100);
  reference.values[orvalis::params::kOscType] = 0.6f;
  reference.values[orvalis::params::kFilter1FreqLow] = 0.2f;
  reference.snapshot = snapshot;
  EXPECT_EQ(orvalis::tests::differingPixels(after, reference.draw()), 0);
  EXPECT_TRUE(orvalis::tests::writePng(ORVALIS_BUILD_DIR "/editor-lv2.png", after, kW, kH));

  // A malformed message is ignored.
  const uint32_t garbage[4] = {8, 1, 2, 3};
  descriptor->port_event(
      ui, orvalis::lv2::kNotify, sizeof garbage,
      orvalis::lv2::DisplayUrids(&orvalis::tests::Lv2World::get().urids.mapFeature).eventTransfer,
      garbage);
  idle();
  EXPECT_EQ(orvalis::tests::differingPixels(shown(), after), 0);

  descriptor->cleanup(ui);
  ui = nullptr;
  syncServer();
  EXPECT_EQ(children(), 0);
}

TEST_F(Lv2UiTest, GesturesGoToThePortsInsideTouches) {
  open();
  for (int i = 0; i < orvalis::params::kNumParams; ++i)
    setPort(i, orvalis::params::parameterInfo(i).defaultValue);
  idle();
  // The right end of the first filter's type switch: HighPass.
  click(395, 120);
  ASSERT_EQ(host.writes.size(), 1u);
  EXPECT_EQ(host.writes[0], std::make_pair(uint32_t{orvalis::params::kFilter1Type}, 1.f));
  EXPECT_EQ(host.touches,
            (std::vector<std::pair<uint32_t, bool>>{{orvalis::params::kFilter1Type, true},
                                                    {orvalis::params::kFilter1Type, false}}));

  // COPY takes the values the UI shows; PASTE writes them back through the ports.
  click(50, 30);
  host.writes.clear();
  setPort(orvalis::params::kGain, 0.9f);
  setPort(orvalis::params::kOscType, 1.f);
  idle();
  click(50, 50);
  EXPECT_EQ(host.writes.size(), 2u);
  for (const auto& w : host.writes) {
    EXPECT_TRUE(w.first == orvalis::params::kGain || w.first == orvalis::params::kOscType)
        << w.first;
    EXPECT_EQ(w.second, orvalis::params::parameterInfo(static_cast<int>(w.first)).defaultValue);
  }
}

TEST_F(Lv2UiTest, EachWindowPastesOnlyWhatItCopied) {
  // No clipboard outlives its window or reaches another: hosts may run the UIs anywhere.
  open();
  for (int i = 0; i < orvalis::params::kNumParams; ++i)
    setPort(i, orvalis::params::parameterInfo(i).defaultValue);
  setPort(orvalis::params::kGain, 0.9f);
  idle();
  click(50, 30);  // COPY
  descriptor->cleanup(ui);
  ui = nullptr;
  syncServer();

  open();
  for (int i = 0; i < orvalis::params::kNumParams; ++i)
    setPort(i, orvalis::params::parameterInfo(i).defaultValue);
  idle();
  host.writes.clear();
  click(50, 50);  // PASTE: this window copied nothing, so it pastes the default program it shows
  EXPECT_TRUE(host.writes.empty());
}

TEST_F(Lv2UiTest, OpensInAParentOfAnotherVisual) {
  // GTK 3 hosts embed the UI in a window whose visual is not the root's.
  xcb_visualid_t other = 0;
  for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem && !other; xcb_depth_next(&d)) {
    if (d.data->depth != screen->root_depth) continue;
    for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
      if (v.data->visual_id != screen->root_visual && v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR)
        other = v.data->visual_id;
  }
  if (!other) GTEST_SKIP() << "the X server offers a single visual";
  const xcb_colormap_t colormap = xcb_generate_id(connection);
  xcb_create_colormap(connection, XCB_COLORMAP_ALLOC_NONE, colormap, screen->root, other);
  xcb_destroy_window(connection, parent);
  const uint32_t values[2] = {0, colormap};
  xcb_create_window(connection, screen->root_depth, parent, screen->root, 0, 0, 800, 400, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, other, XCB_CW_BORDER_PIXEL | XCB_CW_COLORMAP,
                    values);
  xcb_map_window(connection, parent);
  syncServer();
  open();
  EXPECT_EQ(children(), 1);
  idle();
  ReferencePanel reference;
  EXPECT_EQ(orvalis::tests::differingPixels(shown(), reference.draw()), 0);
  xcb_free_colormap(connection, colormap);
}

TEST_F(Lv2UiTest, RefusesAnotherPluginOrAMissingParent) {
  auto& urids = orvalis::tests::Lv2World::get().urids;
  const LV2_Feature map = {LV2_URID__map, &urids.mapFeature};
  const LV2_Feature parentFeature = {LV2_UI__parent, reinterpret_cast<void*>(uintptr_t(parent))};
  const LV2_Feature stale = {LV2_UI__parent, reinterpret_cast<void*>(uintptr_t(0x7FFFFFF))};
  const LV2_Feature* withParent[] = {&map, &parentFeature, nullptr};
  const LV2_Feature* noParent[] = {&map, nullptr};
  const LV2_Feature* staleParent[] = {&map, &stale, nullptr};
  auto write = [](LV2UI_Controller, uint32_t, uint32_t, uint32_t, const void*) {};
  const struct {
    const char* plugin;
    const LV2_Feature* const* features;
  } cases[] = {{"urn:someone:else", withParent},
               {orvalis::lv2::kPluginUri, noParent},
               {orvalis::lv2::kPluginUri, staleParent}};
  for (const auto& c : cases) {
    LV2UI_Widget w = nullptr;
    EXPECT_EQ(descriptor->instantiate(descriptor, c.plugin, "", write, nullptr, &w, c.features),
              nullptr);
  }
  syncServer();
  EXPECT_EQ(children(), 0);
}
