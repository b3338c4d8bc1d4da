// Who the plug-in is to a CLAP host: one descriptor whose id hosts store in their songs.
#pragma once

#include "clap/clap_abi.h"

namespace orvalis::clap {

// Released with the first CLAP build: never to change.
constexpr const char* kPluginId = "org.orvalis.instrument";

const PluginDescriptor& descriptor();

}  // namespace orvalis::clap
