// The core's state blob through the host's byte stream, with every length checked.
#pragma once

#include <cstdint>
#include <vector>

#include "vst3/abi_base.h"

namespace orvalis::vst3 {

// Reads the stream from where it stands to its end, at most limit bytes. False when the stream
// fails or holds more than limit bytes (nothing the core would accept).
bool readStream(IBStream* stream, std::size_t limit, std::vector<uint8_t>& out);
// False unless every byte went out.
bool writeStream(IBStream* stream, const std::vector<uint8_t>& data);

}  // namespace orvalis::vst3
