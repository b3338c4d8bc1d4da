#include "core/shared_program.h"

#include <cstring>

namespace orvalis::core {

void SharedProgram::name(char* text) const {
  uint64_t words[kNameWords];
  for (int i = 0; i < kNameWords; ++i) words[i] = nameWords[i].load(std::memory_order_relaxed);
  std::memcpy(text, words, sizeof words);
  text[params::kProgramNameSize - 1] = 0;
}

void SharedProgram::setName(const char* text) {
  params::ProgramRecord record;
  record.setName(text);
  uint64_t words[kNameWords];
  std::memcpy(words, record.name, sizeof words);
  for (int i = 0; i < kNameWords; ++i) nameWords[i].store(words[i], std::memory_order_relaxed);
}

params::ProgramRecord SharedProgram::load() const {
  params::ProgramRecord record;
  for (int i = 0; i < params::kNumParams; ++i) record.values[i] = value(i);
  name(record.name);
  return record;
}

void SharedProgram::store(const params::ProgramRecord& record) {
  for (int i = 0; i < params::kNumParams; ++i) setValue(i, record.values[i]);
  char text[params::kProgramNameSize];
  std::memcpy(text, record.name, sizeof text);
  text[params::kProgramNameSize - 1] = 0;
  setName(text);
}

}  // namespace orvalis::core
