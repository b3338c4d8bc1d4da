// A small picture of how a program sounds: log-frequency sonograms of its takes side by side.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/bank_audit/take.h"

namespace orvalis::tools::audit {

struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0xAARRGGBB, rows top to bottom
  void fill(uint32_t colour) { pixels.assign(static_cast<std::size_t>(width) * height, colour); }
  void set(int x, int y, uint32_t colour) {
    if (x >= 0 && y >= 0 && x < width && y < height)
      pixels[static_cast<std::size_t>(y) * width + x] = colour;
  }
};

// 40 Hz at the bottom to 16 kHz at the top; each take's width follows its length, with a
// thin line between takes.
Picture sonogram(const std::vector<Take>& takes, int width, int height);

}  // namespace orvalis::tools::audit
