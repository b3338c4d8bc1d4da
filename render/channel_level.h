// A channel's output gains, moved to each new target along a straight ramp of a few
// milliseconds, so that a controller step or a sudden silence does not click.
#pragma once

#include "render/gm_curves.h"

namespace orvalis::render {

class ChannelLevel {
 public:
  // rampFrames >= 1; the first target is taken at once.
  ChannelLevel(StereoGain start, int rampFrames);
  void setTarget(StereoGain target);
  // Takes the target at once, without a ramp.
  void jump(StereoGain target);
  // Scales frames [from, to) of both outputs, moving along the ramp.
  void apply(float* left, float* right, int from, int to);
  StereoGain current() const { return {gainLeft, gainRight}; }

 private:
  int rampFrames;
  float gainLeft, gainRight;
  StereoGain target;
  float stepLeft = 0, stepRight = 0;
  int remaining = 0;
};

}  // namespace orvalis::render
