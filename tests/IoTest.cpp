// The byte reader's bounds and the safe writer's promises that the renderer's tests do not reach:
// no read outside the image, a failed read changing nothing, and a failed write leaving the old
// file and nothing beside it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "io/byte_reader.h"
#include "io/byte_writer.h"
#include "io/safe_file.h"

using orvalis::io::ByteReader;
using orvalis::io::ByteWriter;
using orvalis::io::Endian;

TEST(ByteReader, ReadsInTheFormatsOrderAndNeverPastTheEnd) {
  const std::vector<uint8_t> bytes = {0x12, 0x34, 0x56, 0x78, 0x9A};
  for (Endian order : {Endian::Big, Endian::Little}) {
    ByteReader in(bytes, order);
    uint32_t word = 0;
    ASSERT_TRUE(in.u32(word));
    EXPECT_EQ(word, order == Endian::Big ? 0x12345678u : 0x78563412u);
    uint16_t half = 7;
    EXPECT_FALSE(in.u16(half));  // one byte left
    EXPECT_EQ(half, 7);
    EXPECT_TRUE(in.failed());
    EXPECT_EQ(in.position(), 4u);
  }
  ByteReader in(bytes, Endian::Big);
  const struct {
    std::size_t offset, count;
    bool fits;
  } spans[] = {{0, 5, true}, {5, 0, true}, {4, 2, false}, {6, 0, false}, {1, SIZE_MAX, false}};
  for (const auto& s : spans) EXPECT_EQ(in.fits(s.offset, s.count), s.fits) << s.offset;
  uint32_t word = 3;
  EXPECT_FALSE(in.u32At(2, word));
  EXPECT_EQ(word, 3u);
  EXPECT_EQ(in.bytesAt(SIZE_MAX, 1), nullptr);
  ByteReader none(nullptr, 100, Endian::Big);
  EXPECT_EQ(none.size(), 0u);
}

TEST(ByteWriter, WritesWhatTheReaderReadsBack) {
  std::vector<uint8_t> bytes;
  ByteWriter out(bytes, Endian::Big);
  out.i32(-2);
  out.f32(0.25f);
  out.text("a name longer than its field", 8);
  ASSERT_EQ(bytes.size(), 16u);
  EXPECT_EQ(bytes[15], 0);  // the text is cut and terminated
  ByteReader in(bytes, Endian::Big);
  int32_t i = 0;
  float f = 0;
  EXPECT_TRUE(in.i32(i) && in.f32(f));
  EXPECT_EQ(i, -2);
  EXPECT_EQ(f, 0.25f);
}

TEST(SafeFile, AFailedWriteLeavesTheOldFileAndNothingBeside) {
  char pattern[] = "/tmp/orvalis-io-test-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  const std::string target = dir + "/file";
  std::ofstream(target) << "old";
  std::string error;
  {
    orvalis::io::SafeFile file;
    ASSERT_TRUE(file.open(target, error)) << error;
    ASSERT_TRUE(file.write("new", 3, error)) << error;
    // Destroyed without a commit: the write is dropped.
  }
  std::ifstream kept(target);
  std::stringstream text;
  text << kept.rdbuf();
  EXPECT_EQ(text.str(), "old");
  EXPECT_TRUE(orvalis::io::writeFile(target, std::string("new"), error)) << error;
  EXPECT_FALSE(orvalis::io::writeFile(dir, std::string("x"), error));
  EXPECT_EQ(error, "cannot write " + dir + ": Is a directory");
  EXPECT_FALSE(orvalis::io::writeFile(dir + "/missing/file", std::string("x"), error));
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
  EXPECT_EQ(std::system(("test $(ls -A " + dir + " | wc -l) -eq 1").c_str()), 0);
  std::system(("rm -rf " + dir).c_str());
}
