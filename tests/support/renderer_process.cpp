#include "tests/support/renderer_process.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace orvalis::tests::renderer {

Result run(const std::string& arguments) {
  const std::string command = std::string(ORVALIS_RENDER_PATH) + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  Result r{-1, ""};
  if (!pipe) return r;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) r.output += buffer;
  r.status = pclose(pipe);
  return r;
}

Child start(const std::vector<std::string>& arguments, const std::string& outputPath) {
  std::vector<char*> argv;
  std::string program = ORVALIS_RENDER_PATH;
  argv.push_back(program.data());
  std::vector<std::string> copies = arguments;
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  Child child;
  child.pid = fork();
  if (child.pid == 0) {
    if (!outputPath.empty()) {
      const int fd = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0) _exit(126);
      dup2(fd, STDOUT_FILENO);
      dup2(fd, STDERR_FILENO);
      close(fd);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  return child;
}

void wait(Child& child) {
  while (wait4(child.pid, &child.status, 0, &child.usage) < 0 && errno == EINTR) {
  }
}

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void RendererFixture::SetUp() {
  char pattern[] = "/tmp/orvalis-render-test-XXXXXX";
  dir = mkdtemp(pattern);
}

void RendererFixture::TearDown() { std::system(("rm -rf " + dir).c_str()); }

std::vector<std::string> RendererFixture::listing() const {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
        names.push_back(e->d_name);
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace orvalis::tests::renderer
