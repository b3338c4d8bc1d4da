// The CLAP plug-in, loaded from the built file, as a FormatInstance. Its host is open for the
// tests that also drive what only CLAP has (chokes, wildcards, flush).
#pragma once

#include "tests/support/clap_host.h"
#include "tests/support/format_instance.h"

namespace orvalis::tests {

class ClapInstance : public FormatInstance {
 public:
  explicit ClapInstance(double sampleRate);
  bool loaded() const override { return active; }
  void setParameter(int index, float value) override { setParameterAt(0, index, value); }
  bool takesChangesInsideBlocks() const override { return true; }
  void setParameterAt(int32_t offset, int index, float value) override;
  void midi(int32_t offset, const orvalis::render::MidiEvent& message) override;
  void render(uint32_t frames, std::vector<float>& left, std::vector<float>& right) override {
    host.process(left, right, frames);
  }

  ClapHost host;

 private:
  bool active = false;
};

}  // namespace orvalis::tests
