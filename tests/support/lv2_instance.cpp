// The LV2 plug-in, loaded from the built bundle through lilv, as a FormatInstance.
#include "tests/support/format_instance.h"
#include "tests/support/lv2_host.h"

namespace orvalis::tests {

namespace {

class Lv2Instance : public FormatInstance {
 public:
  explicit Lv2Instance(double sampleRate) : host(sampleRate) {}
  bool loaded() const override { return host.loaded(); }
  void setParameter(int index, float value) override { host.control(index) = value; }
  void midi(int32_t offset, const orvalis::render::MidiEvent& e) override {
    host.midi(offset, e.bytes[0], e.length > 1 ? e.bytes[1] : 0, e.length > 2 ? e.bytes[2] : 0);
  }
  void render(uint32_t frames, std::vector<float>& left, std::vector<float>& right) override {
    host.run(left, right, frames);
  }

 private:
  Lv2Host host;
};

}  // namespace

std::unique_ptr<FormatInstance> makeLv2Instance(double sampleRate) {
  return std::make_unique<Lv2Instance>(sampleRate);
}

}  // namespace orvalis::tests
