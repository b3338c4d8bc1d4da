#include "params/program_record.h"

#include <cstring>

namespace params {

namespace {

// Values of the default program. 43 and 44 (lane weights and ratios) start at 0 and
// "Polyphonie" at 1 (8 voices).
constexpr float kDefaults[kNumParams] = {
    0.1f,  0.05f, 0.4f,  0.5f, 0.4f,  //  0..4
    0.f,   0.05f, 0.4f,  0.8f, 0.4f,  //  5..9
    0.6f,  0.6f,  0.1f,  0.1f,        // 10..13
    0.f,   0.05f, 0.4f,  0.8f, 0.4f,  // 14..18
    0.6f,  0.6f,  0.1f,  0.1f,        // 19..22
    0.5f,  0.5f,  0.5f,  0.5f, 0.5f,  // 23..27
    0.f,   0.5f,  0.5f,               // 28..30
    0.05f, 0.05f, 0.05f,              // 31..33
    0.4f,  0.4f,  0.4f,               // 34..36
    0.5f,  0.8f,  0.8f,               // 37..39
    0.4f,  0.4f,  0.4f,               // 40..42
    0.f,   0.f,                       // 43, 44
    0.f,   0.f,   0.5f,  0.5f,        // 45..48
    0.f,   0.f,   0.f,   0.f,         // 49..52
    0.5f,  0.5f,  0.5f,  0.5f,        // 53..56
    0.5f,  0.5f,  0.5f,               // 57..59
    1.f,                              // 60
};

}  // namespace

ProgramRecord::ProgramRecord() {
  std::memcpy(values, kDefaults, sizeof values);
  setName("Basique");
}

void ProgramRecord::setName(const char* text) {
  std::memset(name, 0, sizeof name);
  if (!text) return;
  std::size_t n = std::strlen(text);
  if (n > kProgramNameSize - 1) n = kProgramNameSize - 1;
  std::memcpy(name, text, n);
}

}  // namespace params
