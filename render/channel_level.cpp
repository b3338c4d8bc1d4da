#include "render/channel_level.h"

#include <algorithm>

namespace orvalis::render {

ChannelLevel::ChannelLevel(StereoGain start, int frames)
    : rampFrames(std::max(frames, 1)),
      gainLeft(start.left),
      gainRight(start.right),
      target(start) {}

void ChannelLevel::setTarget(StereoGain to) {
  if (to == target) return;
  target = to;
  remaining = rampFrames;
  stepLeft = (target.left - gainLeft) / static_cast<float>(rampFrames);
  stepRight = (target.right - gainRight) / static_cast<float>(rampFrames);
}

void ChannelLevel::jump(StereoGain to) {
  target = to;
  gainLeft = to.left;
  gainRight = to.right;
  remaining = 0;
}

void ChannelLevel::apply(float* left, float* right, int from, int to) {
  int i = from;
  for (; i < to && remaining > 0; ++i) {
    // The last step lands on the target exactly, whatever the rounding of the steps.
    if (--remaining == 0) {
      gainLeft = target.left;
      gainRight = target.right;
    } else {
      gainLeft += stepLeft;
      gainRight += stepRight;
    }
    left[i] *= gainLeft;
    right[i] *= gainRight;
  }
  for (; i < to; ++i) {
    left[i] *= gainLeft;
    right[i] *= gainRight;
  }
}

}  // namespace orvalis::render
