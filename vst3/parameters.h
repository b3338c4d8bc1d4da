// The host's view of the parameters: the 61 of the table under their VST 2 indices, the
// program selector of the program list, and the hidden parameters the host's MIDI controllers
// are mapped to. Texts and defaults come from the parameter table.
#pragma once

#include "vst3/abi_controller.h"

namespace orvalis::vst3 {

constexpr ParamID kProgramParam = 100;
// A MIDI controller's parameter: this base plus the controller's number in the mapping
// interface's numbering (pitch bend 129).
constexpr ParamID kControllerParamBase = 1000;
constexpr ParamID kModWheelParam = kControllerParamBase + kCtrlModWheel;
constexpr ParamID kAllNotesOffParam = kControllerParamBase + kCtrlAllNotesOff;
constexpr ParamID kPitchBendParam = kControllerParamBase + kPitchBend;
constexpr int32_t kProgramListId = 1;

int32_t parameterCount();
// The row at a position of the host's list (0 .. parameterCount() - 1); false outside.
bool describeParameter(int32_t index, ParameterInfo& info);
bool isKnownParameter(ParamID id);
bool isControllerParameter(ParamID id);

// A controller parameter's normalised value as the MIDI value the core reads: 0..127, or
// 0..16383 for pitch bend.
int controllerValue(ParamID id, ParamValue normalized);
// The program a selector value picks, 0..127.
int programOfValue(ParamValue normalized);
inline ParamValue valueOfProgram(int program) { return program / 127.0; }

// A parameter's display text for a value: for the table's parameters the VST 2 display text.
// program names the program for the selector (may be null). False for unknown ids.
bool parameterText(ParamID id, ParamValue normalized, const char* programName, String128 text);
// The inverse, where the display has one; false when the text names no value.
bool parameterValueOfText(ParamID id, const char16* text, ParamValue& normalized);

}  // namespace orvalis::vst3
