// The 61 parameters as a CLAP host sees them: id = the VST 2 index, the table's names, a module
// path per section, and plain values. Continuous parameters keep the 0..1 value every format
// stores; a switch (filter types, oscillator mode, polyphony) is stepped, its plain value the
// position 0..n-1, stored as the value its editor switch gives that position, k / (n - 1).
#pragma once

#include <cstddef>

#include "clap/clap_extensions.h"

namespace orvalis::clap {

// False for an id that names no parameter.
bool describeParameter(clap_id id, ParamInfo& info);

// The number of positions of a switch, or 0 for a continuous parameter.
int positionsOf(clap_id id);

// Plain value to the stored value, and back. Ids must be valid.
float storedValue(clap_id id, double plain);
double plainValue(clap_id id, float stored);

// The display text the VST 2 plug-in shows for the stored value of plain; false for hidden
// parameters, which show none.
bool plainToText(clap_id id, double plain, char* text, std::size_t capacity);
// The inverse, for the texts that have one: numbers of continuous parameters (what their
// display shows, optionally followed by the unit) and the choice names of switches.
bool textToPlain(clap_id id, const char* text, double& plain);

}  // namespace orvalis::clap
