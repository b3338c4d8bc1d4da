#include "toolkit/draw_context.h"

#include "toolkit/bitmap.h"
#include "toolkit/font.h"

namespace VSTGUI {

namespace {
constexpr uint32_t kTransparentWhite = 0xFFFFFFFFu;
}

void CDrawContext::fillRect(const CRect& rect, const CColor& color) {
  const CRect r = clip(rect);
  const uint32_t p = color.pixel();
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) pixels[static_cast<std::size_t>(y) * width + x] = p;
}

void CDrawContext::copyBitmap(const CBitmap& bitmap, const CRect& rect, const CPoint& offset,
                              bool transparent) {
  const CRect r = clip(rect);
  for (int32_t y = r.top; y < r.bottom; ++y) {
    const int32_t sy = offset.v + (y - rect.top);
    if (sy < 0 || sy >= bitmap.getHeight()) continue;
    for (int32_t x = r.left; x < r.right; ++x) {
      const int32_t sx = offset.h + (x - rect.left);
      if (sx < 0 || sx >= bitmap.getWidth()) continue;
      const uint32_t p = bitmap.pixel(sx, sy);
      if (transparent && p == kTransparentWhite) continue;
      pixels[static_cast<std::size_t>(y) * width + x] = p;
    }
  }
}

void CDrawContext::drawString(const char* text, const CRect& rect, const CColor& color) {
  if (!text) return;
  const BuiltInFont& font = builtInFont(scale);
  const CRect area = clip(rect);
  const uint32_t p = color.pixel();
  const int32_t top = rect.top + (rect.height() - font.height) / 2;
  int32_t x0 = rect.left + 2 * scale;
  for (const char* c = text; *c && x0 < rect.right; ++c, x0 += font.width) {
    const int code = static_cast<unsigned char>(*c);
    if (code < 32 || code > 126) continue;
    for (int32_t gy = 0; gy < font.height; ++gy)
      for (int32_t gx = 0; gx < font.width; ++gx) {
        if (!font.pixel(code, gx, gy)) continue;
        const CPoint at(x0 + gx, top + gy);
        if (area.pointInside(at)) pixels[static_cast<std::size_t>(at.v) * width + at.h] = p;
      }
  }
}

}  // namespace VSTGUI
