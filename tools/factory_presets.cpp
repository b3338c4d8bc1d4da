#include "tools/factory_presets.h"

#include <cstdio>

#include "params/factory_bank.h"
#include "params/gm_names.h"
#include "plugin/corvina.h"

namespace presets {

const char* const kBankFileName = "Orvalis Factory.fxb";

fxfile::Bank factoryBank() {
  fxfile::Bank bank;
  bank.fxId = Corvina::kUniqueId;
  bank.fxVersion = Corvina::kVendorVersion;
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
  const fxfile::Bank bank = factoryBank();
  std::vector<PresetFile> files{{kBankFileName, fxfile::bankBytes(bank)}};
  for (int i = 0; i < orvalis::params::kFactoryPrograms; ++i) {
    // The number keeps the bank's order in a file browser.
    char number[8];
    std::snprintf(number, sizeof number, "%03d ", i);
    const std::string family = orvalis::params::kGmCategoryNames[orvalis::params::gmCategoryOf(i)];
    files.push_back({family + "/" + number + bank.programs[i].name + ".fxp",
                     fxfile::programBytes(bank.fxId, bank.fxVersion, bank.programs[i])});
  }
  return files;
}

}  // namespace presets
