#include "params/program_record.h"

#include <cstring>

namespace orvalis::params {

ProgramRecord::ProgramRecord() {
  for (int i = 0; i < kNumParams; ++i) values[i] = parameterInfo(i).defaultValue;
  setName("Basique");
}

void ProgramRecord::setName(const char* text) {
  std::memset(name, 0, sizeof name);
  if (!text) return;
  std::size_t n = std::strlen(text);
  if (n > kProgramNameSize - 1) n = kProgramNameSize - 1;
  std::memcpy(name, text, n);
}

}  // namespace orvalis::params
