// The state blob's reader over damaged blobs: a refusal is one line and leaves the state as it
// was; an accepted blob holds finite values, terminated names and a current program in range,
// and encodes back to the same bytes.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/state_blob.h"
#include "fuzz/edit_script.h"

namespace {

[[noreturn]] void broken(const char* what) {
  std::fprintf(stderr, "broken promise: %s\n", what);
  std::abort();
}

const std::vector<uint8_t>& validBlob() {
  static const std::vector<uint8_t> bytes = [] {
    auto state = std::make_unique<orvalis::core::BankState>();
    state->currentProgram = 9;
    for (int i = 0; i < orvalis::params::kNumPrograms; ++i)
      state->programs[i].setName(("Program " + std::to_string(i)).c_str());
    return orvalis::core::encodeBankState(*state);
  }();
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> blob = orvalis::fuzz::damaged(validBlob(), data, size);
  auto state = std::make_unique<orvalis::core::BankState>();
  state->currentProgram = 77;
  std::string why;
  if (!orvalis::core::decodeBankState(blob.data(), blob.size(), *state, &why)) {
    if (why.empty() || why.find('\n') != std::string::npos) broken("a refusal is not one line");
    if (state->currentProgram != 77 || std::strcmp(state->programs[0].name, "Basique") != 0)
      broken("a refused blob changed the state");
    return 0;
  }
  if (state->currentProgram < 0 || state->currentProgram >= orvalis::params::kNumPrograms)
    broken("current program out of range");
  for (const orvalis::params::ProgramRecord& p : state->programs) {
    if (!std::memchr(p.name, 0, sizeof p.name)) broken("an unterminated name");
    for (float v : p.values)
      if (!std::isfinite(v)) broken("a non-finite value");
  }
  // Bytes after a name's terminator are not kept, so compare what encoding gives twice.
  const std::vector<uint8_t> once = orvalis::core::encodeBankState(*state);
  auto again = std::make_unique<orvalis::core::BankState>();
  if (!orvalis::core::decodeBankState(once.data(), once.size(), *again) ||
      orvalis::core::encodeBankState(*again) != once)
    broken("an accepted blob does not encode back the same");
  return 0;
}
