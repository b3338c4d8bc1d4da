// A CLAP host for tests: loads the built Orvalis.clap through clap_entry, makes instances through
// its factory and drives them as a host does. It offers the host extensions the plug-in may ask
// for (params, state, log, timer-support, posix-fd-support) and records what was asked and
// called; events for the next process() and the output events are kept as raw bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "clap/clap_extensions.h"

namespace orvalis::tests {

namespace clap = orvalis::clap;

// The built file, loaded once for the whole test program.
struct ClapLibrary {
  static ClapLibrary& get();
  const clap::PluginEntry* entry = nullptr;
  const clap::PluginFactory* factory = nullptr;  // after entry->init
  std::string error;
};

class ClapHost {
 public:
  // Makes an instance through the factory, then (unless told not to) calls init.
  explicit ClapHost(bool callInit = true);
  ~ClapHost();
  ClapHost(const ClapHost&) = delete;
  ClapHost& operator=(const ClapHost&) = delete;

  const clap::Plugin* plugin = nullptr;
  template <class T>
  const T* extension(const char* id) const {
    return static_cast<const T*>(plugin->get_extension(plugin, id));
  }

  bool activate(double rate = 44100.0, uint32_t maxFrames = 4096);
  void deactivate();

  // Events for the next process() or flush(), in time order.
  void noteOn(uint32_t time, int key, double velocity, int channel = 0);
  void noteOff(uint32_t time, int key, int channel = 0);
  void choke(uint32_t time, int key, int channel = 0);
  void midi(uint32_t time, uint8_t status, uint8_t data1, uint8_t data2);
  void param(uint32_t time, clap::clap_id id, double value);
  void event(const void* bytes, std::size_t size);

  // One block of frames appended to left and right; the status process() answered.
  int32_t process(std::vector<float>& left, std::vector<float>& right, uint32_t frames);
  void flush();
  // Output events of the last process() or flush(), as their headers' types and bytes.
  std::vector<std::vector<uint8_t>> output;

  // State through streams that move at most chunk bytes per call.
  bool saveState(std::vector<uint8_t>& data, std::size_t chunk = SIZE_MAX);
  bool loadState(const std::vector<uint8_t>& data, std::size_t chunk = SIZE_MAX,
                 bool failAtEnd = false);

  double value(clap::clap_id id) const;
  std::string text(clap::clap_id id, double value) const;

  // The host side, as the plug-in used it.
  std::vector<std::string> askedExtensions;
  std::vector<std::string> logLines;
  int rescans = 0, flushRequests = 0, dirtyMarks = 0;
  struct Timer {
    clap::clap_id id;
    uint32_t periodMs;
  };
  std::vector<Timer> timers;
  std::vector<int> fds;

 private:
  static const void* hostExtension(const clap::Host* host, const char* id);
  static ClapHost& self(const clap::Host* host);

  clap::Host host{};
  std::vector<uint64_t> events;     // the queued events, back to back, each 8-byte aligned
  std::vector<std::size_t> starts;  // in words
  bool active = false, processing = false;
  int64_t steadyTime = 0;
  clap::clap_id nextTimer = 1;
};

}  // namespace orvalis::tests
