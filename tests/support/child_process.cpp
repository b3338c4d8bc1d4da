#include "tests/support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace orvalis::tests {

CommandResult runCommand(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  CommandResult r{-1, ""};
  if (!pipe) return r;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) r.output += buffer;
  r.status = pclose(pipe);
  return r;
}

pid_t startProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& outputPath, bool endWithTest,
                   const std::function<void()>& inChild) {
  std::vector<std::string> copies = arguments;
  std::string path = program;
  std::vector<char*> argv{path.data()};
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  // Opened (and emptied) before the child exists, so that what the caller reads from it once
  // this returns is the new program's, never a previous run's.
  const int fd =
      outputPath.empty() ? -1 : open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const pid_t pid = fork();
  if (pid == 0) {
    if (endWithTest) prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (inChild) inChild();
    if (!outputPath.empty()) {
      if (fd < 0) _exit(126);
      dup2(fd, STDOUT_FILENO);
      dup2(fd, STDERR_FILENO);
      close(fd);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (fd >= 0) close(fd);
  return pid;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

}  // namespace orvalis::tests
