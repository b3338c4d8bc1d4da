// The editor in a window of the host: the panel over the core, embedded (X11 on Linux, Win32 on
// Windows), at the scale the host sets, of a fixed size. It draws only in its idle, which the
// host's timer drives and, on X11, the host's watch over the X connection: no thread of ours.
// Every call comes on the host's main thread.
#pragma once

#include <cstdint>

#include "clap/clap_extensions.h"
#include "editor/instrument_panel_host.h"
#include "editor/panel.h"

namespace orvalis::clap {

class InstrumentPlugin;

class EditorGui : private editor::InstrumentPanelHost::Listener {
 public:
  // The timer ticks about sixty times a second: the meter and bars move smoothly.
  static constexpr uint32_t kTimerPeriodMs = 16;

  static bool apiSupported(const char* api, bool floating);

  explicit EditorGui(InstrumentPlugin& plugin);
  ~EditorGui() override;
  EditorGui(const EditorGui&) = delete;
  EditorGui& operator=(const EditorGui&) = delete;

  bool setScale(double scale);
  uint32_t width() const { return static_cast<uint32_t>(panel.width()); }
  uint32_t height() const { return static_cast<uint32_t>(panel.height()); }
  bool setParent(const Window& window);
  void onTimer(clap_id id);
  void onFd(int fd);

 private:
  void idle();
  void watchConnection();
  void stopWatching();

  // InstrumentPanelHost::Listener: the user's gestures, told to the host as output events.
  void gestureBegan(int index) override;
  void parameterEdited(int index, float value) override;
  void gestureEnded(int index) override;
  void programReplaced() override;

  InstrumentPlugin& plugin;
  editor::InstrumentPanelHost panelHost;
  editor::Panel panel;
  clap_id timer = kInvalidId;
  int watchedFd = -1;
  float shown[params::kNumParams];
};

// The extensions behind the editor, for the plug-in's table.
extern const PluginGui kGuiExtension;
extern const PluginTimerSupport kTimerExtension;
extern const PluginPosixFdSupport kPosixFdExtension;

}  // namespace orvalis::clap
