// What the "same sound in every format" tests play: the demo song and a chord whose notes come
// and go, as MIDI events at frames.
#pragma once

#include <vector>

#include "render/midi_file.h"

namespace orvalis::tests {

#if defined(ORVALIS_DEMO_MIDI)
// The demo song's events before seconds, at the rate's frames.
std::vector<orvalis::render::MidiEvent> demoSong(double seconds, double sampleRate);
#endif

// Five notes entering 700 frames apart, each held for 2897 frames, in frame order.
std::vector<orvalis::render::MidiEvent> chord();

}  // namespace orvalis::tests
