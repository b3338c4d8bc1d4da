// The sounds the LV2 bundle offers as presets: label, family and the 61 values of each. The
// Turtle generator reads this list and nothing else, so pointing it at the factory table is
// the one change that brings all 128 sounds in.
#pragma once

#include <string>
#include <vector>

#include "params/parameter_table.h"

namespace orvalis::lv2 {

struct FactoryPreset {
  std::string label;
  std::string family;
  float values[orvalis::params::kNumParams];
};

std::vector<FactoryPreset> factoryPresets();

}  // namespace orvalis::lv2
