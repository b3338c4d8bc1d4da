// What the panel needs from whoever shows it (the VST 2 editor, an LV2 UI): the parameter values,
// the gestures that change them, the program clipboard and the display snapshot.
#pragma once

#include "core/display_snapshot.h"

namespace orvalis::editor {

class PanelHost {
 public:
  virtual ~PanelHost() = default;

  virtual float parameter(int index) const = 0;
  // A user gesture: begin, one or more changes, end.
  virtual void beginEdit(int index) = 0;
  virtual void changeParameter(int index, float value) = 0;
  virtual void endEdit(int index) = 0;

  virtual void copyProgram() = 0;
  virtual void pasteProgram() = 0;

  virtual core::DisplaySnapshot display() const = 0;

  // Lets the host and the panel run while a control tracks the mouse.
  virtual void idleDuringGesture() {}
};

}  // namespace orvalis::editor
