#include "core/instrument.h"

#include <cmath>

#include "core/state_blob.h"
#include "engine/denormals.h"

namespace orvalis {

namespace {
int voicesFor(float polyphony) { return 1 << params::choiceIndex(polyphony, 4); }
}  // namespace

Instrument::Instrument() {
  const params::ProgramRecord basique;
  for (int i = 0; i < params::kNumParams; ++i) engineValues[i] = basique.values[i];
  // The engine starts with all eight voices in use; "Polyphonie" takes effect from the next
  // program selection or change of that parameter.
  synth.build(engineValues);
  publishDisplay();
}

void Instrument::setParameter(int index, float value) {
  // Some hosts send garbage on automation lanes: non-finite values are ignored.
  if (!params::isValidIndex(index) || !std::isfinite(value)) return;
  bank[currentProgram()].setValue(index, value);
  handoff.parameterChanged(index);
}

float Instrument::parameter(int index) const {
  return params::isValidIndex(index) ? bank[currentProgram()].value(index) : 0.f;
}

void Instrument::parameterDisplay(int index, char* text, std::size_t capacity) const {
  params::formatDisplay(index, parameter(index), text, capacity);
}

void Instrument::selectProgram(int program) {
  if (program < 0 || program >= params::kNumPrograms) return;
  current.store(program, std::memory_order_relaxed);
  char name[params::kProgramNameSize];
  bank[program].name(name);
  edit.setName(name);
  handoff.programSelected();
}

void Instrument::setProgramName(const char* name) {
  if (name) bank[currentProgram()].setName(name);
}

bool Instrument::programName(int program, char* text) const {
  if (!text || program < 0 || program >= params::kNumPrograms) return false;
  bank[program].name(text);
  return true;
}

bool Instrument::copyProgram(int destination) {
  if (destination < 0 || destination >= params::kNumPrograms) return false;
  bank[destination].store(bank[currentProgram()].load());
  return true;
}

void Instrument::copyToClipboard() {
  params::ProgramRecord record = bank[currentProgram()].load();
  edit.name(record.name);
  clipboard.store(record);
}

void Instrument::pasteFromClipboard() {
  bank[currentProgram()].store(clipboard.load());
  selectProgram(currentProgram());
}

params::ProgramRecord Instrument::program(int index) const {
  if (index < 0 || index >= params::kNumPrograms) return params::ProgramRecord();
  return bank[index].load();
}

bool Instrument::setSampleRate(float rate) {
  if (!isUsableSampleRate(rate)) return false;
  hostRate.store(rate, std::memory_order_relaxed);
  handoff.sampleRateChanged(rate);
  return true;
}

void Instrument::queueMidi(int32_t deltaFrames, uint8_t status, uint8_t data1, uint8_t data2) {
  synth.queueMidi(deltaFrames, status, data1, data2);
}

void Instrument::loadProgramIntoEngine() {
  const SharedProgram& p = bank[currentProgram()];
  for (int i = 0; i < params::kNumParams; ++i) engineValues[i] = p.value(i);
  synth.attachProgram(engineValues);
  synth.setPolyphony(voicesFor(engineValues[params::kPolyphony]));
}

void Instrument::applyParameterToEngine(int index) {
  engineValues[index] = bank[currentProgram()].value(index);
  if (index == params::kPolyphony) synth.setPolyphony(voicesFor(engineValues[index]));
  synth.applyParameter(index);
}

void Instrument::applyPendingSteps() {
  handoff.drain(
      [this](const EngineStep& step) {
        if (step.kind == EngineStep::kSetSampleRate)
          synth.setSampleRate(step.sampleRate, engineValues);
        else
          loadProgramIntoEngine();
      },
      [this](int index) { applyParameterToEngine(index); });
}

void Instrument::render(float* left, float* right, int32_t frames) {
  if (!left || !right) return;
  ScopedFlushToZero floatMode;
  applyPendingSteps();
  synth.process(left, right, frames);
  publishDisplay();
}

void Instrument::publishDisplay() {
  const Voice& v = synth.voice(synth.allocator().lastStartedVoice());
  DisplaySnapshot s;
  s.filter1Env = v.filter1Env.output;
  s.filter2Env = v.filter2Env.output;
  s.ampEnv = v.ampEnv.output;
  const float markers[5] = {v.filter.cutoff1, v.filter.reso1, v.timbreRaw, v.filter.cutoff2,
                            v.filter.reso2};
  for (int i = 0; i < 5; ++i) s.markers[i] = markers[i];
  s.meterSmooth = synth.meter().smooth;
  s.meterMedian = synth.meter().median;
  displayed.publish(s);
}

std::vector<uint8_t> Instrument::saveState() const {
  BankState state;
  for (int i = 0; i < params::kNumPrograms; ++i) state.programs[i] = bank[i].load();
  state.currentProgram = currentProgram();
  return encodeBankState(state);
}

bool Instrument::loadState(const uint8_t* data, std::size_t size, std::string* why) {
  BankState state;
  if (!decodeBankState(data, size, state, why)) return false;
  for (int i = 0; i < params::kNumPrograms; ++i) bank[i].store(state.programs[i]);
  selectProgram(state.currentProgram);
  return true;
}

}  // namespace orvalis
