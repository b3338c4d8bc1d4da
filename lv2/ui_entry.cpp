// The UI library's only export: the descriptor of the X11 UI.
#include <lv2/ui/ui.h>

#include <cstring>

#include "lv2/editor_ui.h"
#include "lv2/uris.h"

using orvalis::lv2::EditorUi;

namespace {

EditorUi* self(LV2UI_Handle handle) { return static_cast<EditorUi*>(handle); }

LV2UI_Handle instantiate(const LV2UI_Descriptor*, const char* pluginUri, const char*,
                         LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget* widget, const LV2_Feature* const* features) {
  if (!pluginUri || std::strcmp(pluginUri, orvalis::lv2::kPluginUri) != 0) return nullptr;
  return EditorUi::create(write, controller, features, widget);
}

void cleanup(LV2UI_Handle handle) { delete self(handle); }

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer) {
  self(handle)->portEvent(port, size, format, buffer);
}

int idle(LV2UI_Handle handle) { return self(handle)->idle(); }

const void* extensionData(const char* uri) {
  static const LV2UI_Idle_Interface idleInterface = {idle};
  return std::strcmp(uri, LV2_UI__idleInterface) == 0 ? &idleInterface : nullptr;
}

const LV2UI_Descriptor kDescriptor = {orvalis::lv2::kUiUri, instantiate, cleanup, portEvent,
                                      extensionData};

}  // namespace

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}
