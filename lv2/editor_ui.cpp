#include "lv2/editor_ui.h"

#include <lv2/atom/atom.h>
#include <lv2/options/options.h>

#include <cmath>
#include <cstring>
#include <new>

#include "lv2/feature_lookup.h"
#include "params/program_record.h"
#include "toolkit/platform/platform_window.h"

namespace orvalis::lv2 {

EditorUi* EditorUi::create(LV2UI_Write_Function write, LV2UI_Controller controller,
                           const LV2_Feature* const* features, LV2UI_Widget* widget) {
  const auto* map = static_cast<const LV2_URID_Map*>(findFeature(features, LV2_URID__map));
  void* parent = const_cast<void*>(findFeature(features, LV2_UI__parent));
  if (!map || !parent || !write || !widget) return nullptr;
  const auto* touch = static_cast<const LV2UI_Touch*>(findFeature(features, LV2_UI__touch));
  auto* ui = new (std::nothrow) EditorUi(write, controller, map, touch);
  if (!ui) return nullptr;
  ui->readOptions(features, map);
  ui->panel.open(parent);
  VSTGUI::CFrame* frame = ui->panel.getFrame();
  if (!frame || !frame->platformWindow()) {
    delete ui;  // a stale parent, or no X display
    return nullptr;
  }
  *widget = reinterpret_cast<LV2UI_Widget>(frame->platformWindow()->handle());
  if (const auto* resize = static_cast<const LV2UI_Resize*>(findFeature(features, LV2_UI__resize)))
    resize->ui_resize(resize->handle, ui->panel.width(), ui->panel.height());
  return ui;
}

EditorUi::EditorUi(LV2UI_Write_Function writeFunction, LV2UI_Controller hostController,
                   const LV2_URID_Map* map, const LV2UI_Touch* touchFeature)
    : write(writeFunction),
      controller(hostController),
      touch(touchFeature),
      urids(map),
      panel(*this) {
  for (int i = 0; i < orvalis::params::kNumParams; ++i)
    values[i] = orvalis::params::parameterInfo(i).defaultValue;
}

EditorUi::~EditorUi() { panel.close(); }

void EditorUi::readOptions(const LV2_Feature* const* features, const LV2_URID_Map* map) {
  const auto* options =
      static_cast<const LV2_Options_Option*>(findFeature(features, LV2_OPTIONS__options));
  if (!options) return;
  const LV2_URID scaleFactor = map->map(map->handle, LV2_UI__scaleFactor);
  const LV2_URID floatType = map->map(map->handle, LV2_ATOM__Float);
  for (const LV2_Options_Option* o = options; o->key || o->value; ++o) {
    if (o->key != scaleFactor || o->type != floatType || o->size != sizeof(float) || !o->value)
      continue;
    const float s = *static_cast<const float*>(o->value);
    if (std::isfinite(s) && s > 0.f) {
      scale = s;
      panel.setScaleFactor(s);  // without it, the desktop's scale decides
    }
  }
}

void EditorUi::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
  if (!buffer) return;
  if (isControlPort(port) && format == 0 && size == sizeof(float)) {
    float v;
    std::memcpy(&v, buffer, sizeof v);
    values[port] = v;
    panel.parameterChanged(static_cast<int32_t>(port), v);
  } else if (port == kNotify && format == urids.eventTransfer) {
    readDisplayAtom(urids, buffer, size, &shown);
  }
}

int EditorUi::idle() {
  panel.idle();
  return panel.isOpen() ? 0 : 1;
}

float EditorUi::parameter(int index) const {
  return orvalis::params::isValidIndex(index) ? values[index] : 0.f;
}

void EditorUi::beginEdit(int index) {
  if (touch && orvalis::params::isValidIndex(index)) touch->touch(touch->handle, index, true);
}

void EditorUi::changeParameter(int index, float value) {
  if (!orvalis::params::isValidIndex(index)) return;
  values[index] = value;
  write(controller, static_cast<uint32_t>(index), sizeof(float), 0, &value);
}

void EditorUi::endEdit(int index) {
  if (touch && orvalis::params::isValidIndex(index)) touch->touch(touch->handle, index, false);
}

void EditorUi::copyProgram() { std::memcpy(clipboard.values, values, sizeof values); }

void EditorUi::pasteProgram() {
  const float* pasted = clipboard.values;
  // Through the ports, so that the host records the change and the plug-in hears it. The
  // button reports both its press and its release: the second pass finds nothing to change.
  for (int i = 0; i < orvalis::params::kNumParams; ++i) {
    if (values[i] == pasted[i]) continue;
    beginEdit(i);
    changeParameter(i, pasted[i]);
    endEdit(i);
    panel.parameterChanged(i, pasted[i]);
  }
}

}  // namespace orvalis::lv2
