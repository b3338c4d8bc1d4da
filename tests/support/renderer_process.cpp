#include "tests/support/renderer_process.h"

#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace orvalis::tests::renderer {

Result run(const std::string& arguments) {
  return runCommand(std::string(ORVALIS_RENDER_PATH) + " " + arguments + " 2>&1");
}

Child start(const std::vector<std::string>& arguments, const std::string& outputPath) {
  Child child;
  child.pid = startProgram(ORVALIS_RENDER_PATH, arguments, outputPath);
  return child;
}

void wait(Child& child) {
  while (wait4(child.pid, &child.status, 0, &child.usage) < 0 && errno == EINTR) {
  }
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
