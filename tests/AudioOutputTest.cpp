// What the host hears: silence, pitch, bend, the per-mode mix and the load meter.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support/instance_peek.h"
#include "tests/support/midi_builder.h"
#include "tests/support/signal_analysis.h"
#include "tests/support/test_host.h"

using orvalis::tests::engineOf;
using orvalis::tests::InProcessHost;
using orvalis::tests::MidiBuilder;
using orvalis::tests::TestHost;

namespace {

void noteOn(TestHost& host, int key, int velocity = 100) {
  MidiBuilder m;
  m.noteOn(0, key, velocity);
  host.sendEvents(m.events());
}

void noteOff(TestHost& host, int key) {
  MidiBuilder m;
  m.noteOff(0, key);
  host.sendEvents(m.events());
}

void noVibrato(TestHost& host) {
  host.setParameter(27, 0.f);
  host.setParameter(48, 0.f);
}

}  // namespace

TEST(AudioOutputTest, SilentBeforeAnyNoteAndAfterTheReleaseDecays) {
  TestHost host;
  std::vector<float> l, r;
  host.renderBlocks(l, r, 44100, 256);
  EXPECT_LT(orvalis::tests::peak(l), 1e-6f);
  EXPECT_LT(orvalis::tests::peak(r), 1e-6f);
  noteOn(host, 60);
  l.clear();
  r.clear();
  host.renderBlocks(l, r, 22050, 256);
  EXPECT_GT(orvalis::tests::peak(l), 0.01f);
  noteOff(host, 60);
  l.clear();
  r.clear();
  host.renderBlocks(l, r, 44100 * 4, 256);
  EXPECT_LT(orvalis::tests::peak(l, l.size() - 4410), 1e-5f);
  EXPECT_TRUE(orvalis::tests::allFinite(l) && orvalis::tests::allFinite(r));
}

TEST(AudioOutputTest, HeldA4SoundsAtItsPitchAndBendShiftsAnOctave) {
  TestHost host;
  noVibrato(host);
  noteOn(host, 69);
  std::vector<float> l, r;
  host.renderBlocks(l, r, 44100, 256);
  EXPECT_NEAR(orvalis::tests::fundamentalHz(l, 44100, 200, 1000, 22050, 16384), 441.0, 2.0);

  for (int bend : {8191, -8192}) {
    MidiBuilder m;
    m.pitchBend(0, bend);
    host.sendEvents(m.events());
    l.clear();
    r.clear();
    host.renderBlocks(l, r, 44100, 256);
    const double expected = bend > 0 ? 441.0 * 1.99983 : 441.0 * 0.49986;
    EXPECT_NEAR(orvalis::tests::fundamentalHz(l, 44100, 150, 1200, 22050, 16384), expected,
                0.01 * expected)
        << bend;
  }
}

TEST(AudioOutputTest, WaveTableIsMonoSampleForSample) {
  TestHost host;
  host.setParameter(28, 1.f);
  for (int key : {48, 60, 67}) noteOn(host, key);
  std::vector<float> l, r;
  host.renderBlocks(l, r, 22050, 256);
  EXPECT_GT(orvalis::tests::peak(l), 0.01f);
  for (std::size_t i = 0; i < l.size(); ++i) ASSERT_EQ(l[i], r[i]) << i;
}

TEST(AudioOutputTest, OtherModesAreStereo) {
  TestHost host;
  host.setParameter(28, 0.6f);
  noteOn(host, 60);
  std::vector<float> l, r;
  host.renderBlocks(l, r, 22050, 256);
  bool differ = false;
  for (std::size_t i = 0; i < l.size() && !differ; ++i) differ = l[i] != r[i];
  EXPECT_TRUE(differ);
}

TEST(AudioOutputTest, MonoRendersVoiceZeroOnly) {
  InProcessHost host;
  host.setParameter(60, 0.f);
  std::vector<float> l, r;
  host.render(l, r, 64);
  const auto& engine = engineOf(host);
  const float phaseBefore = engine.voice(1).sawL.phase[0];
  for (int key : {60, 64, 67}) noteOn(host, key);
  host.renderBlocks(l, r, 4096, 256);
  EXPECT_EQ(engine.voice(1).sawL.phase[0], phaseBefore);  // voices 1..7 are not run
  EXPECT_EQ(engine.voice(0).note, 67.f);
}

TEST(AudioOutputTest, OutputGainIsAppliedLastPerMode) {
  // In mode 5 both channels get (outLeft + outRight) * 0.15 of the single voice.
  InProcessHost host;
  host.setParameter(60, 0.f);
  host.setParameter(28, 1.f);
  noteOn(host, 60);
  std::vector<float> l, r;
  host.renderBlocks(l, r, 4096, 256);
  const orvalis::engine::Voice& v = engineOf(host).voice(0);
  EXPECT_EQ(l.back(), (v.filter.outLeft + v.filter.outRight) * 0.15f);
  host.setParameter(28, 0.6f);
  host.renderBlocks(l, r, 4096, 256);
  EXPECT_EQ(l.back(), v.filter.outLeft * 0.2f);
  EXPECT_EQ(r.back(), v.filter.outRight * 0.2f);
}

TEST(AudioOutputTest, OscTypeChangeTakesEffectAtTheNextBlock) {
  InProcessHost host;
  EXPECT_EQ(engineOf(host).voice(0).mode, orvalis::engine::OscMode::Pulse);
  host.setParameter(28, 0.5f);
  host.applyPendingChanges();
  EXPECT_EQ(engineOf(host).voice(0).mode, orvalis::engine::OscMode::Fm2);
  for (int v = 0; v < 8; ++v)
    EXPECT_EQ(engineOf(host).voice(v).mode, orvalis::engine::OscMode::Fm2);
}

TEST(AudioOutputTest, MeterRunsOnlyForBlocksThatRender) {
  InProcessHost host;
  const orvalis::engine::ProcessingMeter& meter = engineOf(host).meter();
  EXPECT_EQ(meter.smooth, 50.0);
  EXPECT_EQ(meter.median, 50.0);
  std::vector<float> l, r;
  host.render(l, r, 0);
  EXPECT_EQ(meter.smooth, 50.0);
  // The median of the first measurement and the two start values is still 50.
  host.render(l, r, 256);
  host.render(l, r, 256);
  EXPECT_NE(meter.smooth, 50.0);
  const double smooth = meter.smooth;
  host.render(l, r, 0);
  host.render(l, r, -3);
  EXPECT_EQ(meter.smooth, smooth);
  for (int i = 0; i < 10; ++i) host.render(l, r, 256);
  EXPECT_GT(meter.median, 0.0);
  EXPECT_LT(meter.median, 1e6);
}

TEST(AudioOutputTest, SampleRateChangeRetunesEveryVoice) {
  InProcessHost host;
  noVibrato(host);
  host.dispatch(effSetSampleRate, 0, 0, nullptr, 48000.f);
  noteOn(host, 69);
  std::vector<float> l, r;
  host.renderBlocks(l, r, 48000, 256);
  EXPECT_NEAR(orvalis::tests::fundamentalHz(l, 48000, 200, 1000, 24000, 16384), 441.0, 2.0);
  // Opcode 43 takes the same road.
  host.dispatch(effSetBlockSizeAndSampleRate, 0, 512, nullptr, 96000.f);
  host.applyPendingChanges();
  EXPECT_EQ(engineOf(host).rateConstants().sr, 96000.f);
  for (int v = 0; v < 8; ++v) EXPECT_EQ(engineOf(host).voice(v).rates->sr, 96000.f);
  l.clear();
  r.clear();
  host.renderBlocks(l, r, 96000, 256);
  EXPECT_NEAR(orvalis::tests::fundamentalHz(l, 96000, 200, 1000, 48000, 32768), 441.0, 2.0);
}

TEST(AudioOutputTest, AbsurdSampleRatesAreIgnored) {
  InProcessHost host;
  for (float sr : {0.f, -1.f, std::nanf(""), INFINITY, 5e6f}) {
    host.dispatch(effSetSampleRate, 0, 0, nullptr, sr);
    EXPECT_EQ(engineOf(host).rateConstants().sr, 44100.f) << sr;
  }
}
