// The VST 2 plug-in, loaded from the built library, as a FormatInstance.
#include "tests/support/format_instance.h"
#include "tests/support/midi_builder.h"
#include "tests/support/test_host.h"

namespace orvalis::tests {

namespace {

class Vst2Instance : public FormatInstance {
 public:
  explicit Vst2Instance(double sampleRate) {
    host.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    host.dispatch(effSetBlockSize, 0, kMaxBlock);
    host.dispatch(effMainsChanged, 0, 1);
  }
  bool loaded() const override { return host.effect != nullptr; }
  void setParameter(int index, float value) override { host.setParameter(index, value); }
  void midi(int32_t offset, const orvalis::render::MidiEvent& e) override {
    events.message(offset, e.bytes[0], e.length > 1 ? e.bytes[1] : 0,
                   e.length > 2 ? e.bytes[2] : 0);
  }
  void render(uint32_t frames, std::vector<float>& left, std::vector<float>& right) override {
    if (!events.raw().empty()) host.sendEvents(events.events());
    events.clear();
    std::vector<float> l, r;
    host.render(l, r, static_cast<int32_t>(frames));
    left.insert(left.end(), l.begin(), l.end());
    right.insert(right.end(), r.begin(), r.end());
  }

 private:
  TestHost host;
  MidiBuilder events;
};

}  // namespace

std::unique_ptr<FormatInstance> makeVst2Instance(double sampleRate) {
  return std::make_unique<Vst2Instance>(sampleRate);
}

}  // namespace orvalis::tests
