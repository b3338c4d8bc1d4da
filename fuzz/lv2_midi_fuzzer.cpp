// The LV2 plug-in's MIDI input over any sequence: the fuzz input is the sequence's body, in a
// buffer that ends exactly where its declared size does, so that any read past it is a finding.
// The instance is the real one, made through the library's descriptor; every sample must stay
// finite and within the instrument's ceiling.
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lv2/uris.h"
#include "params/parameter_table.h"

extern "C" const LV2_Descriptor* lv2_descriptor(uint32_t index);

namespace {

constexpr uint32_t kFrames = 256;
constexpr float kCeiling = 17.1f;  // as the interface fuzzer's

std::vector<std::string>& uris() {
  static std::vector<std::string> table;
  return table;
}

LV2_URID mapUri(LV2_URID_Map_Handle, const char* uri) {
  std::vector<std::string>& table = uris();
  for (std::size_t i = 0; i < table.size(); ++i)
    if (table[i] == uri) return static_cast<LV2_URID>(i + 1);
  table.emplace_back(uri);
  return static_cast<LV2_URID>(table.size());
}

struct Instance {
  Instance() {
    const LV2_Descriptor* d = lv2_descriptor(0);
    handle = d->instantiate(d, 44100.0, "", features);
    if (!handle) std::abort();
    for (uint32_t i = 0; i < orvalis::params::kNumParams; ++i) {
      controls[i] = orvalis::params::parameterInfo(static_cast<int>(i)).defaultValue;
      d->connect_port(handle, i, &controls[i]);
    }
    d->connect_port(handle, orvalis::lv2::kOutLeft, left);
    d->connect_port(handle, orvalis::lv2::kOutRight, right);
    d->activate(handle);
  }
  LV2_URID_Map map{nullptr, mapUri};
  LV2_Feature mapFeature{LV2_URID__map, &map};
  const LV2_Feature* features[2] = {&mapFeature, nullptr};
  LV2_Handle handle = nullptr;
  float controls[orvalis::params::kNumParams];
  float left[kFrames], right[kFrames];
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Instance instance;
  const LV2_Descriptor* d = lv2_descriptor(0);
  // The sequence header, then the input as its body; a MIDI type where the input says so.
  const std::size_t total = sizeof(LV2_Atom) + size;
  auto* buffer = static_cast<uint8_t*>(std::malloc(total ? total : 1));
  auto* sequence = reinterpret_cast<LV2_Atom*>(buffer);
  sequence->size = static_cast<uint32_t>(size);
  sequence->type = mapUri(nullptr, LV2_ATOM__Sequence);
  std::memcpy(buffer + sizeof(LV2_Atom), data, size);
  // Events whose type field holds 0xFFFFFFFF become MIDI events, so that bodies get read.
  const LV2_URID midi = mapUri(nullptr, LV2_MIDI__MidiEvent);
  for (std::size_t at = sizeof(LV2_Atom) + 8 + 12; at + 4 <= total; at += 8) {
    uint32_t type;
    std::memcpy(&type, buffer + at, 4);
    if (type == 0xFFFFFFFFu) std::memcpy(buffer + at, &midi, 4);
  }
  d->connect_port(instance.handle, orvalis::lv2::kMidiIn, buffer);
  d->run(instance.handle, kFrames);
  d->connect_port(instance.handle, orvalis::lv2::kMidiIn, nullptr);
  std::free(buffer);
  for (uint32_t i = 0; i < kFrames; ++i)
    if (!std::isfinite(instance.left[i]) || !std::isfinite(instance.right[i]) ||
        std::fabs(instance.left[i]) > kCeiling || std::fabs(instance.right[i]) > kCeiling) {
      std::fprintf(stderr, "bad sample %u: %g %g\n", i, instance.left[i], instance.right[i]);
      std::abort();
    }
  return 0;
}
