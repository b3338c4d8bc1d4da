#include "render/fx_bank_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "io/byte_reader.h"
#include "io/byte_writer.h"

namespace orvalis::render::fxfile {

namespace {

constexpr int32_t kChunkMagic = fourCc("CcnK");
constexpr int32_t kBankMagic = fourCc("FxBk");
constexpr int32_t kProgramMagic = fourCc("FxCk");
constexpr int32_t kOpaqueBankMagic = fourCc("FBCh");
constexpr int32_t kOpaqueProgramMagic = fourCc("FPCh");
constexpr int32_t kProgramFormatVersion = 1;
constexpr int32_t kBankFormatVersion = 2;  // adds the current program to the header
constexpr std::size_t kMaxFileSize = 16 << 20;

// Field offsets shared by both headers, then those of each.
constexpr std::size_t kByteSizeAt = 4, kFxMagicAt = 8, kVersionAt = 12, kFxIdAt = 16,
                      kFxVersionAt = 20, kCountAt = 24;
constexpr std::size_t kCurrentProgramAt = 28;  // bank
constexpr std::size_t kNameAt = 28;            // program

using orvalis::io::ByteReader;
using orvalis::io::ByteWriter;
using orvalis::io::Endian;

// A header field at a place whose length the caller has checked: 0 if it were not there.
int32_t field(ByteReader& in, std::size_t at) {
  int32_t value = 0;
  in.i32At(at, value);
  return value;
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string truncatedAt(std::size_t size, std::size_t needed, const std::string& what) {
  return "truncated: " + std::to_string(size) + " bytes, " + std::to_string(needed) +
         " needed for " + what;
}

// The part every file starts with: 'CcnK', then the kind of record at byte 8.
bool checkChunk(const std::vector<uint8_t>& bytes, std::string& error) {
  if (bytes.size() < 4) {
    error = truncatedAt(bytes.size(), 4, "a file type");
    return false;
  }
  ByteReader in(bytes, Endian::Big);
  const int32_t magic = field(in, 0);
  if (magic != kChunkMagic) {
    error = "not a VST 2 bank or program file (starts with " + fourCcText(magic) + ", not 'CcnK')";
    return false;
  }
  if (bytes.size() < kFxMagicAt + 4) {
    error = truncatedAt(bytes.size(), kFxMagicAt + 4, "a file type");
    return false;
  }
  return true;
}

// One program record at offset, of a bank (index >= 0) or a program file (index < 0).
bool parseRecord(const std::vector<uint8_t>& bytes, std::size_t offset, int index,
                 const Target& target, Program& program, std::string& error) {
  const std::string where = index >= 0 ? "program " + std::to_string(index) + ": " : "";
  const std::size_t size = bytes.size();
  ByteReader in(bytes, Endian::Big);
  if (!in.fits(offset, kProgramHeaderSize)) {
    error = where + truncatedAt(size, offset + kProgramHeaderSize, "the program header");
    return false;
  }
  auto at = [&](std::size_t place) { return field(in, offset + place); };
  if (at(0) != kChunkMagic || at(kFxMagicAt) != kProgramMagic) {
    error = where + "not a program record (" + fourCcText(at(0)) + " " +
            fourCcText(at(kFxMagicAt)) + ", not 'CcnK' 'FxCk')";
    return false;
  }
  const int32_t version = at(kVersionAt);
  if (version < 1 || version > kBankFormatVersion) {
    error = where + "unknown program format version " + std::to_string(version);
    return false;
  }
  const int32_t fxId = at(kFxIdAt);
  if (fxId != target.fxId) {
    error = where + "made for another plug-in (fxID " + fourCcText(fxId) + ", expected " +
            fourCcText(target.fxId) + ")";
    return false;
  }
  const int32_t numParams = at(kCountAt);
  if (numParams != target.numParams || numParams < 0) {
    error = where + "wrong count: " + std::to_string(numParams) + " parameters, the plug-in has " +
            std::to_string(target.numParams);
    return false;
  }
  const std::size_t recordSize = programRecordSize(numParams);
  const int32_t byteSize = at(kByteSizeAt);
  if (byteSize != static_cast<int32_t>(recordSize - 8)) {
    error = where + "wrong size: the record says " + std::to_string(byteSize) + " bytes, " +
            std::to_string(numParams) + " parameters take " + std::to_string(recordSize - 8);
    return false;
  }
  if (!in.fits(offset, recordSize)) {
    error = where + truncatedAt(size, offset + recordSize, "the program's values");
    return false;
  }
  const char* name = reinterpret_cast<const char*>(in.bytesAt(offset + kNameAt, kFileNameSize));
  Program read;
  read.name.assign(name, strnlen(name, kFileNameSize));
  read.values.resize(numParams);
  for (int32_t i = 0; i < numParams; ++i) {
    float value = 0.f;
    in.f32At(offset + kProgramHeaderSize + 4 * static_cast<std::size_t>(i), value);
    if (!(value >= 0.f && value <= 1.f)) {
      error =
          where + "parameter " + std::to_string(i) +
          (std::isnan(value) ? " is not a number" : " is " + number(value) + ", outside 0 to 1");
      return false;
    }
    read.values[i] = value;
  }
  program = std::move(read);
  return true;
}

}  // namespace

std::string fourCcText(int32_t code) {
  char text[16];
  const uint32_t u = static_cast<uint32_t>(code);
  bool printable = true;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const unsigned c = (u >> shift) & 0xFF;
    printable = printable && c >= 0x20 && c < 0x7F;
  }
  if (printable)
    std::snprintf(text, sizeof text, "'%c%c%c%c'", static_cast<char>(u >> 24),
                  static_cast<char>(u >> 16), static_cast<char>(u >> 8), static_cast<char>(u));
  else
    std::snprintf(text, sizeof text, "0x%08X", u);
  return text;
}

bool parseBank(const std::vector<uint8_t>& bytes, const Target& target, Bank& bank,
               std::string& error) {
  if (!checkChunk(bytes, error)) return false;
  const std::size_t size = bytes.size();
  ByteReader in(bytes, Endian::Big);
  const int32_t kind = field(in, kFxMagicAt);
  if (kind == kProgramMagic || kind == kOpaqueProgramMagic) {
    error = "a program file (.fxp), not a bank";
    return false;
  }
  if (kind == kOpaqueBankMagic) {
    error = "a bank of opaque chunk data ('FBCh'); this plug-in takes parameter banks ('FxBk')";
    return false;
  }
  if (kind != kBankMagic) {
    error = "unknown file type " + fourCcText(kind) + " (a bank is 'FxBk')";
    return false;
  }
  if (size < kBankHeaderSize) {
    error = truncatedAt(size, kBankHeaderSize, "the bank header");
    return false;
  }
  const int32_t version = field(in, kVersionAt);
  if (version < 1 || version > kBankFormatVersion) {
    error = "unknown bank format version " + std::to_string(version);
    return false;
  }
  const int32_t fxId = field(in, kFxIdAt);
  if (fxId != target.fxId) {
    error = "made for another plug-in (fxID " + fourCcText(fxId) + ", expected " +
            fourCcText(target.fxId) + ")";
    return false;
  }
  const int32_t count = field(in, kCountAt);
  if (count < 1 || count > target.numPrograms) {
    error = "wrong count: " + std::to_string(count) + " programs, the plug-in has " +
            std::to_string(target.numPrograms);
    return false;
  }
  // Version 1 banks have no current program; the field is reserved there.
  const int32_t current = version >= 2 ? field(in, kCurrentProgramAt) : 0;
  if (current < 0 || current >= count) {
    error = "current program " + std::to_string(current) + " is not one of the bank's " +
            std::to_string(count);
    return false;
  }
  const std::size_t expected = bankFileSize(count, target.numParams);
  const int32_t byteSize = field(in, kByteSizeAt);
  Bank read;
  read.fxId = fxId;
  read.fxVersion = field(in, kFxVersionAt);
  read.currentProgram = current;
  read.programs.resize(count);
  for (int32_t i = 0; i < count; ++i)
    if (!parseRecord(bytes, kBankHeaderSize + i * programRecordSize(target.numParams), i, target,
                     read.programs[i], error))
      return false;
  if (size != expected) {
    error = "wrong size: " + std::to_string(size) + " bytes, " + std::to_string(count) +
            " programs take " + std::to_string(expected);
    return false;
  }
  if (byteSize != static_cast<int32_t>(expected - 8)) {
    error = "wrong size: the header says " + std::to_string(byteSize) + " bytes, " +
            std::to_string(count) + " programs take " + std::to_string(expected - 8);
    return false;
  }
  bank = std::move(read);
  return true;
}

bool parseProgram(const std::vector<uint8_t>& bytes, const Target& target, Program& program,
                  std::string& error) {
  if (!checkChunk(bytes, error)) return false;
  ByteReader in(bytes, Endian::Big);
  const int32_t kind = field(in, kFxMagicAt);
  if (kind == kBankMagic || kind == kOpaqueBankMagic) {
    error = "a bank file (.fxb), not a program";
    return false;
  }
  if (kind == kOpaqueProgramMagic) {
    error =
        "a program of opaque chunk data ('FPCh'); this plug-in takes parameter programs "
        "('FxCk')";
    return false;
  }
  if (kind != kProgramMagic) {
    error = "unknown file type " + fourCcText(kind) + " (a program is 'FxCk')";
    return false;
  }
  Program read;
  if (!parseRecord(bytes, 0, -1, target, read, error)) return false;
  const std::size_t expected = programRecordSize(target.numParams);
  if (bytes.size() != expected) {
    error = "wrong size: " + std::to_string(bytes.size()) + " bytes, a program takes " +
            std::to_string(expected);
    return false;
  }
  program = std::move(read);
  return true;
}

namespace {

void putProgram(ByteWriter& out, int32_t fxId, int32_t fxVersion, const Program& program) {
  const int32_t numParams = static_cast<int32_t>(program.values.size());
  out.i32(kChunkMagic);
  out.i32(static_cast<int32_t>(programRecordSize(numParams) - 8));
  out.i32(kProgramMagic);
  out.i32(kProgramFormatVersion);
  out.i32(fxId);
  out.i32(fxVersion);
  out.i32(numParams);
  out.text(program.name, kFileNameSize);
  for (float value : program.values) out.f32(value);
}

}  // namespace

std::vector<uint8_t> bankBytes(const Bank& bank) {
  const int32_t count = static_cast<int32_t>(bank.programs.size());
  const int32_t numParams = count ? static_cast<int32_t>(bank.programs[0].values.size()) : 0;
  std::vector<uint8_t> bytes;
  bytes.reserve(bankFileSize(count, numParams));
  ByteWriter out(bytes, Endian::Big);
  out.i32(kChunkMagic);
  out.i32(static_cast<int32_t>(bankFileSize(count, numParams) - 8));
  out.i32(kBankMagic);
  out.i32(kBankFormatVersion);
  out.i32(bank.fxId);
  out.i32(bank.fxVersion);
  out.i32(count);
  out.i32(bank.currentProgram);
  out.padTo(kBankHeaderSize);
  for (const Program& program : bank.programs) putProgram(out, bank.fxId, bank.fxVersion, program);
  return bytes;
}

std::vector<uint8_t> programBytes(int32_t fxId, int32_t fxVersion, const Program& program) {
  std::vector<uint8_t> bytes;
  ByteWriter out(bytes, Endian::Big);
  putProgram(out, fxId, fxVersion, program);
  return bytes;
}

bool readFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = "cannot open: " + std::string(std::strerror(errno));
    return false;
  }
  std::vector<uint8_t> read;
  uint8_t buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    if (read.size() + n > kMaxFileSize) {
      std::fclose(file);
      error =
          "too large for a bank or program file (over " + std::to_string(kMaxFileSize) + " bytes)";
      return false;
    }
    read.insert(read.end(), buffer, buffer + n);
  }
  const bool failed = std::ferror(file);
  std::fclose(file);
  if (failed) {
    error = "cannot read: " + std::string(std::strerror(errno));
    return false;
  }
  bytes = std::move(read);
  return true;
}

}  // namespace orvalis::render::fxfile
