// The six oscillator modes, in the order of the "Osc Type" choices. Every voice carries the
// mode; voice 0's selects the sample loop of a whole block.
#pragma once

namespace orvalis::engine {

// A value outside the six (from an "Osc Type" far outside 0..1) selects no mode: silence.
enum class OscMode : int { Pulse, SupSaw, Fm1, Fm2, Fm3, WaveTable };

// floor(5 v + 0.5): each choice owns the values that round to it.
OscMode oscModeOf(float oscType);

}  // namespace orvalis::engine
