// Software drawing into a 32-bit pixel buffer (0xAARRGGBB, row 0 at the top), so that every
// picture can be checked without a display.
#pragma once

#include <cstdint>

#include "toolkit/geometry.h"

namespace VSTGUI {

class CBitmap;

class CDrawContext {
 public:
  CDrawContext(uint32_t* pixels, int32_t width, int32_t height)
      : pixels(pixels), width(width), height(height) {}

  void fillRect(const CRect& rect, const CColor& color);
  // Copies bitmap pixels from offset onward into rect, clipped to the bitmap and the buffer.
  // transparent: white pixels are skipped.
  void copyBitmap(const CBitmap& bitmap, const CRect& rect, const CPoint& offset, bool transparent);
  // Draws text with the built-in font of the context's scale, left-aligned (after an inset of
  // two 1x pixels) and vertically centred in rect.
  void drawString(const char* text, const CRect& rect, const CColor& color);

  // The window's drawing scale (1 or 2): picks the built-in font and scales fixed insets.
  void setScale(int32_t s) { scale = s >= 2 ? 2 : 1; }
  int32_t getScale() const { return scale; }

  // The area drawn since the last call, for the platform window to show.
  CRect takeTouched() {
    const CRect r = touched;
    touched = CRect();
    return r;
  }

  int32_t getWidth() const { return width; }
  int32_t getHeight() const { return height; }
  uint32_t pixel(int32_t x, int32_t y) const {
    return pixels[static_cast<std::size_t>(y) * width + x];
  }

 private:
  CRect clip(const CRect& r) {
    const CRect c = r.intersected(CRect(0, 0, width, height));
    touched = touched.united(c);
    return c;
  }

  uint32_t* pixels;
  int32_t width, height;
  int32_t scale = 1;
  CRect touched;
};

}  // namespace VSTGUI
