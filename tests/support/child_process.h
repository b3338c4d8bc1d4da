// The programs the tests run as users run them: a shell command whose output is collected, or a
// program started without a shell to be waited for or signalled; and reading what they wrote.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace orvalis::tests {

struct CommandResult {
  int status;          // as waitpid reports it
  std::string output;  // the command's standard output (a command says 2>&1 to add its errors)
};

CommandResult runCommand(const std::string& command);

// Starts program with the arguments, its standard output and error into outputPath (empty keeps
// this process's; one it cannot open ends the child with 126). With endWithTest, the child is
// killed if the thread that started it dies first; inChild runs in the child before the program
// (limits, signal dispositions). The child's pid, or -1.
pid_t startProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& outputPath, bool endWithTest = false,
                   const std::function<void()>& inChild = {});

std::string readFile(const std::string& path);
bool exists(const std::string& path);

}  // namespace orvalis::tests
