// The sounds the standalone program starts with: the factory bank, bank and program files, and
// the list --list-programs prints. All host-side calls of the core, made before audio runs.
#pragma once

#include <cstdio>
#include <string>

#include "core/instrument.h"

namespace orvalis::standalone {

// A .fxb replaces the bank and selects the bank's current program; a .fxp replaces the current
// program. Each answers false with a one-line reason (the path first) and then has changed
// nothing.
bool loadBankFile(core::Instrument& core, const std::string& path, std::string& error);
bool loadProgramFile(core::Instrument& core, const std::string& path, std::string& error);

// "program N, Name" for the current program: said when a player switches programs.
std::string describeCurrentProgram(const core::Instrument& core);

// "  0  Name" per program, the current one marked with '*'.
void listPrograms(const core::Instrument& core, std::FILE* out);

}  // namespace orvalis::standalone
