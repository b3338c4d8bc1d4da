// The editor's two display controls. CBarBitmap fills its area from the bottom up to its value
// with a bar image over a patch of the panel; CBarBitmapLH shows a band between a low and a high
// end, cut from a strip image so that the strip's centre column marks the value.
//
// Both keep the control's old value at 1.0 (their setDirty never copies the value), so a bar
// whose value is not exactly 1.0 is redrawn at every frame idle.
#pragma once

#include "toolkit/view.h"

namespace orvalis::editor {

class CBarBitmap : public VSTGUI::CControl {
 public:
  CBarBitmap(const VSTGUI::CRect& size, VSTGUI::CBitmap* background, VSTGUI::CBitmap* bar);
  ~CBarBitmap() override;

  void draw(VSTGUI::CDrawContext* context) override;
  void setDirty(bool flag = true) override { dirty = flag; }

  const VSTGUI::CRect& getBounds() const { return bounds; }

 private:
  VSTGUI::CRect bounds;
  VSTGUI::CBitmap* backgroundImage;
  VSTGUI::CBitmap* bar;
  VSTGUI::CPoint offset;
};

class CBarBitmapLH : public VSTGUI::CControl {
 public:
  // The band reaches kMargin 1x pixels beyond each end; a 2x window (scale 2) doubles it.
  static constexpr int32_t kMargin = 2;

  CBarBitmapLH(const VSTGUI::CRect& size, VSTGUI::CBitmap* background, VSTGUI::CBitmap* bar,
               int32_t scale = 1);
  ~CBarBitmapLH() override;

  void draw(VSTGUI::CDrawContext* context) override;
  void setDirty(bool flag = true) override { dirty = flag; }
  virtual void setLowHigh(float first, float second);

  const VSTGUI::CRect& getInner() const { return inner; }
  float getLow() const { return low; }
  float getHigh() const { return high; }
  float getLo() const { return lo; }
  float getHi() const { return hi; }

 private:
  int32_t margin;
  VSTGUI::CRect inner;
  VSTGUI::CRect bounds;
  VSTGUI::CBitmap* backgroundImage;
  VSTGUI::CBitmap* bar;
  VSTGUI::CPoint offset;
  float low = 0.f, high = 0.f, lo = 0.f, hi = 0.f;
};

}  // namespace orvalis::editor
