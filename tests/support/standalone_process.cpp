#include "tests/support/standalone_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace orvalis::tests::standalone {

Program::Program(const std::vector<std::string>& arguments, const std::string& logPath)
    : log(logPath) {
  std::vector<std::string> copies = arguments;
  std::string program = ORVALIS_STANDALONE_PATH;
  std::vector<char*> argv{program.data()};
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives a test that dies
    const int fd = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      dup2(fd, 1);
      dup2(fd, 2);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
}

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

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

void sleepSeconds(double seconds) {
  timespec t{static_cast<time_t>(seconds),
             static_cast<long>((seconds - static_cast<time_t>(seconds)) * 1e9)};
  nanosleep(&t, nullptr);
}

}  // namespace orvalis::tests::standalone
