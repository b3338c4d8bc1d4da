// The toolkit's built-in bitmap fonts for text fields: printable ASCII in fixed cells, one for
// 1x windows (6 x 10) and one drawn at twice the size for 2x windows (12 x 20).
#pragma once

#include <cstdint>

namespace VSTGUI {

struct BuiltInFont {
  int32_t width, height;
  const uint16_t* glyphs;  // 95 glyphs from ' ', `height` rows each

  // Whether the glyph of code (32..126) sets the pixel x, y of its cell.
  bool pixel(int code, int32_t x, int32_t y) const {
    return (glyphs[(code - 32) * height + y] >> (width - 1 - x)) & 1;
  }
};

extern const BuiltInFont kFont1x;
extern const BuiltInFont kFont2x;

inline const BuiltInFont& builtInFont(int32_t scale) { return scale >= 2 ? kFont2x : kFont1x; }

}  // namespace VSTGUI
