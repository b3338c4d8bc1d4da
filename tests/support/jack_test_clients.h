// The test's own JACK clients around a synth client: one sends MIDI at known frames, one
// records two audio inputs. They are two clients, not one, so that the graph runs them in
// order (sender, synth, recorder) within one cycle rather than as a feedback loop.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace orvalis::tests {

struct TimedMidi {
  int64_t frame;  // from the first cycle after start()
  uint8_t bytes[3];
  int size;
};

class MidiSender {
 public:
  explicit MidiSender(std::vector<TimedMidi> events) : events(std::move(events)) {}
  ~MidiSender();
  bool open(const std::string& name);
  std::string port() const;  // the full name of its output
  // From the next cycle on, the events go out at their frames.
  void start() { armed.store(true); }
  bool started() const { return startFrame.load() >= 0; }
  // The frame time of the first cycle the events were counted from.
  int64_t firstFrame() const { return startFrame.load(); }

 private:
  static int process(jack_nframes_t frames, void* self);
  std::vector<TimedMidi> events;
  jack_client_t* client = nullptr;
  jack_port_t* out = nullptr;
  std::atomic<bool> armed{false};
  std::atomic<int64_t> startFrame{-1};
};

class Recorder {
 public:
  explicit Recorder(std::size_t capacity) : left(capacity), right(capacity) {}
  ~Recorder();
  bool open(const std::string& name);
  std::string port(int channel) const;  // 0 left, 1 right
  // Samples land at their frame time less the first recorded cycle's, so a missed cycle shows
  // as a gap rather than a shift.
  int64_t firstFrame() const { return startFrame.load(); }
  // The frame time up to which samples are in.
  int64_t recordedUntil() const { return endFrame.load(); }
  const std::vector<float>& samples(int channel) const { return channel ? right : left; }
  // Cycles the graph ran late or skipped while recording: a loaded machine's, not the synth's.
  int disturbances() const { return xruns.load() + gaps.load(); }

 private:
  static int process(jack_nframes_t frames, void* self);
  static int xrun(void* self);
  std::vector<float> left, right;
  jack_client_t* client = nullptr;
  jack_port_t* in[2] = {};
  std::atomic<int64_t> startFrame{-1}, endFrame{-1};
  std::atomic<int> xruns{0}, gaps{0};
  int64_t nextCycle = -1;  // the process callback's own
};

// The ports of a client on the server (full names), or an empty list.
std::vector<std::string> portsOf(const std::string& client);
// Whom a port is connected to.
std::vector<std::string> connectionsOf(const std::string& port);
bool connectPorts(const std::string& from, const std::string& to);

}  // namespace orvalis::tests
