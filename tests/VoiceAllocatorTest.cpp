// Which voice plays which note, through MIDI sent to a real instance.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/instance_peek.h"
#include "tests/support/midi_builder.h"
#include "tests/support/test_host.h"

using namespace orvalis;
using namespace orvalis::engine;

using orvalis::tests::engineOf;
using orvalis::tests::InProcessHost;
using orvalis::tests::MidiBuilder;
using orvalis::tests::TestHost;

namespace {

class Player {
 public:
  explicit Player(float polyphony = 1.f) {
    host.setParameter(60, polyphony);
    render(64);
  }
  // Sends the builder's events and renders one 64-frame block (events at offset 0).
  void play(MidiBuilder& midi, int frames = 64) {
    host.sendEvents(midi.events());
    render(frames);
    midi.clear();
  }
  void noteOn(int key, int velocity = 100) {
    MidiBuilder m;
    m.noteOn(0, key, velocity);
    play(m);
  }
  void noteOff(int key) {
    MidiBuilder m;
    m.noteOff(0, key);
    play(m);
  }
  void render(int frames) { host.render(left, right, frames); }
  const SynthEngine& engine() const { return engineOf(host); }
  int gatedVoices() const {
    int n = 0;
    for (int v = 0; v < 8; ++v) n += engine().voice(v).gate;
    return n;
  }

  InProcessHost host;
  std::vector<float> left, right;
};

}  // namespace

TEST(VoiceAllocatorTest, ChordsFillTheVoicesOfEachPolyphony) {
  const float settings[] = {0.f, 0.25f, 0.5f, 0.75f};
  const int voices[] = {1, 2, 4, 8};
  for (int i = 0; i < 4; ++i) {
    Player p(settings[i]);
    EXPECT_EQ(p.engine().allocator().activeVoices(), voices[i]);
    MidiBuilder chord;
    for (int k = 0; k < 8; ++k) chord.noteOn(0, 48 + 2 * k, 100);
    p.play(chord);
    EXPECT_EQ(p.gatedVoices(), voices[i]) << voices[i];
    for (int v = voices[i]; v < 8; ++v) EXPECT_EQ(p.engine().voice(v).gate, 0);
  }
}

TEST(VoiceAllocatorTest, StealsOldestHeldVoiceWhenAllHeld) {
  Player p(0.5f);  // "4 voix"
  for (int key : {60, 62, 64, 65}) p.noteOn(key);
  const int firstVoice = p.engine().allocator().voiceOfKey(60);
  p.noteOn(67);
  EXPECT_EQ(p.engine().allocator().voiceOfKey(67), firstVoice);
  EXPECT_EQ(p.engine().voice(firstVoice).note, 67.f);
  // The old key still points at the voice: its note-off releases the new note.
  EXPECT_TRUE(p.engine().allocator().isKeyDown(60));
  p.noteOff(60);
  EXPECT_EQ(p.engine().voice(firstVoice).gate, 0);
}

TEST(VoiceAllocatorTest, ReleasedVoicesArePreferredOverHeldOnes) {
  Player p(0.5f);
  for (int key : {60, 62, 64}) p.noteOn(key);
  p.noteOff(62);
  const int released = p.engine().allocator().voiceOfKey(62);
  p.noteOn(70);
  EXPECT_NE(p.engine().allocator().voiceOfKey(70), released);  // the idle voice 3 is younger still
  p.noteOn(72);
  EXPECT_EQ(p.engine().allocator().voiceOfKey(72), released);
}

TEST(VoiceAllocatorTest, MonoPlaysLegatoWhileTheEarlierKeyIsHeld) {
  Player p(0.f);
  p.noteOn(60);
  p.render(44100 / 4);  // past the attack
  const SynthEngine& e = p.engine();
  ASSERT_EQ(e.voice(0).ampEnv.attacking, 0);
  p.noteOn(64);
  EXPECT_EQ(e.voice(0).note, 64.f);
  EXPECT_EQ(e.voice(0).ampEnv.attacking, 0);          // no envelope restart
  EXPECT_LT(e.voice(0).glide, e.voice(0).noteRatio);  // gliding up from 60
  p.noteOff(60);
  EXPECT_EQ(e.voice(0).gate, 0);  // the earlier key releases the voice
  p.noteOff(64);
  EXPECT_EQ(e.voice(0).gate, 0);
}

TEST(VoiceAllocatorTest, MonoRestartsEnvelopesAfterARelease) {
  Player p(0.f);
  p.noteOn(60);
  p.render(44100 / 4);
  p.noteOff(60);
  MidiBuilder m;
  m.noteOn(0, 64, 100);
  p.host.sendEvents(m.events());
  p.render(20);  // the boundary at frame 16 starts the note
  EXPECT_EQ(p.engine().voice(0).ampEnv.attacking, 1);
}

TEST(VoiceAllocatorTest, RepeatedNoteOnDoesNothing) {
  Player p(1.f);
  p.noteOn(60);
  p.noteOn(60);
  EXPECT_EQ(p.gatedVoices(), 1);
  EXPECT_EQ(p.engine().allocator().lastStartedVoice(), 0);
}

TEST(VoiceAllocatorTest, AllNotesOffReleasesVoicesButKeepsKeysDown) {
  Player p(1.f);
  p.noteOn(60);
  MidiBuilder m;
  m.controller(0, 123, 0);
  p.play(m);
  EXPECT_EQ(p.gatedVoices(), 0);
  EXPECT_TRUE(p.engine().allocator().isKeyDown(60));
  p.noteOn(60);  // ignored until its note-off
  EXPECT_EQ(p.gatedVoices(), 0);
  p.noteOff(60);
  p.noteOn(60);
  EXPECT_EQ(p.gatedVoices(), 1);
}

TEST(VoiceAllocatorTest, PolyphonyChangeReleasesEveryVoiceAndForgetsKeys) {
  Player p(1.f);
  for (int key : {60, 62, 64, 65, 67, 69}) p.noteOn(key);
  EXPECT_EQ(p.gatedVoices(), 6);
  p.host.setParameter(60, 0.25f);  // "2 voix"
  p.host.applyPendingChanges();
  EXPECT_EQ(p.gatedVoices(), 0);
  EXPECT_EQ(p.engine().allocator().activeVoices(), 2);
  for (int key : {60, 62, 64, 65, 67, 69}) {
    EXPECT_FALSE(p.engine().allocator().isKeyDown(key));
    EXPECT_EQ(p.engine().allocator().voiceOfKey(key), -1);
  }
  p.noteOn(72);
  for (int key : {60, 62}) p.noteOff(key);  // ignored
  EXPECT_EQ(p.gatedVoices(), 1);
}

TEST(VoiceAllocatorTest, PortamentoContinuesFromTheLastTouchedVoice) {
  Player p(1.f);
  p.host.setParameter(0, 1.f);  // slow glide
  p.noteOn(81);
  p.render(44100 * 2);
  const float glide0 = p.engine().voice(0).glide;
  p.noteOn(57);  // a new voice starts from voice 0's pitch
  const int v = p.engine().allocator().voiceOfKey(57);
  EXPECT_NE(v, 0);
  EXPECT_GT(p.engine().voice(v).glide, 0.9f * glide0);
}

TEST(VoiceAllocatorTest, VelocityAndBendAndWheelAreScaled) {
  Player p(1.f);
  p.noteOn(60, 127);
  EXPECT_EQ(p.engine().voice(0).velocity, 127 * 0.007874016f);
  p.noteOn(61, 1);
  EXPECT_FLOAT_EQ(p.engine().voice(1).velocity, 0.007874016f);
  MidiBuilder m;
  m.pitchBend(0, -8192);
  p.play(m);
  EXPECT_EQ(p.engine().voice(3).bend, -1.f);
  m.pitchBend(0, 8191);
  p.play(m);
  EXPECT_FLOAT_EQ(p.engine().voice(0).bend, 0.9998779f);
  m.controller(0, 1, 127);
  p.play(m);
  EXPECT_FLOAT_EQ(p.engine().voice(7).modWheel, 127 * 0.007874016f);
}

TEST(VoiceAllocatorTest, MessagesOnEveryChannelActAlikeAndOthersAreIgnored) {
  Player p(1.f);
  MidiBuilder m;
  m.noteOn(0, 60, 100, 15);    // channel 16
  m.controller(0, 64, 127);    // sustain: no effect
  m.message(0, 0xC0, 5, 0);    // program change: ignored
  m.message(0, 0xA0, 60, 50);  // aftertouch: ignored
  m.controller(0, 0x81, 127);  // not controller 1: the number is not masked
  p.play(m);
  EXPECT_EQ(p.gatedVoices(), 1);
  EXPECT_EQ(p.engine().voice(0).modWheel, 0.f);
  m.noteOn(0, 60, 0, 3);  // velocity 0 on another channel is a note-off
  p.play(m);
  EXPECT_EQ(p.gatedVoices(), 0);
  EXPECT_EQ(p.host.dispatch(effGetProgram), 0);
}

TEST(VoiceAllocatorTest, NewInstanceWithMonoDefaultStillPlaysChords) {
  // The program's polyphony takes effect only from the next program or polyphony change.
  InProcessHost host;
  const auto& e = engineOf(host);
  EXPECT_EQ(e.allocator().activeVoices(), 8);
  host.dispatch(effSetProgram, 0, 0);
  host.applyPendingChanges();
  EXPECT_EQ(e.allocator().activeVoices(), 8);  // the default program holds "8 voix"
  host.setParameter(60, 0.f);
  host.dispatch(effSetProgram, 0, 1);
  host.applyPendingChanges();
  EXPECT_EQ(e.allocator().activeVoices(), 8);  // program 1 still has its default
  host.dispatch(effSetProgram, 0, 0);
  host.applyPendingChanges();
  EXPECT_EQ(e.allocator().activeVoices(), 1);
}
