// VST 2 bank (.fxb) and program (.fxp) files that hold parameter values ('FxBk', 'FxCk'), the
// form hosts use for plug-ins without chunks. All numbers in the files are big-endian.
//
// The parsers check every length before they read, and refuse a file whole with a one-line
// reason: a wrong magic, another plug-in's fxID, a wrong count or size, a truncated file, a
// value that is not a number or lies outside 0 to 1. On refusal the output is left unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvalis::render::fxfile {

constexpr int32_t fourCc(const char (&text)[5]) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned char>(text[0])) << 24 |
                              static_cast<uint32_t>(static_cast<unsigned char>(text[1])) << 16 |
                              static_cast<uint32_t>(static_cast<unsigned char>(text[2])) << 8 |
                              static_cast<uint32_t>(static_cast<unsigned char>(text[3])));
}

constexpr std::size_t kBankHeaderSize = 156;
constexpr std::size_t kProgramHeaderSize = 56;
constexpr std::size_t kFileNameSize = 28;  // the name field of a program record

constexpr std::size_t programRecordSize(int32_t numParams) {
  return kProgramHeaderSize + 4 * static_cast<std::size_t>(numParams);
}
constexpr std::size_t bankFileSize(int32_t numPrograms, int32_t numParams) {
  return kBankHeaderSize + static_cast<std::size_t>(numPrograms) * programRecordSize(numParams);
}

struct Program {
  std::string name;
  std::vector<float> values;
};

struct Bank {
  int32_t fxId = 0;
  int32_t fxVersion = 0;
  int32_t currentProgram = 0;
  std::vector<Program> programs;
};

// The plug-in a file must fit: its fxID, parameter count and number of programs.
struct Target {
  int32_t fxId;
  int32_t numParams;
  int32_t numPrograms;
};

bool parseBank(const std::vector<uint8_t>& bytes, const Target& target, Bank& bank,
               std::string& error);
bool parseProgram(const std::vector<uint8_t>& bytes, const Target& target, Program& program,
                  std::string& error);

// The file images. Names are cut to 27 characters; values are written as they are.
std::vector<uint8_t> bankBytes(const Bank& bank);
std::vector<uint8_t> programBytes(int32_t fxId, int32_t fxVersion, const Program& program);

// A whole file, refused above 16 MB (writing goes through io::writeFile).
bool readFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// "'Rb5t'" for printable codes, "0x12345678" otherwise.
std::string fourCcText(int32_t code);

}  // namespace orvalis::render::fxfile
