// The sustain pedal (CC 64) as a host plays it for an instrument that ignores it: while the
// pedal is down a note-off is held back, and sent when the pedal comes up. A key struck again
// while its note-off is held back has that note-off sent first, so no voice is left sounding.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace orvalis::render {

struct HeldNoteOff {
  int key, velocity;
};

class SustainPedal {
 public:
  bool isDown() const { return down; }
  // False when the note-off may go to the instrument now; true when it is held back.
  bool holdNoteOff(int key, int velocity);
  // A held-back note-off of this key, taken out (for a key struck again): true and its velocity.
  bool takeHeld(int key, int& velocity);
  // Sets the pedal; on release, moves the held-back note-offs (in key order) to released.
  void set(bool pedalDown, std::vector<HeldNoteOff>& released);
  // Forgets what is held back (after the instrument released every note itself).
  void clear();

 private:
  static constexpr int kNotHeld = -1;
  bool down = false;
  std::array<int16_t, 128> held = filled();  // the release velocity, or kNotHeld
  static std::array<int16_t, 128> filled();
};

}  // namespace orvalis::render
