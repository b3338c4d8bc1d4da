// The filter designs measured through the real per-sample stage, compared with the analytic
// magnitude of the designed biquad and with the relations each type is built on.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "engine/filters.h"
#include "tests/support/signal_analysis.h"
#include "tests/support/voice_rig.h"

using namespace orvalis;
using namespace orvalis::engine;

namespace {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;
constexpr float kDrive = 1e-3f;  // the saturator is linear to 1e-7 at this level

double analytic(const double c[5], double omega) {
  const std::complex<double> z1 = std::polar(1.0, -omega), z2 = z1 * z1;
  return std::abs((c[0] + c[1] * z1 + c[2] * z2) / (1.0 - c[3] * z1 - c[4] * z2));
}

// Drives Filtre1 of chain L (lane 0) with a sine and returns the measured gain.
double measuredGain(FilterType type, float omega, float q, double hz) {
  double c[5];
  designBiquad(type, omega, q, c);
  FilterLanes lanes;
  lanes.b0.reset(F4(c[0]));
  lanes.b1.reset(F4(c[1]));
  lanes.b2.reset(F4(c[2]));
  lanes.a1n.reset(F4(c[3]));
  lanes.a2n.reset(F4(c[4]));
  lanes.z1 = lanes.z2 = F4::zero();
  lanes.drive.reset(F4(kDrive));
  const int n = 1 << 15;
  std::vector<float> in(n), out(n);
  for (int i = 0; i < n; ++i) {
    in[i] = static_cast<float>(std::sin(2 * kPi * hz * i / kRate));
    lanes.step(F4(in[i], 0.f, 0.f, 0.f));
    out[i] = lanes.sat[0] / kDrive;
  }
  const std::size_t from = n / 2, len = n / 2;
  return orvalis::tests::magnitudeAt(out, kRate, hz, from, len) /
         orvalis::tests::magnitudeAt(in, kRate, hz, from, len);
}

double omegaOf(double hz) { return 2 * kPi * hz / kRate; }

}  // namespace

TEST(FilterTest, MeasuredGainMatchesTheDesignedBiquad) {
  const FilterType types[] = {kFlat, kLowPass, kEq, kShelving, kHighPass};
  const float cutoffs[] = {200.f, 1000.f, 5000.f};
  const float qs[] = {0.5f, 2.f, 10.f};
  const double probes[] = {100.0, 1000.0, 4000.0, 12000.0};
  for (FilterType type : types)
    for (float fc : cutoffs)
      for (float q : qs) {
        const float omega = static_cast<float>(omegaOf(fc));
        double c[5];
        designBiquad(type, omega, q, c);
        for (double f : probes) {
          SCOPED_TRACE(testing::Message()
                       << "type " << type << " fc " << fc << " Q " << q << " f " << f);
          const double expected = analytic(c, omegaOf(f));
          EXPECT_NEAR(measuredGain(type, omega, q, f), expected, 0.01 * expected + 1e-4);
        }
      }
}

TEST(FilterTest, EachTypeKeepsItsDefiningRelation) {
  for (float q : {0.5f, 3.f, 10.f}) {
    for (float fc : {300.f, 3000.f}) {
      const float omega = static_cast<float>(omegaOf(fc));
      double c[5];
      SCOPED_TRACE(testing::Message() << "fc " << fc << " Q " << q);
      designBiquad(kFlat, omega, q, c);
      for (double f : {50.0, 500.0, 5000.0, 20000.0})
        EXPECT_NEAR(analytic(c, omegaOf(f)), 1.0, 1e-6);

      designBiquad(kEq, omega, q, c);
      const double A = q - 0.4;
      EXPECT_NEAR(analytic(c, omega), A * A, 1e-3 * A * A);
      EXPECT_NEAR(analytic(c, omegaOf(5)), 1.0, 0.02);

      designBiquad(kShelving, omega, q, c);
      const double As = 0.4 * (q - 0.4);
      EXPECT_NEAR(analytic(c, 1e-4), 1.0, 1e-3);
      EXPECT_NEAR(analytic(c, kPi), As * As, 1e-3 * As * As);

      designBiquad(kLowPass, omega, q, c);
      EXPECT_NEAR(analytic(c, 1e-4), 1.0, 1e-3);
      EXPECT_LT(analytic(c, kPi - 1e-4), 1e-3);

      designBiquad(kHighPass, omega, q, c);
      EXPECT_NEAR(analytic(c, kPi - 1e-4), 1.0, 1e-3);
      EXPECT_LT(analytic(c, 1e-4), 1e-3);
    }
  }
  // Around the cutoff with Q = 0.707 both cookbook filters sit near -3 dB.
  double c[5];
  const float omega = static_cast<float>(omegaOf(1000));
  designBiquad(kLowPass, omega, 0.7071f, c);
  EXPECT_NEAR(20 * std::log10(analytic(c, omegaOf(1000))), -3.0, 0.6);
  designBiquad(kHighPass, omega, 0.7071f, c);
  EXPECT_NEAR(20 * std::log10(analytic(c, omegaOf(1000))), -3.0, 0.6);
}

TEST(FilterTest, TypeCodesSwitchAtTheirThresholds) {
  EXPECT_EQ(filterTypeOf(0.f), kFlat);
  EXPECT_EQ(filterTypeOf(0.19999f), kFlat);
  EXPECT_EQ(filterTypeOf(0.2f), kLowPass);
  EXPECT_EQ(filterTypeOf(0.4f), kEq);
  EXPECT_EQ(filterTypeOf(0.6f), kShelving);
  EXPECT_EQ(filterTypeOf(0.8f), kHighPass);
  EXPECT_EQ(filterTypeOf(-1.f), kFlat);
}

TEST(FilterTest, CutoffsAboveTheLimitDesignAtOmegaThree) {
  orvalis::tests::VoiceRig rig(0.f);
  rig.set(orvalis::params::kFilter1Type, 0.3f);
  rig.set(orvalis::params::kFilter1FreqLow, 1.f);
  rig.set(orvalis::params::kFilter1FreqHigh, 1.f);
  rig.noteOn(69);
  std::vector<float> l, r;
  rig.render(l, r, 16);
  double c[5];
  const float q = 9.5f * (0.1f * 0.1f) + 0.5f;
  designBiquad(kLowPass, 3.0f, q, c);
  // After one run of 16 samples the ramp has reached the target.
  const FilterLanes& f = rig.voice.filter.lanes;
  EXPECT_NEAR(f.b0.value[0], c[0], 1e-5);
  EXPECT_NEAR(f.b0.value[2], c[0], 1e-5);
}

TEST(FilterTest, SaturatorReachesOneWithZeroSlopeAtTwo) {
  FilterLanes lanes;
  lanes.b0.reset(F4(1.f));
  for (Ramp* r : {&lanes.b1, &lanes.b2, &lanes.a1n, &lanes.a2n}) r->reset(F4::zero());
  lanes.z1 = lanes.z2 = F4::zero();
  lanes.drive.reset(F4(1.f));
  for (float x : {2.f, 5.f, 1e6f, -2.f, -40.f}) {
    lanes.step(F4(x, x, 0.f, 0.f));  // both chains' Filtre1 lanes see x
    EXPECT_EQ(lanes.sat[0], x > 0 ? 1.f : -1.f) << x;
    EXPECT_EQ(lanes.sat[2], x > 0 ? 1.f : -1.f) << x;
  }
  lanes.step(F4(0.01f, 0.f, 0.f, 0.f));
  EXPECT_NEAR(lanes.sat[0], 0.01f, 1e-6f);
}

TEST(FilterTest, StateBeyondEightIsPulledBackAtTheNextTick) {
  orvalis::tests::VoiceRig rig(0.f);
  rig.voice.filter.lanes.z1 = F4(100.f, -100.f, 9.f, std::nanf(""));
  rig.voice.filter.lanes.z2 = F4(-50.f);
  updateVoiceControl(rig.voice);
  const FilterLanes& f = rig.voice.filter.lanes;
  EXPECT_EQ(f.z1[0], 8.f);
  EXPECT_EQ(f.z1[1], -8.f);
  EXPECT_EQ(f.z1[2], 8.f);
  EXPECT_EQ(f.z1[3], -8.f);  // a NaN state comes back bounded
  EXPECT_EQ(f.z2[0], -8.f);
}
