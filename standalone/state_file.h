// The state the standalone program keeps between runs: the core's whole blob in one file,
// written through io's safe file writer (replaced whole or not at all), refused whole when it is
// not usable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/instrument.h"

namespace orvalis::standalone {

// $XDG_CONFIG_HOME/orvalis/standalone.state, or ~/.config/... when XDG_CONFIG_HOME is unset or
// not an absolute path; empty when there is no home either.
std::string defaultStatePath();

struct StateRestore {
  enum Result { kMissing, kRestored, kRefused } result = kMissing;
  // For kRefused: one line saying what happened to the file.
  std::string message;
  // False when a refused file could not be moved aside: saving over it would lose it.
  bool mayOverwrite = true;
};

// A refused file is renamed to PATH.bad (replacing an older one) and the core is left as it
// was.
StateRestore restoreState(core::Instrument& core, const std::string& path);

// The folder is made when missing, private (0700) as a configuration folder should be.
bool saveState(const core::Instrument& core, const std::string& path, std::string& error);

}  // namespace orvalis::standalone
