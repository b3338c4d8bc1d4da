#include "lv2/factory_presets.h"

#include <cstring>

#include "params/program_record.h"

namespace orvalis_lv2 {

std::vector<FactoryPreset> factoryPresets() {
  // Until the factory bank lands, the default program is the only sound.
  const params::ProgramRecord basique;
  FactoryPreset preset;
  preset.label = basique.name;
  preset.family = "Init";
  std::memcpy(preset.values, basique.values, sizeof preset.values);
  return {preset};
}

}  // namespace orvalis_lv2
