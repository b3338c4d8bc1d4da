// Who the plug-in is to hosts. The class id is stored in songs: it never changes.
#pragma once

#include "vst3/abi_base.h"

namespace orvalis::vst3 {

constexpr Uid kInstrumentClassId{0x18B4C904, 0x05A14315, 0x89E76F45, 0xC56E563D};
constexpr const char* kPluginName = "Orvalis";
constexpr const char* kVendorName = "par Tavrelin";
constexpr const char* kCategory = "Audio Module Class";
constexpr const char* kSubCategories = "Instrument|Synth";
// The interface generation whose declarations we follow (hidden parameters came with it).
constexpr const char* kInterfaceVersion = "VST 3.7.0";
#ifndef ORVALIS_VERSION
#error "ORVALIS_VERSION comes from the build: the project's version"
#endif
constexpr const char* kPluginVersion = ORVALIS_VERSION;

}  // namespace orvalis::vst3
