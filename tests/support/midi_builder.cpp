#include "tests/support/midi_builder.h"

#include "host/midi_events.h"

namespace orvalis::tests {

MidiBuilder& MidiBuilder::message(int32_t delta, uint8_t status, uint8_t data1, uint8_t data2) {
  midi.push_back(orvalis::host::midiEvent(delta, status, data1, data2));
  return *this;
}

MidiBuilder& MidiBuilder::pitchBend(int32_t delta, int value, int channel) {
  const int raw = value + 8192;
  return message(delta, static_cast<uint8_t>(0xE0 | channel), raw & 0x7F, (raw >> 7) & 0x7F);
}

VstEvents* MidiBuilder::events() { return orvalis::host::eventBlock(midi, block); }

}  // namespace orvalis::tests
