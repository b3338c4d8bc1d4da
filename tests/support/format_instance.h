// One instance of the instrument behind one plug-in format, as the tests drive it: parameter
// values between blocks, MIDI at frame offsets into the next block, stereo blocks out. Each
// format's harness implements it (vst2_instance.cpp, lv2_instance.cpp, clap_instance.cpp,
// vst3_instance.cpp), so that a new format's "same sound as VST 2" test is a factory and one call
// of firstDifferenceFromVst2.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "render/midi_file.h"

namespace orvalis::tests {

class FormatInstance {
 public:
  virtual ~FormatInstance() = default;
  virtual bool loaded() const = 0;
  // Takes effect from the next block, as a host's change between two blocks.
  virtual void setParameter(int index, float value) = 0;
  // Formats whose blocks carry parameter changes at frames say so, and take them for the next
  // block at their offsets; the others have their blocks cut where a change falls.
  virtual bool takesChangesInsideBlocks() const { return false; }
  virtual void setParameterAt(int32_t offset, int index, float value) {
    (void)offset;
    setParameter(index, value);
  }
  // A short message (bytes as in a MIDI file) for the next block, at its frame in that block.
  virtual void midi(int32_t offset, const orvalis::render::MidiEvent& message) = 0;
  // Renders one block (at most kMaxBlock frames) and appends it to left and right.
  virtual void render(uint32_t frames, std::vector<float>& left, std::vector<float>& right) = 0;

  static constexpr uint32_t kMaxBlock = 4096;
};

using FormatFactory = std::function<std::unique_ptr<FormatInstance>(double sampleRate)>;

std::unique_ptr<FormatInstance> makeVst2Instance(double sampleRate);
std::unique_ptr<FormatInstance> makeLv2Instance(double sampleRate);
std::unique_ptr<FormatInstance> makeClapInstance(double sampleRate);
std::unique_ptr<FormatInstance> makeVst3Instance(double sampleRate);

struct ParameterChange {
  int64_t frame;  // applied before the first block that starts at or after it
  int index;
  float value;
};

// What a comparison plays. Every format starts from the same values: those of start (all 61),
// set before the first block, or the default program's when start is empty.
struct Script {
  std::vector<float> start;
  std::vector<orvalis::render::MidiEvent> events;  // frames from the start, in order
  std::vector<ParameterChange> changes;            // in order
  // Changes at their very frames (see takesChangesInsideBlocks), not at the next block's start.
  bool changesInsideBlocks = false;
  int64_t frames = 0;
  std::vector<uint32_t> blocks{256};  // the block lengths, repeated
  // Seeds rand() right before the instance is made: the LFO start phases are drawn then.
  int seed = -1;
  double sampleRate = 44100.0;
};

struct Rendered {
  std::vector<float> left, right;
};

// A new instance of the format, made after seeding as the script asks, playing the script.
Rendered play(const FormatFactory& format, const Script& script);

// The script's start values (or the default program's), for the next block: how play() starts
// an instance, for tests that then drive one by hand.
void setStartValues(FormatInstance& instance, const Script& script);

// The first sample where the two differ, or -1 when they are identical.
long firstDifference(const Rendered& a, const Rendered& b);

// -1 when the format renders the script sample for sample as the VST 2 plug-in does.
long firstDifferenceFromVst2(const FormatFactory& format, const Script& script,
                             Rendered* vst2 = nullptr, Rendered* other = nullptr);

}  // namespace orvalis::tests
