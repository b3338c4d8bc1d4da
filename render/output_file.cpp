#include "render/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

namespace orvalis::render {

bool OutputFile::open(const std::string& target, const std::string& input, std::string& error) {
  struct stat in {};
  const bool haveInput = !input.empty() && stat(input.c_str(), &in) == 0;
  auto isInput = [&](const struct stat& s) {
    return haveInput && s.st_dev == in.st_dev && s.st_ino == in.st_ino;
  };
  const std::string refusal = "refusing to overwrite the input file " + input + " with " + target;

  standardOutput = target == "-";
  if (standardOutput) {
    struct stat out {};
    if (isatty(STDOUT_FILENO)) {
      error = "standard output is a terminal: redirect it, or name a WAV file";
      return false;
    }
    if (fstat(STDOUT_FILENO, &out) == 0 && isInput(out)) {
      error = refusal;
      return false;
    }
    return true;
  }
  if (haveInput && orvalis::io::sameFile(target, input)) {
    error = refusal;
    return false;
  }
  return file.open(target, error);
}

bool OutputFile::finish(std::string& error) { return standardOutput || file.finish(error); }

bool OutputFile::commit(std::string& error) { return standardOutput || file.commit(error); }

}  // namespace orvalis::render
