// Runs the real orvalis program for the standalone suites: to completion with its output, or
// in the background to be signalled.
#pragma once

#include <string>
#include <vector>

#include "tests/support/child_process.h"

namespace orvalis::tests::standalone {

using orvalis::tests::exists;
using orvalis::tests::readFile;

class Program {
 public:
  // Starts orvalis with the arguments, its standard output and error into logPath.
  Program(const std::vector<std::string>& arguments, const std::string& logPath);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  void signal(int number);
  // Waits up to seconds for the program to end; false if it still runs (it is then killed).
  bool waitForExit(double seconds);
  bool running();
  // The exit status, or -1 when it did not exit normally (a signal, a timeout).
  int exitStatus() const { return status; }
  std::string output() const;

 private:
  int pid = -1;
  int status = -1;
  std::string log;
};

struct Run {
  int status;
  std::string output;
};
// Runs orvalis to its end (at most 20 s).
Run run(const std::vector<std::string>& arguments, const std::string& logPath);

// Calls test until it answers true or seconds pass.
template <typename Test>
bool within(double seconds, Test test);
void sleepSeconds(double seconds);

template <typename Test>
bool within(double seconds, Test test) {
  for (double waited = 0; waited < seconds; waited += 0.01) {
    if (test()) return true;
    sleepSeconds(0.01);
  }
  return test();
}

}  // namespace orvalis::tests::standalone
