// A VST 2 host for one instrument instance: loads the library, creates the instance through
// its entry, answers the host callback and drives the instance.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/vst2.h"

namespace render {

struct ParameterInfo {
  int index;
  std::string name, display, label;
  float value;
};

class PluginHost {
 public:
  PluginHost() = default;
  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Loads and opens the instrument; on failure returns false with a one-line reason.
  bool load(const std::string& path, float sampleRate, int32_t blockSize, std::string& error);

  int32_t numParams() const { return effect->numParams; }
  int32_t numPrograms() const { return effect->numPrograms; }
  ParameterInfo parameter(int index);
  // The index of the parameter whose name matches exactly, or -1.
  int findParameter(const std::string& name);
  void setParameter(int index, float value) { effect->setParameter(effect, index, value); }
  void setProgram(int program) {
    effect->dispatcher(effect, effSetProgram, 0, program, nullptr, 0.f);
  }
  std::string effectName();
  // For code that drives the instance through the interface itself (bank and program files).
  AEffect* aeffect() const { return effect; }

  // Queues MIDI for the coming block, then renders it.
  void sendMidi(const std::vector<VstMidiEvent>& events);
  // frames at most the block size given to load.
  void process(float* left, float* right, int32_t frames);

 private:
  static intptr_t VSTCALLBACK callback(AEffect* effect, int32_t opcode, int32_t index,
                                       intptr_t value, void* ptr, float opt);
  std::string text(int32_t opcode, int32_t index);

  void* library = nullptr;
  AEffect* effect = nullptr;
  VstTimeInfo timeInfo{};
  std::vector<char> eventBlock;
  int32_t maxFrames = 0;
  std::vector<float*> inputs, outputs;
  std::vector<float> scratch;
};

}  // namespace render
