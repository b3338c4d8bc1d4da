// Saves a 0xAARRGGBB pixel buffer as a PNG file (libpng), so that anyone can look at a window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_host {

bool writePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height);

}  // namespace testing_host
