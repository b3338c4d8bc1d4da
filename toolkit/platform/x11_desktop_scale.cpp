// The X11 desktop's scale: GDK_SCALE, else Xft.dpi from the resource database that the desktop
// keeps in the root window's RESOURCE_MANAGER property (read through a short connection of our
// own, as the window itself does not exist yet when the host asks for the editor's size).
#include <xcb/xcb.h>

#include <cstdlib>

#include "toolkit/platform/desktop_scale.h"

namespace VSTGUI {

namespace {

// Resource databases are a few kilobytes; read at most 1 MB of one (in 4-byte units).
constexpr uint32_t kMaxPropertyWords = 256 * 1024;
constexpr char kResourceManager[] = "RESOURCE_MANAGER";

double resourceDatabaseFactor() {
  int screenNumber = 0;
  xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
  double factor = 1.0;
  if (connection && !xcb_connection_has_error(connection)) {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, sizeof kResourceManager - 1, kResourceManager),
        nullptr);
    if (it.rem && atom && atom->atom != XCB_ATOM_NONE) {
      xcb_get_property_reply_t* property =
          xcb_get_property_reply(connection,
                                 xcb_get_property(connection, 0, it.data->root, atom->atom,
                                                  XCB_ATOM_STRING, 0, kMaxPropertyWords),
                                 nullptr);
      if (property && property->format == 8) {
        const int length = xcb_get_property_value_length(property);
        const auto* text = static_cast<const char*>(xcb_get_property_value(property));
        if (length > 0) factor = x11ScaleFactor(nullptr, text, static_cast<std::size_t>(length));
      }
      std::free(property);
    }
    std::free(atom);
  }
  if (connection) xcb_disconnect(connection);
  return factor;
}

}  // namespace

double desktopScaleFactor(void*) {
  const char* gdkScale = std::getenv("GDK_SCALE");
  if (parseGdkScale(gdkScale) > 0) return x11ScaleFactor(gdkScale, nullptr, 0);
  return resourceDatabaseFactor();
}

}  // namespace VSTGUI
