#include "tests/support/clap_instance.h"

#include <cmath>
#include <memory>

#include "params/parameter_table.h"

namespace orvalis::tests {

ClapInstance::ClapInstance(double sampleRate) {
  active = host.plugin && host.activate(sampleRate, kMaxBlock);
}

void ClapInstance::setParameterAt(int32_t offset, int index, float value) {
  // A switch's CLAP value is its position; the scripts store switches only at positions,
  // k / (n - 1).
  int positions = 0;
  orvalis::params::choiceNames(index, &positions);
  host.param(static_cast<uint32_t>(offset), static_cast<orvalis::clap::clap_id>(index),
             positions > 0 ? std::round(value * (positions - 1)) : value);
}

void ClapInstance::midi(int32_t offset, const orvalis::render::MidiEvent& e) {
  const auto time = static_cast<uint32_t>(offset);
  const uint8_t d1 = e.length > 1 ? e.bytes[1] : 0, d2 = e.length > 2 ? e.bytes[2] : 0;
  const int kind = e.bytes[0] & 0xF0, channel = e.bytes[0] & 0x0F;
  // Notes as CLAP's note events, the rest as MIDI.
  if (kind == 0x90 && d2 > 0)
    host.noteOn(time, d1, d2 / 127.0, channel);
  else if (kind == 0x80 || kind == 0x90)
    host.noteOff(time, d1, channel);
  else
    host.midi(time, e.bytes[0], d1, d2);
}

std::unique_ptr<FormatInstance> makeClapInstance(double sampleRate) {
  return std::make_unique<ClapInstance>(sampleRate);
}

}  // namespace orvalis::tests
