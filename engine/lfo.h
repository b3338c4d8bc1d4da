// The LFO: a forward-Euler rotation once per control tick whose sine is clamped to [-1, 1].
// The clamp bounds the rotation's growth, so it settles on a cycle with slightly flattened
// sine peaks; the cosine is never clamped and swings a little beyond +-1.
#pragma once

namespace orvalis::engine {

struct Lfo {
  float cosine = 1.f;
  float speed = 0.f;  // radians per tick
  float sine = 0.f;

  // Starts at its own phase drawn from rand(), one draw per LFO.
  void randomizePhase();
  // Starts at start phase index (0..999) of the draw.
  void startAtPhase(int index);

  void tick() {
    const float s = sine + speed * cosine;
    cosine = cosine - speed * sine;
    sine = s < -1.f ? -1.f : (s > 1.f ? 1.f : s);
  }
};

}  // namespace orvalis::engine
