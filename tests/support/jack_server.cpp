#include "tests/support/jack_server.h"

#include <jack/jack.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <utility>

namespace orvalis::tests {

namespace {

// A server killed in a test may leave files behind under its name: each server has its own.
std::string uniqueName() {
  static int count = 0;
  return "orvalis-test-" + std::to_string(getpid()) + "-" + std::to_string(++count);
}

extern "C" void silent(const char*) {}

void sleepMs(long ms) {
  timespec t{0, ms * 1000000L};
  nanosleep(&t, nullptr);
}

}  // namespace

DummyJackServer::DummyJackServer(int rate, int period, std::string name)
    : sampleRate(rate),
      periodFrames(period),
      serverName(name.empty() ? uniqueName() : std::move(name)),
      logPath("/tmp/" + serverName + ".log"),
      server("JACK_DEFAULT_SERVER", serverName.c_str()),
      // The dummy driver needs no device; no D-Bus reservation either.
      noReservation("JACK_NO_AUDIO_RESERVATION", "1") {}

bool DummyJackServer::installed() {
  return access("/usr/bin/jackd", X_OK) == 0 || std::system("command -v jackd >/dev/null") == 0;
}

bool DummyJackServer::start(std::string& error) {
  pid = fork();
  if (pid == 0) {
    // A test that dies (a timeout, a crash) takes its server with it, cleanly.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const std::string rate = std::to_string(sampleRate), period = std::to_string(periodFrames);
    if (FILE* log = std::freopen(logPath.c_str(), "w", stdout)) dup2(fileno(log), 2);
    execlp("jackd", "jackd", "-n", serverName.c_str(), "-d", "dummy", "-r", rate.c_str(), "-p",
           period.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  jack_set_error_function(silent);
  jack_set_info_function(silent);
  for (int tries = 0; tries < 100; ++tries) {
    if (jack_client_t* probe = jack_client_open("probe", JackNoStartServer, nullptr)) {
      jack_client_close(probe);
      return true;
    }
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      pid = -1;
      break;
    }
    sleepMs(50);
  }
  std::ifstream log(logPath);
  std::ostringstream text;
  text << log.rdbuf();
  error = "the dummy JACK server did not start: " + text.str();
  stop();
  return false;
}

void DummyJackServer::stop() {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  pid = -1;
  unlink(logPath.c_str());
}

void DummyJackServer::kill() {
  if (pid <= 0) return;
  ::kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  pid = -1;
  unlink(logPath.c_str());
}

}  // namespace orvalis::tests
