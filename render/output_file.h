// Where the rendered WAV goes, opened before rendering so that a bad path fails at once.
//
// A regular file or an absent one is written through a temporary file in the same folder and
// renamed into place only when complete: a failed or interrupted render leaves the old file as
// it was and nothing else behind (SIGINT, SIGTERM and SIGHUP remove the temporary file). A FIFO
// or a device is written directly, never replaced; a symbolic link is followed and kept. "-" is
// standard output. The input file is never overwritten.
#pragma once

#include <string>

namespace render {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Errors are one-line reasons with the system's explanation.
  bool open(const std::string& target, const std::string& input, std::string& error);
  int descriptor() const { return fd; }
  bool isStandardOutput() const { return target == "-"; }
  // Puts the written file in place.
  bool commit(std::string& error);
  // Removes the temporary file, if there is one.
  void discard();

 private:
  bool openDirect(const std::string& path, std::string& error);
  bool openTemporary(const std::string& path, bool exists, std::string& error);
  std::string failure(const std::string& path, int error) const;

  std::string target;
  std::string finalPath;  // the renamed-to path, with links resolved
  std::string temporary;
  int fd = -1;
  bool owned = false;  // standard output is not ours to close
  unsigned mode = 0;   // of the finished file
};

}  // namespace render
