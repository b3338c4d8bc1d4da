#include "toolkit/view.h"

#include "toolkit/bitmap.h"
#include "toolkit/draw_context.h"
#include "toolkit/frame.h"

namespace VSTGUI {

CView::~CView() {
  if (background) background->forget();
}

void CView::draw(CDrawContext* context) { drawBackground(context); }

void CView::drawBackground(CDrawContext* context) {
  if (!background) return;
  if (transparent)
    background->drawTransparent(context, size, backOffset);
  else
    background->draw(context, size, backOffset);
}

void CView::setBackground(CBitmap* bitmap) {
  if (bitmap) bitmap->remember();
  if (background) background->forget();
  background = bitmap;
}

bool CView::onMouseDown(const CPoint&, int32_t) { return false; }
void CView::onMouseMoved(const CPoint&, int32_t) {}
void CView::onMouseUp(const CPoint&, int32_t) {}
int32_t CView::onKeyDown(const KeyEvent&) { return -1; }
int32_t CView::onKeyUp(const KeyEvent&) { return -1; }
bool CView::onWheel(const CPoint&, float) { return false; }

CControl::CControl(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* bg)
    : CView(size), listener(listener), tag(tag) {
  setBackground(bg);
}

void CControl::bounceValue() {
  if (value > vmax) value = vmax;
  if (value < vmin) value = vmin;
}

void CControl::setDirty(bool flag) {
  dirty = flag;
  if (!flag) oldValue = value;
}

void CControl::update(CDrawContext* context) {
  if (!isDirty() || !context) return;
  draw(context);
  setDirty(false);
}

void CControl::notify() {
  if (listener) listener->valueChanged(frame ? frame->getDrawContext() : nullptr, this);
}

void CControl::beginEdit() {
  if (frame) frame->beginEdit(tag);
}

void CControl::endEdit() {
  if (frame) frame->endEdit(tag);
}

}  // namespace VSTGUI
