// General MIDI program and category names, answered to hosts that list MIDI programs.
#pragma once

namespace orvalis::params {

constexpr int kGmPrograms = 128;
constexpr int kGmCategories = 17;  // the last, "DrumSets", holds no program
constexpr int kDrumChannel = 9;    // MIDI channel 10

extern const char* const kGmProgramNames[kGmPrograms];
extern const char* const kGmCategoryNames[kGmCategories];
extern const char* const kDrumCategoryName;
extern const char* const kDrumProgramName;

// Category c holds programs 8c .. 8c + 7.
inline int gmCategoryOf(int program) { return program / 8; }

}  // namespace orvalis::params
