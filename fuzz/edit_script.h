// Turns a fuzz input into a damaged copy of a valid image: for readers whose inputs are large and
// fixed in size, where random bytes would never get past the first size check. The first byte
// chooses the input itself or the valid image; then come byte edits (a 16-bit place, a value)
// and, with the last choice, a cut to a length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvalis::fuzz {

inline std::vector<uint8_t> damaged(const std::vector<uint8_t>& valid, const uint8_t* data,
                                    std::size_t size) {
  if (size == 0) return valid;
  const uint8_t choice = data[0] % 3;
  if (choice == 0) return std::vector<uint8_t>(data + 1, data + size);
  std::vector<uint8_t> image = valid;
  std::size_t at = 1;
  if (choice == 2 && size >= 3) {
    const std::size_t length = (data[1] | data[2] << 8) * 2u;
    if (length < image.size()) image.resize(length);
    at = 3;
  }
  for (; at + 3 <= size && !image.empty(); at += 3)
    image[(data[at] | data[at + 1] << 8) * 7u % image.size()] = data[at + 2];
  return image;
}

}  // namespace orvalis::fuzz
