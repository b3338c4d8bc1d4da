// Appends numbers, byte runs and fixed-width text fields to a byte image in the order the file
// format fixes. Appending cannot run out of room, so nothing here fails.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "io/byte_order.h"

namespace orvalis::io {

class ByteWriter {
 public:
  ByteWriter(std::vector<uint8_t>& out, Endian order) : out(out), order(order) {}

  void u8(uint8_t v) { out.push_back(v); }
  void u16(uint16_t v) { storeU16(grow(2), v, order); }
  void u32(uint32_t v) { storeU32(grow(4), v, order); }
  void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
  void f32(float v) { u32(bitsOfFloat(v)); }
  void bytes(const void* data, std::size_t count) {
    const auto* p = static_cast<const uint8_t*>(data);
    out.insert(out.end(), p, p + count);
  }
  void zeros(std::size_t count) { out.resize(out.size() + count, 0); }
  // A field of width bytes: the text cut to width - 1 characters, then zeros.
  void text(const std::string& value, std::size_t width) {
    if (width == 0) return;
    const std::size_t kept = std::min(value.size(), width - 1);
    bytes(value.data(), kept);
    zeros(width - kept);
  }
  // Pads with zeros up to the given size of the whole image.
  void padTo(std::size_t size) {
    if (out.size() < size) out.resize(size, 0);
  }
  std::size_t size() const { return out.size(); }

 private:
  uint8_t* grow(std::size_t count) {
    out.resize(out.size() + count);
    return out.data() + out.size() - count;
  }

  std::vector<uint8_t>& out;
  Endian order;
};

}  // namespace orvalis::io
