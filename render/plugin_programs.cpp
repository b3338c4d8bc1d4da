#include "render/plugin_programs.h"

#include <vector>

#include "io/safe_file.h"

namespace orvalis::render::fxfile {

namespace {

// Hosts bracket a program change with these two; plug-ins that do not need them ignore them.
void selectProgram(AEffect* effect, int32_t program) {
  effect->dispatcher(effect, effBeginSetProgram, 0, 0, nullptr, 0.f);
  effect->dispatcher(effect, effSetProgram, 0, program, nullptr, 0.f);
  effect->dispatcher(effect, effEndSetProgram, 0, 0, nullptr, 0.f);
}

void setNameAndValues(AEffect* effect, const Program& program) {
  // A plug-in may keep fewer characters; the buffer is the file's own field size.
  char name[kFileNameSize + 1] = {};
  program.name.copy(name, kFileNameSize);
  effect->dispatcher(effect, effSetProgramName, 0, 0, name, 0.f);
  for (std::size_t i = 0; i < program.values.size(); ++i)
    effect->setParameter(effect, static_cast<int32_t>(i), program.values[i]);
}

std::string programName(AEffect* effect) {
  // Larger than any name field: some plug-ins write past the 24 bytes the interface allows.
  char name[256] = {};
  effect->dispatcher(effect, effGetProgramName, 0, 0, name, 0.f);
  name[sizeof name - 1] = 0;
  return name;
}

bool fail(const std::string& path, const std::string& reason, std::string& error) {
  error = path + ": " + reason;
  return false;
}

}  // namespace

Target targetOf(AEffect* effect) {
  return {effect->uniqueID, effect->numParams, effect->numPrograms};
}

void applyBank(AEffect* effect, const Bank& bank) {
  for (std::size_t i = 0; i < bank.programs.size(); ++i) {
    selectProgram(effect, static_cast<int32_t>(i));
    setNameAndValues(effect, bank.programs[i]);
  }
  selectProgram(effect, bank.currentProgram);
}

void applyProgram(AEffect* effect, const Program& program) { setNameAndValues(effect, program); }

Bank captureBank(AEffect* effect) {
  Bank bank;
  bank.fxId = effect->uniqueID;
  const intptr_t vendorVersion =
      effect->dispatcher(effect, effGetVendorVersion, 0, 0, nullptr, 0.f);
  bank.fxVersion = vendorVersion ? static_cast<int32_t>(vendorVersion) : effect->version;
  const intptr_t current = effect->dispatcher(effect, effGetProgram, 0, 0, nullptr, 0.f);
  bank.currentProgram =
      current >= 0 && current < effect->numPrograms ? static_cast<int32_t>(current) : 0;
  for (int32_t i = 0; i < effect->numPrograms; ++i) {
    selectProgram(effect, i);
    Program program;
    program.name = programName(effect);
    for (int32_t j = 0; j < effect->numParams; ++j)
      program.values.push_back(effect->getParameter(effect, j));
    bank.programs.push_back(std::move(program));
  }
  selectProgram(effect, bank.currentProgram);
  return bank;
}

bool loadBankFile(AEffect* effect, const std::string& path, std::string& error) {
  std::vector<uint8_t> bytes;
  Bank bank;
  std::string reason;
  if (!readFile(path, bytes, reason) || !parseBank(bytes, targetOf(effect), bank, reason))
    return fail(path, reason, error);
  applyBank(effect, bank);
  return true;
}

bool loadProgramFile(AEffect* effect, const std::string& path, std::string& error) {
  std::vector<uint8_t> bytes;
  Program program;
  std::string reason;
  if (!readFile(path, bytes, reason) || !parseProgram(bytes, targetOf(effect), program, reason))
    return fail(path, reason, error);
  applyProgram(effect, program);
  return true;
}

bool canSaveBank(AEffect* effect, std::string& reason) {
  if (effect->flags & effFlagsProgramChunks)
    reason = "the plug-in keeps its programs as chunks, which a parameter bank cannot hold";
  else if (effect->numPrograms < 1)
    reason = "the plug-in has no programs";
  else
    return true;
  return false;
}

bool bankFileImage(AEffect* effect, const std::string& path, std::vector<uint8_t>& bytes,
                   std::string& error) {
  std::string reason;
  if (!canSaveBank(effect, reason)) return fail(path, reason, error);
  bytes = bankBytes(captureBank(effect));
  return true;
}

bool saveBankFile(AEffect* effect, const std::string& path, std::string& error) {
  std::vector<uint8_t> bytes;
  return bankFileImage(effect, path, bytes, error) && orvalis::io::writeFile(path, bytes, error);
}

}  // namespace orvalis::render::fxfile
