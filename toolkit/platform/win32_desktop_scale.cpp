// The Windows desktop's scale: the DPI of the monitor the editor's window will be on, as the
// host's window sees it. A host that is not DPI-aware is stretched by Windows itself and is
// told 96, so the editor stays at 1x there instead of being doubled twice. The calls that know
// about awareness exist from Windows 10 (1607); older systems give the monitor's or the
// system's DPI.
#if defined(_WIN32)
#include <windows.h>

#include "toolkit/platform/desktop_scale.h"

namespace VSTGUI {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

// Through void*: a FARPROC names no real signature.
template <typename Fn>
Fn function(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

UINT awareDpi(HWND window) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  if (window) {
    if (auto forWindow = function<GetDpiForWindowFn>(user32, "GetDpiForWindow"))
      return forWindow(window);
  } else if (auto forSystem = function<GetDpiForSystemFn>(user32, "GetDpiForSystem")) {
    return forSystem();
  }
  return 0;
}

UINT monitorDpi(HWND window) {
  HMODULE shcore = LoadLibraryA("shcore.dll");
  if (!shcore) return 0;
  UINT dpi = 0, x = 0, y = 0;
  auto forMonitor = function<GetDpiForMonitorFn>(shcore, "GetDpiForMonitor");
  HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
  if (forMonitor && monitor && forMonitor(monitor, kEffectiveDpi, &x, &y) == S_OK) dpi = x;
  FreeLibrary(shcore);
  return dpi;
}

UINT systemDpi() {
  HDC screen = GetDC(nullptr);
  if (!screen) return 0;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 0;
}

}  // namespace

double desktopScaleFactor(void* parent) {
  HWND window = static_cast<HWND>(parent);
  if (window && !IsWindow(window)) window = nullptr;
  UINT dpi = awareDpi(window);
  if (!dpi) dpi = monitorDpi(window);
  if (!dpi) dpi = systemDpi();
  return dpi ? dpi / kBaseDpi : 1.0;
}

}  // namespace VSTGUI
#endif
