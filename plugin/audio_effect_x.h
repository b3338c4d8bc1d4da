// The extended plug-in base class: dispatcher opcodes 25..76 and the extended host callbacks.
#pragma once

#include "plugin/audio_effect.h"

namespace orvalis::vst2 {

class AudioEffectX : public AudioEffect {
 public:
  AudioEffectX(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams);

  intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) override;

  virtual AEffEditor* getEditor();
  virtual bool wantEvents(int32_t filter = 1);
  virtual intptr_t getTimeInfo(int32_t filter);
  virtual int32_t tempoAt(int32_t pos);
  virtual int32_t processEvents(VstEvents* events);
  virtual int32_t getNumAutomatableParameters();
  virtual int32_t getParameterQuantization();
  virtual bool canParameterBeAutomated(int32_t index);
  virtual bool string2parameter(int32_t index, char* text);
  virtual float getChannelParameter(int32_t channel, int32_t index);
  virtual int32_t getNumCategories();
  virtual bool getProgramNameIndexed(int32_t category, int32_t index, char* text);
  virtual bool copyProgram(int32_t destination);
  virtual bool ioChanged();
  virtual bool needIdle();
  virtual bool sizeWindow(int32_t width, int32_t height);
  virtual double updateSampleRate();
  virtual int32_t updateBlockSize();
  virtual int32_t getInputLatency();
  virtual int32_t getOutputLatency();
  virtual AEffect* getPreviousPlug(int32_t input);
  virtual AEffect* getNextPlug(int32_t output);
  virtual void inputConnected(int32_t index, bool state);
  virtual void outputConnected(int32_t index, bool state);
  virtual bool getInputProperties(int32_t index, VstPinProperties* properties);
  virtual bool getOutputProperties(int32_t index, VstPinProperties* properties);
  virtual int32_t getPlugCategory();
  virtual int32_t willProcessReplacing();
  virtual int32_t getCurrentProcessLevel();
  virtual int32_t getAutomationState();
  virtual void isAsync(bool state = true);
  virtual void hasExternalBuffer(bool state = true);
  virtual intptr_t reportCurrentPosition();
  virtual float* reportDestinationBuffer();
  virtual bool offlineRead(void* offline, int32_t option, bool readSource = true);
  virtual bool offlineWrite(void* offline, int32_t option);
  virtual bool offlineStart(void* audioFiles, int32_t numAudioFiles, int32_t numNewAudioFiles);
  virtual int32_t offlineGetCurrentPass();
  virtual int32_t offlineGetCurrentMetaPass();
  virtual bool offlineNotify(void* ptr, int32_t numAudioFiles, bool start);
  virtual bool offlinePrepare(void* offline, int32_t count);
  virtual bool offlineRun(void* offline, int32_t count);
  virtual int32_t offlineGetNumPasses();
  virtual int32_t offlineGetNumMetaPasses();
  virtual void setOutputSamplerate(float samplerate);
  virtual VstSpeakerArrangement* getInputSpeakerArrangement();
  virtual VstSpeakerArrangement* getOutputSpeakerArrangement();
  virtual bool getHostVendorString(char* text);
  virtual bool getHostProductString(char* text);
  virtual int32_t getHostVendorVersion();
  virtual intptr_t hostVendorSpecific(int32_t index, intptr_t value, void* ptr, float opt);
  virtual int32_t canHostDo(char* text);
  virtual void isSynth(bool state = true);
  virtual void noTail(bool state = true);
  virtual int32_t getHostLanguage();
  virtual void* openWindow(void* window);
  virtual bool closeWindow(void* window);
  virtual void* getDirectory();
  virtual bool updateDisplay();
  virtual bool processVariableIo(void* varIo);
  virtual bool setSpeakerArrangement(VstSpeakerArrangement* pluginInput,
                                     VstSpeakerArrangement* pluginOutput);
  virtual bool getSpeakerArrangement(VstSpeakerArrangement** pluginInput,
                                     VstSpeakerArrangement** pluginOutput);
  virtual void setBlockSizeAndSampleRate(int32_t size, float rate);
  virtual bool setBypass(bool onOff);
  virtual bool getEffectName(char* name);
  virtual bool getErrorText(char* text);
  virtual bool getVendorString(char* text);
  virtual bool getProductString(char* text);
  virtual int32_t getVendorVersion();
  virtual intptr_t vendorSpecific(int32_t index, intptr_t value, void* ptr, float opt);
  virtual int32_t canDo(char* text);
  virtual void* getIcon();
  virtual bool setViewPosition(int32_t x, int32_t y);
  virtual int32_t getGetTailSize();
  virtual int32_t fxIdle();
  virtual bool getParameterProperties(int32_t index, void* properties);
  virtual bool keysRequired();
  virtual int32_t getVstVersion();
  virtual int32_t getMidiProgramName(int32_t channel, MidiProgramName* name);
  virtual int32_t getCurrentMidiProgram(int32_t channel, MidiProgramName* current);
  virtual int32_t getMidiProgramCategory(int32_t channel, MidiProgramCategory* category);
  virtual bool hasMidiProgramsChanged(int32_t channel);
  virtual bool getMidiKeyName(int32_t channel, MidiKeyName* keyName);
  virtual bool beginSetProgram();
  virtual bool endSetProgram();
  virtual bool beginEdit(int32_t index);
  virtual bool endEdit(int32_t index);
  virtual bool openFileSelector(void* selector);
  virtual intptr_t setTotalSampleToProcess(intptr_t value);
  virtual int32_t getNextShellPlugin(char* name);
  virtual int32_t startProcess();
  virtual int32_t stopProcess();
  virtual bool setPanLaw(int32_t type, float value);
  virtual int32_t beginLoadBank(void* bank);
  virtual int32_t beginLoadProgram(void* program);
  virtual bool allocateArrangement(VstSpeakerArrangement** arrangement, int32_t channels);
  virtual bool deallocateArrangement(VstSpeakerArrangement** arrangement);
  virtual bool copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from);
  virtual bool matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from);

  bool sendVstEventsToHost(VstEvents* events);
  bool closeFileSelector(void* selector);
  bool getChunkFile(void* nativePath);
};

}  // namespace orvalis::vst2
