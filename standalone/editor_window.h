// The editor in a window of its own: the panel, unchanged, as the child of a top-level window
// titled "Orvalis" at the panel's size (720 x 320, or 1440 x 640 where the desktop asks for 2x,
// as the plug-ins choose). Page Up and Page Down select the previous and next program. Driven
// from the program's main loop: nothing here runs on another thread.
#pragma once

#include <memory>
#include <string>

#include "core/instrument.h"
#include "editor/instrument_panel_host.h"
#include "editor/panel.h"
#include "toolkit/platform/top_level_window.h"

namespace orvalis::standalone {

class EditorWindow : private editor::InstrumentPanelHost::Listener {
 public:
  explicit EditorWindow(core::Instrument& core);
  ~EditorWindow();
  EditorWindow(const EditorWindow&) = delete;
  EditorWindow& operator=(const EditorWindow&) = delete;

  // False with a one-line reason when there is no desktop to show it on.
  bool open(std::string& error);
  // One round: the window's messages, the program keys, the panel's idle. False once the user
  // closed the window.
  bool idle();
  // The panel shows the current program's values anew.
  void showProgram();

 private:
  void stepProgram(int step);
  // No host to tell of gestures; a paste changed every value at once.
  void programReplaced() override { showProgram(); }

  core::Instrument& core;
  editor::InstrumentPanelHost host;
  editor::Panel panel;
  std::unique_ptr<VSTGUI::TopLevelWindow> window;
};

}  // namespace orvalis::standalone
