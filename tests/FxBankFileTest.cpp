// Bank (.fxb) and program (.fxp) files: the bytes written, and every file refused whole with a
// one-line reason, in memory and when loaded into the real plug-in.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "io/safe_file.h"
#include "render/fx_bank_file.h"
#include "render/plugin_programs.h"
#include "tests/support/test_host.h"

using namespace orvalis::render::fxfile;

namespace {

constexpr Target kOrvalis{fourCc("Rb5t"), 61, 128};
constexpr std::size_t kFirstValue = kBankHeaderSize + kProgramHeaderSize;

Bank sampleBank() {
  Bank bank;
  bank.fxId = kOrvalis.fxId;
  bank.fxVersion = 1000;
  bank.currentProgram = 2;
  for (int i = 0; i < 128; ++i) {
    Program p{"Program " + std::to_string(i), std::vector<float>(61)};
    for (int j = 0; j < 61; ++j) p.values[j] = static_cast<float>((i + j) % 11) / 10.f;
    bank.programs.push_back(p);
  }
  return bank;
}

void putInt(std::vector<uint8_t>& bytes, std::size_t at, uint32_t value) {
  for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<uint8_t>(value >> (24 - 8 * k));
}

void putFloat(std::vector<uint8_t>& bytes, std::size_t at, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  putInt(bytes, at, bits);
}

std::size_t programAt(int i) { return kBankHeaderSize + i * programRecordSize(61); }

struct BadFile {
  const char* what;
  std::function<void(std::vector<uint8_t>&)> spoil;
  const char* reason;
};

std::string temporaryPath(const char* name) {
  return ::testing::TempDir() + "orvalis_" + std::to_string(::getpid()) + "_" + name;
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string error;
  ASSERT_TRUE(orvalis::io::writeFile(path, bytes, error)) << error;
}

}  // namespace

TEST(FxBankFileTest, BankBytesFollowTheStandardLayout) {
  const std::vector<uint8_t> bytes = bankBytes(sampleBank());
  ASSERT_EQ(bytes.size(), 38556u);
  auto text = [&](std::size_t at) {
    return std::string(bytes.begin() + at, bytes.begin() + at + 4);
  };
  auto number = [&](std::size_t at) {
    return static_cast<uint32_t>(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 |
           bytes[at + 3];
  };
  EXPECT_EQ(text(0), "CcnK");
  EXPECT_EQ(number(4), 38548u);
  EXPECT_EQ(text(8), "FxBk");
  EXPECT_EQ(number(12), 2u);
  EXPECT_EQ(text(16), "Rb5t");
  EXPECT_EQ(number(20), 1000u);
  EXPECT_EQ(number(24), 128u);
  EXPECT_EQ(number(28), 2u);
  const std::size_t p = programAt(5);
  EXPECT_EQ(text(p), "CcnK");
  EXPECT_EQ(number(p + 4), 292u);
  EXPECT_EQ(text(p + 8), "FxCk");
  EXPECT_EQ(number(p + 12), 1u);
  EXPECT_EQ(text(p + 16), "Rb5t");
  EXPECT_EQ(number(p + 24), 61u);
  EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[p + 28]), "Program 5");
  EXPECT_EQ(number(p + 56), 0x3F000000u);  // 0.5f, big-endian
}

TEST(FxBankFileTest, BanksAndProgramsRoundTrip) {
  const Bank bank = sampleBank();
  const std::vector<uint8_t> bytes = bankBytes(bank);
  Bank read;
  std::string error;
  ASSERT_TRUE(parseBank(bytes, kOrvalis, read, error)) << error;
  EXPECT_EQ(read.currentProgram, 2);
  EXPECT_EQ(read.fxVersion, 1000);
  EXPECT_EQ(bankBytes(read), bytes);

  const std::vector<uint8_t> one = programBytes(kOrvalis.fxId, 1000, bank.programs[7]);
  ASSERT_EQ(one.size(), 300u);
  Program program;
  ASSERT_TRUE(parseProgram(one, kOrvalis, program, error)) << error;
  EXPECT_EQ(program.name, "Program 7");
  EXPECT_EQ(program.values, bank.programs[7].values);
}

TEST(FxBankFileTest, VersionOneBanksHaveNoCurrentProgram) {
  std::vector<uint8_t> bytes = bankBytes(sampleBank());
  putInt(bytes, 12, 1);
  putInt(bytes, 28, 0xDEADBEEF);  // reserved in version 1
  Bank read;
  std::string error;
  ASSERT_TRUE(parseBank(bytes, kOrvalis, read, error)) << error;
  EXPECT_EQ(read.currentProgram, 0);
}

TEST(FxBankFileTest, ProgramRecordsOfVersionTwoLoad) {
  // Hosts write the bank's version into every program record as well.
  const Bank bank = sampleBank();
  std::vector<uint8_t> bytes = bankBytes(bank);
  for (int i = 0; i < 128; ++i) putInt(bytes, programAt(i) + 12, 2);
  Bank read;
  std::string error;
  ASSERT_TRUE(parseBank(bytes, kOrvalis, read, error)) << error;
  ASSERT_EQ(read.programs.size(), 128u);
  EXPECT_EQ(read.programs[127].name, "Program 127");
  EXPECT_EQ(read.programs[127].values, bank.programs[127].values);
}

TEST(FxBankFileTest, BadBanksAreRefusedWholeWithOneLine) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const BadFile cases[] = {
      {"empty", [](auto& b) { b.clear(); }, "truncated: 0 bytes"},
      {"three bytes", [](auto& b) { b.resize(3); }, "truncated: 3 bytes"},
      {"a WAV file", [](auto& b) { std::memcpy(b.data(), "RIFF", 4); },
       "not a VST 2 bank or program file (starts with 'RIFF'"},
      {"binary magic", [](auto& b) { putInt(b, 0, 0x01020304); }, "starts with 0x01020304"},
      {"header cut short", [](auto& b) { b.resize(100); },
       "truncated: 100 bytes, 156 needed for the bank header"},
      {"another plug-in", [](auto& b) { std::memcpy(&b[16], "Abcd", 4); },
       "made for another plug-in (fxID 'Abcd', expected 'Rb5t')"},
      {"another plug-in's program", [](auto& b) { std::memcpy(&b[programAt(9) + 16], "Abcd", 4); },
       "program 9: made for another plug-in"},
      {"no programs", [](auto& b) { putInt(b, 24, 0); },
       "wrong count: 0 programs, the plug-in has 128"},
      {"too many programs", [](auto& b) { putInt(b, 24, 129); }, "wrong count: 129 programs"},
      {"negative count", [](auto& b) { putInt(b, 24, 0xFFFFFFFF); }, "wrong count: -1 programs"},
      {"too few parameters", [](auto& b) { putInt(b, programAt(5) + 24, 60); },
       "program 5: wrong count: 60 parameters, the plug-in has 61"},
      {"a program record's size", [](auto& b) { putInt(b, programAt(3) + 4, 300); },
       "program 3: wrong size: the record says 300 bytes"},
      {"the header's size", [](auto& b) { putInt(b, 4, 1000); },
       "wrong size: the header says 1000 bytes"},
      {"a byte too many", [](auto& b) { b.push_back(0); },
       "wrong size: 38557 bytes, 128 programs take 38556"},
      {"cut in a header", [](auto& b) { b.resize(programAt(64) + 20); }, "program 64: truncated"},
      {"cut in the values", [](auto& b) { b.resize(b.size() - 1); },
       "program 127: truncated: 38555 bytes"},
      {"not a program record", [](auto& b) { std::memcpy(&b[programAt(1) + 8], "FxBk", 4); },
       "program 1: not a program record"},
      {"a program file", [](auto& b) { std::memcpy(&b[8], "FxCk", 4); },
       "a program file (.fxp), not a bank"},
      {"opaque chunk", [](auto& b) { std::memcpy(&b[8], "FBCh", 4); },
       "opaque chunk data ('FBCh')"},
      {"unknown kind", [](auto& b) { std::memcpy(&b[8], "Xyzw", 4); }, "unknown file type 'Xyzw'"},
      {"future version", [](auto& b) { putInt(b, 12, 3); }, "unknown bank format version 3"},
      {"current program outside", [](auto& b) { putInt(b, 28, 128); },
       "current program 128 is not one of the bank's 128"},
      {"not a number", [&](auto& b) { putFloat(b, programAt(2) + 56 + 4 * 7, nan); },
       "program 2: parameter 7 is not a number"},
      {"above one", [](auto& b) { putFloat(b, kFirstValue + 4 * 60, 1.5f); },
       "program 0: parameter 60 is 1.5, outside 0 to 1"},
      {"below zero", [](auto& b) { putFloat(b, kFirstValue, -0.25f); },
       "parameter 0 is -0.25, outside 0 to 1"},
      {"infinite", [&](auto& b) { putFloat(b, kFirstValue, inf); },
       "parameter 0 is inf, outside 0 to 1"},
  };
  for (const BadFile& c : cases) {
    std::vector<uint8_t> bytes = bankBytes(sampleBank());
    c.spoil(bytes);
    Bank kept;
    kept.fxVersion = 77;
    std::string error;
    EXPECT_FALSE(parseBank(bytes, kOrvalis, kept, error)) << c.what;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << c.what;
    EXPECT_EQ(kept.fxVersion, 77) << c.what;
    EXPECT_TRUE(kept.programs.empty()) << c.what;
  }
}

TEST(FxBankFileTest, BadProgramFilesAreRefusedWholeWithOneLine) {
  const BadFile cases[] = {
      {"a bank", [](auto& b) { std::memcpy(&b[8], "FxBk", 4); },
       "a bank file (.fxb), not a program"},
      {"opaque chunk", [](auto& b) { std::memcpy(&b[8], "FPCh", 4); },
       "opaque chunk data ('FPCh')"},
      {"wrong magic", [](auto& b) { std::memcpy(&b[0], "MThd", 4); }, "starts with 'MThd'"},
      {"another plug-in", [](auto& b) { std::memcpy(&b[16], "Abcd", 4); },
       "made for another plug-in (fxID 'Abcd'"},
      {"cut", [](auto& b) { b.resize(299); }, "truncated: 299 bytes"},
      {"a byte too many", [](auto& b) { b.push_back(0); },
       "wrong size: 301 bytes, a program takes 300"},
      {"more parameters", [](auto& b) { putInt(b, 24, 62); }, "wrong count: 62 parameters"},
      {"above one", [](auto& b) { putFloat(b, 56 + 4 * 5, 2.f); },
       "parameter 5 is 2, outside 0 to 1"},
  };
  const std::vector<uint8_t> good = programBytes(kOrvalis.fxId, 1000, sampleBank().programs[4]);
  for (const BadFile& c : cases) {
    std::vector<uint8_t> bytes = good;
    c.spoil(bytes);
    Program kept{"kept", {}};
    std::string error;
    EXPECT_FALSE(parseProgram(bytes, kOrvalis, kept, error)) << c.what;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    EXPECT_EQ(kept.name, "kept") << c.what;
  }
}

TEST(FxBankFileTest, AFileRefusedByThePlugInChangesNothing) {
  orvalis::tests::TestHost host;
  host.setParameter(5, 0.3f);
  std::vector<uint8_t> bytes = bankBytes(sampleBank());
  putFloat(bytes, programAt(127) + 56, std::numeric_limits<float>::quiet_NaN());
  const std::string path = temporaryPath("nan.fxb");
  writeBytes(path, bytes);
  std::string error;
  EXPECT_FALSE(loadBankFile(host.effect, path, error));
  EXPECT_EQ(error, path + ": program 127: parameter 0 is not a number");
  char name[64] = "";
  host.dispatch(effGetProgramNameIndexed, 0, 0, name);
  EXPECT_STREQ(name, "Basique");
  EXPECT_EQ(host.getParameter(5), 0.3f);

  EXPECT_FALSE(loadProgramFile(host.effect, path, error));
  EXPECT_EQ(error, path + ": a bank file (.fxb), not a program");
  EXPECT_FALSE(loadBankFile(host.effect, temporaryPath("missing.fxb"), error));
  EXPECT_NE(error.find("missing.fxb: cannot open: "), std::string::npos) << error;
  std::remove(path.c_str());
}

TEST(FxBankFileTest, ABankLoadsAndSavesThroughTheEntryAsHostsDo) {
  orvalis::tests::TestHost host;
  const Bank bank = sampleBank();
  const std::string path = temporaryPath("sample.fxb");
  writeBytes(path, bankBytes(bank));
  std::string error;
  ASSERT_TRUE(loadBankFile(host.effect, path, error)) << error;
  EXPECT_EQ(host.dispatch(effGetProgram), 2);
  for (int i : {0, 1, 64, 127}) {
    host.dispatch(effSetProgram, 0, i);
    char name[64] = "";
    host.dispatch(effGetProgramName, 0, 0, name);
    EXPECT_EQ(name, bank.programs[i].name);
    for (int j = 0; j < 61; ++j)
      EXPECT_EQ(host.getParameter(j), bank.programs[i].values[j]) << i << " " << j;
  }
  // Automation after loading reaches the saved bank; the current program stays selected.
  host.dispatch(effSetProgram, 0, 2);
  host.setParameter(23, 0.625f);
  const std::string saved = temporaryPath("saved.fxb");
  ASSERT_TRUE(saveBankFile(host.effect, saved, error)) << error;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(readFile(saved, bytes, error)) << error;
  Bank expected = bank;
  expected.programs[2].values[23] = 0.625f;
  EXPECT_EQ(bytes, bankBytes(expected));
  EXPECT_EQ(host.dispatch(effGetProgram), 2);
  std::remove(path.c_str());
  std::remove(saved.c_str());
}

TEST(FxBankFileTest, AProgramFileLoadsIntoTheCurrentProgram) {
  orvalis::tests::TestHost host;
  host.dispatch(effSetProgram, 0, 9);
  const Program program = sampleBank().programs[40];
  const std::string path = temporaryPath("one.fxp");
  writeBytes(path, programBytes(kOrvalis.fxId, 1000, program));
  std::string error;
  ASSERT_TRUE(loadProgramFile(host.effect, path, error)) << error;
  char name[64] = "";
  host.dispatch(effGetProgramNameIndexed, 9, 0, name);
  EXPECT_EQ(name, program.name);
  for (int j = 0; j < 61; ++j) EXPECT_EQ(host.getParameter(j), program.values[j]) << j;
  host.dispatch(effGetProgramNameIndexed, 8, 0, name);
  EXPECT_STREQ(name, "Basique");
  std::remove(path.c_str());
}
