// A small LV2 host for tests, over lilv: loads the built bundle, instantiates the plug-in with
// the features a real host gives (urid map and unmap, options with the block lengths), owns
// every port buffer, and saves and restores state both through lilv and through the plug-in's
// state interface directly.
#pragma once

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace orvalis::tests {

// URIs to numbers and back, as a host's urid:map and urid:unmap.
class UridMap {
 public:
  UridMap();
  UridMap(const UridMap&) = delete;
  UridMap& operator=(const UridMap&) = delete;
  LV2_URID map(const char* uri);
  const char* unmap(LV2_URID urid) const;
  LV2_URID_Map mapFeature;
  LV2_URID_Unmap unmapFeature;

 private:
  std::unordered_map<std::string, LV2_URID> ids;
  std::vector<std::string> uris;
};

// The lilv world holding the built bundle, shared by the whole test program.
struct Lv2World {
  LilvWorld* world = nullptr;
  const LilvPlugin* plugin = nullptr;
  UridMap urids;
  static Lv2World& get();
  // The presets the bundle lists for the plug-in, by URI.
  std::vector<std::string> presetUris();
  // The label of the bank a preset belongs to, or empty.
  std::string presetFamily(const std::string& uri);
  // A preset's port values loaded from the bundle, or null.
  LilvState* loadPreset(const std::string& uri);
};

class Lv2Host {
 public:
  static constexpr uint32_t kMaxBlock = 4096;
  static constexpr uint32_t kAtomCapacity = 8192;

  explicit Lv2Host(double sampleRate = 44100.0);
  ~Lv2Host();
  Lv2Host(const Lv2Host&) = delete;
  Lv2Host& operator=(const Lv2Host&) = delete;

  bool loaded() const { return instance != nullptr; }
  float& control(int index) { return controls[index]; }

  // A MIDI message for the next run(), at its frame within that block.
  void midi(int64_t frame, uint8_t status, uint8_t data1, uint8_t data2);
  // Runs one block of at most kMaxBlock frames and appends it to left and right.
  void run(std::vector<float>& left, std::vector<float>& right, uint32_t frames);
  // The events the plug-in wrote into its notify port during the last run.
  std::vector<std::vector<uint8_t>> notifications() const;

  // The bank blob as the plug-in stores it, or empty when it stores none.
  std::vector<uint8_t> savedBlob();
  // Hands data to the plug-in's restore as the bank property of the given type.
  LV2_State_Status restoreBlob(const std::vector<uint8_t>& data, LV2_URID type);
  // A restore whose state holds no bank property at all.
  LV2_State_Status restoreWithoutBank();

  // Through lilv, as hosts save sessions: port values and properties.
  LilvState* saveState();
  void restoreState(const LilvState* state);

  LilvInstance* instance = nullptr;

 private:
  static const void* portValue(const char* symbol, void* self, uint32_t* size, uint32_t* type);
  static void setPortValue(const char* symbol, void* self, const void* value, uint32_t size,
                           uint32_t type);

  Lv2World& world;
  int32_t maxBlock = kMaxBlock, nominalBlock = 256;
  std::vector<LV2_Options_Option> options;
  LV2_Feature mapFeature, unmapFeature, optionsFeature, boundedFeature;
  std::vector<const LV2_Feature*> features;
  std::vector<float> controls;
  std::vector<float> outLeft, outRight;
  alignas(8) uint8_t midiIn[kAtomCapacity];
  alignas(8) uint8_t notify[kAtomCapacity];
};

}  // namespace orvalis::tests
