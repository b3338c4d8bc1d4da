#include "standalone/jack_client.h"

#include <jack/midiport.h>

#include <cstring>

namespace orvalis::standalone {

namespace {

// jack_get_ports' list, freed when done.
class PortList {
 public:
  PortList(jack_client_t* client, const char* type, unsigned long flags)
      : names(jack_get_ports(client, nullptr, type, flags)) {}
  ~PortList() { jack_free(names); }
  PortList(const PortList&) = delete;
  PortList& operator=(const PortList&) = delete;
  std::size_t size() const {
    std::size_t n = 0;
    while (names && names[n]) ++n;
    return n;
  }
  const char* operator[](std::size_t i) const { return names[i]; }

 private:
  const char** names;
};

}  // namespace

bool JackClient::open(const std::string& clientName, std::string& error) {
  close();
  jack_status_t status{};
  client = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
  if (!client) {
    serverMissing = (status & JackServerFailed) != 0;
    error = serverMissing ? "no JACK server is running: start one (jackd -d alsa, qjackctl, or "
                            "PipeWire with its JACK support) and run orvalis again"
                          : "JACK refused the client '" + clientName + "' (status 0x" +
                                std::to_string(static_cast<int>(status)) + ")";
    return false;
  }
  midiIn = jack_port_register(client, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  outLeft = jack_port_register(client, "out_left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
  outRight = jack_port_register(client, "out_right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
  if (!midiIn || !outLeft || !outRight) {
    error = "JACK could not make the ports midi_in, out_left and out_right";
    close();
    return false;
  }
  core.setSampleRate(static_cast<float>(jack_get_sample_rate(client)));
  core.setBlockSize(static_cast<int32_t>(jack_get_buffer_size(client)));
  jack_set_process_callback(client, process, this);
  jack_set_sample_rate_callback(client, sampleRateChanged, this);
  jack_set_buffer_size_callback(client, bufferSizeChanged, this);
  jack_on_info_shutdown(client, shutDown, this);
  return true;
}

std::string JackClient::name() const { return client ? jack_get_client_name(client) : ""; }

bool JackClient::activate(bool connect, std::vector<std::string>& warnings, std::string& error) {
  if (jack_activate(client) != 0) {
    error = "JACK would not start the client";
    return false;
  }
  if (!connect) return true;
  auto link = [&](const char* from, const char* to) {
    if (jack_connect(client, from, to) != 0 && !serverGone())
      warnings.push_back(std::string("cannot connect ") + from + " to " + to);
  };
  const PortList playback(client, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | JackPortIsInput);
  jack_port_t* outputs[2] = {outLeft, outRight};
  for (std::size_t i = 0; i < 2 && i < playback.size(); ++i)
    link(jack_port_name(outputs[i]), playback[i]);
  if (playback.size() == 0) warnings.push_back("no playback ports to connect the outputs to");
  const PortList sources(client, JACK_DEFAULT_MIDI_TYPE, JackPortIsPhysical | JackPortIsOutput);
  for (std::size_t i = 0; i < sources.size(); ++i) link(sources[i], jack_port_name(midiIn));
  return true;
}

std::string JackClient::shutdownReason() const { return serverGone() ? reason : ""; }

void JackClient::close() {
  if (!client) return;
  jack_client_close(client);
  client = nullptr;
  midiIn = outLeft = outRight = nullptr;
}

int JackClient::process(jack_nframes_t frames, void* arg) {
  auto& self = *static_cast<JackClient*>(arg);
  void* midi = jack_port_get_buffer(self.midiIn, frames);
  const uint32_t count = jack_midi_get_event_count(midi);
  for (uint32_t i = 0; i < count; ++i) {
    jack_midi_event_t event;
    // JACK delivers whole messages; the core drops what is not a channel message.
    if (jack_midi_event_get(&event, midi, i) != 0) continue;
    if (event.size >= 2 && (event.buffer[0] & 0xF0) == 0xC0 && event.buffer[1] < 0x80)
      self.requestedProgram.store(event.buffer[1], std::memory_order_relaxed);
    self.core.midi(static_cast<int32_t>(event.time), event.buffer, event.size);
  }
  auto* left = static_cast<float*>(jack_port_get_buffer(self.outLeft, frames));
  auto* right = static_cast<float*>(jack_port_get_buffer(self.outRight, frames));
  self.core.render(left, right, static_cast<int32_t>(frames));
  return 0;
}

int JackClient::sampleRateChanged(jack_nframes_t rate, void* arg) {
  static_cast<JackClient*>(arg)->core.setSampleRate(static_cast<float>(rate));
  return 0;
}

int JackClient::bufferSizeChanged(jack_nframes_t frames, void* arg) {
  static_cast<JackClient*>(arg)->core.setBlockSize(static_cast<int32_t>(frames));
  return 0;
}

void JackClient::shutDown(jack_status_t, const char* why, void* arg) {
  auto& self = *static_cast<JackClient*>(arg);
  if (why) std::strncpy(self.reason, why, sizeof self.reason - 1);
  self.gone.store(true, std::memory_order_release);
}

}  // namespace orvalis::standalone
