// The scale the desktop asks windows to be drawn at, as a factor of 1x (96 dpi). The readers
// of the settings' texts are kept apart from the platform calls so that tests can feed them.
#pragma once

#include <cstddef>

namespace VSTGUI {

// 1x is drawn for 96 dpi.
constexpr double kBaseDpi = 96.0;
// X11 desktops count as 2x from this Xft.dpi on; smaller raises mostly just enlarge text.
constexpr double kX11DoubleDpi = 192.0;

// The factor for the window that will be a child of parent (null before it exists): on X11
// GDK_SCALE, else Xft.dpi from 192 up; on Windows the DPI of the monitor. 1 when nothing
// asks for more.
double desktopScaleFactor(void* parent);

// GDK_SCALE's value as a number, or 0 when it is missing or not a positive number.
double parseGdkScale(const char* value);
// The last Xft.dpi entry of an X resource database (the root window's RESOURCE_MANAGER text,
// not terminated), or 0 when there is none or it is not a positive number.
double parseXftDpi(const char* text, std::size_t length);
// The factor the X11 settings ask for: GDK_SCALE when set, else Xft.dpi / 96 from 192 dpi on.
double x11ScaleFactor(const char* gdkScale, const char* resources, std::size_t length);

}  // namespace VSTGUI
