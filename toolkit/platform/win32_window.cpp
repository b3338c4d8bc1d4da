// The Win32 frame window: a child of the host's HWND that paints from the frame's pixel buffer
// and captures the mouse while a control is dragged.
#if defined(_WIN32)
#include <windows.h>
#include <windowsx.h>

#include "toolkit/frame.h"
#include "toolkit/platform/platform_window.h"

namespace VSTGUI {

namespace {

const char* const kClassName = "OrvalisFrame";

class Win32Window : public PlatformWindow {
 public:
  bool open(HWND parent, int32_t w, int32_t h);
  ~Win32Window() override {
    if (hwnd) DestroyWindow(hwnd);
  }
  void present(const uint32_t* pixels, int32_t w, int32_t h, const CRect& area) override {
    (void)pixels;
    (void)w;
    (void)h;
    if (!hwnd) return;
    RECT r = {area.left, area.top, area.right, area.bottom};
    InvalidateRect(hwnd, &r, FALSE);
  }
  void attach(CFrame& f) override { frame = &f; }
  // Messages reach the window through the host's own message loop.
  void pump(CFrame&) override {}
  uintptr_t handle() const override { return reinterpret_cast<uintptr_t>(hwnd); }

  static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND hwnd = nullptr;
  CFrame* frame = nullptr;
  int32_t width = 0, height = 0;
};

#if defined(__i386__)
__attribute__((force_align_arg_pointer))
#endif
LRESULT CALLBACK
Win32Window::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self || !self->frame) return DefWindowProcA(hwnd, message, wParam, lParam);
  CFrame& frame = *self->frame;
  const CPoint at(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      BITMAPINFO info = {};
      info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
      info.bmiHeader.biWidth = self->width;
      info.bmiHeader.biHeight = -self->height;  // top-down rows
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      SetDIBitsToDevice(dc, 0, 0, self->width, self->height, 0, 0, 0, self->height,
                        frame.pixels().data(), &info, DIB_RGB_COLORS);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      SetCapture(hwnd);
      frame.onMouseDown(at, kLButton);
      return 0;
    case WM_RBUTTONDOWN:
      frame.onMouseDown(at, kRButton);
      return 0;
    case WM_MOUSEMOVE:
      frame.onMouseMoved(at, (wParam & MK_LBUTTON) ? kLButton : 0);
      return 0;
    case WM_LBUTTONUP:
      ReleaseCapture();
      frame.onMouseUp(at, kLButton);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

bool Win32Window::open(HWND parent, int32_t w, int32_t h) {
  width = w;
  height = h;
  HINSTANCE instance = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&Win32Window::procedure), &instance);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &Win32Window::procedure;
  wc.hInstance = instance;
  wc.lpszClassName = kClassName;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  RegisterClassA(&wc);  // fails harmlessly when already registered
  hwnd = CreateWindowExA(0, kClassName, "Orvalis", WS_CHILD | WS_VISIBLE, 0, 0, w, h, parent,
                         nullptr, instance, nullptr);
  if (!hwnd) return false;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  return true;
}

}  // namespace

PlatformWindow* createPlatformWindow(void* parent, int32_t width, int32_t height) {
  auto* w = new Win32Window();
  if (!parent || !w->open(static_cast<HWND>(parent), width, height)) {
    delete w;
    return nullptr;
  }
  return w;
}

}  // namespace VSTGUI
#endif
