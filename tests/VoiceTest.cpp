// One voice given a note start renders the sound of the current parameters.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/signal_analysis.h"
#include "tests/support/voice_rig.h"

using namespace orvalis;
using namespace orvalis::engine;

using namespace orvalis::params;
using orvalis::tests::peak;
using orvalis::tests::rms;
using orvalis::tests::VoiceRig;

namespace {

constexpr int kMs = 44;  // samples per millisecond, near enough

double windowRms(const std::vector<float>& x, int fromMs, int toMs) {
  return rms(x, static_cast<std::size_t>(fromMs) * kMs, static_cast<std::size_t>(toMs) * kMs);
}

}  // namespace

TEST(VoiceTest, LevelFollowsTheAmplitudeEnvelope) {
  for (float type : {0.f, 0.6f}) {
    VoiceRig rig(type);
    rig.set(kAmpAttackH, 0.7f);  // about 0.6 s
    rig.set(kAmpDecayH, 0.5f);
    rig.set(kAmpSustainH, 0.3f);
    rig.set(kAmpReleaseH, 0.5f);
    rig.noteOn(60, 127);
    std::vector<float> l, r;
    rig.render(l, r, 44100 * 3);
    rig.noteOff();
    rig.render(l, r, 44100 * 2);
    SCOPED_TRACE(type);
    const double early = windowRms(l, 20, 60), peakZone = windowRms(l, 500, 800);
    const double sustain = windowRms(l, 2500, 3000), released = windowRms(l, 4500, 5000);
    EXPECT_LT(early, peakZone);          // attack rises
    EXPECT_LT(sustain, 0.8 * peakZone);  // decays to the sustain
    EXPECT_GT(sustain, 0.05 * peakZone);
    EXPECT_LT(released, 0.01 * sustain);  // release falls away
    EXPECT_TRUE(orvalis::tests::allFinite(l));
  }
}

TEST(VoiceTest, PanPutsModesTwoToFiveInOneChannel) {
  for (float type : {0.4f, 0.6f, 0.8f}) {
    for (float pan : {0.f, 1.f}) {
      VoiceRig rig(type);
      rig.set(kPan, pan);
      rig.noteOn(60);
      std::vector<float> l, r;
      rig.render(l, r, 22050);
      SCOPED_TRACE(testing::Message() << type << " pan " << pan);
      const double louder = pan == 0.f ? rms(l) : rms(r), quieter = pan == 0.f ? rms(r) : rms(l);
      EXPECT_GT(louder, 1e-3);
      EXPECT_LT(quieter, 1e-6 * louder + 1e-9);
    }
  }
  // Mode 5's callback sums the pair into both channels; the pair itself is one-sided.
  VoiceRig wave(1.f);
  wave.set(kPan, 0.f);
  wave.noteOn(60);
  std::vector<float> l, r;
  wave.render(l, r, 4410);
  EXPECT_GT(std::fabs(wave.voice.filter.outLeft), 1e-4f);
  EXPECT_LT(std::fabs(wave.voice.filter.outRight), 1e-9f);
}

TEST(VoiceTest, GainScalesTheOutput) {
  for (float type : {0.f, 0.6f}) {
    double level[2];
    for (int i = 0; i < 2; ++i) {
      VoiceRig rig(type);
      rig.set(kGain, i == 0 ? 0.5f : 0.75f);  // G = 1 and G = 10^0.5
      rig.noteOn(60);
      std::vector<float> l, r;
      rig.render(l, r, 44100 * 3);  // the gain smoothing is slow
      level[i] = windowRms(l, 2500, 3000);
    }
    EXPECT_NEAR(level[1] / level[0], std::sqrt(10.0), 0.05 * std::sqrt(10.0)) << type;
  }
}

TEST(VoiceTest, OverdriveSaturatesWithinOne) {
  VoiceRig rig(0.6f);
  rig.set(kOverdrive1H, 1.f);
  rig.set(kOverdrive2H, 1.f);
  rig.noteOn(60, 127);
  std::vector<float> l, r;
  rig.render(l, r, 22050);
  // Modes 2..5: |out| <= G (here 1) because the saturator output stays within +-1.
  EXPECT_LE(peak(l), 1.0001f);
  EXPECT_GT(peak(l), 0.5f);
  VoiceRig soft(0.6f);
  soft.noteOn(60, 127);
  std::vector<float> sl, sr;
  soft.render(sl, sr, 22050);
  EXPECT_GT(rms(l, 11025), 2 * rms(sl, 11025));
}

TEST(VoiceTest, VelocityBlendsTheLowAndHighValues) {
  // Overdrive 2 decides the loudness: H loud, L quiet.
  double level[2];
  const int velocities[2] = {127, 1};
  for (int i = 0; i < 2; ++i) {
    VoiceRig rig(0.6f);
    rig.set(kOverdrive2H, 0.75f);
    rig.set(kOverdrive2L, 0.25f);
    rig.noteOn(60, velocities[i]);
    std::vector<float> l, r;
    rig.render(l, r, 22050);
    level[i] = rms(l, 11025);
    EXPECT_NEAR(rig.voice.overdrive2, std::pow(10.0, 2 * (0.25 + 0.5 * velocities[i] / 127.0) - 1),
                1e-3);
  }
  EXPECT_GT(level[0], 3 * level[1]);
}

TEST(VoiceTest, ParameterMomentsChangeAttackAtNoteStartAndSustainAtOnce) {
  VoiceRig rig(0.f);
  rig.noteOn(60);
  const float attack = rig.voice.ampEnv.attackRate;
  rig.set(kAmpAttackH, 0.9f);
  EXPECT_EQ(rig.voice.ampEnv.attackRate, attack);  // waits for a fresh note
  rig.set(kAmpSustainH, 0.2f);
  EXPECT_NEAR(rig.voice.ampEnv.sustain, 0.2f, 1e-6f);  // at once, with the note's velocity
  rig.noteOff();
  rig.noteOn(62);
  EXPECT_NE(rig.voice.ampEnv.attackRate, attack);

  VoiceRig fm(0.5f);
  EXPECT_EQ(fm.voice.mode, OscMode::Fm2);  // floor(5 * 0.5 + 0.5)
}

TEST(VoiceTest, LaneTablesFollowTheirParameters) {
  VoiceRig rig(0.f);
  rig.set(kLaneRatios, 0.f);
  const float r0[4] = {1.0f, 0.994f, 1.004f, 1.003f};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(rig.voice.laneRatio[i], r0[i], 1e-4f);
  rig.set(kLaneRatios, 1.f);
  const float r1[4] = {0.997f, 0.504f, 1.01f, 0.49f};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(rig.voice.laneRatio[i], r1[i], 1e-4f);
  rig.set(kOscType, 0.8f);  // mode 4 has its own table
  rig.set(kLaneRatios, 0.6f);
  const float r4[4] = {1.0f, 1.013f, 1.4835f, 2.042f};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(rig.voice.laneRatio[i], r4[i]);
  // Weight parameter 1 acts as 0.999: o = 0.997.
  rig.set(kLaneWeights, 1.f);
  const double o = std::fmod(3 * 0.999f, 1.0), u = 1 - o;
  EXPECT_NEAR(rig.voice.weightL[0], 0.85 * o + 0.95 * u, 1e-6);
  EXPECT_NEAR(rig.voice.weightR[3], 0.7 * o + 0.15 * u, 1e-6);
}

TEST(VoiceTest, PanAndGainDefaults) {
  VoiceRig rig(0.f);
  EXPECT_EQ(rig.voice.gain, 1.f);
  EXPECT_NEAR(rig.voice.filter.panCos, 0.70710677f, 1e-6f);
  EXPECT_NEAR(rig.voice.filter.panSin, 0.70710677f, 1e-6f);
}

TEST(VoiceTest, EveryParameterAtItsExtremesKeepsTheOutputFinite) {
  const float extremes[] = {-1.f, 0.f, 1.f, 2.f};
  const float types[] = {0.f, 0.2f, 0.4f, 0.6f, 0.8f, 1.f};
  for (float type : types) {
    for (int index = 0; index < kNumParams; ++index) {
      if (index == kOscType) continue;
      for (float v : extremes) {
        VoiceRig rig(type);
        rig.set(index, v);
        rig.noteOn(64);
        std::vector<float> l, r;
        rig.render(l, r, 4410);
        ASSERT_TRUE(orvalis::tests::allFinite(l) && orvalis::tests::allFinite(r))
            << "type " << type << " index " << index << " value " << v;
        ASSERT_LE(peak(l), 10.05f);  // gain tops out at 10, the saturator at 1.0019
      }
    }
    for (float v : extremes) {
      VoiceRig rig(type);
      for (int index = 0; index < kNumParams; ++index)
        if (index != kOscType) rig.set(index, v);
      rig.noteOn(64);
      std::vector<float> l, r;
      rig.render(l, r, 44100);
      EXPECT_TRUE(orvalis::tests::allFinite(l) && orvalis::tests::allFinite(r))
          << type << " all " << v;
      EXPECT_LE(peak(l), 10.05f);
    }
  }
}
