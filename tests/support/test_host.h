// A tiny VST 2 host for tests: loads the built plug-in library with dlopen, creates instances
// through VSTPluginMain, answers the host callback and records every opcode it receives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/vst2.h"

namespace testing_host {

struct HostCall {
  int32_t opcode;
  int32_t index;
  intptr_t value;
  float opt;
};

class PluginLibrary {
 public:
  explicit PluginLibrary(const std::string& path = ORVALIS_PLUGIN_PATH);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  bool loaded() const { return entry != nullptr; }
  using Entry = AEffect* (*)(audioMasterCallback);
  Entry entry = nullptr;
  Entry mainEntry = nullptr;

 private:
  void* handle = nullptr;
};

enum class Linkage {
  Loaded,    // through the built library's entry, loaded with dlopen
  InProcess  // the same classes linked into the test, for checks of process-wide state
};

// One plug-in instance with its host side. The host answers version 2400 unless told otherwise.
class TestHost {
 public:
  explicit TestHost(int32_t hostVersion = 2400, Linkage linkage = Linkage::Loaded);
  ~TestHost();
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  AEffect* effect = nullptr;
  int32_t hostVersion;
  Linkage linkage;
  std::vector<HostCall> calls;

  intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.f);
  void setParameter(int32_t index, float value) { effect->setParameter(effect, index, value); }
  float getParameter(int32_t index) { return effect->getParameter(effect, index); }
  std::string parameterText(int32_t opcode, int32_t index);

  // Renders frames into left/right (resized), through processReplacing.
  void render(std::vector<float>& left, std::vector<float>& right, int32_t frames);
  // Renders total frames in blocks of the given size, appending to left/right.
  void renderBlocks(std::vector<float>& left, std::vector<float>& right, int32_t total,
                    int32_t block);
  void sendEvents(VstEvents* events) { dispatch(effProcessEvents, 0, 0, events); }
  // An empty block: the audio thread applies the changes handed to it, and renders nothing.
  void applyPendingChanges() {
    float* outs[2] = {nullptr, nullptr};
    float none = 0.f;
    outs[0] = outs[1] = &none;
    effect->processReplacing(effect, nullptr, outs, 0);
  }

  // Destroys the instance through effClose; the destructor does it otherwise.
  void close();
  int countCalls(int32_t opcode) const;

  static PluginLibrary& library();

 private:
  static intptr_t VSTCALLBACK callback(AEffect* effect, int32_t opcode, int32_t index,
                                       intptr_t value, void* ptr, float opt);
};

// An instance of the classes linked into the test itself: the seam through which tests look at
// engine internals (tests/support/instance_peek.h), which a loaded library's object is not.
struct InProcessHost : TestHost {
  InProcessHost() : TestHost(2400, Linkage::InProcess) {}
};

}  // namespace testing_host
