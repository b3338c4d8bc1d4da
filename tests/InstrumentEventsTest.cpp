// The core's one intake for every format: note, bend, controller and MIDI events at offsets
// inside a block, and parameter changes that split the block without moving the control grid.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

#include "core/instrument.h"
#include "params/parameter_table.h"

using orvalis::core::Instrument;

namespace {

constexpr int kBlock = 256;

// Two instruments with the same LFO start phases.
std::unique_ptr<Instrument> makeInstrument() {
  std::srand(11);
  return std::make_unique<Instrument>();
}

struct Stereo {
  std::vector<float> left, right;
  bool operator==(const Stereo& o) const { return left == o.left && right == o.right; }
};

// Renders blocks of kBlock frames, each in pieces cut at the given offsets; before each block,
// events(block) queues that block's events.
template <class Events>
Stereo render(Instrument& instrument, int blocks, const std::vector<int32_t>& cuts,
              Events&& events) {
  Stereo out{std::vector<float>(blocks * kBlock), std::vector<float>(blocks * kBlock)};
  for (int b = 0; b < blocks; ++b) {
    events(b);
    int32_t from = 0;
    std::vector<int32_t> ends = cuts;
    ends.push_back(kBlock);
    for (int32_t to : ends) {
      instrument.render(&out.left[b * kBlock + from], &out.right[b * kBlock + from], to - from);
      from = to;
    }
  }
  return out;
}

void chord(Instrument& instrument, int block) {
  if (block == 0) {
    instrument.queueMidi(37, 0x90, 60, 100);
    instrument.queueMidi(101, 0x91, 64, 90);
  }
  if (block == 3) instrument.queueMidi(5, 0x80, 60, 64);
}

}  // namespace

TEST(InstrumentEventsTest, ABlockRenderedInPiecesIsTheBlockRenderedWhole) {
  auto whole = makeInstrument(), pieces = makeInstrument();
  const Stereo a = render(*whole, 6, {}, [&](int b) { chord(*whole, b); });
  const Stereo b =
      render(*pieces, 6, {1, 15, 16, 17, 100, 255}, [&](int block) { chord(*pieces, block); });
  EXPECT_TRUE(a == b);
}

TEST(InstrumentEventsTest, AnInBlockParameterChangeSoundsAsAChangeBetweenBlocksAtThatTime) {
  const int index = orvalis::params::kFilter1FreqLow;
  for (int32_t k : {0, 5, 16, 40, 255}) {
    // The format's way: one call per block, the change at offset k of block 2.
    auto inBlock = makeInstrument();
    const Stereo a = render(*inBlock, 5, {}, [&](int b) {
      chord(*inBlock, b);
      if (b == 2) inBlock->parameterAt(k, index, 0.9f);
    });
    // VST 2's way: the host cuts the block at k and sets the parameter between the pieces.
    auto between = makeInstrument();
    Stereo b{std::vector<float>(5 * kBlock), std::vector<float>(5 * kBlock)};
    for (int block = 0; block < 5; ++block) {
      chord(*between, block);
      float* l = &b.left[block * kBlock];
      float* r = &b.right[block * kBlock];
      if (block == 2) {
        between->render(l, r, k);
        between->setParameter(index, 0.9f);
        between->render(l + k, r + k, kBlock - k);
      } else {
        between->render(l, r, kBlock);
      }
    }
    EXPECT_TRUE(a == b) << "offset " << k;
    EXPECT_EQ(inBlock->parameter(index), 0.9f);

    // Unchanged until the first control boundary at or after k (the grid starts at frame 0).
    auto unchanged = makeInstrument();
    const Stereo c = render(*unchanged, 5, {}, [&](int blk) { chord(*unchanged, blk); });
    const int32_t boundary = 2 * kBlock + (k + 15) / 16 * 16;
    for (int32_t i = 0; i < boundary; ++i) ASSERT_EQ(a.left[i], c.left[i]) << k << " " << i;
    bool differs = false;
    for (int32_t i = boundary; i < 5 * kBlock; ++i) differs |= a.left[i] != c.left[i];
    EXPECT_TRUE(differs) << "offset " << k;
  }
}

TEST(InstrumentEventsTest, NoteAndBendEventsSoundExactlyAsTheSameMidi) {
  for (int velocity : {1, 37, 64, 100, 127}) {
    auto viaMidi = makeInstrument(), viaNotes = makeInstrument();
    const Stereo a = render(*viaMidi, 4, {}, [&](int b) {
      if (b == 0) viaMidi->queueMidi(20, 0x90, 62, static_cast<uint8_t>(velocity));
      if (b == 1) viaMidi->queueMidi(3, 0xE5, 0x12, 0x50);
      if (b == 2) viaMidi->queueMidi(70, 0x80, 62, static_cast<uint8_t>(velocity));
    });
    const Stereo b = render(*viaNotes, 4, {}, [&](int blk) {
      // Hosts compute v / 127 in double or in float.
      if (blk == 0) viaNotes->noteOn(20, 0, 62, static_cast<float>(velocity / 127.0));
      if (blk == 1) viaNotes->pitchBend(3, 5, 0x50 * 128 + 0x12);
      if (blk == 2) viaNotes->noteOff(70, 0, 62, static_cast<float>(velocity) / 127.f);
    });
    EXPECT_TRUE(a == b) << "velocity " << velocity;
  }
}

TEST(InstrumentEventsTest, TheIntakeDropsWhatTheEngineCannotPlayAndClampsOffsets) {
  auto reference = makeInstrument(), hostile = makeInstrument();
  const Stereo a = render(*reference, 3, {}, [&](int b) {
    if (b == 0) reference->noteOn(255, 0, 60, 0.5f);
  });
  const Stereo b = render(*hostile, 3, {}, [&](int blk) {
    if (blk != 0) return;
    const uint8_t sysex[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    const uint8_t clock[] = {0xF8};
    const uint8_t shortNote[] = {0x90, 60};
    const uint8_t noStatus[] = {60, 100, 0};
    hostile->midi(3, sysex, sizeof sysex);
    hostile->midi(3, clock, sizeof clock);
    hostile->midi(3, shortNote, sizeof shortNote);
    hostile->midi(3, noStatus, sizeof noStatus);
    hostile->midi(3, nullptr, 3);
    hostile->noteOn(3, 0, 128, 0.5f);
    hostile->noteOn(3, 0, -1, 0.5f);
    hostile->noteOn(3, 0, 61, std::numeric_limits<float>::quiet_NaN());
    hostile->parameterAt(3, 61, 0.5f);
    hostile->parameterAt(3, orvalis::params::kFilter1FreqLow,
                         std::numeric_limits<float>::infinity());
    hostile->noteOn(100000, 0, 60, 0.5f);  // past the block: its last frame
  });
  EXPECT_TRUE(a == b);
}

TEST(InstrumentEventsTest, NonFiniteParameterValuesChangeNothing) {
  // Every format's host-side path ends here; the core's guard is the one that holds.
  const float bad[] = {std::numeric_limits<float>::quiet_NaN(),
                       std::numeric_limits<float>::infinity(),
                       -std::numeric_limits<float>::infinity()};
  auto reference = makeInstrument(), hostile = makeInstrument();
  const std::vector<uint8_t> before = hostile->saveState();
  for (float value : bad)
    for (int i = 0; i < orvalis::params::kNumParams; ++i) hostile->setParameter(i, value);
  EXPECT_EQ(hostile->saveState(), before);
  const Stereo a = render(*reference, 3, {}, [&](int b) { chord(*reference, b); });
  const Stereo b = render(*hostile, 3, {}, [&](int blk) { chord(*hostile, blk); });
  EXPECT_TRUE(a == b);
}
