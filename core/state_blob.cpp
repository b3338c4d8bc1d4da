#include "core/state_blob.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "io/byte_reader.h"
#include "io/byte_writer.h"

namespace orvalis::core {

namespace {

constexpr char kMagic[4] = {'O', 'r', 'v', 'B'};

using io::ByteReader;
using io::ByteWriter;
using io::Endian;

bool refuse(std::string* why, const std::string& reason) {
  if (why) *why = reason;
  return false;
}

}  // namespace

std::vector<uint8_t> encodeBankState(const BankState& state) {
  std::vector<uint8_t> bytes;
  bytes.reserve(kStateSize);
  ByteWriter out(bytes, Endian::Little);
  out.bytes(kMagic, 4);
  out.u32(kStateVersion);
  out.u32(params::kNumPrograms);
  out.u32(params::kNumParams);
  out.u32(static_cast<uint32_t>(state.currentProgram));
  for (const params::ProgramRecord& p : state.programs) {
    out.text(std::string(p.name, strnlen(p.name, sizeof p.name)), params::kProgramNameSize);
    for (float v : p.values) out.f32(v);
  }
  return bytes;
}

bool decodeBankState(const uint8_t* data, std::size_t size, BankState& state, std::string* why) {
  if (!data) return refuse(why, "no state data");
  ByteReader in(data, size, Endian::Little);
  const uint8_t* magic = in.take(4);
  uint32_t version = 0, programs = 0, parameters = 0, currentProgram = 0;
  if (!magic || !in.u32(version) || !in.u32(programs) || !in.u32(parameters) ||
      !in.u32(currentProgram))
    return refuse(why, "state truncated: " + std::to_string(size) + " bytes");
  if (std::memcmp(magic, kMagic, 4) != 0) return refuse(why, "not an Orvalis state (wrong magic)");
  if (version != kStateVersion)
    return refuse(why, "unsupported state version " + std::to_string(version));
  if (programs != params::kNumPrograms || parameters != params::kNumParams)
    return refuse(why, "state has the wrong program or parameter count");
  if (size != kStateSize)
    return refuse(why, "state size " + std::to_string(size) + " bytes, expected " +
                           std::to_string(kStateSize));
  if (currentProgram >= params::kNumPrograms)
    return refuse(why,
                  "state's current program " + std::to_string(currentProgram) + " is out of range");

  auto decoded = std::make_unique<BankState>();
  for (int i = 0; i < params::kNumPrograms; ++i) {
    params::ProgramRecord& record = decoded->programs[i];
    const uint8_t* name = in.take(params::kProgramNameSize);
    if (!name) return refuse(why, "state truncated in program " + std::to_string(i));
    if (std::memchr(name, 0, params::kProgramNameSize) == nullptr)
      return refuse(why, "program " + std::to_string(i) + " has an unterminated name");
    std::memcpy(record.name, name, params::kProgramNameSize);
    for (float& value : record.values) {
      if (!in.f32(value)) return refuse(why, "state truncated in program " + std::to_string(i));
      if (!std::isfinite(value))
        return refuse(why, "program " + std::to_string(i) + " has a non-finite value");
    }
  }
  decoded->currentProgram = static_cast<int>(currentProgram);
  state = *decoded;
  return true;
}

}  // namespace orvalis::core
