#include "render/output_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace render {

namespace {

// The temporary file as the signal handler and exit see it: a fixed buffer, since a handler may
// not allocate.
char pendingPath[PATH_MAX];
volatile sig_atomic_t havePending = 0;
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

void removePending() {
  if (havePending) unlink(pendingPath);
  havePending = 0;
}

void onSignal(int signal) {
  removePending();
  raise(signal);  // the handler was reset on entry: ends the process as the signal would have
}

void installCleanup() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::atexit(removePending);  // error paths leave through exit()
  struct sigaction action {};
  action.sa_handler = onSignal;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int s : kCleanupSignals) sigaction(s, &action, nullptr);
}

// Keeps the cleanup signals out while the temporary file and its record change together.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : kCleanupSignals) sigaddset(&set, s);
    sigprocmask(SIG_BLOCK, &set, &previous);
  }
  ~SignalsHeld() { sigprocmask(SIG_SETMASK, &previous, nullptr); }

 private:
  sigset_t previous;
};

}  // namespace

OutputFile::~OutputFile() { discard(); }

std::string OutputFile::failure(const std::string& path, int error) const {
  return "cannot write " + path + ": " + std::strerror(error);
}

bool OutputFile::open(const std::string& targetPath, const std::string& input, std::string& error) {
  target = targetPath;
  struct stat in {};
  const bool haveInput = !input.empty() && stat(input.c_str(), &in) == 0;
  auto isInput = [&](const struct stat& s) {
    return haveInput && s.st_dev == in.st_dev && s.st_ino == in.st_ino;
  };
  const std::string refusal = "refusing to overwrite the input file " + input + " with " + target;

  if (target == "-") {
    struct stat out {};
    if (isatty(STDOUT_FILENO)) {
      error = "standard output is a terminal: redirect it, or name a WAV file";
      return false;
    }
    if (fstat(STDOUT_FILENO, &out) == 0 && isInput(out)) {
      error = refusal;
      return false;
    }
    fd = STDOUT_FILENO;
    owned = false;
    return true;
  }

  struct stat link {};
  if (lstat(target.c_str(), &link) != 0) {
    if (errno != ENOENT) {
      error = failure(target, errno);
      return false;
    }
    return openTemporary(target, false, error);
  }
  std::string path = target;
  struct stat s = link;
  if (S_ISLNK(link.st_mode)) {
    char* resolved = realpath(target.c_str(), nullptr);
    if (!resolved) {
      error = errno == ENOENT ? "cannot write " + target + ": a symbolic link to nothing"
                              : failure(target, errno);
      return false;
    }
    path = resolved;
    std::free(resolved);
    if (stat(path.c_str(), &s) != 0) {
      error = failure(target, errno);
      return false;
    }
  }
  if (isInput(s)) {
    error = refusal;
    return false;
  }
  if (S_ISDIR(s.st_mode)) {
    error = failure(target, EISDIR);
    return false;
  }
  if (S_ISREG(s.st_mode)) {
    // A file we may not write is not replaced behind its owner's back.
    if (access(path.c_str(), W_OK) != 0) {
      error = failure(target, errno);
      return false;
    }
    mode = s.st_mode & 07777;
    return openTemporary(path, true, error);
  }
  return openDirect(path, error);
}

bool OutputFile::openDirect(const std::string& path, std::string& error) {
  fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    error = failure(target, errno);
    return false;
  }
  owned = true;
  return true;
}

bool OutputFile::openTemporary(const std::string& path, bool exists, std::string& error) {
  if (!exists) {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  std::string pattern = path + ".partial-XXXXXX";
  if (pattern.size() >= sizeof pendingPath) {
    error = failure(target, ENAMETOOLONG);
    return false;
  }
  installCleanup();
  SignalsHeld held;
  fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) {
    error = failure(target, errno);
    return false;
  }
  owned = true;
  temporary = pattern;
  finalPath = path;
  std::memcpy(pendingPath, pattern.c_str(), pattern.size() + 1);
  havePending = 1;
  return true;
}

bool OutputFile::commit(std::string& error) {
  if (temporary.empty()) {
    const int status = owned ? close(fd) : 0;
    owned = false;
    fd = -1;
    if (status != 0) {
      error = failure(target, errno);
      return false;
    }
    return true;
  }
  int status = fchmod(fd, mode) == 0 && fsync(fd) == 0 ? 0 : errno;
  if (close(fd) != 0 && status == 0) status = errno;
  fd = -1;
  owned = false;
  if (status == 0) {
    SignalsHeld held;
    if (rename(temporary.c_str(), finalPath.c_str()) == 0) {
      havePending = 0;
      temporary.clear();
      return true;
    }
    status = errno;
  }
  error = failure(target, status);
  discard();
  return false;
}

void OutputFile::discard() {
  if (owned) close(fd);
  owned = false;
  fd = -1;
  if (temporary.empty()) return;
  SignalsHeld held;
  unlink(temporary.c_str());
  havePending = 0;
  temporary.clear();
}

}  // namespace render
