#include "vst3/plug_view.h"

#include <cstring>
#include <new>

#include "vst3/instrument_component.h"

#if defined(_WIN32)
#include <windows.h>

#include "toolkit/platform/platform_window.h"
#endif

namespace orvalis::vst3 {

namespace {

#if defined(_WIN32)
constexpr const char* kPlatformType = kPlatformTypeHWND;
// Windows hosts give no idle: a timer on the panel's own window gives it, and the window's
// property finds the view again.
constexpr const char* kViewProperty = "OrvalisVst3View";
constexpr UINT_PTR kIdleTimer = 1;

void CALLBACK idleTimer(HWND window, UINT, UINT_PTR, DWORD) {
  if (auto* view = static_cast<PlugView*>(GetPropA(window, kViewProperty))) view->onTimer();
}
#else
constexpr const char* kPlatformType = kPlatformTypeX11EmbedWindowID;
#endif

}  // namespace

PlugView* PlugView::create(InstrumentComponent& owner) {
  return new (std::nothrow) PlugView(owner);
}

PlugView::PlugView(InstrumentComponent& component)
    : owner(component), host(component.instrument(), this), panel(host) {
  owner.addRef();
}

PlugView::~PlugView() {
  removed();
  owner.viewClosed(this);
  owner.release();
}

tresult PlugView::queryInterface(const TUID iid, void** object) {
  if (!object) return kInvalidArgument;
  void* face = nullptr;
  if (sameId(iid, FUnknown::iid) || sameId(iid, IPlugView::iid))
    face = static_cast<IPlugView*>(this);
  else if (sameId(iid, IPlugViewContentScaleSupport::iid))
    face = static_cast<IPlugViewContentScaleSupport*>(this);
  else if (sameId(iid, ITimerHandler::iid))
    face = static_cast<ITimerHandler*>(this);
  else if (sameId(iid, IEventHandler::iid))
    face = static_cast<IEventHandler*>(this);
  *object = face;
  if (!face) return kNoInterface;
  addRef();
  return kResultOk;
}

uint32_t PlugView::addRef() { return references.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32_t PlugView::release() {
  const uint32_t left = references.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) delete this;
  return left;
}

tresult PlugView::isPlatformTypeSupported(FIDString type) {
  return type && std::strcmp(type, kPlatformType) == 0 ? kResultTrue : kResultFalse;
}

tresult PlugView::attached(void* parent, FIDString type) {
  if (!parent || isPlatformTypeSupported(type) != kResultTrue) return kResultFalse;
  if (panel.isOpen()) removed();
  parentWindow = parent;
  panel.open(parent);
  if (!panel.isOpen()) return kResultFalse;
  startRunLoop();
  return kResultOk;
}

tresult PlugView::removed() {
  stopRunLoop();
  panel.close();
  parentWindow = nullptr;
  return kResultOk;
}

void PlugView::startRunLoop() {
#if defined(_WIN32)
  VSTGUI::CFrame* frame = panel.getFrame();
  if (!frame || !frame->platformWindow()) return;
  auto window = reinterpret_cast<HWND>(frame->platformWindow()->handle());
  SetPropA(window, kViewProperty, this);
  SetTimer(window, kIdleTimer, static_cast<UINT>(kIdleMilliseconds), idleTimer);
#else
  void* loop = nullptr;
  if (!plugFrame || plugFrame->queryInterface(IRunLoop::iid.bytes, &loop) != kResultOk || !loop)
    return;
  runLoop = static_cast<IRunLoop*>(loop);
  runLoop->registerTimer(this, kIdleMilliseconds);
  const int fd = panel.getFrame() ? panel.getFrame()->platformFileDescriptor() : -1;
  watchingDescriptor = fd >= 0 && runLoop->registerEventHandler(this, fd) == kResultOk;
#endif
}

void PlugView::stopRunLoop() {
#if defined(_WIN32)
  VSTGUI::CFrame* frame = panel.getFrame();
  if (!frame || !frame->platformWindow()) return;
  auto window = reinterpret_cast<HWND>(frame->platformWindow()->handle());
  KillTimer(window, kIdleTimer);
  RemovePropA(window, kViewProperty);
#else
  if (!runLoop) return;
  if (watchingDescriptor) runLoop->unregisterEventHandler(this);
  runLoop->unregisterTimer(this);
  watchingDescriptor = false;
  runLoop->release();
  runLoop = nullptr;
#endif
}

tresult PlugView::getSize(ViewRect* size) {
  if (!size) return kInvalidArgument;
  *size = {0, 0, panel.width(), panel.height()};
  return kResultOk;
}

tresult PlugView::onSize(ViewRect* newSize) {
  if (!newSize) return kInvalidArgument;
  // A fixed size: only ours is agreed to.
  return newSize->right - newSize->left == panel.width() &&
                 newSize->bottom - newSize->top == panel.height()
             ? kResultOk
             : kResultFalse;
}

tresult PlugView::checkSizeConstraint(ViewRect* rect) {
  if (!rect) return kInvalidArgument;
  rect->right = rect->left + panel.width();
  rect->bottom = rect->top + panel.height();
  return kResultOk;
}

tresult PlugView::setFrame(IPlugFrame* frame) {
  // The frame outlives the view's attachment: hosts keep it, so no reference is taken.
  plugFrame = frame;
  return kResultOk;
}

tresult PlugView::setContentScaleFactor(float factor) {
  const int32_t before = panel.scale();
  if (!panel.setScaleFactor(factor)) return kResultFalse;
  if (!panel.isOpen()) return kResultOk;
  // The open panel takes a new scale only when opened again, in the same window.
  void* parent = parentWindow;
  attached(parent, kPlatformType);
  if (panel.scale() != before && plugFrame) {
    ViewRect size{0, 0, panel.width(), panel.height()};
    plugFrame->resizeView(this, &size);
  }
  return kResultOk;
}

void PlugView::gestureBegan(int index) { owner.beginEdit(index); }
void PlugView::parameterEdited(int index, float value) { owner.performEdit(index, value); }
void PlugView::gestureEnded(int index) { owner.endEdit(index); }
void PlugView::programReplaced() { owner.bankChanged(); }

}  // namespace orvalis::vst3
