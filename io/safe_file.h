// The one way files are written: a file is replaced whole or not at all.
//
// A regular file, or one that does not exist yet, is written into a uniquely named temporary file
// in the target's own folder ("NAME.partial-XXXXXX"), flushed to the disk and renamed over the
// target only when complete. A symbolic link is followed and kept (the file it leads to is
// replaced); the replaced file keeps its permissions; a file without write permission is refused,
// as is a link that leads nowhere and a folder. A FIFO or a device is written into directly,
// never replaced. A failure, or SIGINT, SIGTERM or SIGHUP, or an exit before the commit, leaves
// the target as it was and no temporary file behind.
//
// Errors follow one convention across io: false, and a one-line reason "cannot write PATH: why".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvalis::io {

std::string writeFailure(const std::string& path, int systemError);

class SafeFile {
 public:
  SafeFile() = default;
  ~SafeFile();
  SafeFile(const SafeFile&) = delete;
  SafeFile& operator=(const SafeFile&) = delete;

  // Checks the target and opens where its bytes go.
  bool open(const std::string& target, std::string& error);
  int descriptor() const { return fd; }
  // Whole or an error (a short write of a full disk included).
  bool write(const void* data, std::size_t size, std::string& error);
  // Everything that may fail short of the rename: permissions, the flush to disk, the close.
  // Outputs that must all be written or none finish each, then commit each.
  bool finish(std::string& error);
  // Puts the finished file in place (after finish(), which it calls if still needed).
  bool commit(std::string& error);
  // Removes the temporary file, if there is one; the target is left as it was.
  void discard();

 private:
  bool openDirect(const std::string& path, std::string& error);
  bool openTemporary(const std::string& path, bool exists, unsigned keptMode, std::string& error);

  std::string target;     // as given, for messages
  std::string finalPath;  // the path renamed to, links resolved
  std::string temporary;
  int fd = -1;
  int slot = -1;  // of the temporary in the signal-time cleanup
  bool finished = false;
  bool keepMode = false;
  unsigned mode = 0;  // of a replaced file
};

// A whole file through SafeFile.
bool writeFile(const std::string& path, const void* data, std::size_t size, std::string& error);
inline bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes,
                      std::string& error) {
  return writeFile(path, bytes.data(), bytes.size(), error);
}
inline bool writeFile(const std::string& path, const std::string& text, std::string& error) {
  return writeFile(path, text.data(), text.size(), error);
}

// True when both paths name one file, whatever links lead there; for files not there yet, when
// writing either would create the same one.
bool sameFile(const std::string& a, const std::string& b);

}  // namespace orvalis::io
