// Texts between our 8-bit strings and the interface's 16-bit ones. Our texts are ASCII or
// Latin-1 (program names from hosts), so each byte is one code unit either way.
#pragma once

#include <cstddef>

#include "vst3/abi_base.h"

namespace orvalis::vst3 {

// Writes text into a 128-unit string, cut to fit, always terminated.
inline void copyText16(String128 out, const char* text) {
  std::size_t i = 0;
  for (; text && text[i] && i < 127; ++i)
    out[i] = static_cast<char16>(static_cast<unsigned char>(text[i]));
  out[i] = 0;
}

// Writes a terminated 16-bit text into capacity bytes; units above Latin-1 become '?'.
// Reads no more than limit units of the input.
inline void copyText8(char* out, std::size_t capacity, const char16* text, std::size_t limit) {
  if (!out || capacity == 0) return;
  std::size_t i = 0;
  for (; text && i < limit && text[i] && i + 1 < capacity; ++i)
    out[i] = text[i] < 256 ? static_cast<char>(text[i]) : '?';
  out[i] = 0;
}

// Writes text into a fixed 8-bit field of size bytes, zero-filled.
inline void copyField(char* field, std::size_t size, const char* text) {
  std::memset(field, 0, size);
  for (std::size_t i = 0; text && text[i] && i + 1 < size; ++i) field[i] = text[i];
}

}  // namespace orvalis::vst3
