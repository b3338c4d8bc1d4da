// The bank an instance starts a render with: a bank file when one is given; otherwise, for
// Orvalis, its factory bank, which is what a musician expects of program numbers (the plug-in
// itself starts with 128 "Basique" programs, kept with --no-bank).
#pragma once

#include <string>

#include "plugin/vst2.h"

namespace orvalis::render {

bool isOrvalis(AEffect* effect);

// False with a one-line reason if the bank file cannot be loaded; then nothing changed.
bool loadStartingBank(AEffect* effect, const std::string& bankFile, bool factoryWanted,
                      std::string& error);

}  // namespace orvalis::render
