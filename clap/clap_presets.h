// The preset-discovery factory and the preset-load extension (stable since CLAP 1.2; hosts of 1.1
// ask for the draft ids, which name the same interface): our own declarations of what Orvalis
// uses to list its 128 programs in a host's preset browser.
#pragma once

#include "clap/clap_abi.h"

namespace orvalis::clap {

constexpr const char* kPresetDiscoveryFactoryId = "clap.preset-discovery-factory/2";
constexpr const char* kPresetDiscoveryFactoryIdDraft = "clap.preset-discovery-factory/draft-2";
constexpr const char* kExtPresetLoad = "clap.preset-load";
constexpr const char* kExtPresetLoadDraft = "clap.preset-load.draft/2";

enum PresetLocationKind : uint32_t { kPresetLocationFile = 0, kPresetLocationPlugin = 1 };
enum PresetFlags : uint32_t {
  kPresetIsFactoryContent = 1u << 0,
  kPresetIsUserContent = 1u << 1,
  kPresetIsDemoContent = 1u << 2,
  kPresetIsFavorite = 1u << 3,
};

struct UniversalPluginId {
  const char* abi;  // "clap"
  const char* id;
};

struct PresetMetadataReceiver {
  void* receiver_data;
  void (*on_error)(const PresetMetadataReceiver* receiver, int32_t os_error, const char* message);
  bool (*begin_preset)(const PresetMetadataReceiver* receiver, const char* name,
                       const char* load_key);
  void (*add_plugin_id)(const PresetMetadataReceiver* receiver, const UniversalPluginId* id);
  void (*set_soundpack_id)(const PresetMetadataReceiver* receiver, const char* soundpack_id);
  void (*set_flags)(const PresetMetadataReceiver* receiver, uint32_t flags);
  void (*add_creator)(const PresetMetadataReceiver* receiver, const char* creator);
  void (*set_description)(const PresetMetadataReceiver* receiver, const char* description);
  void (*set_timestamps)(const PresetMetadataReceiver* receiver, uint64_t creation,
                         uint64_t modification);
  void (*add_feature)(const PresetMetadataReceiver* receiver, const char* feature);
  void (*add_extra_info)(const PresetMetadataReceiver* receiver, const char* key,
                         const char* value);
};

struct PresetFiletype {
  const char* name;
  const char* description;
  const char* file_extension;
};

struct PresetLocation {
  uint32_t flags;
  const char* name;
  uint32_t kind;
  const char* location;  // null for presets inside the plug-in
};

struct PresetSoundpack;

struct PresetProviderDescriptor {
  Version clap_version;
  const char* id;
  const char* name;
  const char* vendor;
};

struct PresetProvider {
  const PresetProviderDescriptor* desc;
  void* provider_data;
  bool (*init)(const PresetProvider* provider);
  void (*destroy)(const PresetProvider* provider);
  bool (*get_metadata)(const PresetProvider* provider, uint32_t location_kind, const char* location,
                       const PresetMetadataReceiver* receiver);
  const void* (*get_extension)(const PresetProvider* provider, const char* id);
};

struct PresetIndexer {
  Version clap_version;
  const char* name;
  const char* vendor;
  const char* url;
  const char* version;
  void* indexer_data;
  bool (*declare_filetype)(const PresetIndexer* indexer, const PresetFiletype* filetype);
  bool (*declare_location)(const PresetIndexer* indexer, const PresetLocation* location);
  bool (*declare_soundpack)(const PresetIndexer* indexer, const PresetSoundpack* soundpack);
  const void* (*get_extension)(const PresetIndexer* indexer, const char* id);
};

struct PresetDiscoveryFactory {
  uint32_t (*count)(const PresetDiscoveryFactory* factory);
  const PresetProviderDescriptor* (*get_descriptor)(const PresetDiscoveryFactory* factory,
                                                    uint32_t index);
  const PresetProvider* (*create)(const PresetDiscoveryFactory* factory,
                                  const PresetIndexer* indexer, const char* provider_id);
};

struct PluginPresetLoad {
  bool (*from_location)(const Plugin* plugin, uint32_t location_kind, const char* location,
                        const char* load_key);
};

static_assert(sizeof(PresetMetadataReceiver) == 11 * sizeof(void*));
static_assert(offsetof(PresetLocation, kind) == 2 * sizeof(void*) &&
              sizeof(PresetLocation) == 4 * sizeof(void*));
static_assert(offsetof(PresetIndexer, indexer_data) == (kPointers64 ? 48 : 28) &&
              sizeof(PresetIndexer) == (kPointers64 ? 88 : 48));
static_assert(sizeof(PresetProvider) == 6 * sizeof(void*));

}  // namespace orvalis::clap
