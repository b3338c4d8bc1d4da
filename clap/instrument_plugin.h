// The CLAP face of the instrument: one clap_plugin over the format-neutral core. Notes, MIDI and
// parameter values enter the core at their frame offsets (the core splits the block for a
// value), changes outside processing come through params.flush, and the state is the core's
// blob of the whole bank. The thread of each call is the one the format documents; the core's
// host-side calls may come from any of them.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "clap/clap_extensions.h"
#include "core/instrument.h"
#include "core/step_queue.h"

namespace orvalis::clap {

class EditorGui;

// A change the editor made, on its way to the host as an output event.
struct EditorEvent {
  uint16_t type;  // kEventParamGestureBegin, kEventParamValue or kEventParamGestureEnd
  clap_id param;
  double plain;
};

class InstrumentPlugin {
 public:
  // Null when memory runs out.
  static const Plugin* create(const Host* host);
  static InstrumentPlugin* of(const Plugin* plugin);

  InstrumentPlugin(const InstrumentPlugin&) = delete;
  InstrumentPlugin& operator=(const InstrumentPlugin&) = delete;
  ~InstrumentPlugin();

  core::Instrument& instrument() { return core; }
  const Host* host() const { return clapHost; }
  // The host's extensions, asked for in init(); null where the host has none.
  const HostParams* hostParams() const { return params; }
  const HostLog* hostLog() const { return log; }
  const HostTimerSupport* hostTimers() const { return timers; }
  const HostPosixFdSupport* hostFds() const { return fds; }

  // The editor, while the host has one made (main thread).
  EditorGui* editor() { return gui.get(); }
  bool createEditor();
  void destroyEditor();

  // From the editor (main thread): a gesture's events for the host, sent from the next process
  // or flush.
  void queueEditorEvent(const EditorEvent& event);
  // After a paste replaced the program, or a state was loaded.
  void valuesChangedOutsideTheHost();

  // The extensions.
  void flush(const InputEvents* in, const OutputEvents* out);
  bool saveState(const OutputStream* stream);
  bool loadState(const InputStream* stream);

 private:
  explicit InstrumentPlugin(const Host* host);

  static bool init(const Plugin* plugin);
  static void destroy(const Plugin* plugin);
  static bool activate(const Plugin* plugin, double rate, uint32_t minFrames, uint32_t maxFrames);
  static void deactivate(const Plugin* plugin);
  static bool startProcessing(const Plugin* plugin);
  static void stopProcessing(const Plugin* plugin);
  static void reset(const Plugin* plugin);
  static int32_t process(const Plugin* plugin, const Process* process);
  static const void* extension(const Plugin* plugin, const char* id);
  static void onMainThread(const Plugin* plugin);

  void takeEvent(const EventHeader& event, int32_t offset, bool processing);
  void sendEditorEvents(const OutputEvents* out);
  void logLine(int32_t severity, const char* text) const;

  Plugin clapPlugin;
  const Host* clapHost;
  const HostParams* params = nullptr;
  const HostState* state = nullptr;
  const HostLog* log = nullptr;
  const HostTimerSupport* timers = nullptr;
  const HostPosixFdSupport* fds = nullptr;
  std::atomic<bool> processing{false};
  core::Instrument core;
  core::StepQueue<EditorEvent, 512> editorEvents;
  std::unique_ptr<EditorGui> gui;
};

}  // namespace orvalis::clap
