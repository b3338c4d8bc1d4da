#include "plugin/audio_effect.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "params/bounded_text.h"
#include "plugin/aeff_editor.h"
#include "plugin/platform_memory.h"

namespace orvalis::vst2 {

namespace {

AudioEffect* objectOf(AEffect* e) { return e ? static_cast<AudioEffect*>(e->object) : nullptr; }

ORVALIS_HOST_ENTRY intptr_t VSTCALLBACK dispatchEntry(AEffect* e, int32_t opcode, int32_t index,
                                                      intptr_t value, void* ptr, float opt) {
  AudioEffect* object = objectOf(e);
  if (!object) return 0;
  if (opcode == effClose) {
    object->dispatcher(opcode, index, value, ptr, opt);
    delete object;
    return 1;
  }
  return object->dispatcher(opcode, index, value, ptr, opt);
}

ORVALIS_HOST_ENTRY void VSTCALLBACK processEntry(AEffect* e, float** inputs, float** outputs,
                                                 int32_t frames) {
  if (AudioEffect* object = objectOf(e)) object->process(inputs, outputs, frames);
}

ORVALIS_HOST_ENTRY void VSTCALLBACK processReplacingEntry(AEffect* e, float** inputs,
                                                          float** outputs, int32_t frames) {
  if (AudioEffect* object = objectOf(e)) object->processReplacing(inputs, outputs, frames);
}

ORVALIS_HOST_ENTRY void VSTCALLBACK setParameterEntry(AEffect* e, int32_t index, float value) {
  if (AudioEffect* object = objectOf(e)) object->setParameter(index, value);
}

ORVALIS_HOST_ENTRY float VSTCALLBACK getParameterEntry(AEffect* e, int32_t index) {
  AudioEffect* object = objectOf(e);
  return object ? object->getParameter(index) : 0.f;
}

}  // namespace

void copyHostText(char* dst, const char* src, std::size_t capacity) {
  params::copyBoundedText(dst, capacity, src);
}

void* AudioEffect::operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return alignedAllocate(size, 16);
}
void* AudioEffect::operator new(std::size_t size, std::align_val_t align,
                                const std::nothrow_t&) noexcept {
  std::size_t a = static_cast<std::size_t>(align);
  return alignedAllocate(size, a < 16 ? 16 : a);
}
void AudioEffect::operator delete(void* p) noexcept { alignedRelease(p); }
void AudioEffect::operator delete(void* p, std::align_val_t) noexcept { alignedRelease(p); }

AudioEffect::AudioEffect(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams)
    : audioMaster(audioMaster), numPrograms(numPrograms), numParams(numParams) {
  std::memset(&cEffect, 0, sizeof(cEffect));
  cEffect.magic = kEffectMagic;
  cEffect.dispatcher = dispatchEntry;
  cEffect.process = processEntry;
  cEffect.setParameter = setParameterEntry;
  cEffect.getParameter = getParameterEntry;
  cEffect.numPrograms = numPrograms;
  cEffect.numParams = numParams;
  cEffect.numInputs = 1;
  cEffect.numOutputs = 2;
  cEffect.flags = 0;
  cEffect.ioRatio = 1.f;
  cEffect.object = this;
  cEffect.uniqueID = 0x4E6F4566;  // 'NoEf'
  cEffect.version = 1;
  cEffect.processReplacing = processReplacingEntry;
}

AudioEffect::~AudioEffect() {
  delete editor;
  editor = nullptr;
}

intptr_t AudioEffect::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                               float opt) {
  return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::setFlag(int32_t bit, bool state) {
  if (state)
    cEffect.flags |= bit;
  else
    cEffect.flags &= ~bit;
}

void AudioEffect::setParameter(int32_t, float) {}
float AudioEffect::getParameter(int32_t) { return 0.f; }

void AudioEffect::setParameterAutomated(int32_t index, float value) {
  setParameter(index, value);
  callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::processReplacing(float**, float**, int32_t) {}

intptr_t AudioEffect::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                 float opt) {
  switch (opcode) {
    case effOpen:
      open();
      return 0;
    case effClose:
      close();
      return 0;
    case effSetProgram:
      // Signed comparison: negative values are passed on (they reload the current program).
      if (value < numPrograms) setProgram(value < INT32_MIN ? -1 : static_cast<int32_t>(value));
      return 0;
    case effGetProgram:
      return getProgram();
    case effSetProgramName:
      if (ptr) setProgramName(static_cast<char*>(ptr));
      return 0;
    case effGetProgramName:
      if (ptr) getProgramName(static_cast<char*>(ptr));
      return 0;
    case effGetParamLabel:
      if (ptr) getParameterLabel(index, static_cast<char*>(ptr));
      return 0;
    case effGetParamDisplay:
      if (ptr) getParameterDisplay(index, static_cast<char*>(ptr));
      return 0;
    case effGetParamName:
      if (ptr) getParameterName(index, static_cast<char*>(ptr));
      return 0;
    case effGetVu: {
      float vu = getVu() * 32767.f;
      if (!(std::fabs(vu) < 2147483647.f)) return 0;
      return static_cast<intptr_t>(static_cast<int32_t>(vu));
    }
    case effSetSampleRate:
      setSampleRate(opt);
      return 0;
    case effSetBlockSize:
      setBlockSize(static_cast<int32_t>(value));
      return 0;
    case effMainsChanged:
      if (value == 0)
        suspend();
      else
        resume();
      return 0;
    case effEditGetRect:
      if (!editor || !ptr) return 0;
      return editor->getRect(static_cast<ERect**>(ptr));
    case effEditOpen:
      return editor ? editor->open(ptr) : 0;
    case effEditClose:
      if (editor) editor->close();
      return 0;
    case effEditIdle:
      if (editor) editor->idle();
      return 0;
    case effIdentify:
      return 0x4E764566;  // 'NvEf'
    case effGetChunk:
      if (!ptr) return 0;
      return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
      return setChunk(ptr, static_cast<int32_t>(value), index != 0);
    default:
      return 0;
  }
}

void AudioEffect::open() {}
void AudioEffect::close() {}
int32_t AudioEffect::getProgram() { return curProgram; }
void AudioEffect::setProgram(int32_t program) { curProgram = program; }
void AudioEffect::setProgramName(char* name) { copyHostText(name, ""); }
void AudioEffect::getProgramName(char* name) { copyHostText(name, ""); }
void AudioEffect::getParameterLabel(int32_t, char* label) { copyHostText(label, ""); }
void AudioEffect::getParameterDisplay(int32_t, char* text) { copyHostText(text, ""); }
void AudioEffect::getParameterName(int32_t, char* text) { copyHostText(text, ""); }
float AudioEffect::getVu() { return 0.f; }
int32_t AudioEffect::getChunk(void**, bool) { return 0; }
int32_t AudioEffect::setChunk(void*, int32_t, bool) { return 0; }
void AudioEffect::setSampleRate(float rate) { sampleRate = rate; }
void AudioEffect::setBlockSize(int32_t size) { blockSize = size; }
void AudioEffect::suspend() {}
void AudioEffect::resume() {}
void AudioEffect::setUniqueID(int32_t id) { cEffect.uniqueID = id; }
void AudioEffect::setNumInputs(int32_t inputs) { cEffect.numInputs = inputs; }
void AudioEffect::setNumOutputs(int32_t outputs) { cEffect.numOutputs = outputs; }
void AudioEffect::hasVu(bool state) { setFlag(effFlagsHasVu, state); }
void AudioEffect::hasClip(bool state) { setFlag(effFlagsHasClip, state); }
void AudioEffect::canMono(bool state) { setFlag(effFlagsCanMono, state); }
void AudioEffect::canProcessReplacing(bool state) { setFlag(effFlagsCanReplacing, state); }
void AudioEffect::programsAreChunks(bool state) { setFlag(effFlagsProgramChunks, state); }
void AudioEffect::setRealtimeQualities(int32_t q) { cEffect.realQualities = q; }
void AudioEffect::setOfflineQualities(int32_t q) { cEffect.offQualities = q; }
void AudioEffect::setInitialDelay(int32_t delay) { cEffect.initialDelay = delay; }
float AudioEffect::getSampleRate() { return sampleRate; }
int32_t AudioEffect::getBlockSize() { return blockSize; }

int32_t AudioEffect::getMasterVersion() {
  intptr_t version = callHost(audioMasterVersion);
  return version ? static_cast<int32_t>(version) : 1;
}

int32_t AudioEffect::getCurrentUniqueId() {
  return static_cast<int32_t>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle() { callHost(audioMasterIdle); }

bool AudioEffect::isInputConnected(int32_t input) {
  return callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(int32_t output) {
  return callHost(audioMasterPinConnected, output, 1) == 0;
}

void AudioEffect::dB2string(float value, char* text) {
  if (!text) return;
  if (value <= 0.f)
    copyHostText(text, "-oo");
  else
    float2string(static_cast<float>(20. * std::log10(value)), text);
}

void AudioEffect::Hz2string(float samples, char* text) {
  float2string(samples == 0.f ? 0.f : sampleRate / samples, text);
}

void AudioEffect::ms2string(float samples, char* text) {
  float2string(samples * 1000.f / sampleRate, text);
}

void AudioEffect::float2string(float value, char* text) {
  if (!text || !std::isfinite(value)) return;
  // At most eight digits and a decimal point; larger magnitudes leave the text alone.
  double magnitude = std::fabs(static_cast<double>(value));
  if (magnitude >= 1e8) return;
  int integerDigits = 1;
  for (double limit = 10.; magnitude >= limit && integerDigits < 8; limit *= 10.) ++integerDigits;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.*f", 8 - integerDigits, static_cast<double>(value));
  copyHostText(text, buffer);
}

void AudioEffect::long2string(int32_t value, char* text) {
  if (!text) return;
  if (value > 99999999) {
    copyHostText(text, "Huge!");
    return;
  }
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%7d", value);
  copyHostText(text, buffer, 9);
}

}  // namespace orvalis::vst2
