// The module's one factory: a single class, the instrument. It holds no state, so one constant
// object serves every host call; its reference count is a formality.
#pragma once

#include "vst3/abi_base.h"

namespace orvalis::vst3 {

IPluginFactory* pluginFactory();

}  // namespace orvalis::vst3
