// The factory sounds: 128 programs in the 16 General MIDI families of eight, written once in
// factory_bank.cpp by parameter name. The bank files and the LV2 presets are made from it; a
// new plug-in instance still starts with 128 default programs.
#pragma once

#include <string>
#include <vector>

#include "params/program_record.h"

namespace orvalis::params {

constexpr int kFactoryPrograms = 128;
constexpr int kFactoryFamilySize = 8;

struct FactoryProgram {
  ProgramRecord record;  // values not written in the table keep the default program's
  int family;            // General MIDI category, 0 to 15
};

// Program index 0 to 127; any other index gives the default program.
FactoryProgram factoryProgram(int index);

// One line per fault in the table (an unknown or repeated parameter name, a value outside
// 0 to 1, a name that is empty, too long, repeated or unfit for a file name); empty if sound.
std::vector<std::string> factoryBankProblems();

}  // namespace orvalis::params
