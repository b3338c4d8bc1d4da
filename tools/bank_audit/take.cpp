#include "tools/bank_audit/take.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>

#include "host/midi_events.h"
#include "params/parameter_table.h"

namespace orvalis::tools::audit {

namespace {
// The instance draws its LFO phases with rand(): a fixed seed makes every take repeatable.
constexpr unsigned kRandomSeed = 1;

using orvalis::host::midiEvent;

// A voice's first note fades in while its output gain settles from zero, once in the life of
// the instance. Takes are judged as a player hears them after that: the voices the material
// uses have played its keys once, with a short release, and have gone quiet again.
void warmUp(orvalis::host::PluginHost& host, const std::vector<float>& values,
            const Material& material) {
  constexpr double kHoldSeconds = 0.3, kQuietSeconds = 0.2;
  constexpr int kVelocity = 64;
  constexpr float kShortestRelease = 0.f;
  const bool mono = orvalis::params::choiceIndex(values[orvalis::params::kPolyphony], 4) == 0;
  std::vector<VstMidiEvent> on, off;
  for (const Note& note : material.notes) {
    bool played = false;
    for (const VstMidiEvent& e : on) played = played || e.midiData[1] == note.key;
    if (played) continue;
    on.push_back(midiEvent(0, 0x90, note.key, kVelocity));
    off.push_back(midiEvent(0, 0x80, note.key, 0));
    if (mono) break;  // the one voice ends on the take's first key, as the take begins
  }
  const int releases[] = {orvalis::params::kAmpReleaseH, orvalis::params::kAmpReleaseL};
  for (int r : releases) host.setParameter(r, kShortestRelease);
  std::vector<float> left(kBlockSize), right(kBlockSize);
  auto run = [&](double seconds) {
    for (int n = static_cast<int>(seconds * kSampleRate / kBlockSize); n > 0; --n)
      host.process(left.data(), right.data(), kBlockSize);
  };
  host.sendMidi(on);
  run(kHoldSeconds);
  host.sendMidi(off);
  run(kQuietSeconds);
  for (int r : releases) host.setParameter(r, values[r]);
}

}  // namespace

Player::Player(std::string pluginPath) : path(std::move(pluginPath)), keepLoaded(path) {}

bool Player::ready(std::string& error) const {
  error = keepLoaded.error();
  return error.empty();
}

Take Player::play(const std::vector<float>& values, const Material& material) const {
  Take take;
  const std::size_t total = static_cast<std::size_t>(std::lround(material.seconds * kSampleRate));
  take.left.assign(total, 0.f);
  take.right.assign(total, 0.f);
  orvalis::host::PluginHost host;
  host.processLevel = kVstProcessLevelOffline;
  std::string error;
  {
    // Instances made on several threads still draw the same phases.
    static std::mutex creating;
    std::lock_guard<std::mutex> lock(creating);
    std::srand(kRandomSeed);
    if (!keepLoaded.error().empty() || !host.load(path, kSampleRate, kBlockSize, error))
      return take;
  }
  for (std::size_t i = 0; i < values.size(); ++i) host.setParameter(static_cast<int>(i), values[i]);
  warmUp(host, values, material);

  struct Timed {
    std::size_t frame;
    VstMidiEvent event;
  };
  std::vector<Timed> events;
  for (const Note& note : material.notes) {
    events.push_back({static_cast<std::size_t>(note.on * kSampleRate),
                      midiEvent(0, 0x90, note.key, note.velocity)});
    events.push_back(
        {static_cast<std::size_t>(note.off * kSampleRate), midiEvent(0, 0x80, note.key, 0)});
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const Timed& a, const Timed& b) { return a.frame < b.frame; });

  std::size_t next = 0;
  for (std::size_t start = 0; start < total; start += kBlockSize) {
    const std::size_t frames = std::min<std::size_t>(kBlockSize, total - start);
    std::vector<VstMidiEvent> block;
    for (; next < events.size() && events[next].frame < start + frames; ++next) {
      VstMidiEvent event = events[next].event;
      event.deltaFrames = static_cast<int32_t>(events[next].frame - start);
      block.push_back(event);
    }
    host.sendMidi(block);
    host.process(take.left.data() + start, take.right.data() + start, static_cast<int32_t>(frames));
  }
  return take;
}

}  // namespace orvalis::tools::audit
