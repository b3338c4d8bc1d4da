#include "tests/support/standalone_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace orvalis::tests::standalone {

// The child never outlives a test that dies.
Program::Program(const std::vector<std::string>& arguments, const std::string& logPath)
    : pid(startProgram(ORVALIS_STANDALONE_PATH, arguments, logPath, true)), log(logPath) {}

Program::~Program() {
  if (running()) {
    kill(pid, SIGKILL);
    waitForExit(5);
  }
}

void Program::signal(int number) {
  if (pid > 0) kill(pid, number);
}

bool Program::running() {
  if (pid <= 0) return false;
  int raw = 0;
  const pid_t done = waitpid(pid, &raw, WNOHANG);
  if (done != pid) return done == 0;
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  pid = -1;
  return false;
}

bool Program::waitForExit(double seconds) {
  if (within(seconds, [&] { return !running(); })) return true;
  kill(pid, SIGKILL);
  int raw = 0;
  waitpid(pid, &raw, 0);
  pid = -1;
  status = -1;
  return false;
}

std::string Program::output() const { return readFile(log); }

Run run(const std::vector<std::string>& arguments, const std::string& logPath) {
  Program p(arguments, logPath);
  p.waitForExit(20);
  return {p.exitStatus(), p.output()};
}

void sleepSeconds(double seconds) {
  timespec t{static_cast<time_t>(seconds),
             static_cast<long>((seconds - static_cast<time_t>(seconds)) * 1e9)};
  nanosleep(&t, nullptr);
}

}  // namespace orvalis::tests::standalone
