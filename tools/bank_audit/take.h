// Playing notes through a fresh instance of the real plug-in, loaded through its VST 2 entry.
#pragma once

#include <string>
#include <vector>

#include "host/plugin_host.h"

namespace orvalis::tools::audit {

constexpr int kSampleRate = 44100;
constexpr int kBlockSize = 256;

struct Note {
  double on, off;  // seconds
  int key, velocity;
};

// What is played, and for how long in all.
struct Material {
  std::vector<Note> notes;
  double seconds;
};

struct Take {
  std::vector<float> left, right;
  std::size_t frameAt(double seconds) const {
    const std::size_t frame = static_cast<std::size_t>(seconds * kSampleRate);
    return frame < left.size() ? frame : left.size();
  }
};

class Player {
 public:
  explicit Player(std::string pluginPath);

  // False, with a reason, if the plug-in does not load.
  bool ready(std::string& error) const;
  // A new instance with these 61 values set as a host sets them, then the material.
  Take play(const std::vector<float>& values, const Material& material) const;

 private:
  std::string path;
  orvalis::host::PluginLibrary
      keepLoaded;  // so that each instance's host does not unload the library
};

}  // namespace orvalis::tools::audit
