// The VST 3 plug-in, loaded from the built bundle, as a FormatInstance.
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/format_instance.h"
#include "tests/support/vst3_host.h"

namespace orvalis::tests {

namespace {

class Vst3Instance : public FormatInstance {
 public:
  explicit Vst3Instance(double sampleRate) : host(sampleRate) {}
  bool loaded() const override { return host.loaded(); }
  void setParameter(int index, float value) override { setParameterAt(0, index, value); }
  bool takesChangesInsideBlocks() const override { return true; }
  void setParameterAt(int32_t offset, int index, float value) override {
    host.parameter(offset, static_cast<v3::ParamID>(index), value);
  }
  // Notes as note events; bend and controllers the way hosts send them, as changes of the
  // parameters the plug-in maps them to. The rest has no VST 3 event.
  void midi(int32_t offset, const orvalis::render::MidiEvent& e) override {
    if (e.length != 3) return;
    const int kind = e.bytes[0] & 0xF0, channel = e.bytes[0] & 0x0F;
    if (kind == 0x90 && e.bytes[2] > 0)
      host.noteOn(offset, e.bytes[1], e.bytes[2] / 127.f, channel);
    else if (kind == 0x80 || kind == 0x90)
      host.noteOff(offset, e.bytes[1], e.bytes[2] / 127.f, channel);
    else if (kind == 0xE0)
      EXPECT_TRUE(host.midiController(offset, v3::kPitchBend, e.bytes[2] * 128 + e.bytes[1]));
    else if (kind == 0xB0)
      host.midiController(offset, e.bytes[1], e.bytes[2]);
  }
  void render(uint32_t frames, std::vector<float>& left, std::vector<float>& right) override {
    host.process(left, right, static_cast<int32_t>(frames));
  }

 private:
  Vst3Host host;
};

}  // namespace

std::unique_ptr<FormatInstance> makeVst3Instance(double sampleRate) {
  return std::make_unique<Vst3Instance>(sampleRate);
}

}  // namespace orvalis::tests
