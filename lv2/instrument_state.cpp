// The state: one property holding the core's blob, the whole bank with names and the current
// program. The blob is little-endian and holds no paths, so it is portable as it is.
#include <string>
#include <vector>

#include "lv2/instrument_plugin.h"

namespace orvalis::lv2 {

LV2_State_Status InstrumentPlugin::save(LV2_State_Store_Function store, LV2_State_Handle handle) {
  const std::vector<uint8_t> blob = core.saveState();
  return store(handle, map->map(map->handle, kStateBankKey), blob.data(), blob.size(), chunk,
               LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status InstrumentPlugin::restore(LV2_State_Retrieve_Function retrieve,
                                           LV2_State_Handle handle) {
  size_t size = 0;
  uint32_t type = 0, flags = 0;
  const void* data = retrieve(handle, map->map(map->handle, kStateBankKey), &size, &type, &flags);
  // Presets and host defaults carry port values only: nothing to restore, nothing to refuse.
  if (!data) return LV2_STATE_SUCCESS;
  std::string why = "the bank is not a chunk of bytes";
  if (type == chunk && core.loadState(static_cast<const uint8_t*>(data), size, &why))
    return LV2_STATE_SUCCESS;
  if (log) log->printf(log->handle, logError, "Orvalis: state refused: %s\n", why.c_str());
  return LV2_STATE_ERR_BAD_TYPE;
}

}  // namespace orvalis::lv2
