#include "clap/editor_gui.h"

#include <cmath>
#include <cstring>

#include "clap/instrument_plugin.h"
#include "clap/parameter_mapping.h"

namespace orvalis::clap {

namespace {

#if defined(_WIN32)
constexpr const char* kPlatformApi = kWindowApiWin32;
#else
constexpr const char* kPlatformApi = kWindowApiX11;
#endif

EditorGui* editorOf(const Plugin* plugin) {
  InstrumentPlugin* self = InstrumentPlugin::of(plugin);
  return self ? self->editor() : nullptr;
}

bool isApiSupported(const Plugin*, const char* api, bool floating) {
  return EditorGui::apiSupported(api, floating);
}

bool preferredApi(const Plugin*, const char** api, bool* floating) {
  if (!api || !floating) return false;
  *api = kPlatformApi;
  *floating = false;
  return true;
}

bool create(const Plugin* plugin, const char* api, bool floating) {
  InstrumentPlugin* self = InstrumentPlugin::of(plugin);
  return self && EditorGui::apiSupported(api, floating) && self->createEditor();
}

void destroy(const Plugin* plugin) {
  if (InstrumentPlugin* self = InstrumentPlugin::of(plugin)) self->destroyEditor();
}

bool setScale(const Plugin* plugin, double scale) {
  EditorGui* gui = editorOf(plugin);
  return gui && gui->setScale(scale);
}

bool getSize(const Plugin* plugin, uint32_t* width, uint32_t* height) {
  EditorGui* gui = editorOf(plugin);
  if (!gui || !width || !height) return false;
  *width = gui->width();
  *height = gui->height();
  return true;
}

bool canResize(const Plugin*) { return false; }

bool resizeHints(const Plugin*, GuiResizeHints*) { return false; }

// A fixed size: the only size that fits is the panel's own.
bool adjustSize(const Plugin* plugin, uint32_t* width, uint32_t* height) {
  return getSize(plugin, width, height);
}

bool setSize(const Plugin* plugin, uint32_t width, uint32_t height) {
  EditorGui* gui = editorOf(plugin);
  return gui && width == gui->width() && height == gui->height();
}

bool setParent(const Plugin* plugin, const Window* window) {
  EditorGui* gui = editorOf(plugin);
  return gui && window && window->api && std::strcmp(window->api, kPlatformApi) == 0 &&
         gui->setParent(*window);
}

// Floating windows are not offered.
bool setTransient(const Plugin*, const Window*) { return false; }

void suggestTitle(const Plugin*, const char*) {}

bool show(const Plugin* plugin) { return editorOf(plugin) != nullptr; }

bool hide(const Plugin* plugin) { return editorOf(plugin) != nullptr; }

void onTimer(const Plugin* plugin, clap_id id) {
  if (EditorGui* gui = editorOf(plugin)) gui->onTimer(id);
}

void onFd(const Plugin* plugin, int fd, uint32_t) {
  if (EditorGui* gui = editorOf(plugin)) gui->onFd(fd);
}

}  // namespace

const PluginGui kGuiExtension = {isApiSupported, preferredApi, create,       destroy,    setScale,
                                 getSize,        canResize,    resizeHints,  adjustSize, setSize,
                                 setParent,      setTransient, suggestTitle, show,       hide};
const PluginTimerSupport kTimerExtension = {onTimer};
const PluginPosixFdSupport kPosixFdExtension = {onFd};

bool EditorGui::apiSupported(const char* api, bool floating) {
  return api && !floating && std::strcmp(api, kPlatformApi) == 0;
}

EditorGui::EditorGui(InstrumentPlugin& owner)
    : plugin(owner), panelHost(owner.instrument(), this), panel(panelHost) {
  for (int i = 0; i < params::kNumParams; ++i) shown[i] = plugin.instrument().parameter(i);
  const HostTimerSupport* timers = plugin.hostTimers();
  if (timers && timers->register_timer &&
      !timers->register_timer(plugin.host(), kTimerPeriodMs, &timer))
    timer = kInvalidId;
}

EditorGui::~EditorGui() {
  stopWatching();
  const HostTimerSupport* timers = plugin.hostTimers();
  if (timer != kInvalidId && timers && timers->unregister_timer)
    timers->unregister_timer(plugin.host(), timer);
  panel.close();
}

bool EditorGui::setScale(double scale) {
  return std::isfinite(scale) && panel.setScaleFactor(static_cast<float>(scale));
}

bool EditorGui::setParent(const Window& window) {
  stopWatching();
#if defined(_WIN32)
  panel.open(window.win32);
#else
  // The window's id travels in a pointer, as the toolkit takes a parent.
  panel.open(reinterpret_cast<void*>(static_cast<uintptr_t>(window.x11)));
#endif
  VSTGUI::CFrame* frame = panel.getFrame();
  if (!frame || !frame->platformWindow()) {
    panel.close();  // a stale parent, or no display
    return false;
  }
  watchConnection();
  idle();
  return true;
}

void EditorGui::watchConnection() {
  const HostPosixFdSupport* fds = plugin.hostFds();
  const int fd = panel.getFrame() ? panel.getFrame()->platformFileDescriptor() : -1;
  if (fd < 0 || !fds || !fds->register_fd) return;
  if (fds->register_fd(plugin.host(), fd, kFdRead | kFdError)) watchedFd = fd;
}

void EditorGui::stopWatching() {
  const HostPosixFdSupport* fds = plugin.hostFds();
  if (watchedFd >= 0 && fds && fds->unregister_fd) fds->unregister_fd(plugin.host(), watchedFd);
  watchedFd = -1;
}

void EditorGui::onTimer(clap_id id) {
  if (id == timer) idle();
}

void EditorGui::onFd(int fd) {
  if (fd == watchedFd) idle();
}

// The host may change values through automation, flush or a state: the panel follows the core.
void EditorGui::idle() {
  if (!panel.isOpen()) return;
  core::Instrument& core = plugin.instrument();
  for (int i = 0; i < params::kNumParams; ++i) {
    const float v = core.parameter(i);
    if (v == shown[i]) continue;
    shown[i] = v;
    panel.parameterChanged(i, v);
  }
  panel.idle();
}

void EditorGui::gestureBegan(int index) {
  plugin.queueEditorEvent({kEventParamGestureBegin, static_cast<clap_id>(index), 0.0});
}

void EditorGui::parameterEdited(int index, float value) {
  shown[index] = value;
  plugin.queueEditorEvent({kEventParamValue, static_cast<clap_id>(index),
                           plainValue(static_cast<clap_id>(index), value)});
}

void EditorGui::gestureEnded(int index) {
  plugin.queueEditorEvent({kEventParamGestureEnd, static_cast<clap_id>(index), 0.0});
}

void EditorGui::programReplaced() { plugin.valuesChangedOutsideTheHost(); }

}  // namespace orvalis::clap
