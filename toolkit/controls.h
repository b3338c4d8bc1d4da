// The controls the editor uses: sliders, a multi-position switch, a kick button, a splash screen
// and a text field.
#pragma once

#include <string>

#include "toolkit/view.h"

namespace VSTGUI {

enum SliderStyle : int32_t {
  kLeft = 1 << 0,
  kRight = 1 << 1,
  kTop = 1 << 2,
  kBottom = 1 << 3,
  kHorizontal = 1 << 4,
  kVertical = 1 << 5
};

// A handle moving between iMinPos and iMaxPos (absolute window coordinates of the handle's top
// or left edge) over a patch of background. kBottom: 0 at the bottom; kTop: 0 at the top;
// kLeft: 0 at the left.
class CSlider : public CControl {
 public:
  CSlider(const CRect& size, CControlListener* listener, int32_t tag, int32_t iMinPos,
          int32_t iMaxPos, CBitmap* handle, CBitmap* background, const CPoint& offset,
          int32_t style);
  ~CSlider() override;

  void setOffsetHandle(const CPoint& offset) { offsetHandle = offset; }
  const CPoint& getOffsetHandle() const { return offsetHandle; }
  int32_t getStyle() const { return style; }
  // Where the handle is drawn for the current value.
  CRect handleRect() const;

  void draw(CDrawContext* context) override;
  bool onMouseDown(const CPoint& where, int32_t buttons) override;
  void onMouseMoved(const CPoint& where, int32_t buttons) override;
  void onMouseUp(const CPoint& where, int32_t buttons) override;

 private:
  bool horizontal() const { return (style & kHorizontal) != 0; }
  // 0 at iMinPos, 1 at iMaxPos.
  float positionOf(float v) const { return (style & (kLeft | kTop)) ? v : 1.f - v; }
  void track(const CPoint& where);

  CBitmap* handle;
  int32_t iMinPos, iMaxPos;
  int32_t style;
  CPoint offsetHandle;
  int32_t grab = 0;  // pointer position inside the handle when the drag started
};

class CVerticalSlider : public CSlider {
 public:
  CVerticalSlider(const CRect& size, CControlListener* listener, int32_t tag, int32_t iMinPos,
                  int32_t iMaxPos, CBitmap* handle, CBitmap* background, const CPoint& offset,
                  int32_t style = kBottom)
      : CSlider(size, listener, tag, iMinPos, iMaxPos, handle, background, offset,
                (style & ~(kLeft | kRight)) | kVertical) {}
};

class CHorizontalSlider : public CSlider {
 public:
  CHorizontalSlider(const CRect& size, CControlListener* listener, int32_t tag, int32_t iMinPos,
                    int32_t iMaxPos, CBitmap* handle, CBitmap* background, const CPoint& offset,
                    int32_t style = kLeft)
      : CSlider(size, listener, tag, iMinPos, iMaxPos, handle, background, offset,
                (style & ~(kTop | kBottom)) | kHorizontal) {}
};

// N positions side by side; position k gives the value k / (N - 1) and shows frame k of the
// background image (frames stacked vertically).
class CHorizontalSwitch : public CControl {
 public:
  CHorizontalSwitch(const CRect& size, CControlListener* listener, int32_t tag, int32_t subPixmaps,
                    int32_t heightOfOneImage, int32_t iMaxPositions, CBitmap* background,
                    const CPoint& offset = CPoint());

  int32_t currentFrame() const;
  void draw(CDrawContext* context) override;
  bool onMouseDown(const CPoint& where, int32_t buttons) override;
  void onMouseMoved(const CPoint& where, int32_t buttons) override;
  void onMouseUp(const CPoint& where, int32_t buttons) override;

 private:
  void select(const CPoint& where);

  int32_t subPixmaps, heightOfOneImage, iMaxPositions;
  CPoint offset;
};

// Two frames: up (value 0) and pressed (value 1). While held it notifies whenever its value
// changes (1 over the button, 0 off it), and once more on release with 0.
class CKickButton : public CControl {
 public:
  CKickButton(const CRect& size, CControlListener* listener, int32_t tag, int32_t heightOfOneImage,
              CBitmap* background, const CPoint& offset = CPoint());

  void draw(CDrawContext* context) override;
  bool onMouseDown(const CPoint& where, int32_t buttons) override;
  void onMouseMoved(const CPoint& where, int32_t buttons) override;
  void onMouseUp(const CPoint& where, int32_t buttons) override;

 private:
  int32_t heightOfOneImage;
  CPoint offset;
};

// A click in its rectangle shows the image in the display rectangle as the frame's modal view;
// a click on the shown image hides it again.
class CSplashScreen : public CControl {
 public:
  CSplashScreen(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background,
                const CRect& displayRect, const CPoint& offset = CPoint());

  bool isShown() const { return value != 0.f; }
  void draw(CDrawContext* context) override;
  bool onMouseDown(const CPoint& where, int32_t buttons) override;

 private:
  CRect keepSize;
  CRect displayRect;
  CPoint offset;
};

// Shows a line of text; a click gives it the keyboard focus (the frame's edit view) until
// Return, Escape or a click elsewhere.
class CTextEdit : public CControl {
 public:
  static constexpr int32_t kMaxText = 255;

  CTextEdit(const CRect& size, CControlListener* listener, int32_t tag, const char* text = nullptr,
            CBitmap* background = nullptr, int32_t style = 0);

  void setText(const char* text);
  const char* getText() const { return text.c_str(); }
  int32_t getStyle() const { return style; }
  bool isEditing() const { return editing; }
  void setFontColor(const CColor& c) { fontColor = c; }
  void setBackColor(const CColor& c) { backColor = c; }

  void draw(CDrawContext* context) override;
  bool onMouseDown(const CPoint& where, int32_t buttons) override;
  int32_t onKeyDown(const KeyEvent& key) override;
  void takeFocus() override;
  void looseFocus() override;

 private:
  std::string text;
  int32_t style;
  bool editing = false;
  CColor fontColor{230, 230, 220, 255};
  CColor backColor{20, 22, 26, 255};
};

}  // namespace VSTGUI
