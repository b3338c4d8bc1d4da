// The extensions the plug-in offers, by id; null for one it does not.
#pragma once

namespace orvalis::clap {

const void* findExtension(const char* id);

}  // namespace orvalis::clap
