// The instrument's state as a portable blob: the whole bank (names and values) and the current
// program. Little-endian throughout:
//
//   "OrvB"  magic
//   u32     version (1)
//   u32     program count (128)   u32  parameter count (61)   u32  current program
//   128 x { 24-byte zero-terminated name, 61 x f32 }
//
// Reading checks every length and value before anything is used, and refuses a bad blob whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "params/program_record.h"

namespace orvalis::core {

struct BankState {
  params::ProgramRecord programs[params::kNumPrograms];
  int currentProgram = 0;
};

constexpr uint32_t kStateVersion = 1;
constexpr std::size_t kStateHeaderSize = 20;
constexpr std::size_t kStateSize =
    kStateHeaderSize +
    params::kNumPrograms * (params::kProgramNameSize + params::kNumParams * sizeof(float));

std::vector<uint8_t> encodeBankState(const BankState& state);
// False, with a one-line reason in why, when the blob is not a whole, valid state; state is
// written only on success.
bool decodeBankState(const uint8_t* data, std::size_t size, BankState& state,
                     std::string* why = nullptr);

}  // namespace orvalis::core
