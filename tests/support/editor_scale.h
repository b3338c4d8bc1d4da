// The host's side of the editor's scale: the vendor opcode hosts send it with, the size the
// editor reports, and an editor opened offscreen at a given host factor.
#pragma once

#include "plugin/corvina_gui_editor.h"
#include "tests/support/instance_peek.h"
#include "tests/support/test_host.h"
#include "toolkit/geometry.h"

namespace orvalis::tests {

constexpr int32_t kHostScaleIndex = 0x50726553;   // 'PreS'
constexpr intptr_t kHostScaleValue = 0x41654373;  // 'AeCs'

inline intptr_t sendHostScale(TestHost& host, float factor) {
  return host.dispatch(effVendorSpecific, kHostScaleIndex, kHostScaleValue, nullptr, factor);
}

inline VSTGUI::CRect reportedRect(TestHost& host) {
  ERect* r = nullptr;
  if (host.dispatch(effEditGetRect, 0, 0, &r) != 1 || !r) return VSTGUI::CRect();
  return VSTGUI::CRect(r->left, r->top, r->right, r->bottom);
}

// Opens the window offscreen (no parent) with the host's factor, and runs one idle.
inline orvalis::editor::Panel& openEditorAt(TestHost& host, float factor) {
  sendHostScale(host, factor);
  host.dispatch(effEditOpen);
  host.dispatch(effEditIdle);
  return instanceOf(host).guiEditor()->getPanel();
}

}  // namespace orvalis::tests
