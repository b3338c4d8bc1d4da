// The six oscillator modes, measured from the kernels of a voice driven tick by tick.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/support/signal_analysis.h"
#include "tests/support/voice_rig.h"

using namespace orvalis;
using namespace orvalis::engine;

using orvalis::tests::fundamentalHz;
using orvalis::tests::VoiceRig;

namespace {

constexpr int kSettle = 4410;  // let the glide from A4 and the ramps settle first

// A rig without vibrato, so that pitch can be measured.
VoiceRig steadyRig(float oscType, float sampleRate = 44100.f) {
  VoiceRig rig(oscType, sampleRate);
  rig.set(orvalis::params::kLfoDepthL, 0.f);
  rig.set(orvalis::params::kLfoDepthH, 0.f);
  return rig;
}

std::vector<float> tail(const std::vector<float>& x, std::size_t from) {
  return std::vector<float>(x.begin() + static_cast<long>(from), x.end());
}

}  // namespace

TEST(OscillatorTest, EveryModeSoundsAtTheBankReferencePitch) {
  // Lane 0 runs at ratio 1 with the default lane ratios. Mode 4's modulator ratios are not
  // integers, so its spectrum has no fundamental to measure; its carrier is checked instead.
  const float types[] = {0.f, 0.2f, 0.4f, 0.6f};
  for (float type : types) {
    for (bool bankR : {false, true}) {
      VoiceRig rig = steadyRig(type);
      rig.noteOn(69);
      std::vector<float> osc = tail(rig.oscillator(bankR, 0, kSettle + 16384), kSettle);
      const double expected = bankR ? 439.0 : 441.0;
      SCOPED_TRACE(testing::Message()
                   << "mode " << static_cast<int>(rig.voice.mode) << (bankR ? " R" : " L"));
      EXPECT_NEAR(fundamentalHz(osc, 44100, 300, 600), expected, 1.0);
      for (float s : osc) ASSERT_TRUE(std::isfinite(s));
      EXPECT_LE(orvalis::tests::peak(osc), 2.f);
    }
  }
  for (bool bankR : {false, true}) {
    VoiceRig fm3 = steadyRig(0.8f);
    fm3.noteOn(69);
    fm3.oscillator(bankR, 0, kSettle);
    const PmBank& bank = bankR ? fm3.voice.pmR : fm3.voice.pmL;
    EXPECT_NEAR(bank.carInc.value[0], (bankR ? 439.f : 441.f) * fm3.rates.twoOverSr4[0], 1e-6f);
  }
}

TEST(OscillatorTest, LaneRatiosDetuneTheOtherLanes) {
  VoiceRig rig = steadyRig(0.f);  // lane ratios [1.0, 0.994, 1.004, 1.003] at parameter 44 = 0
  rig.noteOn(69);
  std::vector<float> lane1 = tail(rig.oscillator(false, 1, kSettle + 16384), kSettle);
  EXPECT_NEAR(fundamentalHz(lane1, 44100, 300, 600), 441.0 * 0.9940, 1.0);
}

TEST(OscillatorTest, PulseWidthFollowsTimbre) {
  for (float timbre : {0.f, 0.5f, 1.f}) {
    VoiceRig rig(0.f);
    rig.set(orvalis::params::kOscTimbreLow, timbre);
    rig.set(orvalis::params::kOscTimbreHigh, timbre);
    rig.noteOn(57);  // 220.5 Hz
    // The smoothed timbre needs a few hundred ticks to settle.
    std::vector<float> osc = tail(rig.oscillator(false, 0, 44100 + 20000), 44100);
    double mean = 0;
    for (float s : osc) mean += s;
    mean /= osc.size();
    int high = 0;
    for (float s : osc) high += s > mean;
    const double duty = double(high) / osc.size();
    const double width = 0.49 * timbre + 0.01;  // fraction of the period
    SCOPED_TRACE(timbre);
    EXPECT_NEAR(std::min(duty, 1 - duty), std::min(width, 1 - width), 0.02);
  }
}

TEST(OscillatorTest, SupSawIsTwoRisingSawsNotAPulse) {
  VoiceRig saw(0.2f), pulse(0.f);
  ASSERT_EQ(saw.voice.mode, OscMode::SupSaw);
  saw.noteOn(57);
  pulse.noteOn(57);
  std::vector<float> s = tail(saw.oscillator(false, 0, 8820 + 4096), 8820);
  std::vector<float> p = tail(pulse.oscillator(false, 0, 8820 + 4096), 8820);
  // A saw has a continuum of values; a pulse sits at its two levels most of the time.
  auto levels = [](const std::vector<float>& x) {
    const float hi = *std::max_element(x.begin(), x.end()),
                lo = *std::min_element(x.begin(), x.end());
    const float tolerance = 0.1f * (hi - lo);
    int atLevel = 0;
    for (float v : x) atLevel += std::fabs(v - hi) < tolerance || std::fabs(v - lo) < tolerance;
    return double(atLevel) / x.size();
  };
  EXPECT_GT(levels(p), 0.8);
  EXPECT_LT(levels(s), 0.5);
}

TEST(OscillatorTest, HardSyncStartsWithoutABurst) {
  VoiceRig rig(0.4f);
  ASSERT_EQ(rig.voice.mode, OscMode::Fm1);
  rig.noteOn(69);
  std::vector<float> osc = rig.oscillator(false, 0, 2048);
  // The output scale right after set-up uses the new slave increment, not the start value 0.
  EXPECT_LT(orvalis::tests::peak(osc), 2.f);
  const float outScale = rig.voice.syncL.outScale.value[0];
  const float slaveInc = rig.voice.syncL.slaveInc.value[0];
  EXPECT_NEAR(outScale * slaveInc, 0.5f, 0.01f);
}

TEST(OscillatorTest, HardSyncChangeIntoModeTwoStartsWithoutABurst) {
  VoiceRig rig(0.f);
  rig.noteOn(69);
  rig.oscillator(false, 0, 1024);
  rig.set(orvalis::params::kOscType, 0.4f);  // into mode 2 from the pulse
  std::vector<float> osc = rig.oscillator(false, 0, 1024);
  EXPECT_LT(orvalis::tests::peak(osc), 2.f);
}

TEST(OscillatorTest, CarrierHeldAtOneAboveNyquistAndDepthThenZero) {
  VoiceRig rig(0.6f, 800.f);  // at 800 Hz the note A4 lies above half the sample rate
  ASSERT_EQ(rig.voice.mode, OscMode::Fm2);
  rig.noteOn(69);
  rig.oscillator(false, 0, 16);
  const F4 inc = rig.voice.pmL.carInc.value;
  for (int lane = 0; lane < 4; ++lane) EXPECT_NEAR(inc[lane], 1.f, 1e-5f);
  rig.oscillator(false, 0, 16);  // the following tick
  const F4 depthTarget = rig.voice.pmL.depth.value + rig.voice.pmL.depth.inc * F4(16.f);
  for (int lane = 0; lane < 4; ++lane) EXPECT_NEAR(depthTarget[lane], 0.f, 1e-5f);
}

TEST(OscillatorTest, WaveTableStacksFoldedOctavesUnderARaisedCosine) {
  VoiceRig rig(1.f);
  ASSERT_EQ(rig.voice.mode, OscMode::WaveTable);
  rig.voice.freqR = 440.f;  // n = 69 exactly
  rig.setOscillatorTargets();
  // Partials j = 0..7 sit at note numbers 93, 105, 117, 33, 45, 57, 69, 81.
  const double notes[8] = {93, 105, 117, 33, 45, 57, 69, 81};
  auto hz = [](double n) { return 440.0 * std::pow(2.0, (n - 69) / 12); };
  auto weight = [](double n) { return 0.5 - 0.5 * std::cos((n - 24) * 0.06544985); };
  const int bankR[4] = {6, 4, 2, 0}, bankL[4] = {7, 5, 3, 1};
  const float scaleR[4] = {1.f, 1.0003f, 0.9998f, 0.9997f},
              scaleL[4] = {1.f, 1.0002f, 0.9996f, 0.9998f};
  for (int lane = 0; lane < 4; ++lane) {
    EXPECT_NEAR(rig.voice.laneFreqR[lane], hz(notes[bankR[lane]]), 1e-3 * hz(notes[bankR[lane]]));
    EXPECT_NEAR(rig.voice.laneFreqL[lane], hz(notes[bankL[lane]]), 1e-3 * hz(notes[bankL[lane]]));
    EXPECT_NEAR(rig.voice.weightR[lane], scaleR[lane] * weight(notes[bankR[lane]]), 1e-5);
    EXPECT_NEAR(rig.voice.weightL[lane], scaleL[lane] * weight(notes[bankL[lane]]), 1e-5);
  }
  EXPECT_NEAR(weight(24), 0.0, 1e-9);
  EXPECT_NEAR(weight(72), 1.0, 1e-9);
  EXPECT_NEAR(weight(120), 0.0, 1e-9);
  // With the 439 Hz reference the note A4 is about 68.96.
  rig.noteOn(69);
  rig.oscillator(true, 0, 16);
  EXPECT_NEAR(69 + 12 * std::log2(rig.voice.freqR / 440.0), 68.96, 0.01);
}

TEST(OscillatorTest, BendSpansAnOctaveThroughThePolynomial) {
  VoiceRig rig = steadyRig(0.f);
  rig.noteOn(69);
  rig.voice.bend = -1.f;
  rig.oscillator(false, 0, 4096);
  EXPECT_NEAR(rig.voice.freqL / 441.f, 0.49986f, 1e-4f);
  rig.voice.bend = 1.f;
  rig.oscillator(false, 0, 16);
  EXPECT_NEAR(rig.voice.freqL / 441.f, 1.99983f, 1e-4f);
}

TEST(OscillatorTest, GlideRunsFromTheLastNoteToTheNewOne) {
  VoiceRig rig(0.f);
  rig.set(orvalis::params::kPortamento, 1.f);
  rig.noteOn(81);  // an octave above the fresh voice's A4
  rig.oscillator(false, 0, 16);
  EXPECT_LT(rig.voice.glide, 1.01f);
  rig.oscillator(false, 0, 44100 * 3);
  EXPECT_GT(rig.voice.glide, 1.9f);
}

TEST(OscillatorTest, RunawayPhasesRestartAtZeroAtTheNextTick) {
  // Types 0, 0.4 and 0.6 select the saw, sync and phase-modulation banks.
  const float runaway[] = {100.f, INFINITY, -INFINITY, -100.f};
  const F4 wild(runaway[0], runaway[1], runaway[2], runaway[3]);
  for (float type : {0.f, 0.4f, 0.6f}) {
    VoiceRig rig(type);
    rig.noteOn(69);
    Voice& v = rig.voice;
    F4* phases[] = {&v.sawL.phase,   &v.sawR.phase,   &v.syncL.master, &v.syncR.master,
                    &v.syncL.slaveA, &v.syncR.slaveB, &v.pmL.modPhase, &v.pmR.carPhase};
    for (F4* p : phases) *p = wild;
    rig.setOscillatorTargets();
    SCOPED_TRACE(testing::Message() << "mode " << static_cast<int>(v.mode));
    const F4* const touched[3][2] = {{&v.sawL.phase, &v.sawR.phase},
                                     {&v.syncL.master, &v.syncR.slaveB},
                                     {&v.pmL.modPhase, &v.pmR.carPhase}};
    const int bank = type == 0.f ? 0 : (type < 0.5f ? 1 : 2);
    for (const F4* p : touched[bank])
      for (int lane = 0; lane < 4; ++lane) EXPECT_EQ((*p)[lane], 0.f) << "lane " << lane;
  }
}
