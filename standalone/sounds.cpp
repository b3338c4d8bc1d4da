#include "standalone/sounds.h"

#include <vector>

#include "core/file_identity.h"
#include "render/fx_bank_file.h"

namespace orvalis::standalone {

namespace {

constexpr orvalis::render::fxfile::Target kTarget{core::kFileId, params::kNumParams,
                                                  params::kNumPrograms};

// Into the current program, the name first as a host would.
void store(core::Instrument& core, const char* name, const float* values, std::size_t count) {
  core.setProgramName(name);
  for (std::size_t i = 0; i < count; ++i) core.setParameter(static_cast<int>(i), values[i]);
}

bool refuse(const std::string& path, const std::string& reason, std::string& error) {
  error = path + ": " + reason;
  return false;
}

}  // namespace

bool loadBankFile(core::Instrument& core, const std::string& path, std::string& error) {
  std::vector<uint8_t> bytes;
  orvalis::render::fxfile::Bank bank;
  std::string reason;
  if (!orvalis::render::fxfile::readFile(path, bytes, reason) ||
      !orvalis::render::fxfile::parseBank(bytes, kTarget, bank, reason))
    return refuse(path, reason, error);
  for (std::size_t i = 0; i < bank.programs.size(); ++i) {
    core.selectProgram(static_cast<int>(i));
    store(core, bank.programs[i].name.c_str(), bank.programs[i].values.data(),
          bank.programs[i].values.size());
  }
  core.selectProgram(bank.currentProgram);
  return true;
}

bool loadProgramFile(core::Instrument& core, const std::string& path, std::string& error) {
  std::vector<uint8_t> bytes;
  orvalis::render::fxfile::Program program;
  std::string reason;
  if (!orvalis::render::fxfile::readFile(path, bytes, reason) ||
      !orvalis::render::fxfile::parseProgram(bytes, kTarget, program, reason))
    return refuse(path, reason, error);
  store(core, program.name.c_str(), program.values.data(), program.values.size());
  return true;
}

std::string describeCurrentProgram(const core::Instrument& core) {
  char name[params::kProgramNameSize];
  core.programName(core.currentProgram(), name);
  return "program " + std::to_string(core.currentProgram()) + ", " + name;
}

void listPrograms(const core::Instrument& core, std::FILE* out) {
  char name[params::kProgramNameSize];
  for (int i = 0; i < params::kNumPrograms; ++i) {
    core.programName(i, name);
    std::fprintf(out, "%c%3d  %s\n", i == core.currentProgram() ? '*' : ' ', i, name);
  }
}

}  // namespace orvalis::standalone
