// orvalis-render's command line: options, their checks and the help text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/wav_writer.h"

namespace orvalis::render {

struct ParamSetting {
  std::string target;  // index or name
  std::string value;   // a number, or the name of a choice ("FM2"), read once the plug-in is loaded
  double seconds;      // -1: before rendering
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
  bool listPrograms = false;
  bool quiet = false;
  bool noBank = false;  // keep the instance's own bank, not the factory bank
  bool gm = false;      // one instance per channel, played as General MIDI asks
  int drumProgram = -1;
  uint16_t channels = 0xFFFF;  // bit c: MIDI channel c + 1 is played
  double gainDb = 0;
};

// Prints a one-line reason and exits on a bad command line; prints the help and exits on -h,
// the version on --version.
Options parseOptions(int argc, char** argv);

[[noreturn]] void fail(const std::string& message);

bool parseDouble(const std::string& text, double& out);
bool parseInt(const std::string& text, long& out);
// "1,3,5-8": channels 1 to 16 as bits 0 to 15; false for anything else.
bool parseChannels(const std::string& text, uint16_t& out);

}  // namespace orvalis::render
