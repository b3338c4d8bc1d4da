// Runs the real orvalis-render binary for the renderer suites, in a scratch folder of its own.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace orvalis::tests::renderer {

using Result = CommandResult;
using orvalis::tests::exists;
using orvalis::tests::readFile;

// Through the shell, so arguments may quote and redirect; stdout and stderr together.
Result run(const std::string& arguments);

// Without a shell: the child's own resource use, and a handle for signalling it.
struct Child {
  int pid = -1;
  int status = 0;
  rusage usage{};
};
// outputPath: a file for the child's standard output and error; empty keeps this process's.
Child start(const std::vector<std::string>& arguments, const std::string& outputPath = "");
void wait(Child& child);

class RendererFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string path(const std::string& name) const { return dir + "/" + name; }
  // The files in the scratch folder, sorted.
  std::vector<std::string> listing() const;

  std::string dir;
};

}  // namespace orvalis::tests::renderer
