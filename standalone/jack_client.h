// The standalone program's JACK client: a MIDI input and two audio outputs over the core. The
// process callback hands the block's MIDI to the core at its frame offsets and renders; it
// allocates nothing, takes no lock and makes no system call. JACK's other threads only store
// what changed (rate, block size, the server going away) for the core or the main loop.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <string>
#include <vector>

#include "core/instrument.h"

namespace orvalis::standalone {

class JackClient {
 public:
  explicit JackClient(core::Instrument& core) : core(core) {}
  ~JackClient() { close(); }
  JackClient(const JackClient&) = delete;
  JackClient& operator=(const JackClient&) = delete;

  // Opens the client without starting a server. False with a one-line reason; noServer()
  // tells whether the reason is that none runs.
  bool open(const std::string& name, std::string& error);
  bool noServer() const { return serverMissing; }
  // The name JACK gave the client (it makes a taken name unique).
  std::string name() const;

  // Starts the callbacks. With connect, the outputs go to the first two physical playback ports
  // and the MIDI input to every physical MIDI source; a connection that fails is one warning
  // line each, not a failure.
  bool activate(bool connect, std::vector<std::string>& warnings, std::string& error);

  // The program a MIDI program change last asked for since the previous call, or -1. The
  // process callback only stores the number: selecting is a host-side call, made by whoever
  // takes it (the main loop).
  int takeProgramChange() { return requestedProgram.exchange(-1, std::memory_order_relaxed); }

  // Set once the server has shut the client down (it died or was stopped).
  bool serverGone() const { return gone.load(std::memory_order_acquire); }
  // JACK's reason for the shutdown, when it gave one; read after serverGone().
  std::string shutdownReason() const;

  void close();

 private:
  static int process(jack_nframes_t frames, void* self);
  static int sampleRateChanged(jack_nframes_t rate, void* self);
  static int bufferSizeChanged(jack_nframes_t frames, void* self);
  static void shutDown(jack_status_t code, const char* reason, void* self);

  core::Instrument& core;
  jack_client_t* client = nullptr;
  jack_port_t* midiIn = nullptr;
  jack_port_t* outLeft = nullptr;
  jack_port_t* outRight = nullptr;
  bool serverMissing = false;
  std::atomic<bool> gone{false};
  std::atomic<int> requestedProgram{-1};
  static_assert(std::atomic<int>::is_always_lock_free);
  // Written by the shutdown callback before gone is set.
  char reason[256] = {};
};

}  // namespace orvalis::standalone
