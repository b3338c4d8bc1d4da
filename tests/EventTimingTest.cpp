// When events reach the voices: at the first 16-sample boundary after their offset, with
// boundaries counted across blocks, whatever the host's block lengths.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support/instance_peek.h"
#include "tests/support/midi_builder.h"
#include "tests/support/signal_analysis.h"
#include "tests/support/test_host.h"

using orvalis::tests::InProcessHost;
using orvalis::tests::MidiBuilder;
using orvalis::tests::TestHost;

namespace {

// Settled idle voices rest far below this; a started note crosses it within a few samples.
constexpr float kAudible = 1e-6f;

// The output stage's gains start at 0 and settle over a second or so; tests that look for an
// onset first let a fresh instance idle for a whole number of sub-blocks, which leaves the
// boundary clock where a new instance has it.
void settle(TestHost& host) {
  std::vector<float> l, r;
  host.renderBlocks(l, r, 16 * 5504, 256);
}

// Renders the given block lengths; the events of `at` go into the block that contains that
// global frame, at their offset inside it. Returns the left channel.
std::vector<float> renderWithNoteAt(TestHost& host, const std::vector<int>& blocks, long at,
                                    int key = 69) {
  settle(host);
  std::vector<float> left, l, r;
  long start = 0;
  for (int len : blocks) {
    if (at >= start && at < start + len) {
      MidiBuilder midi;
      midi.noteOn(static_cast<int32_t>(at - start), key, 127);
      host.sendEvents(midi.events());
    }
    host.render(l, r, len);
    left.insert(left.end(), l.begin(), l.end());
    start += len;
  }
  return left;
}

long onset(const std::vector<float>& x) { return orvalis::tests::firstAbove(x, kAudible); }

// First boundary strictly after global frame t (boundaries at multiples of 16).
long boundaryAfter(long t) { return (t / 16 + 1) * 16; }

std::vector<int> repeat(int len, int total) {
  std::vector<int> blocks;
  for (int done = 0; done < total; done += len) blocks.push_back(len);
  return blocks;
}

}  // namespace

TEST(EventTimingTest, EventAtOffsetZeroOfTheFirstBlockSoundsFromFrameSixteen) {
  TestHost host;
  MidiBuilder midi;
  midi.noteOn(0, 69, 127);
  host.sendEvents(midi.events());
  std::vector<float> l, r;
  host.render(l, r, 256);
  // A brand-new instance is quieter at first (its output gains are still rising), but its idle
  // output is below 1e-17.
  const long first = orvalis::tests::firstAbove(l, 1e-12f);
  EXPECT_GE(first, 16);
  EXPECT_LT(first, 20);
}

TEST(EventTimingTest, BoundariesContinueAcrossBlocks) {
  // A block of 1 frame (boundary at its frame 0), then 40 frames: boundaries at 15 and 31.
  InProcessHost host;
  settle(host);
  std::vector<float> l, r;
  host.render(l, r, 1);
  MidiBuilder midi;
  midi.noteOn(16, 69, 127);  // applied at the boundary at frame 31
  host.sendEvents(midi.events());
  host.render(l, r, 40);
  const long first = onset(l);
  EXPECT_GE(first, 31);
  EXPECT_LT(first, 35);
  EXPECT_EQ(orvalis::tests::engineOf(host).lastBoundary(), 31);
}

TEST(EventTimingTest, FirstBoundaryAtFrameTenAppliesOffsetsZeroAndTwenty) {
  for (int offset : {0, 20}) {
    TestHost host;
    settle(host);
    std::vector<float> l, r;
    host.render(l, r, 6);  // the next boundary falls at frame 10 of the coming block
    MidiBuilder midi;
    midi.noteOn(offset, 69, 127);
    host.sendEvents(midi.events());
    host.render(l, r, 64);
    const long expected = offset == 0 ? 10 : 26;
    EXPECT_GE(onset(l), expected) << offset;
    EXPECT_LT(onset(l), expected + 4) << offset;
  }
}

TEST(EventTimingTest, EventAfterTheLastBoundaryIsHeldToTheNextBlock) {
  // Blocks of 6 and 64 put the last boundary of the 64-frame block at 58; an event at 60 is
  // applied 16 frames after that boundary, at frame 10 of the next block.
  TestHost host;
  const std::vector<float> out = renderWithNoteAt(host, {6, 64, 64}, 6 + 60);
  EXPECT_GE(onset(out), 6 + 64 + 10);
  EXPECT_LT(onset(out), 6 + 64 + 14);
}

TEST(EventTimingTest, EveryBlockPatternAppliesEventsAtTheNextBoundary) {
  std::vector<std::vector<int>> patterns = {repeat(1, 1200), repeat(8, 1200), repeat(16, 1200),
                                            repeat(17, 1200), repeat(256, 1280)};
  // Host-split blocks of varying length.
  std::vector<int> varying;
  for (int i = 0, total = 0; total < 1200; ++i) {
    const int len = 1 + (i * 37) % 61;
    varying.push_back(len);
    total += len;
  }
  patterns.push_back(varying);
  for (const auto& blocks : patterns) {
    for (long at : {0L, 5L, 15L, 16L, 17L, 333L, 700L}) {
      TestHost host;
      const std::vector<float> out = renderWithNoteAt(host, blocks, at);
      SCOPED_TRACE(testing::Message() << "first block " << blocks[0] << " event at " << at);
      EXPECT_GE(onset(out), boundaryAfter(at));
      EXPECT_LT(onset(out), boundaryAfter(at) + 4);
    }
  }
}

TEST(EventTimingTest, SuccessiveEventsAcrossShortBlocksAllArrive) {
  // With blocks of 8 frames every note-off must still reach its voice.
  InProcessHost host;
  std::vector<float> l, r;
  for (int i = 0; i < 200; ++i) {
    MidiBuilder midi;
    if (i == 2) midi.noteOn(3, 60, 127);
    if (i == 100) midi.noteOff(5, 60);
    if (!midi.raw().empty()) host.sendEvents(midi.events());
    host.render(l, r, 8);
  }
  const auto& engine = orvalis::tests::engineOf(host);
  EXPECT_EQ(engine.voice(0).gate, 0);
  EXPECT_FALSE(engine.allocator().isKeyDown(60));
  EXPECT_EQ(engine.eventQueue().count, 0);
}

TEST(EventTimingTest, QueueKeepsTwoHundredFiftySixEntries) {
  // 256 harmless entries fill the queue; a note-on behind them is dropped, one fewer lets it in.
  for (int fillers : {256, 255}) {
    TestHost host;
    MidiBuilder midi;
    for (int i = 0; i < fillers; ++i) midi.pitchBend(0, 0);
    for (int i = 0; i < 300 - fillers; ++i) midi.noteOn(0, 40 + i, 100);
    host.sendEvents(midi.events());
    std::vector<float> l, r;
    host.render(l, r, 2048);
    const bool sounded = onset(l) >= 0;
    EXPECT_EQ(sounded, fillers == 255) << fillers;
  }
}

TEST(EventTimingTest, NegativeOffsetsAreQueuedAtZero) {
  TestHost host;
  settle(host);
  std::vector<float> l, r;
  host.render(l, r, 16);
  MidiBuilder midi;
  midi.noteOn(-50, 69, 127);
  host.sendEvents(midi.events());
  host.render(l, r, 64);
  // Queued at 0 of this block, whose boundary at frame 0 covers -16..0: applied at 16.
  EXPECT_GE(onset(l), 16);
  EXPECT_LT(onset(l), 20);
}
