#include "plugin/audio_effect_x.h"

#include <cmath>

#include "plugin/aeff_editor.h"

namespace orvalis::vst2 {

namespace {

// Float to int with truncation toward zero; NaN and out-of-range values give 0.
int32_t truncatedInt(float x) {
  return (x > -2147483648.f && x < 2147483648.f) ? static_cast<int32_t>(x) : 0;
}

}  // namespace

AudioEffectX::AudioEffectX(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams)
    : AudioEffect(audioMaster, numPrograms, numParams) {}

intptr_t AudioEffectX::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt) {
  switch (opcode) {
    case effProcessEvents:
      return processEvents(static_cast<VstEvents*>(ptr));
    case effCanBeAutomated:
      return canParameterBeAutomated(index) ? 1 : 0;
    case effString2Parameter:
      return string2parameter(index, static_cast<char*>(ptr)) ? 1 : 0;
    case effGetNumProgramCategories:
      return getNumCategories();
    case effGetProgramNameIndexed:
      return getProgramNameIndexed(static_cast<int32_t>(value), index, static_cast<char*>(ptr)) ? 1
                                                                                                : 0;
    case effCopyProgram:
      return copyProgram(index) ? 1 : 0;
    case effConnectInput:
      inputConnected(index, value != 0);
      return 1;
    case effConnectOutput:
      outputConnected(index, value != 0);
      return 1;
    case effGetInputProperties:
      return getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetOutputProperties:
      return getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetPlugCategory:
      return getPlugCategory();
    case effGetCurrentPosition:
      return reportCurrentPosition();
    case effGetDestinationBuffer:
      return reinterpret_cast<intptr_t>(reportDestinationBuffer());
    case effOfflineNotify:
      return offlineNotify(ptr, static_cast<int32_t>(value), index != 0) ? 1 : 0;
    case effOfflinePrepare:
      return offlinePrepare(ptr, static_cast<int32_t>(value)) ? 1 : 0;
    case effOfflineRun:
      return offlineRun(ptr, static_cast<int32_t>(value)) ? 1 : 0;
    case effProcessVarIo:
      return processVariableIo(ptr) ? 1 : 0;
    case effSetSpeakerArrangement:
      return setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                   static_cast<VstSpeakerArrangement*>(ptr))
                 ? 1
                 : 0;
    case effSetBlockSizeAndSampleRate:
      setBlockSizeAndSampleRate(static_cast<int32_t>(value), opt);
      return 1;
    case effSetBypass:
      return setBypass(value != 0) ? 1 : 0;
    case effGetEffectName:
      return getEffectName(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetErrorText:
      return getErrorText(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorString:
      return getVendorString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProductString:
      return getProductString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorVersion:
      return getVendorVersion();
    case effVendorSpecific:
      return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
      return canDo(static_cast<char*>(ptr));
    case effGetTailSize:
      return getGetTailSize();
    case effIdle:
      return fxIdle();
    case effGetIcon:
      return reinterpret_cast<intptr_t>(getIcon());
    case effSetViewPosition:
      return setViewPosition(index, static_cast<int32_t>(value)) ? 1 : 0;
    case effGetParameterProperties:
      return getParameterProperties(index, ptr) ? 1 : 0;
    case effKeysRequired:
      return keysRequired() ? 0 : 1;
    case effGetVstVersion:
      return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp: {
      if (!editor) return 0;
      VstKeyCode key{};
      key.character = index;
      key.virt = static_cast<unsigned char>(value & 0xFF);
      key.modifier = static_cast<unsigned char>(truncatedInt(opt) & 0xFF);
      return opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
    }
    case effSetEditKnobMode:
      return editor ? editor->setKnobMode(static_cast<int32_t>(value)) : 0;
    case effGetMidiProgramName:
      return getMidiProgramName(index, static_cast<MidiProgramName*>(ptr));
    case effGetCurrentMidiProgram:
      return getCurrentMidiProgram(index, static_cast<MidiProgramName*>(ptr));
    case effGetMidiProgramCategory:
      return getMidiProgramCategory(index, static_cast<MidiProgramCategory*>(ptr));
    case effHasMidiProgramsChanged:
      return hasMidiProgramsChanged(index) ? 1 : 0;
    case effGetMidiKeyName:
      return getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)) ? 1 : 0;
    case effBeginSetProgram:
      return beginSetProgram() ? 1 : 0;
    case effEndSetProgram:
      return endSetProgram() ? 1 : 0;
    case effGetSpeakerArrangement:
      return getSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement**>(value),
                                   static_cast<VstSpeakerArrangement**>(ptr))
                 ? 1
                 : 0;
    case effShellGetNextPlugin:
      return getNextShellPlugin(static_cast<char*>(ptr));
    case effStartProcess:
      return startProcess();
    case effStopProcess:
      return stopProcess();
    case effSetTotalSampleToProcess:
      return setTotalSampleToProcess(value);
    case effSetPanLaw:
      return setPanLaw(static_cast<int32_t>(value), opt) ? 1 : 0;
    case effBeginLoadBank:
      return beginLoadBank(ptr);
    case effBeginLoadProgram:
      return beginLoadProgram(ptr);
    default:
      return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
  }
}

AEffEditor* AudioEffectX::getEditor() { return editor; }
bool AudioEffectX::wantEvents(int32_t filter) {
  return callHost(audioMasterWantMidi, 0, filter) != 0;
}
intptr_t AudioEffectX::getTimeInfo(int32_t filter) {
  return callHost(audioMasterGetTime, 0, filter);
}
int32_t AudioEffectX::tempoAt(int32_t pos) {
  return static_cast<int32_t>(callHost(audioMasterTempoAt, 0, pos));
}
int32_t AudioEffectX::processEvents(VstEvents*) { return 0; }
int32_t AudioEffectX::getNumAutomatableParameters() {
  return static_cast<int32_t>(callHost(audioMasterGetNumAutomatableParameters));
}
int32_t AudioEffectX::getParameterQuantization() {
  return static_cast<int32_t>(callHost(audioMasterGetParameterQuantization));
}
bool AudioEffectX::canParameterBeAutomated(int32_t) { return true; }
bool AudioEffectX::string2parameter(int32_t, char*) { return false; }
float AudioEffectX::getChannelParameter(int32_t, int32_t) { return 0.f; }
int32_t AudioEffectX::getNumCategories() { return 1; }
bool AudioEffectX::getProgramNameIndexed(int32_t, int32_t, char*) { return false; }
bool AudioEffectX::copyProgram(int32_t) { return false; }
bool AudioEffectX::ioChanged() { return callHost(audioMasterIOChanged) != 0; }
bool AudioEffectX::needIdle() { return callHost(audioMasterNeedIdle) != 0; }
bool AudioEffectX::sizeWindow(int32_t width, int32_t height) {
  return callHost(audioMasterSizeWindow, width, height) != 0;
}

double AudioEffectX::updateSampleRate() {
  intptr_t rate = callHost(audioMasterGetSampleRate);
  if (rate > 0) sampleRate = static_cast<float>(rate);
  return sampleRate;
}

int32_t AudioEffectX::updateBlockSize() {
  intptr_t size = callHost(audioMasterGetBlockSize);
  if (size > 0 && size <= INT32_MAX) blockSize = static_cast<int32_t>(size);
  return blockSize;
}

int32_t AudioEffectX::getInputLatency() {
  return static_cast<int32_t>(callHost(audioMasterGetInputLatency));
}
int32_t AudioEffectX::getOutputLatency() {
  return static_cast<int32_t>(callHost(audioMasterGetOutputLatency));
}
AEffect* AudioEffectX::getPreviousPlug(int32_t) {
  return reinterpret_cast<AEffect*>(callHost(audioMasterGetPreviousPlug));
}
AEffect* AudioEffectX::getNextPlug(int32_t) {
  return reinterpret_cast<AEffect*>(callHost(audioMasterGetNextPlug));
}
void AudioEffectX::inputConnected(int32_t, bool) {}
void AudioEffectX::outputConnected(int32_t, bool) {}
bool AudioEffectX::getInputProperties(int32_t, VstPinProperties*) { return false; }
bool AudioEffectX::getOutputProperties(int32_t, VstPinProperties*) { return false; }
int32_t AudioEffectX::getPlugCategory() {
  return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}
int32_t AudioEffectX::willProcessReplacing() {
  return static_cast<int32_t>(callHost(audioMasterWillReplaceOrAccumulate));
}
int32_t AudioEffectX::getCurrentProcessLevel() {
  return static_cast<int32_t>(callHost(audioMasterGetCurrentProcessLevel));
}
int32_t AudioEffectX::getAutomationState() {
  return static_cast<int32_t>(callHost(audioMasterGetAutomationState));
}
void AudioEffectX::isAsync(bool state) { setFlag(effFlagsExtIsAsync, state); }
void AudioEffectX::hasExternalBuffer(bool state) { setFlag(effFlagsExtHasBuffer, state); }
intptr_t AudioEffectX::reportCurrentPosition() { return 0; }
float* AudioEffectX::reportDestinationBuffer() { return nullptr; }
bool AudioEffectX::offlineRead(void* offline, int32_t option, bool readSource) {
  return callHost(audioMasterOfflineRead, readSource ? 1 : 0, option, offline) != 0;
}
bool AudioEffectX::offlineWrite(void* offline, int32_t option) {
  return callHost(audioMasterOfflineWrite, 0, option, offline) != 0;
}
bool AudioEffectX::offlineStart(void* audioFiles, int32_t numAudioFiles, int32_t numNewAudioFiles) {
  return callHost(audioMasterOfflineStart, numNewAudioFiles, numAudioFiles, audioFiles) != 0;
}
int32_t AudioEffectX::offlineGetCurrentPass() {
  return callHost(audioMasterOfflineGetCurrentPass) != 0 ? 1 : 0;
}
int32_t AudioEffectX::offlineGetCurrentMetaPass() {
  return callHost(audioMasterOfflineGetCurrentMetaPass) != 0 ? 1 : 0;
}
bool AudioEffectX::offlineNotify(void*, int32_t, bool) { return false; }
bool AudioEffectX::offlinePrepare(void*, int32_t) { return false; }
bool AudioEffectX::offlineRun(void*, int32_t) { return false; }
int32_t AudioEffectX::offlineGetNumPasses() { return 0; }
int32_t AudioEffectX::offlineGetNumMetaPasses() { return 0; }
void AudioEffectX::setOutputSamplerate(float rate) {
  callHost(audioMasterSetOutputSampleRate, 0, 0, nullptr, rate);
}
VstSpeakerArrangement* AudioEffectX::getInputSpeakerArrangement() {
  return reinterpret_cast<VstSpeakerArrangement*>(callHost(audioMasterGetInputSpeakerArrangement));
}
VstSpeakerArrangement* AudioEffectX::getOutputSpeakerArrangement() {
  return reinterpret_cast<VstSpeakerArrangement*>(callHost(audioMasterGetOutputSpeakerArrangement));
}
bool AudioEffectX::getHostVendorString(char* text) {
  return callHost(audioMasterGetVendorString, 0, 0, text) != 0;
}
bool AudioEffectX::getHostProductString(char* text) {
  return callHost(audioMasterGetProductString, 0, 0, text) != 0;
}
int32_t AudioEffectX::getHostVendorVersion() {
  return static_cast<int32_t>(callHost(audioMasterGetVendorVersion));
}
intptr_t AudioEffectX::hostVendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) {
  return callHost(audioMasterVendorSpecific, index, value, ptr, opt);
}
int32_t AudioEffectX::canHostDo(char* text) {
  return callHost(audioMasterCanDo, 0, 0, text) != 0 ? 1 : 0;
}
void AudioEffectX::isSynth(bool state) { setFlag(effFlagsIsSynth, state); }
void AudioEffectX::noTail(bool state) { setFlag(effFlagsNoSoundInStop, state); }
int32_t AudioEffectX::getHostLanguage() {
  return static_cast<int32_t>(callHost(audioMasterGetLanguage));
}
void* AudioEffectX::openWindow(void* window) {
  return reinterpret_cast<void*>(callHost(audioMasterOpenWindow, 0, 0, window));
}
bool AudioEffectX::closeWindow(void* window) {
  return callHost(audioMasterCloseWindow, 0, 0, window) != 0;
}
void* AudioEffectX::getDirectory() {
  return reinterpret_cast<void*>(callHost(audioMasterGetDirectory));
}
bool AudioEffectX::updateDisplay() { return callHost(audioMasterUpdateDisplay) != 0; }
bool AudioEffectX::processVariableIo(void*) { return false; }
bool AudioEffectX::setSpeakerArrangement(VstSpeakerArrangement*, VstSpeakerArrangement*) {
  return false;
}
bool AudioEffectX::getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                         VstSpeakerArrangement** pluginOutput) {
  if (pluginInput) *pluginInput = nullptr;
  if (pluginOutput) *pluginOutput = nullptr;
  return false;
}

// Goes through the two virtual setters so that an instrument follows the new rate exactly as it
// does for effSetSampleRate.
void AudioEffectX::setBlockSizeAndSampleRate(int32_t size, float rate) {
  setBlockSize(size);
  setSampleRate(rate);
}

bool AudioEffectX::setBypass(bool) { return false; }
bool AudioEffectX::getEffectName(char*) { return false; }
bool AudioEffectX::getErrorText(char*) { return false; }
bool AudioEffectX::getVendorString(char*) { return false; }
bool AudioEffectX::getProductString(char*) { return false; }
int32_t AudioEffectX::getVendorVersion() { return 0; }
intptr_t AudioEffectX::vendorSpecific(int32_t, intptr_t, void*, float) { return 0; }
int32_t AudioEffectX::canDo(char*) { return 0; }
void* AudioEffectX::getIcon() { return nullptr; }
bool AudioEffectX::setViewPosition(int32_t, int32_t) { return false; }
int32_t AudioEffectX::getGetTailSize() { return 0; }
int32_t AudioEffectX::fxIdle() { return 0; }
bool AudioEffectX::getParameterProperties(int32_t, void*) { return false; }
bool AudioEffectX::keysRequired() { return false; }
int32_t AudioEffectX::getVstVersion() { return kVstVersion; }
int32_t AudioEffectX::getMidiProgramName(int32_t, MidiProgramName*) { return 0; }
int32_t AudioEffectX::getCurrentMidiProgram(int32_t, MidiProgramName*) { return -1; }
int32_t AudioEffectX::getMidiProgramCategory(int32_t, MidiProgramCategory*) { return 0; }
bool AudioEffectX::hasMidiProgramsChanged(int32_t) { return false; }
bool AudioEffectX::getMidiKeyName(int32_t, MidiKeyName*) { return false; }
bool AudioEffectX::beginSetProgram() { return false; }
bool AudioEffectX::endSetProgram() { return false; }
bool AudioEffectX::beginEdit(int32_t index) { return callHost(audioMasterBeginEdit, index) != 0; }
bool AudioEffectX::endEdit(int32_t index) { return callHost(audioMasterEndEdit, index) != 0; }
bool AudioEffectX::openFileSelector(void* selector) {
  return selector && callHost(audioMasterOpenFileSelector, 0, 0, selector) != 0;
}
intptr_t AudioEffectX::setTotalSampleToProcess(intptr_t value) { return value; }
int32_t AudioEffectX::getNextShellPlugin(char*) { return 0; }
int32_t AudioEffectX::startProcess() { return 0; }
int32_t AudioEffectX::stopProcess() { return 0; }
bool AudioEffectX::setPanLaw(int32_t, float) { return false; }
int32_t AudioEffectX::beginLoadBank(void*) { return 0; }
int32_t AudioEffectX::beginLoadProgram(void*) { return 0; }

bool AudioEffectX::sendVstEventsToHost(VstEvents* events) {
  return callHost(audioMasterProcessEvents, 0, 0, events) == 1;
}
bool AudioEffectX::closeFileSelector(void* selector) {
  return selector && callHost(audioMasterCloseFileSelector, 0, 0, selector) != 0;
}
bool AudioEffectX::getChunkFile(void* nativePath) {
  return nativePath && callHost(audioMasterGetChunkFile, 0, 0, nativePath) != 0;
}

}  // namespace orvalis::vst2
