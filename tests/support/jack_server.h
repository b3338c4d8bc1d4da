// A private JACK server for a test: jackd's dummy driver (no audio hardware) under a server
// name of the test's own, so a user's server is never touched. The name is exported as
// JACK_DEFAULT_SERVER for the life of the object: clients of the test and its child processes
// reach this server and no other.
#pragma once

#include <string>

#include "tests/support/scoped_env.h"

namespace orvalis::tests {

class DummyJackServer {
 public:
  // A name of the test process's own unless one is given. A server that is killed keeps its
  // place in JACK's registry of servers (a few places for the whole machine) until a server of
  // the same name starts again: tests that kill one take its name from killableName().
  explicit DummyJackServer(int rate = 48000, int period = 256, std::string name = std::string());
  ~DummyJackServer() { stop(); }
  DummyJackServer(const DummyJackServer&) = delete;
  DummyJackServer& operator=(const DummyJackServer&) = delete;

  // Whether jackd is installed at all: tests skip without it.
  static bool installed();
  // One of a few names kept for servers a test kills, so that they reuse their places.
  static std::string killableName(int which) {
    return "orvalis-test-killed-" + std::to_string(which);
  }
  static constexpr int kKillableNames = 4;
  // Starts jackd and waits until a client can open; false with the server's log otherwise.
  bool start(std::string& error);
  // SIGTERM and wait; kill() is SIGKILL, as a crash would end it.
  void stop();
  void kill();

  const std::string& name() const { return serverName; }
  int rate() const { return sampleRate; }
  int period() const { return periodFrames; }

 private:
  int sampleRate, periodFrames;
  std::string serverName, logPath;
  int pid = -1;
  ScopedEnv server, noReservation;
};

}  // namespace orvalis::tests
