#include "editor/editor_scale.h"

#include <cmath>

#include "toolkit/platform/desktop_scale.h"

namespace orvalis::editor {

using VSTGUI::LayoutScale;

bool EditorScale::setHostFactor(float factor) {
  if (!std::isfinite(factor) || factor <= 0.f) return false;
  host.store(factor);
  return true;
}

LayoutScale EditorScale::choose(void* parent) const {
  const float factor = host.load();
  if (factor > 0.f) return LayoutScale::fromFactor(factor);
  return LayoutScale::fromFactor(VSTGUI::desktopScaleFactor(parent));
}

}  // namespace orvalis::editor
