// Builds VstEvents blocks of MIDI messages for tests.
#pragma once

#include <cstdint>
#include <vector>

#include "plugin/vst2.h"

namespace orvalis::tests {

class MidiBuilder {
 public:
  MidiBuilder& message(int32_t delta, uint8_t status, uint8_t data1, uint8_t data2);
  MidiBuilder& noteOn(int32_t delta, int key, int velocity, int channel = 0) {
    return message(delta, static_cast<uint8_t>(0x90 | channel), key, velocity);
  }
  MidiBuilder& noteOff(int32_t delta, int key, int velocity = 0, int channel = 0) {
    return message(delta, static_cast<uint8_t>(0x80 | channel), key, velocity);
  }
  MidiBuilder& controller(int32_t delta, int number, int value, int channel = 0) {
    return message(delta, static_cast<uint8_t>(0xB0 | channel), number, value);
  }
  // value -8192 .. 8191
  MidiBuilder& pitchBend(int32_t delta, int value, int channel = 0);

  // The block stays valid until the builder changes.
  VstEvents* events();
  std::vector<VstMidiEvent>& raw() { return midi; }
  void clear() { midi.clear(); }

 private:
  std::vector<VstMidiEvent> midi;
  std::vector<char> block;
};

}  // namespace orvalis::tests
