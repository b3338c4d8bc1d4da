// The 128 programs for a host's preset browser: a preset-discovery factory with one provider that
// lists the factory bank as presets held inside the plug-in, each with the number of its program
// as its load key; loading one selects that program of the instance's bank (preset-load), as a
// VST 2 host's program change does.
#pragma once

#include "clap/clap_presets.h"

namespace orvalis::clap {

const PresetDiscoveryFactory& presetDiscoveryFactory();

// The program a load key names, or -1 for a key that names none.
int programOfLoadKey(uint32_t locationKind, const char* location, const char* loadKey);

}  // namespace orvalis::clap
