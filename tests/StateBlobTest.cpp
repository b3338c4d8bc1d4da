// The instrument's state blob: the whole bank and the current program, and the refusal of
// anything that is not a whole, valid state.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "core/instrument.h"
#include "core/state_blob.h"

using orvalis::core::Instrument;

namespace {

constexpr int kOscType = 28;

void renderNothing(Instrument& instrument) {
  float l = 0, r = 0;
  instrument.render(&l, &r, 0);
}

// Programs 3 and 77 changed and renamed, 77 selected.
void makeDistinct(Instrument& instrument) {
  instrument.selectProgram(3);
  instrument.setParameter(10, 0.125f);
  instrument.setProgramName("Glass Keys");
  instrument.selectProgram(77);
  instrument.setParameter(kOscType, 0.6f);
  instrument.setParameter(57, -0.25f);  // stored as the host set it, out of range or not
  instrument.setProgramName("Warm Pad");
}

void putU32(std::vector<uint8_t>& blob, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) blob[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

TEST(StateBlobTest, RoundTripRestoresEveryProgramAndTheCurrentOne) {
  Instrument a;
  makeDistinct(a);
  const std::vector<uint8_t> blob = a.saveState();
  ASSERT_EQ(blob.size(), orvalis::core::kStateSize);

  Instrument b;
  std::string why;
  ASSERT_TRUE(b.loadState(blob.data(), blob.size(), &why)) << why;
  EXPECT_EQ(b.currentProgram(), 77);
  for (int p = 0; p < 128; ++p) {
    const auto expected = a.program(p), actual = b.program(p);
    EXPECT_STREQ(actual.name, expected.name) << p;
    EXPECT_EQ(std::memcmp(actual.values, expected.values, sizeof actual.values), 0) << p;
  }
  EXPECT_EQ(b.parameter(57), -0.25f);
  EXPECT_EQ(b.saveState(), blob);
  // The engine follows the loaded program from the next block on.
  renderNothing(b);
  EXPECT_EQ(b.engine().voice(0).mode, orvalis::engine::OscMode::Fm2);
}

TEST(StateBlobTest, BadBlobsAreRefusedWholeAndChangeNothing) {
  Instrument source;
  makeDistinct(source);
  const std::vector<uint8_t> good = source.saveState();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::size_t firstValue = orvalis::core::kStateHeaderSize + 24;

  struct Case {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> spoil;
  };
  const Case cases[] = {
      {"empty", [](std::vector<uint8_t>& b) { b.clear(); }},
      {"header only", [](std::vector<uint8_t>& b) { b.resize(orvalis::core::kStateHeaderSize); }},
      {"truncated by one byte", [](std::vector<uint8_t>& b) { b.pop_back(); }},
      {"one byte too many", [](std::vector<uint8_t>& b) { b.push_back(0); }},
      {"wrong magic", [](std::vector<uint8_t>& b) { b[0] = 'X'; }},
      {"another version", [](std::vector<uint8_t>& b) { putU32(b, 4, 2); }},
      {"wrong program count", [](std::vector<uint8_t>& b) { putU32(b, 8, 127); }},
      {"wrong parameter count", [](std::vector<uint8_t>& b) { putU32(b, 12, 62); }},
      {"current program out of range", [](std::vector<uint8_t>& b) { putU32(b, 16, 128); }},
      {"unterminated name",
       [](std::vector<uint8_t>& b) {
         std::memset(b.data() + orvalis::core::kStateHeaderSize, 'A', 24);
       }},
      {"NaN value", [&](std::vector<uint8_t>& b) { std::memcpy(b.data() + firstValue, &nan, 4); }},
  };

  Instrument target;
  target.selectProgram(5);
  target.setParameter(3, 0.75f);
  const std::vector<uint8_t> before = target.saveState();
  for (const Case& c : cases) {
    std::vector<uint8_t> blob = good;
    c.spoil(blob);
    std::string why;
    EXPECT_FALSE(target.loadState(blob.data(), blob.size(), &why)) << c.what;
    EXPECT_FALSE(why.empty()) << c.what;
    EXPECT_EQ(why.find('\n'), std::string::npos) << c.what;
    EXPECT_EQ(target.saveState(), before) << c.what;
  }
  EXPECT_FALSE(target.loadState(nullptr, 100));
  EXPECT_EQ(target.currentProgram(), 5);
}
