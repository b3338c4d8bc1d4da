// The plug-in base class: owns the record the host holds, the program and parameter counts,
// the sample rate and block size, and answers the base dispatcher opcodes 0..24.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <new>

#include "plugin/vst2.h"

namespace orvalis::vst2 {

class AEffEditor;

class AudioEffect {
 public:
  AudioEffect(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams);
  virtual ~AudioEffect();

  // The record's five entries reach the object through this.
  AEffect* getAeffect() { return &cEffect; }

  virtual void setParameter(int32_t index, float value);
  virtual float getParameter(int32_t index);
  virtual void setParameterAutomated(int32_t index, float value);
  virtual void process(float** inputs, float** outputs, int32_t sampleFrames) = 0;
  virtual void processReplacing(float** inputs, float** outputs, int32_t sampleFrames);
  virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
  virtual void open();
  virtual void close();
  virtual int32_t getProgram();
  virtual void setProgram(int32_t program);
  virtual void setProgramName(char* name);
  virtual void getProgramName(char* name);
  virtual void getParameterLabel(int32_t index, char* label);
  virtual void getParameterDisplay(int32_t index, char* text);
  virtual void getParameterName(int32_t index, char* text);
  virtual float getVu();
  virtual int32_t getChunk(void** data, bool isPreset = false);
  virtual int32_t setChunk(void* data, int32_t byteSize, bool isPreset = false);
  virtual void setSampleRate(float sampleRate);
  virtual void setBlockSize(int32_t blockSize);
  virtual void suspend();
  virtual void resume();
  virtual void setUniqueID(int32_t id);
  virtual void setNumInputs(int32_t inputs);
  virtual void setNumOutputs(int32_t outputs);
  virtual void hasVu(bool state = true);
  virtual void hasClip(bool state = true);
  virtual void canMono(bool state = true);
  virtual void canProcessReplacing(bool state = true);
  virtual void programsAreChunks(bool state = true);
  virtual void setRealtimeQualities(int32_t qualities);
  virtual void setOfflineQualities(int32_t qualities);
  virtual void setInitialDelay(int32_t delay);
  virtual float getSampleRate();
  virtual int32_t getBlockSize();
  virtual int32_t getMasterVersion();
  virtual int32_t getCurrentUniqueId();
  virtual void masterIdle();
  virtual bool isInputConnected(int32_t input);
  virtual bool isOutputConnected(int32_t output);
  virtual void dB2string(float value, char* text);
  virtual void Hz2string(float samples, char* text);
  virtual void ms2string(float samples, char* text);
  virtual void float2string(float value, char* text);
  virtual void long2string(int32_t value, char* text);

  // The editor registers itself here and the record says so; the destructor deletes it.
  void registerEditor(AEffEditor* e) {
    editor = e;
    setFlag(effFlagsHasEditor, e != nullptr);
  }

  // The object is allocated on a 16-byte boundary: its engine state is SSE data.
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
  static void* operator new(std::size_t size, std::align_val_t, const std::nothrow_t&) noexcept;
  static void operator delete(void* p) noexcept;
  static void operator delete(void* p, std::align_val_t) noexcept;

 protected:
  void setFlag(int32_t bit, bool state);
  intptr_t callHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                    float opt = 0.f);

  // Hosts may set these from two threads at once.
  std::atomic<float> sampleRate{44100.f};
  AEffEditor* editor = nullptr;
  audioMasterCallback audioMaster;
  int32_t numPrograms;
  int32_t numParams;
  std::atomic<int32_t> curProgram{0};
  std::atomic<int32_t> blockSize{1024};
  AEffect cEffect;
};

// Writes at most kVstMaxTextLength - 1 characters and a terminator; a null buffer is ignored.
void copyHostText(char* dst, const char* src, std::size_t capacity = kVstMaxTextLength);

}  // namespace orvalis::vst2
