#include "io/safe_file.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace orvalis::io {

namespace {

// The temporary files a signal or an exit must remove. A signal handler may not allocate or
// lock, so they sit in fixed buffers, process-wide by nature: signals are the process's. A slot's
// flag is raised only after its path is complete.
constexpr int kSlots = 8;
char pendingPaths[kSlots][PATH_MAX];
volatile sig_atomic_t pendingUsed[kSlots];
std::mutex slotLock;  // between threads claiming slots; never taken in a handler
constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

void removePending() {
  for (int i = 0; i < kSlots; ++i)
    if (pendingUsed[i]) {
      unlink(pendingPaths[i]);
      pendingUsed[i] = 0;
    }
}

void onSignal(int signal) {
  removePending();
  raise(signal);  // the handler was reset on entry: ends the process as the signal would have
}

void installCleanup() {
  static std::once_flag installed;
  std::call_once(installed, [] {
    std::atexit(removePending);  // error paths may leave through exit()
    struct sigaction action {};
    action.sa_handler = onSignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int s : kCleanupSignals) {
      struct sigaction previous {};
      // A signal the program was started to ignore stays ignored.
      if (sigaction(s, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
      sigaction(s, &action, nullptr);
    }
  });
}

// Keeps the cleanup signals out while a temporary file and its record change together.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : kCleanupSignals) sigaddset(&set, s);
    pthread_sigmask(SIG_BLOCK, &set, &previous);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous;
};

int claimSlot(const std::string& path) {
  std::lock_guard<std::mutex> hold(slotLock);
  for (int i = 0; i < kSlots; ++i)
    if (!pendingUsed[i]) {
      std::memcpy(pendingPaths[i], path.c_str(), path.size() + 1);
      std::atomic_signal_fence(std::memory_order_release);
      pendingUsed[i] = 1;
      return i;
    }
  return -1;
}

void releaseSlot(int slot) {
  if (slot < 0) return;
  std::lock_guard<std::mutex> hold(slotLock);
  pendingUsed[slot] = 0;
}

// Six letters that make a temporary name unlikely to be taken; a taken one is drawn again.
std::string uniqueSuffix() {
  static std::atomic<uint64_t> counter{0};
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  uint64_t x = (static_cast<uint64_t>(getpid()) << 32) ^ static_cast<uint64_t>(now.tv_nsec) ^
               (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
  x ^= x >> 29;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 32;
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string suffix;
  for (int i = 0; i < 6; ++i, x /= 62) suffix += kLetters[x % 62];
  return suffix;
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string writeFailure(const std::string& path, int systemError) {
  return "cannot write " + path + ": " + std::strerror(systemError);
}

SafeFile::~SafeFile() { discard(); }

bool SafeFile::open(const std::string& targetPath, std::string& error) {
  discard();
  target = targetPath;
  struct stat link {};
  if (lstat(target.c_str(), &link) != 0) {
    if (errno != ENOENT) {
      error = writeFailure(target, errno);
      return false;
    }
    return openTemporary(target, false, 0, error);
  }
  std::string path = target;
  struct stat s = link;
  if (S_ISLNK(link.st_mode)) {
    char* resolved = realpath(target.c_str(), nullptr);
    if (!resolved) {
      error = errno == ENOENT ? "cannot write " + target + ": a symbolic link to nothing"
                              : writeFailure(target, errno);
      return false;
    }
    path = resolved;
    std::free(resolved);
    if (stat(path.c_str(), &s) != 0) {
      error = writeFailure(target, errno);
      return false;
    }
  }
  if (S_ISDIR(s.st_mode)) {
    error = writeFailure(target, EISDIR);
    return false;
  }
  if (S_ISREG(s.st_mode)) {
    // A file its owner made read-only is not replaced behind their back, even by root.
    if (access(path.c_str(), W_OK) != 0 || (s.st_mode & 0222) == 0) {
      error = writeFailure(target, access(path.c_str(), W_OK) != 0 ? errno : EACCES);
      return false;
    }
    return openTemporary(path, true, s.st_mode & 07777, error);
  }
  return openDirect(path, error);
}

bool SafeFile::openDirect(const std::string& path, std::string& error) {
  fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    error = writeFailure(target, errno);
    return false;
  }
  finalPath = path;
  return true;
}

bool SafeFile::openTemporary(const std::string& path, bool exists, unsigned keptMode,
                             std::string& error) {
  keepMode = exists;
  mode = keptMode;
  installCleanup();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = path + ".partial-" + uniqueSuffix();
    if (name.size() >= PATH_MAX) {
      error = writeFailure(target, ENAMETOOLONG);
      return false;
    }
    SignalsHeld held;
    // A new file takes the permissions the user's umask gives any new file.
    const int opened =
        ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (opened < 0) {
      if (errno == EEXIST) continue;
      error = writeFailure(target, errno);
      return false;
    }
    slot = claimSlot(name);
    if (slot < 0) {
      unlink(name.c_str());
      ::close(opened);
      error = writeFailure(target, EMFILE);
      return false;
    }
    fd = opened;
    temporary = name;
    finalPath = path;
    return true;
  }
  error = writeFailure(target, EEXIST);
  return false;
}

bool SafeFile::write(const void* data, std::size_t size, std::string& error) {
  if (fd < 0 || finished) {
    error = writeFailure(target, EBADF);
    return false;
  }
  const auto* p = static_cast<const uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = writeFailure(target, n < 0 ? errno : ENOSPC);
      return false;
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool SafeFile::finish(std::string& error) {
  if (finished) return true;
  if (fd < 0) {
    error = writeFailure(target, EBADF);
    return false;
  }
  int status = 0;
  if (!temporary.empty()) {
    if (keepMode && fchmod(fd, mode) != 0) status = errno;
    if (status == 0 && fsync(fd) != 0) status = errno;
  }
  if (::close(fd) != 0 && status == 0) status = errno;
  fd = -1;
  if (status != 0) {
    error = writeFailure(target, status);
    discard();
    return false;
  }
  finished = true;
  return true;
}

bool SafeFile::commit(std::string& error) {
  if (!finish(error)) return false;
  if (temporary.empty()) return true;
  {
    SignalsHeld held;
    if (rename(temporary.c_str(), finalPath.c_str()) != 0) {
      const int status = errno;
      error = writeFailure(target, status);
      discard();
      return false;
    }
    releaseSlot(slot);
    slot = -1;
    temporary.clear();
  }
  // The rename itself reaches the disk with the folder.
  const int folder = ::open(folderOf(finalPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    ::close(folder);
  }
  return true;
}

void SafeFile::discard() {
  if (fd >= 0) ::close(fd);
  fd = -1;
  finished = false;
  if (temporary.empty()) return;
  SignalsHeld held;
  unlink(temporary.c_str());
  releaseSlot(slot);
  slot = -1;
  temporary.clear();
}

bool writeFile(const std::string& path, const void* data, std::size_t size, std::string& error) {
  SafeFile file;
  return file.open(path, error) && file.write(data, size, error) && file.commit(error);
}

namespace {

// Where writing to path would put the file: links followed, and for a file not there yet its
// folder resolved. Empty when even that cannot be told.
std::string destinationOf(const std::string& path) {
  if (char* resolved = realpath(path.c_str(), nullptr)) {
    std::string full = resolved;
    std::free(resolved);
    return full;
  }
  struct stat link {};
  if (lstat(path.c_str(), &link) == 0) return {};  // a link to nothing: no destination
  const std::size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  char* folder = realpath(folderOf(path).c_str(), nullptr);
  if (!folder) return {};
  std::string full = std::string(folder) + "/" + name;
  std::free(folder);
  return full;
}

}  // namespace

bool sameFile(const std::string& a, const std::string& b) {
  struct stat x {
  }, y{};
  if (stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0)
    return x.st_dev == y.st_dev && x.st_ino == y.st_ino;
  const std::string da = destinationOf(a);
  return !da.empty() && da == destinationOf(b);
}

}  // namespace orvalis::io
