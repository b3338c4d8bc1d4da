// One program: the 61 parameter values in index order, then a 24-byte zero-terminated name.
#pragma once

#include "params/parameter_table.h"

namespace orvalis::params {

constexpr int kNumPrograms = 128;
constexpr int kProgramNameSize = 24;

struct ProgramRecord {
  float values[kNumParams];
  char name[kProgramNameSize];

  // The default program "Basique".
  ProgramRecord();

  // Stores a name, cut to 23 characters; a null text stores the empty name.
  void setName(const char* text);
};

}  // namespace orvalis::params
