// The .fxb and .fxp readers over damaged files: a refusal is one line and leaves the output as it
// was; an accepted file holds only values from 0 to 1 and reads back the same once written again.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/edit_script.h"
#include "plugin/corvina.h"
#include "render/fx_bank_file.h"

namespace {

const orvalis::render::fxfile::Target kTarget{orvalis::vst2::Corvina::kUniqueId, 61, 128};

[[noreturn]] void broken(const char* what) {
  std::fprintf(stderr, "broken promise: %s\n", what);
  std::abort();
}

bool oneLine(const std::string& text) {
  return !text.empty() && text.find('\n') == std::string::npos;
}

orvalis::render::fxfile::Program sampleProgram(int i) {
  return {"Program " + std::to_string(i), std::vector<float>(kTarget.numParams, (i % 11) / 10.f)};
}

const std::vector<uint8_t>& validBank() {
  static const std::vector<uint8_t> bytes = [] {
    orvalis::render::fxfile::Bank bank{kTarget.fxId, orvalis::vst2::Corvina::kVendorVersion, 3, {}};
    for (int i = 0; i < kTarget.numPrograms; ++i) bank.programs.push_back(sampleProgram(i));
    return orvalis::render::fxfile::bankBytes(bank);
  }();
  return bytes;
}

const std::vector<uint8_t>& validProgram() {
  static const std::vector<uint8_t> bytes = orvalis::render::fxfile::programBytes(
      kTarget.fxId, orvalis::vst2::Corvina::kVendorVersion, sampleProgram(7));
  return bytes;
}

void checkValues(const orvalis::render::fxfile::Program& p) {
  if (static_cast<int32_t>(p.values.size()) != kTarget.numParams) broken("parameter count");
  for (float v : p.values)
    if (!(v >= 0.f && v <= 1.f)) broken("a value outside 0 to 1");
}

// Names as the writer keeps them: a full field without a terminator is cut to fit one.
bool sameProgram(const orvalis::render::fxfile::Program& a,
                 const orvalis::render::fxfile::Program& b) {
  const std::size_t kept = orvalis::render::fxfile::kFileNameSize - 1;
  return a.name.substr(0, kept) == b.name.substr(0, kept) && a.values == b.values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const bool asBank = size > 0 && (data[size - 1] & 1);
  std::string error;
  if (asBank) {
    const std::vector<uint8_t> bytes = orvalis::fuzz::damaged(validBank(), data, size);
    orvalis::render::fxfile::Bank bank{1, 2, 3, {sampleProgram(0)}};
    if (!orvalis::render::fxfile::parseBank(bytes, kTarget, bank, error)) {
      if (!oneLine(error)) broken("a bank refusal is not one line");
      if (bank.fxId != 1 || bank.programs.size() != 1) broken("a refused bank changed the output");
      return 0;
    }
    for (const orvalis::render::fxfile::Program& p : bank.programs) checkValues(p);
    orvalis::render::fxfile::Bank again;
    if (!orvalis::render::fxfile::parseBank(orvalis::render::fxfile::bankBytes(bank), kTarget,
                                            again, error))
      broken("a written bank does not read back");
    if (again.currentProgram != bank.currentProgram ||
        again.programs.size() != bank.programs.size())
      broken("a written bank reads back different");
    for (std::size_t i = 0; i < bank.programs.size(); ++i)
      if (!sameProgram(bank.programs[i], again.programs[i]))
        broken("a written bank's program reads back different");
    return 0;
  }
  const std::vector<uint8_t> bytes = orvalis::fuzz::damaged(validProgram(), data, size);
  orvalis::render::fxfile::Program program = sampleProgram(1);
  if (!orvalis::render::fxfile::parseProgram(bytes, kTarget, program, error)) {
    if (!oneLine(error)) broken("a program refusal is not one line");
    if (!sameProgram(program, sampleProgram(1))) broken("a refused program changed the output");
    return 0;
  }
  checkValues(program);
  orvalis::render::fxfile::Program again;
  if (!orvalis::render::fxfile::parseProgram(
          orvalis::render::fxfile::programBytes(kTarget.fxId,
                                                orvalis::vst2::Corvina::kVendorVersion, program),
          kTarget, again, error) ||
      !sameProgram(program, again))
    broken("a written program does not read back the same");
  return 0;
}
