// PNG files of 0xAARRGGBB pixel buffers (libpng): windows saved so that anyone can look at them,
// and recorded pictures read back to compare with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvalis::tests {

bool writePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height);
// An 8-bit RGB file of the given size into pixels (opaque); false for anything else.
bool readPng(const std::string& path, std::vector<uint32_t>& pixels, int width, int height);

}  // namespace orvalis::tests
