// Texts written into buffers a host owns: every format cuts them the same way.
#pragma once

#include <cstddef>
#include <cstring>

namespace orvalis::params {

// Writes at most capacity - 1 characters of text (null writes "") and a terminator; a null
// buffer or no room is left alone.
inline void copyBoundedText(char* destination, std::size_t capacity, const char* text) {
  if (!destination || capacity == 0) return;
  if (!text) text = "";
  std::size_t n = std::strlen(text);
  if (n > capacity - 1) n = capacity - 1;
  std::memcpy(destination, text, n);
  destination[n] = 0;
}

}  // namespace orvalis::params
