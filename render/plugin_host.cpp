#include "render/plugin_host.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>

namespace render {

namespace {
PluginHost* loading = nullptr;  // answers the entry's version query, made with a null record
}

PluginHost::~PluginHost() {
  if (effect) {
    effect->dispatcher(effect, effMainsChanged, 0, 0, nullptr, 0.f);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.f);
  }
  if (library) dlclose(library);
}

intptr_t PluginHost::callback(AEffect* effect, int32_t opcode, int32_t, intptr_t, void*, float) {
  PluginHost* host = effect && effect->user ? static_cast<PluginHost*>(effect->user) : loading;
  switch (opcode) {
    case audioMasterVersion:
      return 2400;
    case audioMasterGetTime:
      return host ? reinterpret_cast<intptr_t>(&host->timeInfo) : 0;
    case audioMasterWantMidi:
    case audioMasterAutomate:
    case audioMasterIdle:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
      return 1;
    case audioMasterGetSampleRate:
      return host ? static_cast<intptr_t>(host->timeInfo.sampleRate) : 0;
    case audioMasterGetCurrentProcessLevel:
      return 4;  // offline
    default:
      return 0;
  }
}

bool PluginHost::load(const std::string& path, float sampleRate, int32_t blockSize,
                      std::string& error) {
  library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    error = "cannot load plug-in " + path + ": " + dlerror();
    return false;
  }
  using Entry = AEffect* (*)(audioMasterCallback);
  auto entry = reinterpret_cast<Entry>(dlsym(library, "VSTPluginMain"));
  if (!entry) entry = reinterpret_cast<Entry>(dlsym(library, "main"));
  if (!entry) {
    error = path + " is not a VST 2 plug-in (no VSTPluginMain or main entry)";
    return false;
  }
  timeInfo.sampleRate = sampleRate;
  timeInfo.tempo = 120.0;
  timeInfo.timeSigNumerator = 4;
  timeInfo.timeSigDenominator = 4;
  timeInfo.flags = kVstTransportPlaying | kVstTempoValid | kVstTimeSigValid;
  loading = this;
  effect = entry(&PluginHost::callback);
  loading = nullptr;
  if (!effect) {
    error = path + ": the plug-in's entry returned no instance";
    return false;
  }
  if (effect->magic != kEffectMagic) {
    effect = nullptr;  // not a record we may call into
    error = path + " is not a VST 2 plug-in (wrong magic number)";
    return false;
  }
  effect->user = this;
  if (!(effect->flags & effFlagsIsSynth) || effect->numOutputs < 1) {
    error = path + " is not a VST 2 instrument";
    return false;
  }
  if (!(effect->flags & effFlagsCanReplacing) || !effect->processReplacing) {
    error = path + " does not support replacing processing";
    return false;
  }
  effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.f);
  effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, sampleRate);
  effect->dispatcher(effect, effSetBlockSize, 0, blockSize, nullptr, 0.f);
  effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.f);
  maxFrames = blockSize;
  inputs.assign(effect->numInputs > 0 ? effect->numInputs : 0, nullptr);
  outputs.assign(effect->numOutputs, nullptr);
  const std::size_t extra = outputs.size() > 2 ? outputs.size() - 2 : 0;
  scratch.assign((inputs.size() + extra) * maxFrames, 0.f);
  return true;
}

std::string PluginHost::text(int32_t opcode, int32_t index) {
  char buffer[256] = {0};
  effect->dispatcher(effect, opcode, index, 0, buffer, 0.f);
  buffer[sizeof buffer - 1] = 0;
  return buffer;
}

ParameterInfo PluginHost::parameter(int index) {
  return {index, text(effGetParamName, index), text(effGetParamDisplay, index),
          text(effGetParamLabel, index), effect->getParameter(effect, index)};
}

int PluginHost::findParameter(const std::string& name) {
  for (int i = 0; i < effect->numParams; ++i)
    if (!name.empty() && text(effGetParamName, i) == name) return i;
  return -1;
}

std::string PluginHost::effectName() {
  std::string name = text(effGetEffectName, 0);
  return name.empty() ? text(effGetProductString, 0) : name;
}

void PluginHost::sendMidi(const std::vector<VstMidiEvent>& events) {
  if (events.empty()) return;
  eventBlock.assign(sizeof(VstEvents) + events.size() * sizeof(void*), 0);
  auto* block = reinterpret_cast<VstEvents*>(eventBlock.data());
  block->numEvents = static_cast<int32_t>(events.size());
  VstEvent** list = block->events;  // as many pointers as events, though the record declares two
  for (std::size_t i = 0; i < events.size(); ++i)
    list[i] = reinterpret_cast<VstEvent*>(const_cast<VstMidiEvent*>(&events[i]));
  effect->dispatcher(effect, effProcessEvents, 0, 0, block, 0.f);
}

void PluginHost::process(float* left, float* right, int32_t frames) {
  // Inputs are silent; outputs past the first two go to scratch buffers.
  for (std::size_t c = 0; c < inputs.size(); ++c) inputs[c] = scratch.data() + c * maxFrames;
  for (std::size_t c = 0; c < outputs.size(); ++c)
    outputs[c] = c == 0   ? left
                 : c == 1 ? right
                          : scratch.data() + (inputs.size() + c - 2) * maxFrames;
  if (frames > maxFrames) frames = maxFrames;
  effect->processReplacing(effect, inputs.data(), outputs.data(), frames);
  if (outputs.size() == 1) std::memcpy(right, left, sizeof(float) * frames);
  std::fill(scratch.begin(), scratch.begin() + inputs.size() * maxFrames, 0.f);
  timeInfo.samplePos += frames;
}

}  // namespace render
