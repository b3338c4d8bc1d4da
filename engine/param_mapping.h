// How the parameter values reach a voice: at every change (applyParameter), at voice set-up
// (applyAllParameters) and at a note start that retriggers (applyNoteStart).
#pragma once

namespace orvalis::engine {

struct Voice;

void applyParameter(Voice& v, int index);
void applyAllParameters(Voice& v);
void applyNoteStart(Voice& v, float vel);

}  // namespace orvalis::engine
