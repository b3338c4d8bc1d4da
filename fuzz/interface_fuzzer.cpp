// Reads the fuzz input as a script of host calls on one instance: dispatcher opcodes with any
// arguments, parameters, event blocks, renders of any length, sample rates, programs and the
// editor. After every render each sample must be finite and within the instrument's ceiling.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "plugin/corvina.h"
#include "plugin/corvina_gui_editor.h"
#include "toolkit/frame.h"

namespace {

// 8 voices x gain 10 x the saturator's 1.0019 peak x (cos + sin <= sqrt 2) x 0.15 in mode 5,
// or x 0.2 in the others: about 17.0.
constexpr float kCeiling = 17.1f;

class Script {
 public:
  Script(const uint8_t* data, size_t size) : p(data), end(data + size) {}
  bool more() const { return p < end; }
  uint8_t byte() { return p < end ? *p++ : 0; }
  uint32_t u32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(byte()) << (8 * i);
    return v;
  }
  int32_t i32() { return static_cast<int32_t>(u32()); }
  float f32() {
    const uint32_t bits = u32();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }

 private:
  const uint8_t* p;
  const uint8_t* end;
};

intptr_t VSTCALLBACK host(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

void render(AEffect* e, int32_t frames) {
  static std::vector<float> left(4096), right(4096);
  float* outs[2] = {left.data(), right.data()};
  e->processReplacing(e, nullptr, outs, frames);
  for (int32_t i = 0; i < frames; ++i)
    if (!std::isfinite(left[i]) || !std::isfinite(right[i]) || std::fabs(left[i]) > kCeiling ||
        std::fabs(right[i]) > kCeiling) {
      std::fprintf(stderr, "bad sample %d: %g %g\n", i, left[i], right[i]);
      std::abort();
    }
}

void sendEvents(AEffect* e, Script& s) {
  const int n = s.byte() % 40;
  std::vector<VstMidiEvent> storage(n > 0 ? n : 1);
  std::vector<char> block(sizeof(VstEvents) + sizeof(VstEvent*) * (n + 2), 0);
  auto* events = reinterpret_cast<VstEvents*>(block.data());
  VstEvent** list = events->events;  // numEvents pointers, though the record declares two
  for (int i = 0; i < n; ++i) {
    VstMidiEvent& m = storage[i];
    std::memset(&m, 0, sizeof m);
    const uint8_t shape = s.byte();
    m.type = shape & 1 ? kVstMidiType : static_cast<int32_t>(s.byte());
    m.byteSize = shape & 2 ? static_cast<int32_t>(sizeof m) : static_cast<int32_t>(s.byte()) - 8;
    m.deltaFrames = shape & 4 ? static_cast<int32_t>(s.byte()) : s.i32();
    for (int k = 0; k < 3; ++k) m.midiData[k] = static_cast<char>(s.byte());
    list[i] = shape & 8 ? nullptr : reinterpret_cast<VstEvent*>(&m);
  }
  const uint8_t count = s.byte();
  events->numEvents = count & 0x80 ? static_cast<int32_t>(count) - 200 : n;
  if (events->numEvents > n) events->numEvents = n;
  e->dispatcher(e, effProcessEvents, 0, 0, count == 0xFF ? nullptr : events, 0.f);
}

void dispatch(AEffect* e, Script& s) {
  static char scratch[8192];
  std::memset(scratch, 0, sizeof scratch);
  int32_t opcode = s.byte();
  if (opcode > 80) opcode = s.i32();
  const int32_t index = s.byte() & 1 ? static_cast<int32_t>(s.byte()) - 10 : s.i32();
  intptr_t value =
      s.byte() & 1 ? static_cast<intptr_t>(s.byte()) - 10 : static_cast<intptr_t>(s.i32());
  const float opt = s.f32();
  void* ptr = s.byte() & 1 ? scratch : nullptr;
  switch (opcode) {
    case effClose:
      return;  // the script's end closes the instance
    case effEditOpen:
      ptr = nullptr;  // the offscreen frame: no window system in the fuzzer
      break;
    case effSetSpeakerArrangement:
    case effGetSpeakerArrangement:
      // These carry a pointer in value; hosts pass real records.
      value = reinterpret_cast<intptr_t>(scratch + 4096);
      ptr = scratch;
      break;
    default:
      break;
  }
  e->dispatcher(e, opcode, index, value, ptr, opt);
}

void useEditor(AEffect* e, Script& s) {
  auto* synth =
      static_cast<orvalis::vst2::Corvina*>(static_cast<orvalis::vst2::AudioEffect*>(e->object));
  orvalis::vst2::CorvinaGuiEditor* editor = synth->guiEditor();
  switch (s.byte() % 5) {
    case 0:
      e->dispatcher(e, effEditOpen, 0, 0, nullptr, 0.f);
      break;
    case 1:
      e->dispatcher(e, effEditIdle, 0, 0, nullptr, 0.f);
      break;
    case 2:
      e->dispatcher(e, effEditClose, 0, 0, nullptr, 0.f);
      break;
    default:
      if (editor && editor->getFrame()) {
        VSTGUI::CFrame* frame = editor->getFrame();
        const VSTGUI::CPoint at(s.byte() * 3, s.byte() * 2);
        frame->onMouseDown(at, VSTGUI::kLButton);
        frame->onMouseMoved(VSTGUI::CPoint(at.h + s.byte() - 128, at.v + s.byte() - 128),
                            VSTGUI::kLButton);
        frame->onMouseUp(at, VSTGUI::kLButton);
      }
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvalis::vst2::Corvina* synth = new (std::nothrow) orvalis::vst2::Corvina(&host);
  if (!synth) return 0;
  AEffect* e = synth->getAeffect();
  Script s(data, size);
  while (s.more()) {
    switch (s.byte() % 9) {
      case 0:
        dispatch(e, s);
        break;
      case 1: {
        const int32_t index = static_cast<int32_t>(s.byte()) - 64;
        e->setParameter(e, index, s.f32());
        e->getParameter(e, index);
        break;
      }
      case 2:
        sendEvents(e, s);
        break;
      case 3:
      case 4:
        render(e,
               static_cast<int32_t>((s.byte() | (s.byte() << 8)) % 4097) - (s.byte() == 0 ? 3 : 0));
        break;
      case 5: {
        const float rates[] = {8000.f, 22050.f, 44100.f, 96000.f, 192000.f, 384000.f, 0.f, -1.f};
        const uint8_t b = s.byte();
        e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, b & 0x80 ? s.f32() : rates[b & 7]);
        break;
      }
      case 6:
        e->dispatcher(e, s.byte() & 1 ? effSetProgram : effCopyProgram,
                      static_cast<int32_t>(s.byte()) - 8, static_cast<intptr_t>(s.byte()) - 8,
                      nullptr, 0.f);
        break;
      case 7:
        useEditor(e, s);
        break;
      default: {
        // A note on and a render, so that most scripts make sound.
        VstMidiEvent m{};
        m.type = kVstMidiType;
        m.byteSize = sizeof m;
        m.midiData[0] = static_cast<char>(0x90);
        m.midiData[1] = static_cast<char>(s.byte() & 0x7F);
        m.midiData[2] = static_cast<char>(1 + (s.byte() & 0x7E));
        VstEvent* list[1] = {reinterpret_cast<VstEvent*>(&m)};
        std::vector<char> block(sizeof(VstEvents) + sizeof(VstEvent*), 0);
        auto* events = reinterpret_cast<VstEvents*>(block.data());
        events->numEvents = 1;
        events->events[0] = list[0];
        e->dispatcher(e, effProcessEvents, 0, 0, events, 0.f);
        render(e, 256);
        break;
      }
    }
  }
  e->dispatcher(e, effClose, 0, 0, nullptr, 0.f);
  return 0;
}
