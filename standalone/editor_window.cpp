#include "standalone/editor_window.h"

#include <cstdio>
#include <cstdlib>

#include "params/program_record.h"
#include "standalone/sounds.h"

namespace orvalis::standalone {

EditorWindow::EditorWindow(core::Instrument& core) : core(core), host(core, this), panel(host) {}

EditorWindow::~EditorWindow() { panel.close(); }

bool EditorWindow::open(std::string& error) {
  // The panel's scale while closed is the one its open() will pick: the window is made to fit.
  window.reset(VSTGUI::createTopLevelWindow("Orvalis", panel.width(), panel.height()));
  if (!window) {
    const char* display = std::getenv("DISPLAY");
    error = display && *display
                ? std::string("cannot open a window on the display ") + display
                : std::string("no display to open the window on (DISPLAY is not set)");
    return false;
  }
  panel.open(window->parent());
  return true;
}

bool EditorWindow::idle() {
  if (!window) return false;
  window->pump();
  for (auto key = window->takeKey(); key != VSTGUI::TopLevelWindow::Key::kNone;
       key = window->takeKey())
    stepProgram(key == VSTGUI::TopLevelWindow::Key::kPageUp ? -1 : 1);
  if (window->closeRequested()) return false;
  panel.idle();
  return true;
}

void EditorWindow::stepProgram(int step) {
  const int program = (core.currentProgram() + step + params::kNumPrograms) % params::kNumPrograms;
  core.selectProgram(program);
  showProgram();
  std::fprintf(stderr, "orvalis: %s\n", describeCurrentProgram(core).c_str());
}

void EditorWindow::showProgram() {
  for (int i = 0; i < params::kNumParams; ++i) panel.parameterChanged(i, core.parameter(i));
}

}  // namespace orvalis::standalone
