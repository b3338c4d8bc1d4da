// Numbers in byte images, in the order the file format fixes: the one place that knows how a
// 16- or 32-bit integer or a 32-bit float is laid out in bytes.
#pragma once

#include <cstdint>
#include <cstring>

namespace orvalis::io {

enum class Endian { Little, Big };

inline uint32_t loadU32(const uint8_t* p, Endian order) {
  return order == Endian::Little
             ? uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24
             : uint32_t{p[3]} | uint32_t{p[2]} << 8 | uint32_t{p[1]} << 16 | uint32_t{p[0]} << 24;
}

inline uint16_t loadU16(const uint8_t* p, Endian order) {
  return static_cast<uint16_t>(order == Endian::Little ? p[0] | p[1] << 8 : p[1] | p[0] << 8);
}

inline void storeU32(uint8_t* p, uint32_t v, Endian order) {
  for (int i = 0; i < 4; ++i)
    p[order == Endian::Little ? i : 3 - i] = static_cast<uint8_t>(v >> (8 * i));
}

inline void storeU16(uint8_t* p, uint16_t v, Endian order) {
  p[order == Endian::Little ? 0 : 1] = static_cast<uint8_t>(v);
  p[order == Endian::Little ? 1 : 0] = static_cast<uint8_t>(v >> 8);
}

inline float floatFromBits(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

inline uint32_t bitsOfFloat(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

}  // namespace orvalis::io
