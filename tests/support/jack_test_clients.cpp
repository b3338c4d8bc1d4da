#include "tests/support/jack_test_clients.h"

#include <jack/midiport.h>

#include <algorithm>
#include <cstring>

namespace orvalis::tests {

namespace {

// A short-lived client for the queries, closed when done.
class Query {
 public:
  Query() : client(jack_client_open("query", JackNoStartServer, nullptr)) {}
  ~Query() {
    if (client) jack_client_close(client);
  }
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;
  jack_client_t* client;
};

std::vector<std::string> listOf(const char** names) {
  std::vector<std::string> out;
  for (std::size_t i = 0; names && names[i]; ++i) out.push_back(names[i]);
  jack_free(names);
  return out;
}

}  // namespace

MidiSender::~MidiSender() {
  if (client) jack_client_close(client);
}

bool MidiSender::open(const std::string& name) {
  client = jack_client_open(name.c_str(), JackNoStartServer, nullptr);
  if (!client) return false;
  out = jack_port_register(client, "midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  std::stable_sort(events.begin(), events.end(),
                   [](const TimedMidi& a, const TimedMidi& b) { return a.frame < b.frame; });
  return out && jack_set_process_callback(client, process, this) == 0 && jack_activate(client) == 0;
}

std::string MidiSender::port() const { return jack_port_name(out); }

int MidiSender::process(jack_nframes_t frames, void* arg) {
  auto& self = *static_cast<MidiSender*>(arg);
  void* buffer = jack_port_get_buffer(self.out, frames);
  jack_midi_clear_buffer(buffer);
  if (!self.armed.load()) return 0;
  const int64_t now = jack_last_frame_time(self.client);
  if (self.startFrame.load() < 0) self.startFrame.store(now);
  const int64_t from = now - self.startFrame.load(), to = from + frames;
  for (const TimedMidi& e : self.events)
    if (e.frame >= from && e.frame < to)
      jack_midi_event_write(buffer, static_cast<jack_nframes_t>(e.frame - from), e.bytes,
                            static_cast<std::size_t>(e.size));
  return 0;
}

Recorder::~Recorder() {
  if (client) jack_client_close(client);
}

bool Recorder::open(const std::string& name) {
  client = jack_client_open(name.c_str(), JackNoStartServer, nullptr);
  if (!client) return false;
  in[0] = jack_port_register(client, "in_left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  in[1] = jack_port_register(client, "in_right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  return in[0] && in[1] && jack_set_process_callback(client, process, this) == 0 &&
         jack_set_xrun_callback(client, xrun, this) == 0 && jack_activate(client) == 0;
}

std::string Recorder::port(int channel) const { return jack_port_name(in[channel ? 1 : 0]); }

int Recorder::process(jack_nframes_t frames, void* arg) {
  auto& self = *static_cast<Recorder*>(arg);
  const int64_t now = jack_last_frame_time(self.client);
  if (self.startFrame.load() < 0) self.startFrame.store(now);
  const int64_t at = now - self.startFrame.load();
  if (self.nextCycle >= 0 && now != self.nextCycle) self.gaps.fetch_add(1);
  self.nextCycle = now + frames;
  const auto* l = static_cast<const float*>(jack_port_get_buffer(self.in[0], frames));
  const auto* r = static_cast<const float*>(jack_port_get_buffer(self.in[1], frames));
  if (at >= 0 && static_cast<std::size_t>(at) + frames <= self.left.size()) {
    std::memcpy(&self.left[static_cast<std::size_t>(at)], l, frames * sizeof(float));
    std::memcpy(&self.right[static_cast<std::size_t>(at)], r, frames * sizeof(float));
    self.endFrame.store(now + frames);
  }
  return 0;
}

int Recorder::xrun(void* arg) {
  static_cast<Recorder*>(arg)->xruns.fetch_add(1);
  return 0;
}

std::vector<std::string> portsOf(const std::string& client) {
  Query q;
  if (!q.client) return {};
  return listOf(jack_get_ports(q.client, ("^" + client + ":").c_str(), nullptr, 0));
}

std::vector<std::string> connectionsOf(const std::string& port) {
  Query q;
  if (!q.client) return {};
  jack_port_t* p = jack_port_by_name(q.client, port.c_str());
  return p ? listOf(jack_port_get_all_connections(q.client, p)) : std::vector<std::string>();
}

bool connectPorts(const std::string& from, const std::string& to) {
  Query q;
  return q.client && jack_connect(q.client, from.c_str(), to.c_str()) == 0;
}

}  // namespace orvalis::tests
