// The plug-in library's only export: the descriptor of the instrument.
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include <cstring>

#include "lv2/instrument_plugin.h"

using orvalis::lv2::InstrumentPlugin;

namespace {

InstrumentPlugin* self(LV2_Handle instance) { return static_cast<InstrumentPlugin*>(instance); }

LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char*,
                       const LV2_Feature* const* features) {
  return InstrumentPlugin::create(rate, features);
}

void connectPort(LV2_Handle instance, uint32_t port, void* data) {
  self(instance)->connect(port, data);
}

void activate(LV2_Handle) {}

void run(LV2_Handle instance, uint32_t frames) { self(instance)->run(frames); }

void deactivate(LV2_Handle) {}

void cleanup(LV2_Handle instance) { delete self(instance); }

LV2_State_Status save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle,
                      uint32_t, const LV2_Feature* const*) {
  return self(instance)->save(store, handle);
}

LV2_State_Status restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle handle, uint32_t, const LV2_Feature* const*) {
  return self(instance)->restore(retrieve, handle);
}

const void* extensionData(const char* uri) {
  static const LV2_State_Interface state = {save, restore};
  return std::strcmp(uri, LV2_STATE__interface) == 0 ? &state : nullptr;
}

const LV2_Descriptor kDescriptor = {orvalis::lv2::kPluginUri,
                                    instantiate,
                                    connectPort,
                                    activate,
                                    run,
                                    deactivate,
                                    cleanup,
                                    extensionData};

}  // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}
