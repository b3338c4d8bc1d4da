// The Windows desktop's scale: the DPI of the monitor the editor's window will be on (the
// host's window, or the primary monitor before there is one). The per-monitor call exists
// from Windows 8.1 on; older systems give the one system DPI.
#if defined(_WIN32)
#include <windows.h>

#include "toolkit/platform/desktop_scale.h"

namespace VSTGUI {

namespace {

using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

UINT monitorDpi(HWND window) {
  HMODULE shcore = LoadLibraryA("shcore.dll");
  if (!shcore) return 0;
  UINT dpi = 0;
  auto getDpiForMonitor =
      reinterpret_cast<GetDpiForMonitorFn>(GetProcAddress(shcore, "GetDpiForMonitor"));
  HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
  UINT x = 0, y = 0;
  if (getDpiForMonitor && monitor && getDpiForMonitor(monitor, kEffectiveDpi, &x, &y) == S_OK)
    dpi = x;
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
  UINT dpi = monitorDpi(window);
  if (!dpi) dpi = systemDpi();
  return dpi ? dpi / kBaseDpi : 1.0;
}

}  // namespace VSTGUI
#endif
