#include "host/plugin_host.h"

#include "host/midi_events.h"

#include <algorithm>
#include <cstring>

namespace orvalis::host {

namespace {
// The entry asks for the host's version before the record exists, with a null record: the host
// being created is found through this while the entry runs.
thread_local PluginHost* creating = nullptr;
constexpr std::size_t kTextSize = 256;
}  // namespace

PluginHost::PluginHost(int32_t version) : hostVersion(version) {}

PluginHost::~PluginHost() { close(); }

bool PluginHost::create(Entry entry, std::string& error) {
  if (!entry) {
    error = "no entry to create the plug-in with";
    return false;
  }
  creating = this;
  AEffect* made = entry(&PluginHost::callback);
  creating = nullptr;
  if (!made) {
    error = "the plug-in's entry returned no instance";
    return false;
  }
  if (made->magic != kEffectMagic) {
    error = "not a VST 2 plug-in (wrong magic number)";  // not a record we may call into
    return false;
  }
  effect = made;
  effect->user = this;
  return true;
}

bool PluginHost::load(const std::string& path, float sampleRate, int32_t blockSize,
                      std::string& error) {
  library = std::make_unique<PluginLibrary>(path);
  if (!library->error().empty()) {
    error = library->error();
    return false;
  }
  if (!create(library->hostEntry(), error)) {
    error = path + ": " + error;
    return false;
  }
  if (!(effect->flags & effFlagsIsSynth) || effect->numOutputs < 1) {
    error = path + " is not a VST 2 instrument";
    return false;
  }
  if (!(effect->flags & effFlagsCanReplacing) || !effect->processReplacing) {
    error = path + " does not support replacing processing";
    return false;
  }
  start(sampleRate, blockSize);
  return true;
}

void PluginHost::start(float sampleRate, int32_t blockSize) {
  timeInfo.sampleRate = sampleRate;
  timeInfo.tempo = 120.0;
  timeInfo.timeSigNumerator = 4;
  timeInfo.timeSigDenominator = 4;
  timeInfo.flags = kVstTransportPlaying | kVstTempoValid | kVstTimeSigValid;
  maxFrames = std::max(blockSize, 0);
  dispatch(effOpen);
  dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
  dispatch(effSetBlockSize, 0, maxFrames);
  dispatch(effMainsChanged, 0, 1);
  dispatch(effStartProcess);
  started = true;
  inputs.assign(std::max(effect->numInputs, 0), nullptr);
  outputs.assign(std::max(effect->numOutputs, 0), nullptr);
  const std::size_t extra = outputs.size() > 2 ? outputs.size() - 2 : 0;
  scratch.assign((inputs.size() + extra) * maxFrames, 0.f);
}

void PluginHost::close() {
  if (effect) {
    if (started) {
      dispatch(effStopProcess);
      dispatch(effMainsChanged, 0, 0);
    }
    dispatch(effClose);
  }
  effect = nullptr;
  started = false;
}

intptr_t PluginHost::callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                              void* ptr, float opt) {
  PluginHost* host = effect && effect->user ? static_cast<PluginHost*>(effect->user) : creating;
  return host ? host->answer(opcode, index, value, ptr, opt) : 0;
}

intptr_t PluginHost::answer(int32_t opcode, int32_t, intptr_t, void*, float) {
  switch (opcode) {
    case audioMasterVersion:
      return hostVersion;
    case audioMasterGetTime:
      return reinterpret_cast<intptr_t>(&timeInfo);
    case audioMasterWantMidi:
    case audioMasterAutomate:
    case audioMasterIdle:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
      return 1;
    case audioMasterGetSampleRate:
      return static_cast<intptr_t>(timeInfo.sampleRate > 0 ? timeInfo.sampleRate : 44100);
    case audioMasterGetBlockSize:
      return maxFrames;
    case audioMasterGetCurrentProcessLevel:
      return processLevel;
    default:
      return 0;
  }
}

std::string PluginHost::text(int32_t opcode, int32_t index) {
  char buffer[kTextSize] = {0};
  dispatch(opcode, index, 0, buffer);
  buffer[kTextSize - 1] = 0;
  return buffer;
}

ParameterInfo PluginHost::parameter(int32_t index) {
  return {index, text(effGetParamName, index), text(effGetParamDisplay, index),
          text(effGetParamLabel, index), getParameter(index)};
}

int32_t PluginHost::findParameter(const std::string& name) {
  for (int32_t i = 0; i < effect->numParams; ++i)
    if (!name.empty() && text(effGetParamName, i) == name) return i;
  return -1;
}

std::string PluginHost::effectName() {
  std::string name = text(effGetEffectName);
  return name.empty() ? text(effGetProductString) : name;
}

void PluginHost::sendMidi(const std::vector<VstMidiEvent>& events) {
  if (events.empty()) return;
  sendEvents(eventBlock(events, eventStorage));
}

void PluginHost::process(float* left, float* right, int32_t frames) {
  for (std::size_t c = 0; c < inputs.size(); ++c) inputs[c] = scratch.data() + c * maxFrames;
  for (std::size_t c = 0; c < outputs.size(); ++c)
    outputs[c] = c == 0   ? left
                 : c == 1 ? right
                          : scratch.data() + (inputs.size() + c - 2) * maxFrames;
  frames = std::clamp(frames, 0, maxFrames);
  effect->processReplacing(effect, inputs.data(), outputs.data(), frames);
  if (outputs.size() == 1) std::memcpy(right, left, sizeof(float) * frames);
  std::fill(scratch.begin(), scratch.begin() + inputs.size() * maxFrames, 0.f);
  timeInfo.samplePos += frames;
}

}  // namespace orvalis::host
