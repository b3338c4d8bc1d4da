// Speaker-arrangement helpers of the extended base class. An arrangement is a type word, a
// channel count and one 112-byte speaker record per channel, allocated as one zeroed block.
#include <cstdlib>
#include <cstring>

#include "plugin/audio_effect_x.h"

namespace orvalis::vst2 {

namespace {
constexpr std::size_t kArrangementHeader = 8;
constexpr int32_t kMaxArrangementChannels = 1 << 16;

// The speaker records run past the declared eight when the count is larger.
VstSpeakerProperties* speakerAt(VstSpeakerArrangement* a, int32_t i) {
  return reinterpret_cast<VstSpeakerProperties*>(reinterpret_cast<char*>(a) + kArrangementHeader) +
         i;
}
}  // namespace

bool AudioEffectX::allocateArrangement(VstSpeakerArrangement** arrangement, int32_t channels) {
  if (!arrangement || channels < 0 || channels > kMaxArrangementChannels) return false;
  if (*arrangement) {
    std::free(*arrangement);
    *arrangement = nullptr;
  }
  std::size_t size = kArrangementHeader + sizeof(VstSpeakerProperties) * std::size_t(channels);
  auto* block = static_cast<VstSpeakerArrangement*>(std::calloc(1, size));
  if (!block) return false;
  block->numChannels = channels;
  *arrangement = block;
  return true;
}

bool AudioEffectX::deallocateArrangement(VstSpeakerArrangement** arrangement) {
  if (!arrangement) return false;
  std::free(*arrangement);
  *arrangement = nullptr;
  return true;
}

bool AudioEffectX::copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from) {
  if (!to || !from) return false;
  std::memcpy(to->name, from->name, sizeof to->name);
  to->name[sizeof to->name - 1] = 0;
  to->type = from->type;
  to->azimuth = from->azimuth;
  to->elevation = from->elevation;
  to->radius = from->radius;
  to->reserved = from->reserved;
  std::memcpy(to->future, from->future, sizeof to->future);
  return true;
}

bool AudioEffectX::matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from) {
  if (!to || !from) return false;
  if (!allocateArrangement(to, from->numChannels)) return false;
  (*to)->type = from->type;
  for (int32_t i = 0; i < from->numChannels; ++i)
    copySpeaker(speakerAt(*to, i), speakerAt(from, i));
  return true;
}

}  // namespace orvalis::vst2
