#include "render/gm_player.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "host/midi_events.h"
#include "render/starting_bank.h"

namespace orvalis::render {

namespace {

// Controller steps and All Sound Off move the channel's gain over this time.
constexpr double kRampSeconds = 0.005;
// The semitones Orvalis's full bend spans; VST 2 gives no way to ask another instrument.
constexpr double kInstrumentBendRange = 12;

bool isNoteOn(const ::orvalis::render::MidiEvent& e) {
  return e.length == 3 && (e.bytes[0] & 0xF0) == 0x90 && (e.bytes[2] & 0x7F) != 0;
}

}  // namespace

GmPlayer::Strip::Strip(int channelIndex, int rampFrames)
    : channel(channelIndex), state(kInstrumentBendRange), level(state.gain(), rampFrames) {}

bool GmPlayer::open(const GmSetup& setup, const std::vector<::orvalis::render::MidiEvent>& song,
                    std::string& error) {
  std::array<bool, 16> hasNotes{};
  for (const ::orvalis::render::MidiEvent& e : song)
    if (isNoteOn(e)) hasNotes[e.bytes[0] & 0x0F] = true;
  const int rampFrames = static_cast<int>(std::lround(kRampSeconds * setup.rate));
  for (int c = 0; c < 16; ++c) {
    if (!hasNotes[c] || !(setup.channels & (1u << c))) continue;
    if (c == kDrumChannel && setup.drumProgram < 0) {
      drumsSkipped = true;
      continue;
    }
    auto strip = std::make_unique<Strip>(c, rampFrames);
    orvalis::host::PluginHost& host = strip->host;
    host.processLevel = kVstProcessLevelOffline;
    // An instance may draw from rand() as it is made (Orvalis draws its LFO phases): the same
    // seed for each makes a channel sound the same whatever instances were made before it.
    std::srand(1);
    if (!host.load(setup.plugin, static_cast<float>(setup.rate), setup.block, error) ||
        !loadStartingBank(host.effect, setup.bank, setup.factoryBank, error))
      return false;
    strip->drums = c == kDrumChannel;
    const int program = strip->drums ? setup.drumProgram : 0;  // General MIDI starts at 0
    if (program >= host.numPrograms()) {
      error = "program " + std::to_string(program) + " out of range 0.." +
              std::to_string(host.numPrograms() - 1);
      return false;
    }
    host.setProgram(program);
    strip->left.resize(setup.block);
    strip->right.resize(setup.block);
    byChannel[c] = strip.get();
    strips.push_back(std::move(strip));
  }
  return true;
}

std::vector<int> GmPlayer::channels() const {
  std::vector<int> list;
  for (const auto& s : strips) list.push_back(s->channel);
  return list;
}

orvalis::host::PluginHost* GmPlayer::firstHost() const {
  return strips.empty() ? nullptr : &strips.front()->host;
}

void GmPlayer::handle(Strip& strip, const ::orvalis::render::MidiEvent& event, int offset) {
  messages.clear();
  const unsigned change = strip.state.handle(event.bytes, event.length, messages);
  for (const ShortMessage& m : messages)
    strip.events.push_back(orvalis::host::midiEvent(offset, m.status, m.data1, m.data2));
  // The drum channel keeps the program it was given: its program changes choose drum kits.
  if ((change & GmChannel::kProgram) && !strip.drums) strip.programPending = true;
  bool levelMoves = (change & GmChannel::kLevel) != 0;
  if (change & GmChannel::kSoundOff) {
    strip.muted = true;
    levelMoves = true;
  } else if ((change & GmChannel::kNoteOn) && strip.muted) {
    strip.muted = false;
    levelMoves = true;
  }
  if (levelMoves)
    strip.changes.push_back(
        {offset, strip.muted ? StereoGain{0.f, 0.f} : strip.state.gain(), !strip.sounded});
  if (change & GmChannel::kNoteOn) strip.sounded = true;
}

void GmPlayer::render(const ::orvalis::render::MidiEvent* first,
                      const ::orvalis::render::MidiEvent* last, int64_t frame, int frames,
                      float* left, float* right) {
  for (auto& s : strips) {
    s->events.clear();
    s->changes.clear();
  }
  for (const ::orvalis::render::MidiEvent* e = first; e != last; ++e) {
    Strip* strip = e->length > 0 ? byChannel[e->bytes[0] & 0x0F] : nullptr;
    if (!strip) continue;
    handle(*strip, *e, static_cast<int>(std::clamp<int64_t>(e->frame - frame, 0, frames - 1)));
  }
  std::fill(left, left + frames, 0.f);
  std::fill(right, right + frames, 0.f);
  for (auto& s : strips) {
    // A program change lands at the start of the block that holds it, as --program-at does.
    if (s->programPending) s->host.setProgram(s->state.program());
    s->programPending = false;
    s->host.sendMidi(s->events);
    float* l = s->left.data();
    float* r = s->right.data();
    s->host.process(l, r, frames);
    int from = 0;
    for (const LevelChange& c : s->changes) {
      s->level.apply(l, r, from, c.offset);
      // Before its first note a channel has made no sound a step could click in.
      if (c.silentBefore)
        s->level.jump(c.target);
      else
        s->level.setTarget(c.target);
      from = c.offset;
    }
    s->level.apply(l, r, from, frames);
    for (int i = 0; i < frames; ++i) {
      left[i] += l[i];
      right[i] += r[i];
    }
  }
}

}  // namespace orvalis::render
