#include "plugin/corvina.h"

#include <cmath>
#include <new>

#include "plugin/corvina_gui_editor.h"

namespace orvalis::vst2 {

using namespace orvalis::params;

Corvina::Corvina(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, kNumPrograms, kNumParams) {
  for (int32_t c = 0; c < 16; ++c) channelPrograms[c] = c;

  setNumInputs(0);
  setNumOutputs(2);
  canProcessReplacing();
  hasVu(false);
  hasClip(false);
  isSynth();
  setUniqueID(kUniqueId);

  // The editor registers itself and sets the editor flag; without memory the instance runs
  // without one.
  gui = new (std::nothrow) CorvinaGuiEditor(this);
}

Corvina::~Corvina() {}

void Corvina::setParameter(int32_t index, float value) {
  if (!isValidIndex(index) || !std::isfinite(value)) return;
  if (gui) gui->setParameter(index, value);
  core.setParameter(index, value);
}

float Corvina::getParameter(int32_t index) { return core.parameter(index); }

void Corvina::getParameterLabel(int32_t index, char* label) {
  if (const char* text = parameterLabel(index)) copyHostText(label, text);
}

void Corvina::getParameterName(int32_t index, char* text) {
  if (const char* name = parameterName(index)) copyHostText(text, name);
}

void Corvina::getParameterDisplay(int32_t index, char* text) {
  core.parameterDisplay(index, text, kVstMaxTextLength);
}

void Corvina::process(float** inputs, float** outputs, int32_t sampleFrames) {
  processReplacing(inputs, outputs, sampleFrames);
}

void Corvina::processReplacing(float**, float** outputs, int32_t sampleFrames) {
  if (!outputs) return;
  core.render(outputs[0], outputs[1], sampleFrames);
}

int32_t Corvina::processEvents(VstEvents* events) {
  if (!events || events->numEvents <= 0) return 1;
  // The block holds numEvents pointers, though the record declares two.
  VstEvent* const* list = events->events;
  for (int32_t i = 0; i < events->numEvents; ++i) {
    const VstEvent* e = list[i];
    // byteSize is informative only: hosts send 0, 24 (a 32-bit bridge) or 32 for MIDI records.
    if (!e || e->type != kVstMidiType) continue;
    const auto* midi = reinterpret_cast<const VstMidiEvent*>(e);
    core.queueMidi(midi->deltaFrames, static_cast<uint8_t>(midi->midiData[0]),
                   static_cast<uint8_t>(midi->midiData[1]),
                   static_cast<uint8_t>(midi->midiData[2]));
  }
  return 1;
}

void Corvina::setSampleRate(float rate) {
  if (core.setSampleRate(rate)) AudioEffect::setSampleRate(rate);
}

void Corvina::setBlockSize(int32_t size) {
  blockSize = size;
  core.setBlockSize(size);
}

void Corvina::suspend() {}

void Corvina::resume() { wantEvents(1); }

}  // namespace orvalis::vst2
