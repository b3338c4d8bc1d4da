// The standalone program's command line: what to connect, which sounds to start from, where the
// state lives, and whether to open the window.
#pragma once

#include <string>
#include <vector>

namespace orvalis::standalone {

struct Options {
  std::string name = "Orvalis";  // the JACK client's name
  bool connect = true;
  bool gui = true;
  bool listPrograms = false;
  bool help = false;
  bool version = false;
  std::string bank, preset;  // .fxb / .fxp files
  std::string state;         // empty: the default place
  int program = -1;
};

// False with a one-line reason for a bad command line.
bool parseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

const char* usageText();

}  // namespace orvalis::standalone
