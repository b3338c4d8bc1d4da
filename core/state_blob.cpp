#include "core/state_blob.h"

#include <cmath>
#include <cstring>
#include <memory>

namespace orvalis {

namespace {

constexpr char kMagic[4] = {'O', 'r', 'v', 'B'};

void putU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t getU32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void putF32(std::vector<uint8_t>& out, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  putU32(out, bits);
}

float getF32(const uint8_t* p) {
  const uint32_t bits = getU32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

bool refuse(std::string* why, const std::string& reason) {
  if (why) *why = reason;
  return false;
}

}  // namespace

std::vector<uint8_t> encodeBankState(const BankState& state) {
  std::vector<uint8_t> out;
  out.reserve(kStateSize);
  out.insert(out.end(), kMagic, kMagic + 4);
  putU32(out, kStateVersion);
  putU32(out, params::kNumPrograms);
  putU32(out, params::kNumParams);
  putU32(out, static_cast<uint32_t>(state.currentProgram));
  for (const params::ProgramRecord& p : state.programs) {
    char name[params::kProgramNameSize] = {};
    std::memcpy(name, p.name, sizeof name - 1);
    out.insert(out.end(), name, name + sizeof name);
    for (float v : p.values) putF32(out, v);
  }
  return out;
}

bool decodeBankState(const uint8_t* data, std::size_t size, BankState& state, std::string* why) {
  if (!data) return refuse(why, "no state data");
  if (size < kStateHeaderSize)
    return refuse(why, "state truncated: " + std::to_string(size) + " bytes");
  if (std::memcmp(data, kMagic, 4) != 0) return refuse(why, "not an Orvalis state (wrong magic)");
  const uint32_t version = getU32(data + 4);
  if (version != kStateVersion)
    return refuse(why, "unsupported state version " + std::to_string(version));
  if (getU32(data + 8) != params::kNumPrograms || getU32(data + 12) != params::kNumParams)
    return refuse(why, "state has the wrong program or parameter count");
  if (size != kStateSize)
    return refuse(why, "state size " + std::to_string(size) + " bytes, expected " +
                           std::to_string(kStateSize));
  const uint32_t currentProgram = getU32(data + 16);
  if (currentProgram >= params::kNumPrograms)
    return refuse(why,
                  "state's current program " + std::to_string(currentProgram) + " is out of range");

  auto decoded = std::make_unique<BankState>();
  const uint8_t* p = data + kStateHeaderSize;
  for (int i = 0; i < params::kNumPrograms; ++i) {
    params::ProgramRecord& record = decoded->programs[i];
    if (std::memchr(p, 0, params::kProgramNameSize) == nullptr)
      return refuse(why, "program " + std::to_string(i) + " has an unterminated name");
    std::memcpy(record.name, p, params::kProgramNameSize);
    p += params::kProgramNameSize;
    for (int k = 0; k < params::kNumParams; ++k, p += 4) {
      record.values[k] = getF32(p);
      if (!std::isfinite(record.values[k]))
        return refuse(why, "program " + std::to_string(i) + " has a non-finite value");
    }
  }
  decoded->currentProgram = static_cast<int>(currentProgram);
  state = *decoded;
  return true;
}

}  // namespace orvalis
