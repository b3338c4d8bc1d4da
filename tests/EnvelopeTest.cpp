#include <gtest/gtest.h>

#include <cmath>

#include "engine/envelope.h"
#include "engine/lfo.h"
#include "tests/support/voice_rig.h"

using namespace orvalis;
using namespace orvalis::engine;

namespace {
RateConstants ratesAt(float sr) {
  RateConstants rc;
  rc.build(sr);
  return rc;
}
}  // namespace

TEST(EnvelopeTest, AttackEndsAfterValuePassesOne) {
  Envelope e;
  e.attackRate = 0.2f;
  e.decayRate = 0.05f;
  e.trigger(true);
  for (int n = 1; n <= 4; ++n) {
    e.tick(true);
    EXPECT_NEAR(e.value, 1.5 * (1 - std::pow(0.8, n)), 1e-6) << n;
    EXPECT_LT(e.value, 1.f);
  }
  e.tick(true);
  EXPECT_NEAR(e.value, 1.0085f, 1e-4f);  // first exceeds 1.0 at the 5th tick
  EXPECT_EQ(e.attacking, 1);
  e.tick(true);  // the 6th switches to the decay segment
  EXPECT_EQ(e.attacking, 0);
  EXPECT_EQ(e.target, e.sustain);
  EXPECT_EQ(e.rate, 0.05f);
}

TEST(EnvelopeTest, SegmentsNeverFasterThanFiveTicks) {
  const RateConstants at44 = ratesAt(44100.f), at8 = ratesAt(8000.f);
  Envelope e;
  e.rates = &at44;
  EXPECT_NEAR(e.timeToRate(0.005f), 0.0726f, 1e-4f);
  EXPECT_NEAR(e.timeToRate(1.f), 1.f / 2756.25f, 1e-8f);
  e.rates = &at8;
  EXPECT_FLOAT_EQ(e.timeToRate(0.005f), 0.2f);
  EXPECT_FLOAT_EQ(e.timeToRate(0.f), 0.2f);
}

TEST(EnvelopeTest, SustainHasAFloorAndReleaseEndsAboveZero) {
  const RateConstants rc = ratesAt(44100.f);
  Envelope e;
  e.rates = &rc;
  e.setSustain(0.f, false);
  EXPECT_EQ(e.sustain, 1e-12f);
  e.setSustain(-3.f, false);
  EXPECT_EQ(e.sustain, 1e-12f);
  e.setReleaseTime(0.005f, false);
  e.trigger(true);
  for (int i = 0; i < 50; ++i) e.tick(true);
  for (int i = 0; i < 5000; ++i) e.tick(false);
  EXPECT_GT(e.value, 0.f);
  EXPECT_NEAR(e.value, 1e-10f, 1e-11f);
}

TEST(EnvelopeTest, SettersActOnTheRunningSegmentOnly) {
  const RateConstants rc = ratesAt(44100.f);
  Envelope e;
  e.rates = &rc;
  // Not gated, not attacking: release and sustain setters leave target alone, release sets rate.
  e.setSustain(0.3f, false);
  EXPECT_EQ(e.target, 1e-10f);
  e.setReleaseTime(1.f, false);
  EXPECT_EQ(e.rate, e.releaseRate);
  // Attacking: only the attack setter changes the current rate.
  e.trigger(true);
  e.setDecayTime(0.01f, true);
  e.setReleaseTime(0.01f, true);
  EXPECT_EQ(e.rate, e.attackRate);
  e.setAttackTime(2.f);
  EXPECT_EQ(e.rate, e.timeToRate(2.f));
  // Gated after the attack: decay and sustain act at once.
  e.attacking = 0;
  e.setDecayTime(0.5f, true);
  EXPECT_EQ(e.rate, e.timeToRate(0.5f));
  e.setSustain(0.7f, true);
  EXPECT_EQ(e.target, 0.7f);
  // A legato note start keeps the running segment.
  e.trigger(false);
  EXPECT_EQ(e.attacking, 0);
  e.trigger(true);
  EXPECT_EQ(e.attacking, 1);
  EXPECT_EQ(e.target, 1.5f);
}

TEST(LfoTest, SettlesWithClampedSineAndSlightlyLargerCosine) {
  const RateConstants rc = ratesAt(44100.f);
  for (float hz : {2.f, 20.f}) {
    Lfo lfo;
    lfo.randomizePhase();
    lfo.speed = hz * rc.twoPiOverCr;
    float maxSine = 0.f, maxCosine = 0.f;
    for (int i = 0; i < 200000; ++i) {
      lfo.tick();
      if (i > 100000) {
        maxSine = std::max(maxSine, std::fabs(lfo.sine));
        maxCosine = std::max(maxCosine, std::fabs(lfo.cosine));
      }
    }
    EXPECT_EQ(maxSine, 1.f) << hz;
    const float expected = hz == 2.f ? 1.004f : 1.04f;
    EXPECT_NEAR(maxCosine, expected, hz == 2.f ? 0.002f : 0.01f) << hz;
  }
}

TEST(LfoTest, SpeedZeroHoldsStill) {
  Lfo lfo;
  lfo.randomizePhase();
  const float s = lfo.sine, c = lfo.cosine;
  for (int i = 0; i < 100; ++i) lfo.tick();
  EXPECT_EQ(lfo.sine, s);
  EXPECT_EQ(lfo.cosine, c);
}

TEST(LfoTest, VoicesStartAtTheirOwnPhases) {
  orvalis::tests::VoiceRig a, b;
  EXPECT_NE(a.voice.lfo.sine, b.voice.lfo.sine);
}

TEST(PitchTest, GlideRateFollowsPortamento) {
  orvalis::tests::VoiceRig rig;
  rig.set(orvalis::params::kPortamento, 0.f);
  EXPECT_NEAR(rig.voice.glideRate, 1.f / (0.001f * 2756.25f), 1e-4f);
  EXPECT_NEAR(rig.voice.glideRate, 0.363f, 1e-3f);
  rig.set(orvalis::params::kPortamento, 1.f);
  EXPECT_NEAR(rig.voice.glideRate, 1.f / 2756.25f, 1e-7f);
  // Where Tg * cr <= 1 the glide is immediate.
  orvalis::tests::VoiceRig slow(0.f, 800.f);
  slow.set(orvalis::params::kPortamento, 0.f);
  EXPECT_EQ(slow.voice.glideRate, 1.f);
}
