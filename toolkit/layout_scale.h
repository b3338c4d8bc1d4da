// A window laid out in 1x pixels and drawn at a whole-number scale: every rectangle, point,
// offset and handle travel is its 1x value times the factor, so a 2x window behaves exactly
// like the 1x one with twice the pixels.
#pragma once

#include <cmath>
#include <cstdint>

#include "toolkit/geometry.h"

namespace VSTGUI {

class LayoutScale {
 public:
  // Fractional factors from 1.5 upwards are drawn at 2x, everything below at 1x.
  static constexpr double kDoubleFrom = 1.5;

  explicit LayoutScale(int32_t factor = 1) : f(factor >= 2 ? 2 : 1) {}

  // The scale a host or desktop factor asks for; a missing or nonsensical factor gives 1x.
  static LayoutScale fromFactor(double factor) {
    return LayoutScale(std::isfinite(factor) && factor >= kDoubleFrom ? 2 : 1);
  }

  int32_t factor() const { return f; }
  int32_t operator()(int32_t v) const { return v * f; }
  CPoint operator()(const CPoint& p) const { return CPoint(p.h * f, p.v * f); }
  CRect operator()(const CRect& r) const {
    return CRect(r.left * f, r.top * f, r.right * f, r.bottom * f);
  }
  CRect rect(int32_t left, int32_t top, int32_t right, int32_t bottom) const {
    return (*this)(CRect(left, top, right, bottom));
  }
  bool operator==(const LayoutScale& o) const { return f == o.f; }

 private:
  int32_t f;
};

}  // namespace VSTGUI
