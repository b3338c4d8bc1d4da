// The toolkit's built-in bitmap font for text fields: printable ASCII in 6 x 10 cells.
#pragma once

namespace VSTGUI {

constexpr int kFontWidth = 6;
constexpr int kFontHeight = 10;
extern const unsigned char kFontGlyphs[95][kFontHeight];

}  // namespace VSTGUI
