#include "tools/factory_presets.h"

#include <cstdio>

#include "params/factory_bank.h"
#include "params/gm_names.h"
#include "plugin/corvina.h"

namespace orvalis::tools::presets {

const char* const kBankFileName = "Orvalis Factory.fxb";

orvalis::render::fxfile::Bank factoryBank() {
  orvalis::render::fxfile::Bank bank;
  bank.fxId = orvalis::vst2::Corvina::kUniqueId;
  bank.fxVersion = orvalis::vst2::Corvina::kVendorVersion;
  bank.currentProgram = 0;
  for (int i = 0; i < orvalis::params::kFactoryPrograms; ++i) {
    const orvalis::params::ProgramRecord record = orvalis::params::factoryProgram(i).record;
    bank.programs.push_back(
        {record.name,
         std::vector<float>(record.values, record.values + orvalis::params::kNumParams)});
  }
  return bank;
}

std::vector<PresetFile> factoryPresetFiles() {
  const orvalis::render::fxfile::Bank bank = factoryBank();
  std::vector<PresetFile> files{{kBankFileName, orvalis::render::fxfile::bankBytes(bank)}};
  for (int i = 0; i < orvalis::params::kFactoryPrograms; ++i) {
    // The number keeps the bank's order in a file browser.
    char number[8];
    std::snprintf(number, sizeof number, "%03d ", i);
    const std::string family = orvalis::params::kGmCategoryNames[orvalis::params::gmCategoryOf(i)];
    files.push_back(
        {family + "/" + number + bank.programs[i].name + ".fxp",
         orvalis::render::fxfile::programBytes(bank.fxId, bank.fxVersion, bank.programs[i])});
  }
  return files;
}

}  // namespace orvalis::tools::presets
