// Where the rendered WAV goes, opened before rendering so that a bad path fails at once: an
// io::SafeFile (a regular file replaced whole through a temporary file beside it, links kept,
// FIFOs and devices written in place, nothing left behind on failure or interruption), or "-" for
// standard output. The input file is never overwritten.
#pragma once

#include <string>

#include "io/safe_file.h"

namespace orvalis::render {

class OutputFile {
 public:
  // Errors are one-line reasons with the system's explanation.
  bool open(const std::string& target, const std::string& input, std::string& error);
  int descriptor() const { return standardOutput ? 1 : file.descriptor(); }
  bool isStandardOutput() const { return standardOutput; }
  // Everything short of putting the file in place; then commit() does that.
  bool finish(std::string& error);
  bool commit(std::string& error);
  void discard() { file.discard(); }

 private:
  orvalis::io::SafeFile file;
  bool standardOutput = false;
};

}  // namespace orvalis::render
