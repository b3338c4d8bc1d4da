// The library's only export, clap_entry, and its plug-in factory. Hosts call init and deinit in
// any order and any number of times (a scanner may skip init, or deinit twice): nothing here
// depends on them, so every order is safe.
#include <cstring>

#include "clap/clap_abi.h"
#include "clap/descriptor.h"
#include "clap/factory_presets.h"
#include "clap/instrument_plugin.h"

namespace orvalis::clap {

namespace {

bool entryInit(const char*) { return true; }

void entryDeinit() {}

uint32_t pluginCount(const PluginFactory*) { return 1; }

const PluginDescriptor* pluginDescriptor(const PluginFactory*, uint32_t index) {
  return index == 0 ? &descriptor() : nullptr;
}

const Plugin* createPlugin(const PluginFactory*, const Host* host, const char* pluginId) {
  if (!host || !pluginId || std::strcmp(pluginId, kPluginId) != 0) return nullptr;
  return InstrumentPlugin::create(host);
}

const PluginFactory kFactory = {pluginCount, pluginDescriptor, createPlugin};

const void* factory(const char* id) {
  if (!id) return nullptr;
  if (std::strcmp(id, kPluginFactoryId) == 0) return &kFactory;
  if (std::strcmp(id, kPresetDiscoveryFactoryId) == 0 ||
      std::strcmp(id, kPresetDiscoveryFactoryIdDraft) == 0)
    return &presetDiscoveryFactory();
  return nullptr;
}

}  // namespace

}  // namespace orvalis::clap

// Windows exports it through exports.def.
#if defined(_WIN32)
#define ORVALIS_CLAP_EXPORT
#else
#define ORVALIS_CLAP_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
ORVALIS_CLAP_EXPORT extern const orvalis::clap::PluginEntry clap_entry;
const orvalis::clap::PluginEntry clap_entry = {orvalis::clap::kVersion, orvalis::clap::entryInit,
                                               orvalis::clap::entryDeinit, orvalis::clap::factory};
}
