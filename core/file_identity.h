// The id that bank (.fxb) and program (.fxp) files of this instrument carry, whichever program
// reads or writes them: the VST 2 plug-in's unique id, 'Rb5t'.
#pragma once

#include <cstdint>

namespace orvalis::core {

constexpr int32_t kFileId = 0x52623574;

}  // namespace orvalis::core
