// MIDI as a VST 2 host hands it to a plug-in: the event record, and the VstEvents block that
// points at a list of them.
#pragma once

#include <cstdint>
#include <vector>

#include "plugin/vst2.h"

namespace orvalis::host {

VstMidiEvent midiEvent(int32_t delta, uint8_t status, uint8_t data1, uint8_t data2);

// A block in storage pointing at every event (as many pointers as events, though the record
// declares two); valid while both stay unchanged.
VstEvents* eventBlock(const std::vector<VstMidiEvent>& events, std::vector<char>& storage);

}  // namespace orvalis::host
