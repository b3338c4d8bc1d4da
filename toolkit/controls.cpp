#include "toolkit/controls.h"

#include <cmath>

#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"
#include "toolkit/font.h"
#include "toolkit/frame.h"

namespace VSTGUI {

CSlider::CSlider(const CRect& size, CControlListener* listener, int32_t tag, int32_t iMinPos,
                 int32_t iMaxPos, CBitmap* handle, CBitmap* background, const CPoint& offset,
                 int32_t style)
    : CControl(size, listener, tag, background),
      handle(handle),
      iMinPos(iMinPos),
      iMaxPos(iMaxPos),
      style(style) {
  if (handle) handle->remember();
  backOffset = offset;
}

CSlider::~CSlider() {
  if (handle) handle->forget();
}

CRect CSlider::handleRect() const {
  const int32_t w = handle ? handle->getWidth() : 0, h = handle ? handle->getHeight() : 0;
  float v = value < vmin ? vmin : (value > vmax ? vmax : value);
  v = vmax > vmin ? (v - vmin) / (vmax - vmin) : 0.f;
  const int32_t pos = iMinPos + static_cast<int32_t>(positionOf(v) * (iMaxPos - iMinPos));
  if (horizontal()) {
    const int32_t left = pos + offsetHandle.h, top = size.top + offsetHandle.v;
    return CRect(left, top, left + w, top + h);
  }
  const int32_t top = pos + offsetHandle.v, left = size.left + offsetHandle.h;
  return CRect(left, top, left + w, top + h);
}

void CSlider::draw(CDrawContext* context) {
  drawBackground(context);
  if (handle) handle->drawTransparent(context, handleRect().intersected(size));
}

bool CSlider::onMouseDown(const CPoint& where, int32_t buttons) {
  if (!(buttons & kLButton)) return false;
  beginEdit();
  const CRect h = handleRect();
  const int32_t along = horizontal() ? where.h : where.v;
  const int32_t start = horizontal() ? h.left : h.top,
                length = horizontal() ? h.width() : h.height();
  // A click on the handle drags it from where it was taken; elsewhere the handle jumps there.
  grab = h.pointInside(where) ? along - start : length / 2;
  track(where);
  return true;
}

void CSlider::onMouseMoved(const CPoint& where, int32_t buttons) {
  if (buttons & kLButton) track(where);
}

void CSlider::onMouseUp(const CPoint&, int32_t) { endEdit(); }

void CSlider::track(const CPoint& where) {
  const int32_t range = iMaxPos - iMinPos;
  const int32_t along = (horizontal() ? where.h - offsetHandle.h : where.v - offsetHandle.v) - grab;
  float f = range != 0 ? static_cast<float>(along - iMinPos) / static_cast<float>(range) : 0.f;
  f = f < 0.f ? 0.f : (f > 1.f ? 1.f : f);
  const float v = vmin + positionOf(f) * (vmax - vmin);
  if (v == value) return;
  value = v;
  notify();
}

CHorizontalSwitch::CHorizontalSwitch(const CRect& size, CControlListener* listener, int32_t tag,
                                     int32_t subPixmaps, int32_t heightOfOneImage,
                                     int32_t iMaxPositions, CBitmap* background,
                                     const CPoint& offset)
    : CControl(size, listener, tag, background),
      subPixmaps(subPixmaps),
      heightOfOneImage(heightOfOneImage),
      iMaxPositions(iMaxPositions),
      offset(offset) {}

int32_t CHorizontalSwitch::currentFrame() const {
  const float range = vmax - vmin;
  float v = range > 0 ? (value - vmin) / range : 0.f;
  // Hosts may store any value; the frame is chosen from the value clamped to the range.
  v = v > 0.f ? (v < 1.f ? v : 1.f) : 0.f;
  return static_cast<int32_t>(std::lround(v * static_cast<float>(subPixmaps - 1)));
}

void CHorizontalSwitch::draw(CDrawContext* context) {
  if (!background) return;
  const CPoint source(offset.h, offset.v + currentFrame() * heightOfOneImage);
  if (transparent)
    background->drawTransparent(context, size, source);
  else
    background->draw(context, size, source);
}

void CHorizontalSwitch::select(const CPoint& where) {
  if (iMaxPositions < 2 || size.width() <= 0) return;
  int32_t k = (where.h - size.left) * iMaxPositions / size.width();
  k = k < 0 ? 0 : (k > iMaxPositions - 1 ? iMaxPositions - 1 : k);
  const float v =
      vmin + (vmax - vmin) * static_cast<float>(k) / static_cast<float>(iMaxPositions - 1);
  if (v == value) return;
  value = v;
  notify();
}

bool CHorizontalSwitch::onMouseDown(const CPoint& where, int32_t buttons) {
  if (!(buttons & kLButton)) return false;
  beginEdit();
  select(where);
  return true;
}

void CHorizontalSwitch::onMouseMoved(const CPoint& where, int32_t buttons) {
  if (buttons & kLButton) select(where);
}

void CHorizontalSwitch::onMouseUp(const CPoint&, int32_t) { endEdit(); }

CKickButton::CKickButton(const CRect& size, CControlListener* listener, int32_t tag,
                         int32_t heightOfOneImage, CBitmap* background, const CPoint& offset)
    : CControl(size, listener, tag, background),
      heightOfOneImage(heightOfOneImage),
      offset(offset) {}

void CKickButton::draw(CDrawContext* context) {
  if (!background) return;
  const CPoint source(offset.h, offset.v + (value > 0.5f ? heightOfOneImage : 0));
  if (transparent)
    background->drawTransparent(context, size, source);
  else
    background->draw(context, size, source);
}

bool CKickButton::onMouseDown(const CPoint&, int32_t buttons) {
  if (!(buttons & kLButton)) return false;
  beginEdit();
  value = vmax;
  notify();
  return true;
}

void CKickButton::onMouseMoved(const CPoint& where, int32_t buttons) {
  const float v = (buttons & kLButton) && size.pointInside(where) ? vmax : vmin;
  if (v == value) return;
  value = v;
  notify();
}

void CKickButton::onMouseUp(const CPoint&, int32_t) {
  value = vmin;
  notify();
  endEdit();
}

CSplashScreen::CSplashScreen(const CRect& size, CControlListener* listener, int32_t tag,
                             CBitmap* background, const CRect& displayRect, const CPoint& offset)
    : CControl(size, listener, tag, background),
      keepSize(size),
      displayRect(displayRect),
      offset(offset) {}

void CSplashScreen::draw(CDrawContext* context) {
  if (isShown() && background) background->draw(context, displayRect, offset);
}

bool CSplashScreen::onMouseDown(const CPoint&, int32_t buttons) {
  if (!(buttons & kLButton) || !frame) return false;
  if (!isShown()) {
    if (!frame->setModalView(this)) return false;
    keepSize = size;
    size = mouseableArea = displayRect;
    value = 1.f;
    notify();
  } else {
    value = 0.f;
    size = mouseableArea = keepSize;
    frame->setModalView(nullptr);
    notify();
    frame->redraw();  // restore what the image covered
  }
  return false;
}

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener, int32_t tag, const char* t,
                     CBitmap* background, int32_t style)
    : CControl(size, listener, tag, background), style(style) {
  setText(t);
}

void CTextEdit::setText(const char* t) {
  text.assign(t ? t : "");
  if (text.size() > kMaxText) text.resize(kMaxText);
  setDirty(true);
}

void CTextEdit::draw(CDrawContext* context) {
  if (background)
    drawBackground(context);
  else
    context->fillRect(size, backColor);
  context->drawString(text.c_str(), size, fontColor);
  if (editing) {
    // A caret after the text.
    const int32_t s = context->getScale();
    const int32_t x = size.left + 2 * s + builtInFont(s).width * static_cast<int32_t>(text.size());
    context->fillRect(CRect(x, size.top + 3 * s, x + s, size.bottom - 3 * s), fontColor);
  }
}

bool CTextEdit::onMouseDown(const CPoint&, int32_t buttons) {
  if ((buttons & kLButton) && frame) frame->setEditView(this);
  return false;
}

int32_t CTextEdit::onKeyDown(const KeyEvent& key) {
  if (!editing) return -1;
  if (key.virt == kVirtReturn || key.virt == kVirtEnter || key.virt == kVirtEscape) {
    if (frame) frame->setEditView(nullptr);
    if (key.virt != kVirtEscape) notify();
    return 1;
  }
  if (key.virt == kVirtBack) {
    if (!text.empty()) text.pop_back();
  } else if (key.character >= 32 && key.character < 127 && text.size() < kMaxText) {
    text.push_back(static_cast<char>(key.character));
  } else {
    return -1;
  }
  setDirty(true);
  return 1;
}

void CTextEdit::takeFocus() {
  editing = true;
  setDirty(true);
}

void CTextEdit::looseFocus() {
  editing = false;
  setDirty(true);
}

}  // namespace VSTGUI
