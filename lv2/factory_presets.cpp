#include "lv2/factory_presets.h"

#include <cstring>

#include "params/factory_bank.h"
#include "params/gm_names.h"

namespace orvalis::lv2 {

std::vector<FactoryPreset> factoryPresets() {
  std::vector<FactoryPreset> presets;
  for (int i = 0; i < orvalis::params::kFactoryPrograms; ++i) {
    const orvalis::params::FactoryProgram program = orvalis::params::factoryProgram(i);
    FactoryPreset preset;
    preset.label = program.record.name;
    preset.family = orvalis::params::kGmCategoryNames[program.family];
    std::memcpy(preset.values, program.record.values, sizeof preset.values);
    presets.push_back(preset);
  }
  return presets;
}

}  // namespace orvalis::lv2
