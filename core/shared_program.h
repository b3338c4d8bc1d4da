// A program that several host threads may read and write at once. Every value and the name are
// relaxed atomics: a concurrent call never tears a float, and a name read while another thread
// writes it may mix the two texts but always ends in its terminator.
#pragma once

#include <atomic>
#include <cstdint>

#include "params/program_record.h"

namespace orvalis::core {

class SharedProgram {
 public:
  SharedProgram() { store(params::ProgramRecord()); }

  float value(int index) const { return values[index].load(std::memory_order_relaxed); }
  void setValue(int index, float v) { values[index].store(v, std::memory_order_relaxed); }

  // Writes the name, terminated, into text (kProgramNameSize bytes).
  void name(char* text) const;
  // Cut to 23 characters; null stores the empty name.
  void setName(const char* text);

  params::ProgramRecord load() const;
  void store(const params::ProgramRecord& record);

 private:
  static constexpr int kNameWords = params::kProgramNameSize / 8;
  static_assert(params::kProgramNameSize % 8 == 0, "the name is stored in whole 64-bit words");

  std::atomic<float> values[params::kNumParams];
  std::atomic<uint64_t> nameWords[kNameWords];
};

}  // namespace orvalis::core
