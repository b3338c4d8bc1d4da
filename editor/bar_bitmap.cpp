#include "editor/bar_bitmap.h"

#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"

namespace orvalis::editor {

using VSTGUI::CPoint;
using VSTGUI::CRect;

namespace {

// Truncation toward zero, as every pixel coordinate here is formed; ends far outside 0..1 (the
// host may store any parameter value) saturate instead of overflowing.
int32_t pixel(double x) {
  if (!(x > -1e9)) return -1000000000;
  if (x > 1e9) return 1000000000;
  return static_cast<int32_t>(x);
}

VSTGUI::CBitmap* remembered(VSTGUI::CBitmap* b) {
  if (b) b->remember();
  return b;
}

}  // namespace

CBarBitmap::CBarBitmap(const CRect& size, VSTGUI::CBitmap* background, VSTGUI::CBitmap* barImage)
    : CControl(size, nullptr, 0, nullptr),
      bounds(size.normalized()),
      backgroundImage(remembered(background)),
      bar(remembered(barImage)),
      offset(size.left, size.top) {}

CBarBitmap::~CBarBitmap() {
  if (backgroundImage) backgroundImage->forget();
  if (bar) bar->forget();
}

void CBarBitmap::draw(VSTGUI::CDrawContext* context) {
  bounceValue();
  if (backgroundImage) backgroundImage->draw(context, bounds, offset);
  const int32_t top = pixel(bounds.top + (1.0 - value) * (bounds.bottom - bounds.top));
  if (bar)
    bar->drawTransparent(context, CRect(bounds.left, top, bounds.right, bounds.bottom),
                         CPoint(0, 0));
}

CBarBitmapLH::CBarBitmapLH(const CRect& size, VSTGUI::CBitmap* background,
                           VSTGUI::CBitmap* barImage, int32_t scale)
    : CControl(size, nullptr, 0, nullptr),
      margin(kMargin * (scale >= 2 ? 2 : 1)),
      inner(CRect(size.left + margin, size.top, size.right - margin, size.bottom).normalized()),
      bounds(size.normalized()),
      backgroundImage(remembered(background)),
      bar(remembered(barImage)),
      offset(size.left, size.top) {}

CBarBitmapLH::~CBarBitmapLH() {
  if (backgroundImage) backgroundImage->forget();
  if (bar) bar->forget();
}

void CBarBitmapLH::setLowHigh(float first, float second) {
  low = first;
  high = second;
  lo = first < second ? first : second;
  hi = second >= first ? second : first;
  setDirty(true);
}

void CBarBitmapLH::draw(VSTGUI::CDrawContext* context) {
  bounceValue();
  if (backgroundImage) backgroundImage->draw(context, bounds, offset);
  const double W = inner.right - inner.left;
  const double w = bar ? bar->getWidth() : 0;
  const double m = margin;
  const CRect band(pixel(inner.left + lo * W - m), inner.top,
                   pixel(inner.right - (1.0 - hi) * W + m), inner.bottom);
  const CPoint source(pixel(w * 0.5 - m - W * (static_cast<double>(value) - lo)), 0);
  if (bar) bar->drawTransparent(context, band, source);
}

}  // namespace orvalis::editor
