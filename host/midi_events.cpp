#include "host/midi_events.h"

namespace orvalis::host {

VstMidiEvent midiEvent(int32_t delta, uint8_t status, uint8_t data1, uint8_t data2) {
  VstMidiEvent event{};
  event.type = kVstMidiType;
  event.byteSize = sizeof(VstMidiEvent);
  event.deltaFrames = delta;
  event.midiData[0] = static_cast<char>(status);
  event.midiData[1] = static_cast<char>(data1);
  event.midiData[2] = static_cast<char>(data2);
  return event;
}

VstEvents* eventBlock(const std::vector<VstMidiEvent>& events, std::vector<char>& storage) {
  storage.assign(sizeof(VstEvents) + events.size() * sizeof(void*), 0);
  auto* block = reinterpret_cast<VstEvents*>(storage.data());
  block->numEvents = static_cast<int32_t>(events.size());
  VstEvent** list = block->events;
  for (std::size_t i = 0; i < events.size(); ++i)
    list[i] = reinterpret_cast<VstEvent*>(const_cast<VstMidiEvent*>(&events[i]));
  return block;
}

}  // namespace orvalis::host
