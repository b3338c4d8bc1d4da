#include "render/midi_file.h"

#include <glib.h>
#include <smf.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace render {

namespace {
// libsmf reports through glib's log; the renderer prints its own one-line errors instead.
void quietLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}
}  // namespace

bool readMidiFile(const std::string& path, double sampleRate, std::vector<TimedMidi>& events,
                  std::string& error) {
  FILE* probe = std::fopen(path.c_str(), "rb");
  if (!probe) {
    error = "cannot read MIDI file " + path + ": " + std::strerror(errno);
    return false;
  }
  std::fclose(probe);

  const guint handler =
      g_log_set_handler("libsmf", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK), quietLog, nullptr);
  GLogFunc previous = g_log_set_default_handler(quietLog, nullptr);
  smf_t* smf = smf_load(path.c_str());
  g_log_set_default_handler(previous, nullptr);
  g_log_remove_handler("libsmf", handler);
  if (!smf) {
    error = path + " is not a readable Standard MIDI File";
    return false;
  }

  events.clear();
  while (smf_event_t* e = smf_get_next_event(smf)) {
    if (smf_event_is_metadata(e) || e->midi_buffer_length < 1) continue;
    const uint8_t status = e->midi_buffer[0];
    if (status < 0x80 || status >= 0xF0) continue;
    TimedMidi m{};
    m.frame = static_cast<int64_t>(std::llround(e->time_seconds * sampleRate));
    m.length = e->midi_buffer_length < 3 ? e->midi_buffer_length : 3;
    for (int i = 0; i < m.length; ++i) m.bytes[i] = e->midi_buffer[i];
    events.push_back(m);
  }
  smf_delete(smf);
  return true;
}

}  // namespace render
