#include "editor/instrument_panel_host.h"

namespace orvalis::editor {

void InstrumentPanelHost::beginEdit(int index) {
  if (listener) listener->gestureBegan(index);
}

void InstrumentPanelHost::changeParameter(int index, float value) {
  core.setParameter(index, value);
  if (listener) listener->parameterEdited(index, core.parameter(index));
}

void InstrumentPanelHost::endEdit(int index) {
  if (listener) listener->gestureEnded(index);
}

void InstrumentPanelHost::pasteProgram() {
  core.pasteFromClipboard();
  if (listener) listener->programReplaced();
}

}  // namespace orvalis::editor
