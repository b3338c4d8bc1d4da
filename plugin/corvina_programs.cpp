#include "plugin/aeff_editor.h"
#include "plugin/corvina.h"
#include "plugin/corvina_gui_editor.h"

namespace orvalis::vst2 {

using namespace orvalis::params;

void Corvina::setProgram(int32_t program) {
  if (program < 0) program = core.currentProgram();  // reload the current program
  if (program < 0 || program >= kNumPrograms) return;
  core.selectProgram(program);
  if (gui)
    for (int j = 0; j < kNumParams; ++j) gui->setParameter(j, core.parameter(j));
}

int32_t Corvina::getProgram() { return core.currentProgram(); }

void Corvina::setProgramName(char* name) { core.setProgramName(name); }

void Corvina::getProgramName(char* name) {
  char text[kProgramNameSize];
  if (core.programName(core.currentProgram(), text)) copyHostText(name, text);
}

bool Corvina::getProgramNameIndexed(int32_t, int32_t index, char* text) {
  char name[kProgramNameSize];
  if (!core.programName(index, name)) return false;
  copyHostText(text, name);
  return true;
}

bool Corvina::copyProgram(int32_t destination) { return core.copyProgram(destination); }

void Corvina::copyToClipboard() { core.copyToClipboard(); }

void Corvina::pasteFromClipboard() {
  core.pasteFromClipboard();
  setProgram(-1);
  if (editor) editor->postUpdate();
}

}  // namespace orvalis::vst2
