// The VST 2 face of the instrument: maps the host's opcodes onto the format-neutral core and
// keeps the interface's identity, capabilities and program-name services.
#pragma once

#include "core/file_identity.h"
#include "core/instrument.h"
#include "plugin/audio_effect_x.h"

namespace orvalis::vst2 {

class CorvinaGuiEditor;

class Corvina : public AudioEffectX {
 public:
  static constexpr int32_t kUniqueId = orvalis::core::kFileId;
  static constexpr int32_t kVendorVersion = 1000;

  explicit Corvina(audioMasterCallback audioMaster);
  ~Corvina() override;

  // Parameters.
  void setParameter(int32_t index, float value) override;
  float getParameter(int32_t index) override;
  void getParameterLabel(int32_t index, char* label) override;
  void getParameterDisplay(int32_t index, char* text) override;
  void getParameterName(int32_t index, char* text) override;

  // Programs.
  void setProgram(int32_t program) override;
  int32_t getProgram() override;
  void setProgramName(char* name) override;
  void getProgramName(char* name) override;
  bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override;
  bool copyProgram(int32_t destination) override;
  void copyToClipboard();
  void pasteFromClipboard();

  // Audio and events.
  void process(float** inputs, float** outputs, int32_t sampleFrames) override;
  void processReplacing(float** inputs, float** outputs, int32_t sampleFrames) override;
  int32_t processEvents(VstEvents* events) override;
  void setSampleRate(float rate) override;
  void setBlockSize(int32_t size) override;
  void suspend() override;
  void resume() override;

  // Identity and capabilities.
  bool getEffectName(char* name) override;
  bool getVendorString(char* text) override;
  bool getProductString(char* text) override;
  int32_t getVendorVersion() override;
  int32_t canDo(char* text) override;
  bool getOutputProperties(int32_t index, VstPinProperties* properties) override;
  bool keysRequired() override;
  intptr_t vendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) override;
  int32_t getMidiProgramName(int32_t channel, MidiProgramName* name) override;
  int32_t getCurrentMidiProgram(int32_t channel, MidiProgramName* current) override;
  int32_t getMidiProgramCategory(int32_t channel, MidiProgramCategory* category) override;
  bool hasMidiProgramsChanged(int32_t channel) override;
  bool getMidiKeyName(int32_t channel, MidiKeyName* keyName) override;

  orvalis::core::Instrument& instrument() { return core; }
  const orvalis::core::Instrument& instrument() const { return core; }
  CorvinaGuiEditor* guiEditor() const { return gui; }

 private:
  void fillMidiProgram(int32_t channel, int32_t program, MidiProgramName* record);

  orvalis::core::Instrument core;
  CorvinaGuiEditor* gui = nullptr;  // owned through the base's editor pointer
  int32_t channelPrograms[16];
};

}  // namespace orvalis::vst2
