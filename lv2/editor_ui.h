// The instrument's panel as an LV2 X11 UI, embedded in the host's parent window and driven by
// the host's idle calls. It knows the plug-in only through its ports: control values arrive in
// portEvent() and leave through the host's write function, and the bars and meter arrive as
// display messages on the notify port, so the host may run it in another process.
#pragma once

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <cstdint>

#include "editor/panel.h"
#include "editor/panel_host.h"
#include "lv2/display_message.h"
#include "lv2/uris.h"
#include "params/program_record.h"

namespace orvalis::lv2 {

class EditorUi : public orvalis::editor::PanelHost {
 public:
  // Null when the host lacks urid:map or a parent window, or the window cannot be made.
  static EditorUi* create(LV2UI_Write_Function write, LV2UI_Controller controller,
                          const LV2_Feature* const* features, LV2UI_Widget* widget);
  ~EditorUi() override;
  EditorUi(const EditorUi&) = delete;
  EditorUi& operator=(const EditorUi&) = delete;

  void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
  // Draws what changed; 0 while the panel is open.
  int idle();

  // PanelHost
  float parameter(int index) const override;
  void beginEdit(int index) override;
  void changeParameter(int index, float value) override;
  void endEdit(int index) override;
  void copyProgram() override;
  void pasteProgram() override;
  orvalis::core::DisplaySnapshot display() const override { return shown; }

  // The host's ui:scaleFactor (1 when it gives none).
  float scaleFactor() const { return scale; }

 private:
  EditorUi(LV2UI_Write_Function write, LV2UI_Controller controller, const LV2_URID_Map* map,
           const LV2UI_Touch* touch);
  void readOptions(const LV2_Feature* const* features, const LV2_URID_Map* map);

  LV2UI_Write_Function write;
  LV2UI_Controller controller;
  const LV2UI_Touch* touch;
  DisplayUrids urids;
  float values[orvalis::params::kNumParams];
  // The UI may live in another process than the plug-in, so it cannot reach the core's
  // clipboard: COPY and PASTE move the values shown within this window (see the README).
  orvalis::params::ProgramRecord clipboard;
  orvalis::core::DisplaySnapshot shown;
  float scale = 1.f;
  orvalis::editor::Panel panel;
};

}  // namespace orvalis::lv2
