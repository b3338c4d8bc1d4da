// One VST 2 plug-in instance and the host side it talks to: the callback's answers, the time
// record, and the buffers and event list a block needs. The renderer, the tools, the benchmarks
// and the tests all drive the plug-in through this.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/plugin_library.h"
#include "plugin/vst2.h"

namespace orvalis::host {

struct ParameterInfo {
  int index;
  std::string name, display, label;
  float value;
};

class PluginHost {
 public:
  explicit PluginHost(int32_t hostVersion = 2400);
  virtual ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Makes an instance through a plug-in's entry (a loaded library's, or a function of the same
  // kind). False, with a one-line reason, if it made none or not a VST 2 record.
  bool create(Entry entry, std::string& error);
  // Loads the library, makes an instrument, and starts it at this rate and block size.
  bool load(const std::string& path, float sampleRate, int32_t blockSize, std::string& error);
  // What a host does before the first block: open, rate, block size, power on, start.
  void start(float sampleRate, int32_t blockSize);
  // Stops and destroys the instance; the destructor does it otherwise.
  void close();

  AEffect* effect = nullptr;
  int32_t hostVersion;
  int32_t processLevel = kVstProcessLevelUnknown;

  intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.f) {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
  }
  void setParameter(int32_t index, float value) { effect->setParameter(effect, index, value); }
  float getParameter(int32_t index) { return effect->getParameter(effect, index); }
  int32_t numParams() const { return effect->numParams; }
  int32_t numPrograms() const { return effect->numPrograms; }
  void setProgram(int32_t program) { dispatch(effSetProgram, 0, program); }
  // The plug-in's text for a string opcode, at most 255 characters.
  std::string text(int32_t opcode, int32_t index = 0);
  ParameterInfo parameter(int32_t index);
  // The index of the parameter whose name matches exactly, or -1.
  int32_t findParameter(const std::string& name);
  std::string effectName();

  void sendEvents(VstEvents* events) { dispatch(effProcessEvents, 0, 0, events); }
  // Hands MIDI to the instance for the coming block.
  void sendMidi(const std::vector<VstMidiEvent>& events);
  // One block through processReplacing, at most the started block size: silent inputs, outputs
  // past the first two into scratch, a mono plug-in's output on both sides.
  void process(float* left, float* right, int32_t frames);

 protected:
  // The answer to one call of the plug-in's; a test host may record the calls here.
  virtual intptr_t answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

 private:
  static intptr_t VSTCALLBACK callback(AEffect* effect, int32_t opcode, int32_t index,
                                       intptr_t value, void* ptr, float opt);

  std::unique_ptr<PluginLibrary> library;  // when load() loaded it
  bool started = false;
  VstTimeInfo timeInfo{};
  int32_t maxFrames = 0;
  std::vector<char> eventStorage;
  std::vector<float*> inputs, outputs;
  std::vector<float> scratch;
};

}  // namespace orvalis::host
