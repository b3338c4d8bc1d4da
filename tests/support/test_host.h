// The VST 2 host the tests drive the plug-in through: the shared host library, with every
// callback recorded, and the instance left as the entry made it (no open, rate or start).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/plugin_host.h"

namespace orvalis::tests {

using orvalis::host::PluginLibrary;

struct HostCall {
  int32_t opcode;
  int32_t index;
  intptr_t value;
  float opt;
};

enum class Linkage {
  Loaded,    // through the built library's entry, loaded with dlopen
  InProcess  // the same classes linked into the test, for checks of process-wide state
};

// One plug-in instance with its host side. The host answers version 2400 unless told otherwise.
class TestHost : public orvalis::host::PluginHost {
 public:
  explicit TestHost(int32_t hostVersion = 2400, Linkage linkage = Linkage::Loaded);
  ~TestHost() override;

  Linkage linkage;
  std::vector<HostCall> calls;

  // The plug-in's text for a string opcode, written into a buffer filled with '#', so that an
  // unterminated answer shows.
  std::string parameterText(int32_t opcode, int32_t index);

  // Renders frames into left/right (resized), through processReplacing with no inputs; any
  // frame count, even a negative one, goes to the plug-in as it is.
  void render(std::vector<float>& left, std::vector<float>& right, int32_t frames);
  // Renders total frames in blocks of the given size, appending to left/right.
  void renderBlocks(std::vector<float>& left, std::vector<float>& right, int32_t total,
                    int32_t block);
  // An empty block: the audio thread applies the changes handed to it, and renders nothing.
  void applyPendingChanges() {
    float none = 0.f;
    float* outs[2] = {&none, &none};
    effect->processReplacing(effect, nullptr, outs, 0);
  }

  int countCalls(int32_t opcode) const;

  // The built plug-in, loaded once for the whole test program.
  static PluginLibrary& library();

 protected:
  intptr_t answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) override;
};

// An instance of the classes linked into the test itself: the seam through which tests look at
// engine internals (tests/support/instance_peek.h), which a loaded library's object is not.
struct InProcessHost : TestHost {
  InProcessHost() : TestHost(2400, Linkage::InProcess) {}
};

}  // namespace orvalis::tests
