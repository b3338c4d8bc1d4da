#include "core/instrument.h"

#include <cmath>

#include "core/state_blob.h"
#include "engine/denormals.h"
#include "params/factory_bank.h"

namespace orvalis::core {

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

void Instrument::loadFactoryBank() {
  for (int i = 0; i < params::kNumPrograms; ++i) bank[i].store(params::factoryProgram(i).record);
  selectProgram(0);
}

bool Instrument::setSampleRate(float rate) {
  if (!engine::isUsableSampleRate(rate)) return false;
  hostRate.store(rate, std::memory_order_relaxed);
  handoff.sampleRateChanged(rate);
  return true;
}

void Instrument::queueMidi(int32_t deltaFrames, uint8_t status, uint8_t data1, uint8_t data2) {
  synth.queueMidi(deltaFrames, status, data1, data2);
}

namespace {
// A velocity as the engine hears a MIDI velocity: a value within a hair of v/127 takes the very
// float that MIDI velocity v gives, so formats with float velocities sound as MIDI does.
float engineVelocity(float velocity) {
  const float scaled = velocity * 127.f;
  const float nearest = std::nearbyint(scaled);
  if (nearest >= 1.f && std::fabs(scaled - nearest) < 1e-3f)
    return engine::midiVelocity(static_cast<int32_t>(nearest));
  return velocity;
}

bool isNoteKey(int key) { return key >= 0 && key < 128; }
}  // namespace

void Instrument::noteOn(int32_t offset, int channel, int key, float velocity) {
  (void)channel;
  if (!isNoteKey(key) || !std::isfinite(velocity)) return;
  velocity = velocity < 0.f ? 0.f : (velocity > 1.f ? 1.f : velocity);
  BlockEvent e{offset,
               velocity > 0.f ? BlockEvent::kNoteOn : BlockEvent::kNoteOff,
               {0, static_cast<uint8_t>(key), 0},
               0,
               engineVelocity(velocity)};
  pending.add(e);
}

void Instrument::noteOff(int32_t offset, int channel, int key, float velocity) {
  (void)channel;
  if (!isNoteKey(key) || !std::isfinite(velocity)) return;
  velocity = velocity < 0.f ? 0.f : (velocity > 1.f ? 1.f : velocity);
  pending.add({offset,
               BlockEvent::kNoteOff,
               {0, static_cast<uint8_t>(key), 0},
               0,
               engineVelocity(velocity)});
}

void Instrument::pitchBend(int32_t offset, int channel, int value) {
  value = value < 0 ? 0 : (value > 16383 ? 16383 : value);
  const uint8_t message[3] = {static_cast<uint8_t>(0xE0 | (channel & 0x0F)),
                              static_cast<uint8_t>(value & 0x7F), static_cast<uint8_t>(value >> 7)};
  midi(offset, message, sizeof message);
}

void Instrument::controller(int32_t offset, int channel, int number, int value) {
  if (number < 0 || number > 127) return;
  value = value < 0 ? 0 : (value > 127 ? 127 : value);
  const uint8_t message[3] = {static_cast<uint8_t>(0xB0 | (channel & 0x0F)),
                              static_cast<uint8_t>(number), static_cast<uint8_t>(value)};
  midi(offset, message, sizeof message);
}

void Instrument::midi(int32_t offset, const uint8_t* bytes, std::size_t size) {
  if (!bytes || size == 0) return;
  const uint8_t status = bytes[0];
  // System messages (SysEx, clock, ...) carry nothing the engine plays.
  if (status < 0x80 || status >= 0xF0) return;
  const std::size_t needed = (status & 0xE0) == 0xC0 ? 2 : 3;
  if (size < needed) return;
  BlockEvent e{
      offset, BlockEvent::kMidi, {status, bytes[1], needed > 2 ? bytes[2] : uint8_t{0}}, 0, 0.f};
  pending.add(e);
}

void Instrument::parameterAt(int32_t offset, int index, float value) {
  if (!params::isValidIndex(index) || !std::isfinite(value)) return;
  pending.add({offset, BlockEvent::kParameter, {0, 0, 0}, index, value});
}

void Instrument::forwardEvents() {
  engine::MidiEventQueue& queue = synth.eventQueue();
  for (int i = 0; i < pending.size(); ++i) {
    const BlockEvent& e = pending[i];
    switch (e.kind) {
      case BlockEvent::kMidi:
        queue.decodeMidi(e.offset, e.bytes[0], e.bytes[1], e.bytes[2]);
        break;
      case BlockEvent::kNoteOn:
        queue.appendNoteOn(e.offset, e.bytes[1], e.value);
        break;
      case BlockEvent::kNoteOff:
        queue.appendNoteOff(e.offset, e.bytes[1], e.value);
        break;
      case BlockEvent::kParameter:
        break;
    }
  }
}

void Instrument::applyParameterNow(int index, float value) {
  bank[currentProgram()].setValue(index, value);
  applyParameterToEngine(index);
}

void Instrument::renderSplit(float* left, float* right, int32_t frames) {
  // The engine keeps its sub-block clock across calls, so rendering in pieces moves no
  // boundary, and the queued events are re-based at the end of each piece.
  int32_t done = 0;
  for (int i = 0; i < pending.size(); ++i) {
    const BlockEvent& e = pending[i];
    if (e.kind != BlockEvent::kParameter) continue;
    if (e.offset > done) {
      synth.process(left + done, right + done, e.offset - done);
      done = e.offset;
    }
    applyParameterNow(e.index, e.value);
  }
  if (done < frames) synth.process(left + done, right + done, frames - done);
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
  if (frames > 0 && (!left || !right)) return;
  engine::ScopedFlushToZero floatMode;
  applyPendingSteps();
  pending.arrange(frames);
  forwardEvents();
  if (frames > 0) {
    renderSplit(left, right, frames);
  } else {
    for (int i = 0; i < pending.size(); ++i)
      if (pending[i].kind == BlockEvent::kParameter)
        applyParameterNow(pending[i].index, pending[i].value);
  }
  pending.clear();
  publishDisplay();
}

void Instrument::publishDisplay() {
  const engine::Voice& v = synth.voice(synth.allocator().lastStartedVoice());
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

}  // namespace orvalis::core
