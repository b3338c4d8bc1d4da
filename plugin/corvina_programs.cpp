#include "editor/corvina_gui_editor.h"
#include "plugin/corvina.h"

using namespace params;

void Corvina::setProgram(int32_t program) {
  if (program < 0) program = curProgram;  // reload the current program
  if (program < 0 || program >= kNumPrograms) return;
  curProgram = program;
  edit = bank[program];
  engine.attachProgram(edit.values);
  applyPolyphony(edit.values[kPolyphony]);
  if (gui) {
    for (int j = 0; j < kNumParams; ++j) gui->setParameter(j, edit.values[j]);
    gui->postUpdate();
  }
}

void Corvina::setProgramName(char* name) {
  if (name) bank[curProgram].setName(name);
}

void Corvina::getProgramName(char* name) { copyHostText(name, bank[curProgram].name); }

bool Corvina::getProgramNameIndexed(int32_t, int32_t index, char* text) {
  if (index < 0 || index >= kNumPrograms) return false;
  copyHostText(text, bank[index].name);
  return true;
}

bool Corvina::copyProgram(int32_t destination) {
  if (destination < 0 || destination >= kNumPrograms) return false;
  bank[destination] = bank[curProgram];
  return true;
}

void Corvina::copyToClipboard() { clipboard = edit; }

void Corvina::pasteFromClipboard() {
  edit = clipboard;
  bank[curProgram] = clipboard;
  setProgram(-1);
  if (gui) gui->postUpdate();
}
