#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/fast_exp2.h"
#include "engine/kernel_set.h"
#include "engine/rate_constants.h"

using namespace orvalis;
using namespace orvalis::engine;

TEST(RateConstantsTest, MatchTheTableAt44100) {
  RateConstants rc;
  rc.build(44100.f);
  EXPECT_EQ(rc.sr, 44100.f);
  EXPECT_EQ(rc.cr, 2756.25f);
  EXPECT_FLOAT_EQ(rc.invCr, 3.6281178e-4f);
  EXPECT_FLOAT_EQ(rc.twoPiOverCr, 2.2796136e-3f);
  // Each 4-lane group holds the same value in all four lanes.
  const float lanes[4][2] = {{rc.crOverSr4[0], 0.0625f},
                             {rc.invSr4[0], 2.2675737e-5f},
                             {rc.twoOverSr4[0], 4.5351473e-5f},
                             {rc.twoPiOverSr4[0], 1.4247585e-4f}};
  for (const auto& q : lanes) EXPECT_FLOAT_EQ(q[0], q[1]);
  for (int lane = 1; lane < 4; ++lane) {
    EXPECT_EQ(rc.crOverSr4[lane], rc.crOverSr4[0]);
    EXPECT_EQ(rc.invSr4[lane], rc.invSr4[0]);
    EXPECT_EQ(rc.twoOverSr4[lane], rc.twoOverSr4[0]);
    EXPECT_EQ(rc.twoPiOverSr4[lane], rc.twoPiOverSr4[0]);
  }
}

TEST(RateConstantsTest, At48000TheRampFactorStaysExact) {
  RateConstants rc;
  rc.build(48000.f);
  EXPECT_EQ(rc.cr, 3000.f);
  EXPECT_EQ(rc.crOverSr4[0], 0.0625f);
  EXPECT_FLOAT_EQ(rc.twoOverSr4[0], 4.1666666e-5f);
}

TEST(RateConstantsTest, AbsurdRatesAreNotUsable) {
  for (float sr : {8000.f, 22050.f, 44100.f, 96000.f, 192000.f, 384000.f, 1e6f})
    EXPECT_TRUE(isUsableSampleRate(sr)) << sr;
  for (float sr : {0.f, -1.f, -44100.f, 0.5f, 2e6f, std::numeric_limits<float>::quiet_NaN(),
                   std::numeric_limits<float>::infinity()})
    EXPECT_FALSE(isUsableSampleRate(sr)) << sr;
}

TEST(FastExp2Test, IsTheDegreeFivePolynomialNotAnExactPower) {
  EXPECT_NEAR(fastExp2(1.f), 1.99983f, 1e-5f);
  EXPECT_NEAR(fastExp2(-1.f), 0.49986f, 1e-5f);
  EXPECT_EQ(fastExp2(0.f), 1.f);
  EXPECT_NEAR(fastExp2(9.f), 209.f, 1.f);
}

TEST(FastExp2Test, DoubleEvaluationMatchesExtendedPrecisionToTheFloat) {
  // The polynomial in 80-bit precision, as a reference for the double evaluation the engine uses.
  auto reference = [](float x) {
    const long double b = static_cast<long double>(x) * 0.693147180559945309417232121458176568L;
    const long double third = 0.33333f;
    return static_cast<float>(
        1 + b * (1 + 0.5L * b * (1 + third * b * (1 + 0.25L * b * (1 + 0.2L * b)))));
  };
  int differ = 0;
  for (int i = -200000; i <= 200000; ++i) {
    const float x = i * 1e-4f;
    const float a = fastExp2(x), r = reference(x);
    if (a != r) {
      ++differ;
      EXPECT_NEAR(a, r, std::fabs(r) * 1.2e-7f) << x;
    }
    const D2 pair = fastExp2(D2(x, -x));
    EXPECT_EQ(static_cast<float>(pair.lo()), a);
    EXPECT_EQ(static_cast<float>(pair.hi()), fastExp2(-x));
  }
  EXPECT_LT(differ, 40);  // a handful of halfway cases at most
}

// The tick's batch of every voice's exponents gives each value the scalar result, on every path
// and for every count (the last vector only partly filled).
TEST(FastExp2Test, BatchOfEveryPathMatchesTheScalarForm) {
  const KernelSet* paths[] = {&kSse2Kernels, avx2Kernels()};
  for (const KernelSet* path : paths) {
    if (!path) continue;
    for (int count = 1; count <= 48; ++count) {
      float values[48 + kMaxExpLanes] = {}, expected[48];  // room for the last vector
      for (int i = 0; i < count; ++i) {
        values[i] = (i % 2 ? -1.f : 1.f) * (0.37f * i + 0.01f * count);
        expected[i] = fastExp2(values[i]);
      }
      path->exponentials(values, count);
      for (int i = 0; i < count; ++i)
        ASSERT_EQ(values[i], expected[i]) << path->name << " count " << count << " lane " << i;
    }
  }
}
