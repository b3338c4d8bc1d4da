// Whatever the host sends, the instance neither crashes nor emits a non-finite sample.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <thread>
#include <vector>

#include "tests/support/instance_peek.h"
#include "tests/support/midi_builder.h"
#include "tests/support/signal_analysis.h"
#include "tests/support/test_host.h"

using testing_host::MidiBuilder;
using testing_host::TestHost;

TEST(RobustnessTest, MalformedEventBlocksAreIgnored) {
  TestHost host;
  EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, nullptr), 1);

  MidiBuilder midi;
  midi.noteOn(0, 60, 100);
  VstEvents* events = midi.events();
  events->numEvents = -5;
  EXPECT_EQ(host.dispatch(effProcessEvents, 0, 0, events), 1);

  // Null event pointers and records too short to hold MIDI bytes are skipped.
  events = midi.events();
  events->events[0] = nullptr;
  host.sendEvents(events);
  events = midi.events();
  midi.raw()[0].byteSize = 8;
  host.sendEvents(events);
  // Other event types (system exclusive) are skipped too.
  events = midi.events();
  midi.raw()[0].byteSize = sizeof(VstMidiEvent);
  midi.raw()[0].type = kVstSysExType;
  host.sendEvents(events);

  std::vector<float> l, r;
  host.render(l, r, 256);
  EXPECT_EQ(testing_host::engineOf(host).allocator().lastStartedVoice(), 0);
  EXPECT_EQ(testing_host::engineOf(host).voice(0).gate, 0);
  EXPECT_EQ(testing_host::engineOf(host).eventQueue().count, 0);
}

TEST(RobustnessTest, RandomMidiBytesKeepTheOutputFinite) {
  TestHost host;
  std::mt19937 rng(7);
  std::vector<float> l, r;
  for (int block = 0; block < 400; ++block) {
    MidiBuilder midi;
    const int n = rng() % 12;
    for (int i = 0; i < n; ++i)
      midi.message(static_cast<int32_t>(rng() % 300) - 20, rng() & 0xFF, rng() & 0xFF, rng() & 0xFF);
    host.sendEvents(midi.events());
    host.render(l, r, 1 + rng() % 512);
    ASSERT_TRUE(testing_host::allFinite(l) && testing_host::allFinite(r)) << block;
  }
}

TEST(RobustnessTest, ExtremeParametersWithChordsInEveryMode) {
  const float values[] = {-1.f, 0.f, 1.f, 2.f, -1e30f, 1e30f, 1e-30f};
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
      ASSERT_TRUE(testing_host::allFinite(l) && testing_host::allFinite(r)) << type << " " << v;
      EXPECT_LE(testing_host::peak(l), 16.f) << type << " " << v;
      EXPECT_LE(testing_host::peak(r), 16.f) << type << " " << v;
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
