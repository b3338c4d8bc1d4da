// orvalis: the instrument as a JACK client of its own, played from a MIDI keyboard, with the
// editor in a window (or headless with --no-gui). Its state is kept between runs.
#include <signal.h>
#include <time.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/instrument.h"
#include "standalone/editor_window.h"
#include "standalone/jack_client.h"
#include "standalone/options.h"
#include "standalone/sounds.h"
#include "standalone/state_file.h"

namespace {

using namespace orvalis::standalone;

// Set by SIGINT and SIGTERM; the main loop sees it.
std::atomic<bool> quitRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onQuitSignal(int) { quitRequested.store(true); }

void say(const std::string& line) { std::fprintf(stderr, "orvalis: %s\n", line.c_str()); }

// libjack's own messages, while the client opens: the program says it in one line instead.
extern "C" void quietJack(const char*) {}
extern "C" void jackSays(const char* text) { std::fprintf(stderr, "orvalis: JACK: %s\n", text); }

void sleepMilliseconds(long ms) {
  timespec t{0, ms * 1000000L};
  nanosleep(&t, nullptr);
}

// The sounds to start from: the saved state, else the factory bank; then the command line's.
// False after a line saying why the command line's files cannot be used.
bool prepareSounds(orvalis::core::Instrument& core, const Options& o, const std::string& statePath,
                   bool& maySave) {
  core.loadFactoryBank();
  if (!statePath.empty()) {
    const StateRestore restored = restoreState(core, statePath);
    if (restored.result == StateRestore::kRefused) say(restored.message);
    maySave = restored.mayOverwrite;
  }
  std::string error;
  if (!o.bank.empty() && !loadBankFile(core, o.bank, error)) {
    say(error);
    return false;
  }
  if (o.program >= 0) core.selectProgram(o.program);
  if (!o.preset.empty() && !loadProgramFile(core, o.preset, error)) {
    say(error);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  std::string error;
  if (!parseOptions(std::vector<std::string>(argv + 1, argv + argc), o, error)) {
    say(error);
    return 2;
  }
  if (o.help) {
    std::fputs(usageText(), stdout);
    return 0;
  }
  if (o.version) {
    std::printf("orvalis %s\n", ORVALIS_VERSION);
    return 0;
  }

  auto core = std::make_unique<orvalis::core::Instrument>();
  const std::string statePath = o.state.empty() ? defaultStatePath() : o.state;
  bool maySave = !statePath.empty();
  if (!prepareSounds(*core, o, statePath, maySave)) return 1;
  if (o.listPrograms) {
    listPrograms(*core, stdout);
    return 0;
  }
  if (statePath.empty()) say("no home folder: the state will not be kept (see --state)");

  struct sigaction quit {};
  quit.sa_handler = onQuitSignal;
  sigemptyset(&quit.sa_mask);
  sigaction(SIGINT, &quit, nullptr);
  sigaction(SIGTERM, &quit, nullptr);

  jack_set_error_function(quietJack);
  jack_set_info_function(quietJack);
  JackClient jack(*core);
  if (!jack.open(o.name, error)) {
    say(error);
    return 1;
  }
  jack_set_error_function(jackSays);
  std::vector<std::string> warnings;
  if (!jack.activate(o.connect, warnings, error)) {
    say(error);
    return 1;
  }
  for (const std::string& w : warnings) say(w);
  std::fprintf(stderr, "orvalis: playing as JACK client %s\n", jack.name().c_str());

  std::unique_ptr<EditorWindow> editor;
  if (o.gui) {
    editor = std::make_unique<EditorWindow>(*core);
    if (!editor->open(error)) {
      say(error + ": playing without it (--no-gui says so at once)");
      editor.reset();
    }
  }
  // The window's idle, and the quit requests: a signal, the server, the window closed.
  while (!quitRequested.load() && !jack.serverGone()) {
    if (const int program = jack.takeProgramChange(); program >= 0) {
      core->selectProgram(program);
      if (editor) editor->showProgram();
      say(describeCurrentProgram(*core));
    }
    if (editor && !editor->idle()) break;
    sleepMilliseconds(editor ? 15 : 10);
  }

  const bool serverGone = jack.serverGone();
  if (serverGone) {
    const std::string why = jack.shutdownReason();
    say("the JACK server went away" + (why.empty() ? std::string() : " (" + why + ")") +
        ": stopping");
    jack_set_error_function(quietJack);  // closing repeats that the server is gone
  }
  jack.close();
  if (maySave && !saveState(*core, statePath, error)) say("the state was not saved: " + error);
  return serverGone ? 1 : 0;
}
