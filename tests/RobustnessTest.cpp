// Whatever the host sends, the instance neither crashes nor emits a non-finite sample.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "params/parameter_table.h"
#include "tests/support/instance_peek.h"
#include "tests/support/midi_builder.h"
#include "tests/support/signal_analysis.h"
#include "tests/support/test_host.h"

using orvalis::tests::InProcessHost;
using orvalis::tests::MidiBuilder;
using orvalis::tests::TestHost;

TEST(RobustnessTest, MalformedEventBlocksAreIgnored) {
  InProcessHost host;
  EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, nullptr), 1);

  MidiBuilder midi;
  midi.noteOn(0, 60, 100);
  VstEvents* events = midi.events();
  events->numEvents = -5;
  EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, events), 1);

  // Null event pointers are skipped.
  events = midi.events();
  events->events[0] = nullptr;
  host.sendEvents(events);
  // Other event types (system exclusive) are skipped too.
  events = midi.events();
  midi.raw()[0].type = kVstSysExType;
  host.sendEvents(events);

  std::vector<float> l, r;
  host.render(l, r, 256);
  EXPECT_EQ(orvalis::tests::engineOf(host).allocator().lastStartedVoice(), 0);
  EXPECT_EQ(orvalis::tests::engineOf(host).voice(0).gate, 0);
  EXPECT_EQ(orvalis::tests::engineOf(host).eventQueue().count, 0);
}

TEST(RobustnessTest, RandomMidiBytesKeepTheOutputFinite) {
  TestHost host;
  std::mt19937 rng(7);
  std::vector<float> l, r;
  for (int block = 0; block < 400; ++block) {
    MidiBuilder midi;
    const int n = rng() % 12;
    for (int i = 0; i < n; ++i)
      midi.message(static_cast<int32_t>(rng() % 300) - 20, rng() & 0xFF, rng() & 0xFF,
                   rng() & 0xFF);
    host.sendEvents(midi.events());
    host.render(l, r, 1 + rng() % 512);
    ASSERT_TRUE(orvalis::tests::allFinite(l) && orvalis::tests::allFinite(r)) << block;
  }
}

TEST(RobustnessTest, ExtremeParametersWithChordsInEveryMode) {
  const float values[] = {-1.f,  0.f,    1.f,           2.f,      -1e30f,
                          1e30f, 1e-30f, std::nanf(""), INFINITY, -INFINITY};
  for (float type : {0.f, 0.2f, 0.4f, 0.6f, 0.8f, 1.f}) {
    for (float v : values) {
      TestHost host;
      for (int i = 0; i < 61; ++i)
        if (i != 28) host.setParameter(i, v);
      host.setParameter(28, type);
      MidiBuilder chord;
      for (int key : {36, 60, 67, 76, 96, 127}) chord.noteOn(0, key, 127);
      host.sendEvents(chord.events());
      std::vector<float> l, r;
      host.renderBlocks(l, r, 22050, 256);
      ASSERT_TRUE(orvalis::tests::allFinite(l) && orvalis::tests::allFinite(r)) << type << " " << v;
      EXPECT_LE(orvalis::tests::peak(l), 16.f) << type << " " << v;
      EXPECT_LE(orvalis::tests::peak(r), 16.f) << type << " " << v;
    }
  }
}

TEST(RobustnessTest, ConcurrentChangesWhileRendering) {
  TestHost host;
  std::atomic<bool> stop{false};
  std::atomic<bool> finite{true};
  std::thread audio([&] {
    std::mt19937 rng(1);
    std::vector<float> l(256), r(256);
    float* outs[2] = {l.data(), r.data()};
    int blocks = 0;
    while (!stop.load() || blocks < 50) {
      MidiBuilder midi;
      midi.noteOn(rng() % 256, 36 + rng() % 60, 1 + rng() % 127);
      if (rng() % 2) midi.noteOff(rng() % 256, 36 + rng() % 60);
      if (rng() % 8 == 0) midi.pitchBend(rng() % 256, static_cast<int>(rng() % 16384) - 8192);
      host.sendEvents(midi.events());
      host.effect->processReplacing(host.effect, nullptr, outs, 256);
      for (int i = 0; i < 256; ++i)
        if (!std::isfinite(l[i]) || !std::isfinite(r[i])) finite = false;
      ++blocks;
    }
  });
  std::mt19937 rng(2);
  std::uniform_real_distribution<float> unit(-0.5f, 1.5f);
  const float rates[] = {22050.f, 44100.f, 48000.f, 96000.f};
  for (int step = 0; step < 20000; ++step) {
    switch (rng() % 8) {
      case 0:
        host.dispatch(effSetProgram, 0, rng() % 130);
        break;
      case 1:
        host.setParameter(60, unit(rng));
        break;
      case 2:
        host.dispatch(effSetSampleRate, 0, 0, nullptr, rates[rng() % 4]);
        break;
      default:
        host.setParameter(rng() % 61, unit(rng));
        break;
    }
  }
  stop = true;
  audio.join();
  EXPECT_TRUE(finite.load());
}

TEST(RobustnessTest, EverySampleRateKeepsEveryModeFiniteAndRejectedRatesChangeNothing) {
  for (float rate : {8000.f, 22050.f, 44100.f, 96000.f, 192000.f, 384000.f}) {
    for (float type : {0.f, 0.2f, 0.4f, 0.6f, 0.8f, 1.f}) {
      InProcessHost host;
      host.dispatch(effSetSampleRate, 0, 0, nullptr, rate);
      host.setParameter(28, type);
      MidiBuilder chord;
      for (int key : {24, 48, 60, 64, 67, 84, 108, 127}) chord.noteOn(0, key, 100);
      host.sendEvents(chord.events());
      std::vector<float> l, r;
      host.renderBlocks(l, r, static_cast<int32_t>(rate / 4), 256);
      ASSERT_TRUE(orvalis::tests::allFinite(l) && orvalis::tests::allFinite(r))
          << rate << " " << type;
      EXPECT_GT(orvalis::tests::peak(l), 1e-3f) << rate << " " << type;
      EXPECT_LE(orvalis::tests::peak(l), 17.1f);
      for (float bad : {0.f, -1.f, std::nanf(""), INFINITY, -INFINITY}) {
        host.dispatch(effSetSampleRate, 0, 0, nullptr, bad);
        EXPECT_EQ(orvalis::tests::engineOf(host).rateConstants().sr, rate);
      }
    }
  }
}

TEST(RobustnessTest, TenMinutesOfReleaseTailStayFiniteAndFreeOfDenormals) {
  TestHost host;
  MidiBuilder midi;
  midi.noteOn(0, 60, 127).noteOn(0, 67, 127);
  host.sendEvents(midi.events());
  std::vector<float> l(256), r(256);
  float* outs[2] = {l.data(), r.data()};
  for (int i = 0; i < 100; ++i) host.effect->processReplacing(host.effect, nullptr, outs, 256);
  midi.clear();
  midi.noteOff(0, 60).noteOff(0, 67);
  host.sendEvents(midi.events());
  const long blocks = 44100L * 600 / 256;
  float lastMinutePeak = 0.f;
  for (long b = 0; b < blocks; ++b) {
    host.effect->processReplacing(host.effect, nullptr, outs, 256);
    for (int i = 0; i < 256; ++i) {
      ASSERT_TRUE(std::isfinite(l[i]) && std::isfinite(r[i])) << b;
      ASSERT_NE(std::fpclassify(l[i]), FP_SUBNORMAL) << b;
      ASSERT_NE(std::fpclassify(r[i]), FP_SUBNORMAL) << b;
      if (b > blocks - 44100L * 60 / 256)
        lastMinutePeak = std::max(lastMinutePeak, std::fabs(l[i]));
    }
  }
  EXPECT_LT(lastMinutePeak, 1e-6f);
}

TEST(RobustnessTest, EditorIdleAndAutomationFromAThirdThread) {
  TestHost host;
  std::atomic<bool> stop{false};
  std::atomic<bool> finite{true};
  std::thread audio([&] {
    std::mt19937 rng(3);
    std::vector<float> l(256), r(256);
    float* outs[2] = {l.data(), r.data()};
    while (!stop.load()) {
      MidiBuilder midi;
      midi.noteOn(rng() % 256, 36 + rng() % 60, 1 + rng() % 127);
      midi.noteOff(rng() % 256, 36 + rng() % 60);
      host.sendEvents(midi.events());
      host.effect->processReplacing(host.effect, nullptr, outs, 256);
      // Hosts may automate from the audio thread, which reaches the editor too.
      host.setParameter(rng() % 61, static_cast<float>(rng() % 1000) / 999.f);
      for (int i = 0; i < 256; ++i)
        if (!std::isfinite(l[i]) || !std::isfinite(r[i])) finite = false;
    }
  });
  std::thread automation([&] {
    std::mt19937 rng(4);
    while (!stop.load()) {
      if (rng() % 50 == 0) host.dispatch(effSetProgram, 0, rng() % 128);
      host.setParameter(rng() % 61, static_cast<float>(rng() % 1000) / 999.f);
    }
  });
  // The user-interface thread opens, idles and closes the window.
  for (int i = 0; i < 300; ++i) {
    host.dispatch(effEditOpen);
    for (int k = 0; k < 3; ++k) host.dispatch(effEditIdle);
    host.dispatch(effEditClose);
  }
  stop = true;
  audio.join();
  automation.join();
  EXPECT_TRUE(finite.load());
}

TEST(RobustnessTest, GainAboveOneSoundsAsOne) {
  // "Gain" alone on the default program; the same seed gives every instance the same LFO phases.
  auto peakAt = [](float gain) {
    std::srand(5);
    TestHost host;
    host.setParameter(orvalis::params::kGain, gain);
    MidiBuilder note;
    note.noteOn(0, 60, 127);
    host.sendEvents(note.events());
    std::vector<float> l, r;
    host.renderBlocks(l, r, 22050, 256);
    return orvalis::tests::peak(l);
  };
  const float atOne = peakAt(1.f);
  EXPECT_GT(atOne, 1.5f * peakAt(0.8f));
  for (float gain : {1.5f, 2.f, 1e30f}) EXPECT_EQ(peakAt(gain), atOne) << gain;
}
