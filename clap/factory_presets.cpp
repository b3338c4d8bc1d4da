#include "clap/factory_presets.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "clap/descriptor.h"
#include "params/factory_bank.h"
#include "params/gm_names.h"

namespace orvalis::clap {

namespace {

constexpr const char* kProviderId = "org.orvalis.instrument.factory-bank";
const PresetProviderDescriptor kProviderDescriptor = {kVersion, kProviderId, "Orvalis factory bank",
                                                      "Tavrelin"};

struct Provider {
  PresetProvider clapProvider;
  const PresetIndexer* indexer;
};

bool providerInit(const PresetProvider* provider) {
  const auto* self = static_cast<const Provider*>(provider->provider_data);
  const PresetIndexer* indexer = self->indexer;
  if (!indexer || !indexer->declare_location) return false;
  const PresetLocation location = {kPresetIsFactoryContent, "Orvalis factory bank",
                                   kPresetLocationPlugin, nullptr};
  return indexer->declare_location(indexer, &location);
}

void providerDestroy(const PresetProvider* provider) {
  delete static_cast<Provider*>(provider->provider_data);
}

bool providerMetadata(const PresetProvider*, uint32_t kind, const char* location,
                      const PresetMetadataReceiver* receiver) {
  if (kind != kPresetLocationPlugin || location || !receiver || !receiver->begin_preset)
    return false;
  const UniversalPluginId plugin = {"clap", kPluginId};
  for (int i = 0; i < params::kFactoryPrograms; ++i) {
    const params::FactoryProgram program = params::factoryProgram(i);
    char key[8];
    std::snprintf(key, sizeof key, "%d", i);
    if (!receiver->begin_preset(receiver, program.record.name, key)) break;
    if (receiver->add_plugin_id) receiver->add_plugin_id(receiver, &plugin);
    if (receiver->add_creator) receiver->add_creator(receiver, "Tavrelin");
    if (receiver->add_feature) {
      receiver->add_feature(receiver, "instrument");
      receiver->add_feature(receiver, params::kGmCategoryNames[program.family]);
    }
  }
  return true;
}

const void* providerExtension(const PresetProvider*, const char*) { return nullptr; }

uint32_t providerCount(const PresetDiscoveryFactory*) { return 1; }

const PresetProviderDescriptor* providerDescriptor(const PresetDiscoveryFactory*, uint32_t index) {
  return index == 0 ? &kProviderDescriptor : nullptr;
}

const PresetProvider* createProvider(const PresetDiscoveryFactory*, const PresetIndexer* indexer,
                                     const char* id) {
  if (!indexer || !id || std::strcmp(id, kProviderId) != 0) return nullptr;
  auto* self = new (std::nothrow) Provider{{&kProviderDescriptor, nullptr, providerInit,
                                            providerDestroy, providerMetadata, providerExtension},
                                           indexer};
  if (!self) return nullptr;
  self->clapProvider.provider_data = self;
  return &self->clapProvider;
}

const PresetDiscoveryFactory kFactory = {providerCount, providerDescriptor, createProvider};

}  // namespace

const PresetDiscoveryFactory& presetDiscoveryFactory() { return kFactory; }

int programOfLoadKey(uint32_t kind, const char* location, const char* loadKey) {
  if (kind != kPresetLocationPlugin || location || !loadKey) return -1;
  // Decimal digits only, no sign, no blanks, no leading zeros: the keys this provider gives.
  const std::size_t length = std::strlen(loadKey);
  if (length == 0 || length > 3 || (length > 1 && loadKey[0] == '0')) return -1;
  int program = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (loadKey[i] < '0' || loadKey[i] > '9') return -1;
    program = program * 10 + (loadKey[i] - '0');
  }
  return program < params::kFactoryPrograms ? program : -1;
}

}  // namespace orvalis::clap
