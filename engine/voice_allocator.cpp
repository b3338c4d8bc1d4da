#include "engine/voice_allocator.h"

#include <cstring>

#include "engine/voice.h"

namespace orvalis::engine {

namespace {
// Age added at every boundary: released voices are chosen first and, among held ones, the
// longest held.
constexpr float kHeldAgeing = 0.00001f;
constexpr float kReleasedAgeing = 0.01f;
}  // namespace

void VoiceAllocator::clear() {
  voices = nullptr;
  queue = nullptr;
  enabled = false;
  active = totalVoices = 0;
  lastTouched = lastStarted = 0;
  for (int v = 0; v < kNumVoices; ++v) {
    keyHeld[v] = 0;
    age[v] = kNewAge;
  }
  clearKeys();
}

void VoiceAllocator::clearKeys() {
  std::memset(keyDown, 0, sizeof keyDown);
  for (int32_t& v : keyVoice) v = -1;
}

void VoiceAllocator::setup(Voice* voiceTable, int voiceCount, MidiEventQueue* eventQueue) {
  voices = voiceTable;
  queue = eventQueue;
  if (voiceCount < 0) voiceCount = 0;
  if (voiceCount > kNumVoices) voiceCount = kNumVoices;
  active = totalVoices = voiceCount;
  enabled = voices && queue;
  if (!enabled) return;
  for (int v = 0; v < totalVoices; ++v) {
    keyHeld[v] = 0;
    age[v] = kNewAge;
  }
  clearKeys();
}

void VoiceAllocator::setPolyphony(int voiceCount) {
  for (int v = 0; v < totalVoices; ++v) {
    voices[v].noteRelease(0.f);
    keyHeld[v] = 0;
    age[v] = kNewAge;
  }
  clearKeys();
  active = voiceCount < totalVoices ? voiceCount : totalVoices;
}

void VoiceAllocator::noteOn(int32_t key, float velocity) {
  if (key < 0 || key > 127 || !(velocity >= 0.f && velocity <= 1.f) || keyDown[key]) return;
  const int n = activeVoices();
  if (n == 0) return;
  int v = 0;
  for (int i = 1; i < n; ++i)
    if (age[i] > age[v]) v = i;
  lastStarted = v;
  keyHeld[v] = 1;
  age[v] = kNewAge;
  keyDown[key] = 1;
  keyVoice[key] = v;
  voices[v].noteStart(static_cast<float>(key), velocity, false);
  // Portamento continues from the pitch of the previously touched voice.
  voices[v].glide = voices[lastTouched].glide;
  lastTouched = v;
}

void VoiceAllocator::noteOff(int32_t key, float velocity) {
  if (key < 0 || key > 127 || !(velocity >= 0.f && velocity <= 1.f)) return;
  const int v = keyVoice[key];
  if (v < 0 || v >= activeVoices()) return;
  keyDown[key] = 0;
  keyHeld[v] = 0;
  voices[v].noteRelease(velocity);
  lastTouched = v;
}

void VoiceAllocator::dispatchEvents(int32_t windowEnd) {
  if (!enabled) return;
  const int n = activeVoices();
  for (int v = 0; v < n; ++v) age[v] += keyHeld[v] ? kHeldAgeing : kReleasedAgeing;
  queue->drainUpTo(windowEnd, [this](const MidiEvent& e) { apply(e); });
}

void VoiceAllocator::apply(const MidiEvent& e) {
  switch (e.kind) {
    case kNoteOn:
      noteOn(e.data1, e.velocity);
      break;
    case kNoteOff:
      noteOff(e.data1, e.velocity);
      break;
    case kPitchBend: {
      const float bend = static_cast<float>(e.data1) * kBendScale;
      for (int v = 0; v < activeVoices(); ++v)
        if (voices[v].linked()) voices[v].bend = bend;
      break;
    }
    case kModWheel: {
      const float wheel = static_cast<float>(e.data1) * kMidiValueScale;
      for (int v = 0; v < activeVoices(); ++v)
        if (voices[v].linked()) voices[v].modWheel = wheel;
      break;
    }
    case kAllNotesOff:
      for (int v = 0; v < totalVoices; ++v) voices[v].noteRelease(0.f);
      break;
  }
}

}  // namespace orvalis::engine
