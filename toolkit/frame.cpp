#include "toolkit/frame.h"

#include <algorithm>

#include "toolkit/bitmap.h"
#include "toolkit/platform/platform_window.h"

namespace VSTGUI {

CFrame::CFrame(const CRect& rect, void* systemWindow, FrameEditor* editor)
    : CView(rect),
      editor(editor),
      buffer(static_cast<std::size_t>(rect.width() > 0 ? rect.width() : 0) *
                 (rect.height() > 0 ? rect.height() : 0),
             0xFF000000u),
      context(buffer.data(), rect.width() > 0 ? rect.width() : 0,
              rect.height() > 0 ? rect.height() : 0) {
  frame = this;
  if (systemWindow) window = createPlatformWindow(systemWindow, rect.width(), rect.height());
  if (window) window->attach(*this);
}

CFrame::~CFrame() {
  modal = editView = tracking = nullptr;
  for (CView* v : views) delete v;
  views.clear();
  delete window;
}

bool CFrame::addView(CView* view) {
  if (!view) return false;
  view->setFrame(this);
  views.push_back(view);
  return true;
}

bool CFrame::removeView(CView* view) {
  auto it = std::find(views.begin(), views.end(), view);
  if (it == views.end()) return false;
  if (modal == view) modal = nullptr;
  if (editView == view) editView = nullptr;
  if (tracking == view) tracking = nullptr;
  views.erase(it);
  delete view;
  return true;
}

int CFrame::platformFileDescriptor() const { return window ? window->fileDescriptor() : -1; }

CView* CFrame::getView(int32_t index) const {
  return index >= 0 && index < getNbViews() ? views[index] : nullptr;
}

void CFrame::draw(CDrawContext* ctx) {
  drawBackground(ctx);
  for (CView* v : views) {
    v->draw(ctx);
    v->setDirty(false);
  }
  // The modal view covers the others.
  if (modal) modal->draw(ctx);
}

void CFrame::redraw() {
  draw(&context);
  present();
}

void CFrame::idle() {
  if (window) window->pump(*this);
  redrawDirty();
}

void CFrame::redrawDirty() {
  bool drew = false;
  for (CView* v : views) {
    if (!v->isDirty()) continue;
    v->draw(&context);
    v->setDirty(false);
    drew = true;
  }
  // The modal view stays on top of whatever was redrawn under it.
  if (modal && drew) modal->draw(&context);
  present();
}

void CFrame::present() {
  const CRect area = context.takeTouched();
  if (window && !area.isEmpty()) window->present(buffer.data(), size.width(), size.height(), area);
}

bool CFrame::onMouseDown(const CPoint& where, int32_t buttons) {
  if (tracking) return true;
  CView* target = nullptr;
  if (modal) {
    if (modal->getMouseableArea().pointInside(where)) target = modal;
  } else {
    // The view added last lies on top.
    for (auto it = views.rbegin(); it != views.rend(); ++it)
      if ((*it)->getMouseableArea().pointInside(where)) {
        target = *it;
        break;
      }
  }
  if (editView && target != editView) setEditView(nullptr);
  if (target && target->onMouseDown(where, buttons)) tracking = target;
  redrawDirty();
  return target != nullptr;
}

void CFrame::onMouseMoved(const CPoint& where, int32_t buttons) {
  if (!tracking) return;
  tracking->onMouseMoved(where, buttons);
  redrawDirty();
  doIdleStuff();
}

void CFrame::onMouseUp(const CPoint& where, int32_t buttons) {
  if (!tracking) return;
  CView* view = tracking;
  tracking = nullptr;
  view->onMouseUp(where, buttons);
  redrawDirty();
}

int32_t CFrame::onKeyDown(const KeyEvent& key) { return editView ? editView->onKeyDown(key) : -1; }

int32_t CFrame::onKeyUp(const KeyEvent& key) { return editView ? editView->onKeyUp(key) : -1; }

bool CFrame::onWheel(void*, const CPoint& where, float distance) {
  if (modal) return modal->onWheel(where, distance);
  for (auto it = views.rbegin(); it != views.rend(); ++it)
    if ((*it)->getMouseableArea().pointInside(where)) return (*it)->onWheel(where, distance);
  return false;
}

bool CFrame::setModalView(CView* view) {
  if (view && modal && modal != view) return false;
  modal = view;
  return true;
}

void CFrame::setEditView(CView* view) {
  if (editView == view) return;
  CView* previous = editView;
  editView = view;
  if (previous) previous->looseFocus();
  if (view) view->takeFocus();
}

void CFrame::beginEdit(int32_t tag) {
  if (editor) editor->beginEdit(tag);
}

void CFrame::endEdit(int32_t tag) {
  if (editor) editor->endEdit(tag);
}

void CFrame::doIdleStuff() {
  if (editor) editor->doIdleStuff();
}

}  // namespace VSTGUI
