// Reads numbers and byte runs out of a byte image, checking every length before it reads. A read
// that does not fit answers false, leaves its output as it was and marks the reader failed for
// good, so that a run of reads may be checked once at its end. Reads at an offset do not move
// the position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "io/byte_order.h"

namespace orvalis::io {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, std::size_t size, Endian order)
      : data(data), length(data ? size : 0), order(order) {}
  ByteReader(const std::vector<uint8_t>& bytes, Endian order)
      : ByteReader(bytes.data(), bytes.size(), order) {}

  std::size_t size() const { return length; }
  std::size_t position() const { return cursor; }
  std::size_t remaining() const { return length - cursor; }
  bool failed() const { return broken; }
  // True when count bytes from offset lie inside the image; never fails the reader.
  bool fits(std::size_t offset, std::size_t count) const {
    return offset <= length && count <= length - offset;
  }

  bool seek(std::size_t offset) {
    if (offset > length) return fail();
    cursor = offset;
    return true;
  }
  bool skip(std::size_t count) { return fits(cursor, count) ? (cursor += count, true) : fail(); }

  // The next count bytes, or null when fewer are left.
  const uint8_t* take(std::size_t count) {
    if (!fits(cursor, count)) return fail(), nullptr;
    const uint8_t* p = data + cursor;
    cursor += count;
    return p;
  }

  bool u8(uint8_t& out) {
    return next(1, [&](const uint8_t* p) { out = *p; });
  }
  bool u16(uint16_t& out) {
    return next(2, [&](const uint8_t* p) { out = loadU16(p, order); });
  }
  bool u32(uint32_t& out) {
    return next(4, [&](const uint8_t* p) { out = loadU32(p, order); });
  }
  bool i32(int32_t& out) {
    return next(4, [&](const uint8_t* p) { out = static_cast<int32_t>(loadU32(p, order)); });
  }
  bool f32(float& out) {
    return next(4, [&](const uint8_t* p) { out = floatFromBits(loadU32(p, order)); });
  }

  bool u16At(std::size_t offset, uint16_t& out) {
    return fits(offset, 2) ? (out = loadU16(data + offset, order), true) : fail();
  }
  bool u32At(std::size_t offset, uint32_t& out) {
    return fits(offset, 4) ? (out = loadU32(data + offset, order), true) : fail();
  }
  bool i32At(std::size_t offset, int32_t& out) {
    uint32_t u = 0;
    return u32At(offset, u) ? (out = static_cast<int32_t>(u), true) : false;
  }
  bool f32At(std::size_t offset, float& out) {
    uint32_t u = 0;
    return u32At(offset, u) ? (out = floatFromBits(u), true) : false;
  }
  // The count bytes at offset, or null when they do not all lie inside the image.
  const uint8_t* bytesAt(std::size_t offset, std::size_t count) {
    return fits(offset, count) ? data + offset : (fail(), nullptr);
  }

 private:
  bool fail() {
    broken = true;
    return false;
  }
  template <typename Read>
  bool next(std::size_t count, Read read) {
    const uint8_t* p = take(count);
    if (!p) return false;
    read(p);
    return true;
  }

  const uint8_t* data;
  std::size_t length;
  Endian order;
  std::size_t cursor = 0;
  bool broken = false;
};

}  // namespace orvalis::io
