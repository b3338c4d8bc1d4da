// orvalis-render's command line: options, their checks and the help text.
#pragma once

#include <string>
#include <vector>

#include "render/wav_writer.h"

namespace render {

struct ParamSetting {
  std::string target;  // index or name
  float value;
  double seconds;  // -1: before rendering
};

struct ProgramAt {
  double seconds;
  int program;
};

struct Options {
  std::string input, output, plugin;
  int rate = 44100;
  int block = 256;
  int program = -1;
  std::string bank, preset, saveBank;  // .fxb / .fxp files
  double tail = 10;
  double maxLength = 24 * 3600.0;
  SampleFormat format = SampleFormat::Float;
  std::vector<ParamSetting> params;
  std::vector<ProgramAt> programsAt;
  bool listParams = false;
  bool quiet = false;
};

// Prints a one-line reason and exits on a bad command line; prints the help and exits on -h,
// the version on --version.
Options parseOptions(int argc, char** argv);

[[noreturn]] void fail(const std::string& message);

bool parseDouble(const std::string& text, double& out);
bool parseInt(const std::string& text, long& out);

}  // namespace render
