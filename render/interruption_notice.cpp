#include "render/interruption_notice.h"

#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace orvalis::render {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM};
// Made before any signal can come: a handler may not allocate or format.
char notices[2][600];
std::size_t noticeLengths[2];
struct sigaction previous[2];

int slotOf(int signal) { return signal == SIGINT ? 0 : 1; }

void onSignal(int signal) {
  const int slot = slotOf(signal);
  ssize_t ignored = write(STDERR_FILENO, notices[slot], noticeLengths[slot]);
  (void)ignored;
  const struct sigaction& before = previous[slot];
  if (!(before.sa_flags & SA_SIGINFO) && before.sa_handler != SIG_DFL &&
      before.sa_handler != SIG_IGN) {
    before.sa_handler(signal);  // it ends the process as the signal would
    return;
  }
  // This handler was reset on entry: the signal, blocked until we return, then ends the process.
  raise(signal);
}

}  // namespace

void installInterruptionNotice(const std::string& outcome, bool newLine) {
  for (int s : kSignals) {
    const int slot = slotOf(s);
    const int n = std::snprintf(notices[slot], sizeof notices[slot], "%sorvalis-render: %s: %s\n",
                                newLine ? "\n" : "", s == SIGINT ? "interrupted" : "terminated",
                                outcome.c_str());
    noticeLengths[slot] = n < 0 ? 0 : std::min<std::size_t>(n, sizeof notices[slot] - 1);
    struct sigaction action {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(s, &action, &previous[slot]);
  }
}

}  // namespace orvalis::render
