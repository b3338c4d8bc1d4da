// Bank and program files into and out of a loaded VST 2 plug-in, the way hosts move them into
// plug-ins without chunks: select program i, set its name, set every parameter.
//
// For orvalis-render:
//   --bank FILE.fxb    fxfile::loadBankFile (effect, path, error), before --program selects
//   --preset FILE.fxp  fxfile::loadProgramFile (effect, path, error), into the current program
//   --save-bank FILE   fxfile::bankFileImage (effect, path, bytes, error) after the render, into
//                      an io::SafeFile opened before it
// Each answers false with a one-line reason (the path first) and then has changed nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/vst2.h"
#include "render/fx_bank_file.h"

namespace orvalis::render::fxfile {

Target targetOf(AEffect* effect);

// Every program of the bank, in order, then the bank's current program selected.
void applyBank(AEffect* effect, const Bank& bank);
// Into the current program.
void applyProgram(AEffect* effect, const Program& program);
// Every program with its name and values, read by selecting each; the program that was
// current is selected again at the end.
Bank captureBank(AEffect* effect);

bool loadBankFile(AEffect* effect, const std::string& path, std::string& error);
bool loadProgramFile(AEffect* effect, const std::string& path, std::string& error);
// The bank file's bytes of every program; refused for a plug-in without parameter programs.
bool bankFileImage(AEffect* effect, const std::string& path, std::vector<uint8_t>& bytes,
                   std::string& error);
// bankFileImage written whole through io::writeFile.
bool saveBankFile(AEffect* effect, const std::string& path, std::string& error);
// Whether a parameter bank can hold this plug-in's programs; false with the reason why not.
bool canSaveBank(AEffect* effect, std::string& reason);

}  // namespace orvalis::render::fxfile
