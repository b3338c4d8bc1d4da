// Sets an environment variable (or unsets it, given null) for the life of the object and puts
// back what was there before. POSIX only: the settings it stands in for are X11's.
#pragma once

#include <cstdlib>
#include <string>

namespace orvalis::tests {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name(name) {
    const char* old = std::getenv(name);
    had = old != nullptr;
    if (had) previous = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (had)
      setenv(name.c_str(), previous.c_str(), 1);
    else
      unsetenv(name.c_str());
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name, previous;
  bool had = false;
};

}  // namespace orvalis::tests
