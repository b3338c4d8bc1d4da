#include "standalone/state_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "io/safe_file.h"

namespace orvalis::standalone {

namespace {

// Far above any blob the core writes (some tens of kilobytes): a larger file is not ours.
constexpr off_t kMaxStateBytes = 4 << 20;

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool makeFolders(const std::string& folder, std::string& error) {
  for (std::size_t at = 1; at <= folder.size(); ++at) {
    if (at != folder.size() && folder[at] != '/') continue;
    const std::string part = folder.substr(0, at);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      error = "cannot make the folder " + part + ": " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

enum class Read { kOk, kMissing, kFailed };

Read readWhole(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return Read::kMissing;
    error = std::strerror(errno);
    return Read::kFailed;
  }
  struct stat info {};
  Read result = Read::kOk;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = "not a regular file";
    result = Read::kFailed;
  } else if (info.st_size > kMaxStateBytes) {
    error = "too large to be a saved state (" + std::to_string(info.st_size) + " bytes)";
    result = Read::kFailed;
  } else {
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    while (got < bytes.size()) {
      const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    if (got != bytes.size()) {
      error = "cannot read it whole";
      result = Read::kFailed;
    }
  }
  close(fd);
  return result;
}

}  // namespace

std::string defaultStatePath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string folder;
  if (config && config[0] == '/') {
    folder = config;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) return std::string();
    folder = std::string(home) + "/.config";
  }
  return folder + "/orvalis/standalone.state";
}

StateRestore restoreState(core::Instrument& core, const std::string& path) {
  StateRestore outcome;
  std::vector<uint8_t> bytes;
  std::string why;
  const Read read = readWhole(path, bytes, why);
  if (read == Read::kMissing) return outcome;
  if (read == Read::kOk && core.loadState(bytes.data(), bytes.size(), &why)) {
    outcome.result = StateRestore::kRestored;
    return outcome;
  }
  outcome.result = StateRestore::kRefused;
  const std::string aside = path + ".bad";
  if (std::rename(path.c_str(), aside.c_str()) == 0) {
    outcome.message = "the saved state " + path + " is not usable (" + why + "): kept as " + aside +
                      "; starting from the factory bank";
  } else {
    outcome.mayOverwrite = false;
    outcome.message = "the saved state " + path + " is not usable (" + why +
                      ") and cannot be moved aside (" + std::strerror(errno) +
                      "): starting from the factory bank and leaving the file as it is";
  }
  return outcome;
}

bool saveState(const core::Instrument& core, const std::string& path, std::string& error) {
  return makeFolders(folderOf(path), error) && io::writeFile(path, core.saveState(), error);
}

}  // namespace orvalis::standalone
