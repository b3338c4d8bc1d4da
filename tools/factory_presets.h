// The factory bank as files: "Orvalis Factory.fxb" and one program file per program, in a
// folder per family, all made from the factory table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/fx_bank_file.h"

namespace orvalis::tools::presets {

extern const char* const kBankFileName;

struct PresetFile {
  std::string path;  // relative to the presets folder
  std::vector<uint8_t> bytes;
};

orvalis::render::fxfile::Bank factoryBank();
std::vector<PresetFile> factoryPresetFiles();

}  // namespace orvalis::tools::presets
