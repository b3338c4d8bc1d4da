#include "params/parameter_names.h"

#include "params/parameter_table.h"

namespace params {

namespace {

struct HiddenName {
  const char* name;
  int index;
};

constexpr HiddenName kHiddenNames[] = {
    {"Lane Weights", kLaneWeights},      {"Lane Ratios", kLaneRatios},
    {"Pitch Attack H", kPitchAttackH},   {"Pitch Attack L", kPitchAttackL},
    {"Pitch Release H", kPitchReleaseH}, {"Pitch Release L", kPitchReleaseL},
    {"Pitch Start H", kPitchStartH},     {"Pitch Start L", kPitchStartL},
    {"Pitch End H", kPitchEndH},         {"Pitch End L", kPitchEndL},
};

}  // namespace

int parameterIndexByName(std::string_view name) {
  for (int i = 0; i < kNumParams; ++i) {
    const char* symbol = parameterSymbol(i);
    if (symbol && name == symbol) return i;
  }
  return -1;
}

const char* parameterSymbol(int index) {
  if (!isValidIndex(index)) return nullptr;
  if (const char* name = parameterName(index)) return name;
  for (const HiddenName& hidden : kHiddenNames)
    if (hidden.index == index) return hidden.name;
  return nullptr;
}

}  // namespace params
