// The curves General MIDI gives its channel controllers, and the bend a host hands an instrument
// whose own bend range is fixed.
#pragma once

#include <cstdint>

namespace orvalis::render {

struct StereoGain {
  float left = 1.f, right = 1.f;
  bool operator==(const StereoGain& o) const { return left == o.left && right == o.right; }
};

// Volume (CC 7) and expression (CC 11), 0..127 each: 40 log10 (cc / 127) dB apiece, so 0 is
// silence and 127 unity.
float levelGain(int volume, int expression);

// Pan (CC 10): the sine/cosine law, 64 the centre at -3 dB a side; 0 and 1 are both hard left.
StereoGain panGain(int pan);

// A 14-bit bend (-8192..8191) meant to span +-sensitivity semitones, rescaled for an instrument
// whose full bend spans +-instrumentRange; held within the 14-bit range, so a sensitivity wider
// than the instrument's stops at the instrument's limit.
int32_t scaledBend(int32_t bend, double sensitivity, double instrumentRange);

}  // namespace orvalis::render
