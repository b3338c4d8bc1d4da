// Points, rectangles (right and bottom exclusive) and colours of the widget toolkit.
#pragma once

#include <cstdint>

namespace VSTGUI {

struct CPoint {
  int32_t h = 0, v = 0;
  CPoint() = default;
  CPoint(int32_t h, int32_t v) : h(h), v(v) {}
  bool operator==(const CPoint& o) const { return h == o.h && v == o.v; }
};

struct CRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  CRect() = default;
  CRect(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}

  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
  bool isEmpty() const { return right <= left || bottom <= top; }
  bool pointInside(const CPoint& p) const {
    return p.h >= left && p.h < right && p.v >= top && p.v < bottom;
  }
  CRect& offset(int32_t x, int32_t y) {
    left += x;
    right += x;
    top += y;
    bottom += y;
    return *this;
  }
  CRect intersected(const CRect& o) const {
    CRect r(left > o.left ? left : o.left, top > o.top ? top : o.top,
            right < o.right ? right : o.right, bottom < o.bottom ? bottom : o.bottom);
    if (r.isEmpty()) r = CRect();
    return r;
  }
  CRect united(const CRect& o) const {
    if (isEmpty()) return o;
    if (o.isEmpty()) return *this;
    return CRect(left < o.left ? left : o.left, top < o.top ? top : o.top,
                 right > o.right ? right : o.right, bottom > o.bottom ? bottom : o.bottom);
  }
  // Corners sorted so that left <= right and top <= bottom.
  CRect normalized() const {
    return CRect(left < right ? left : right, top < bottom ? top : bottom,
                 left < right ? right : left, top < bottom ? bottom : top);
  }
  bool operator==(const CRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

struct CColor {
  uint8_t red = 0, green = 0, blue = 0, alpha = 255;
  uint32_t pixel() const {
    return 0xFF000000u | (uint32_t(red) << 16) | (uint32_t(green) << 8) | blue;
  }
};

constexpr CColor kBlackCColor = {0, 0, 0, 255};
constexpr CColor kWhiteCColor = {255, 255, 255, 255};

}  // namespace VSTGUI
