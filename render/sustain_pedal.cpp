#include "render/sustain_pedal.h"

namespace orvalis::render {

std::array<int16_t, 128> SustainPedal::filled() {
  std::array<int16_t, 128> a;
  a.fill(kNotHeld);
  return a;
}

bool SustainPedal::holdNoteOff(int key, int velocity) {
  if (!down || key < 0 || key > 127) return false;
  held[key] = static_cast<int16_t>(velocity & 0x7F);
  return true;
}

bool SustainPedal::takeHeld(int key, int& velocity) {
  if (key < 0 || key > 127 || held[key] == kNotHeld) return false;
  velocity = held[key];
  held[key] = kNotHeld;
  return true;
}

void SustainPedal::set(bool pedalDown, std::vector<HeldNoteOff>& released) {
  down = pedalDown;
  if (down) return;
  for (int key = 0; key < 128; ++key)
    if (held[key] != kNotHeld) released.push_back({key, held[key]});
  clear();
}

void SustainPedal::clear() { held = filled(); }

}  // namespace orvalis::render
