#include "tests/support/midi_builder.h"

#include <cstring>

namespace testing_host {

MidiBuilder& MidiBuilder::message(int32_t delta, uint8_t status, uint8_t data1, uint8_t data2) {
  VstMidiEvent e;
  std::memset(&e, 0, sizeof e);
  e.type = kVstMidiType;
  e.byteSize = sizeof(VstMidiEvent);
  e.deltaFrames = delta;
  e.midiData[0] = static_cast<char>(status);
  e.midiData[1] = static_cast<char>(data1);
  e.midiData[2] = static_cast<char>(data2);
  midi.push_back(e);
  return *this;
}

MidiBuilder& MidiBuilder::pitchBend(int32_t delta, int value, int channel) {
  const int raw = value + 8192;
  return message(delta, static_cast<uint8_t>(0xE0 | channel), raw & 0x7F, (raw >> 7) & 0x7F);
}

VstEvents* MidiBuilder::events() {
  const std::size_t n = midi.size();
  block.assign(sizeof(VstEvents) + n * sizeof(VstEvent*), 0);
  auto* e = reinterpret_cast<VstEvents*>(block.data());
  e->numEvents = static_cast<int32_t>(n);
  VstEvent** list = e->events;  // n pointers, though the record declares two
  for (std::size_t i = 0; i < n; ++i) list[i] = reinterpret_cast<VstEvent*>(&midi[i]);
  return e;
}

}  // namespace testing_host
