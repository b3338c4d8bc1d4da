// A General MIDI song played as a General MIDI host plays it: one instance of the instrument per
// channel that has notes, each starting from the same bank, fed by its channel's controllers,
// rendered side by side and mixed.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/plugin_host.h"
#include "render/channel_level.h"
#include "render/gm_channel.h"
#include "render/midi_file.h"

namespace orvalis::render {

constexpr int kDrumChannel = 9;  // channel 10, counted from 0

struct GmSetup {
  std::string plugin;
  int rate = 44100;
  int block = 256;
  std::string bank;  // a bank file for every instance; empty: the starting bank
  bool factoryBank = true;
  uint16_t channels = 0xFFFF;  // bit c: channel c + 1 may play
  int drumProgram = -1;        // the program channel 10 plays with; -1 leaves it out
};

class GmPlayer {
 public:
  // One instance per channel with notes that the setup lets play. False with a one-line reason.
  bool open(const GmSetup& setup, const std::vector<::orvalis::render::MidiEvent>& song,
            std::string& error);
  // The playing channels, from 0.
  std::vector<int> channels() const;
  // Channel 10 had notes and was left out for want of a drum program.
  bool drumsLeftOut() const { return drumsSkipped; }
  // Plays the events of frames [frame, frame + frames) and writes the mix of every channel.
  void render(const ::orvalis::render::MidiEvent* first, const ::orvalis::render::MidiEvent* last,
              int64_t frame, int frames, float* left, float* right);
  // The first instance, for its name; null when no channel plays.
  orvalis::host::PluginHost* firstHost() const;

 private:
  struct LevelChange {
    int offset;
    StereoGain target;
    bool silentBefore;  // no note has played on the channel yet
  };
  struct Strip {
    Strip(int channelIndex, int rampFrames);
    int channel;
    bool drums = false;
    bool muted = false;  // after All Sound Off, until the next note
    bool programPending = false;
    bool sounded = false;
    orvalis::host::PluginHost host;
    GmChannel state;
    ChannelLevel level;
    std::vector<VstMidiEvent> events;
    std::vector<LevelChange> changes;
    std::vector<float> left, right;
  };

  void handle(Strip& strip, const ::orvalis::render::MidiEvent& event, int offset);

  std::vector<std::unique_ptr<Strip>> strips;
  std::array<Strip*, 16> byChannel{};
  std::vector<ShortMessage> messages;
  bool drumsSkipped = false;
};

}  // namespace orvalis::render
