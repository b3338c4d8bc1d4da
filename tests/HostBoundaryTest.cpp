// What real hosts do at the boundary: MIDI records of every size, the thread's floating-point
// mode, and calls in the orders hosts make them.
#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <cstring>
#include <vector>

#include "tests/support/midi_builder.h"
#include "tests/support/signal_analysis.h"
#include "tests/support/test_host.h"

using orvalis::tests::MidiBuilder;
using orvalis::tests::TestHost;

namespace {

void playNote(TestHost& host, int key = 69) {
  MidiBuilder m;
  m.noteOn(0, key, 100);
  host.sendEvents(m.events());
}

// MXCSR bits 6..15: denormals-are-zero, the exception masks, rounding and flush-to-zero.
constexpr unsigned kControlBits = 0xffc0;

}  // namespace

// byteSize is informative: hosts send 0, 24 (a 32-bit bridge), 32, or a larger record.
TEST(HostBoundaryTest, MidiRecordsPlayWhateverByteSizeTheHostSends) {
  for (int32_t byteSize : {0, 24, 32, 48}) {
    TestHost host;
    std::vector<char> record(64, 0);
    VstMidiEvent midi{};
    midi.type = kVstMidiType;
    midi.byteSize = byteSize;
    midi.midiData[0] = static_cast<char>(0x90);
    midi.midiData[1] = 69;
    midi.midiData[2] = 100;
    std::memcpy(record.data(), &midi, sizeof midi);
    struct {
      VstEvents head;
      VstEvent* more[1];
    } block{};
    block.head.numEvents = 1;
    block.head.events[0] = reinterpret_cast<VstEvent*>(record.data());
    host.sendEvents(&block.head);
    std::vector<float> l, r;
    host.renderBlocks(l, r, 4096, 256);
    EXPECT_GT(orvalis::tests::peak(l), 0.01f) << "byteSize " << byteSize;
  }
}

TEST(HostBoundaryTest, EveryHostCallLeavesTheThreadsFloatingPointModeAsFound) {
  for (unsigned hostMode : {0x1f80u, 0x9fc0u, 0x3f80u}) {
    const unsigned original = _mm_getcsr();
    _mm_setcsr(hostMode);
    auto expectUnchanged = [&](const char* call) {
      EXPECT_EQ(_mm_getcsr() & kControlBits, hostMode & kControlBits)
          << call << " with the host's mode " << std::hex << hostMode;
      _mm_setcsr(hostMode);
    };
    {
      TestHost host;
      expectUnchanged("VSTPluginMain");
      struct Call {
        const char* name;
        int32_t opcode;
        intptr_t value;
        float opt;
      };
      char text[256];
      ERect* rect = nullptr;
      const Call calls[] = {
          {"effOpen", effOpen, 0, 0},
          {"effSetSampleRate", effSetSampleRate, 0, 48000.f},
          {"effSetBlockSize", effSetBlockSize, 512, 0},
          {"effMainsChanged", effMainsChanged, 1, 0},
          {"effSetProgram", effSetProgram, 3, 0},
          {"effGetProgramName", effGetProgramName, 0, 0},
          {"effGetParamDisplay", effGetParamDisplay, 0, 0},
          {"effGetEffectName", effGetEffectName, 0, 0},
          {"effCanDo", effCanDo, 0, 0},
          {"effEditGetRect", effEditGetRect, 0, 0},
          {"effEditOpen", effEditOpen, 0, 0},
          {"effEditIdle", effEditIdle, 0, 0},
          {"effEditClose", effEditClose, 0, 0},
      };
      for (const Call& c : calls) {
        std::strcpy(text, "receiveVstMidiEvent");
        void* ptr = c.opcode == effEditGetRect ? static_cast<void*>(&rect)
                    : c.opcode == effEditOpen  ? nullptr
                                               : text;
        host.dispatch(c.opcode, 0, c.value, ptr, c.opt);
        expectUnchanged(c.name);
      }
      playNote(host);
      expectUnchanged("effProcessEvents");
      std::vector<float> l(512), r(512);
      float* outs[2] = {l.data(), r.data()};
      host.effect->processReplacing(host.effect, nullptr, outs, 512);
      expectUnchanged("processReplacing");
      host.effect->process(host.effect, nullptr, outs, 512);
      expectUnchanged("process");
      host.setParameter(28, 0.4f);
      expectUnchanged("setParameter");
      host.getParameter(28);
      expectUnchanged("getParameter");
      host.dispatch(effMainsChanged, 0, 0);
      host.close();
      expectUnchanged("effClose");
    }
    _mm_setcsr(original);
  }
}

// Hosts that skip effMainsChanged(1), or send more frames than they announced (a host that
// renders oversampled), or change the rate and block size while resumed, still get sound.
TEST(HostBoundaryTest, UnusualCallOrdersStillPlay) {
  {
    TestHost host;
    playNote(host);
    std::vector<float> l, r;
    host.render(l, r, 4096);
    EXPECT_GT(orvalis::tests::peak(l), 0.01f) << "before effMainsChanged";
  }
  {
    TestHost host;
    host.dispatch(effSetBlockSize, 0, 64);
    host.dispatch(effMainsChanged, 0, 1);
    playNote(host);
    std::vector<float> l, r;
    host.render(l, r, 8192);
    EXPECT_GT(orvalis::tests::peak(l), 0.01f) << "block above the announced size";
    EXPECT_TRUE(orvalis::tests::allFinite(l) && orvalis::tests::allFinite(r));
  }
  {
    TestHost host;
    host.setParameter(27, 0.f);  // no vibrato: the pitch is measured
    host.setParameter(48, 0.f);
    host.dispatch(effMainsChanged, 0, 1);
    std::vector<float> l, r;
    host.render(l, r, 512);
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 88200.f);
    host.dispatch(effSetBlockSize, 0, 1024);
    playNote(host);
    l.clear();
    r.clear();
    host.renderBlocks(l, r, 88200, 1024);
    EXPECT_NEAR(orvalis::tests::fundamentalHz(l, 88200.0, 200.0, 1000.0, 44100), 440.0, 3.0)
        << "rate changed while resumed";
  }
}
