// The library's entry. Hosts look up "VSTPluginMain" (64-bit) or "main" (the name the
// interface was born with); both are this one function.
#include "plugin/corvina.h"

#define ORVALIS_EXPORT extern "C" __attribute__((visibility("default")))

ORVALIS_EXPORT ORVALIS_HOST_ENTRY AEffect* VSTPluginMain(audioMasterCallback audioMaster) {
  // A host that answers 0 to the version query is too old.
  if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.f) == 0) return nullptr;
  Corvina* instance = new (std::nothrow) Corvina(audioMaster);
  return instance ? instance->getAeffect() : nullptr;
}

// C++ forbids a function named main with this signature; the assembler label gives the symbol
// its name. 32-bit Windows builds export it through the module definition file instead.
#if defined(_WIN32) && !defined(_WIN64)
ORVALIS_EXPORT ORVALIS_HOST_ENTRY AEffect* orvalisMain(audioMasterCallback audioMaster) {
  return VSTPluginMain(audioMaster);
}
#else
ORVALIS_EXPORT ORVALIS_HOST_ENTRY AEffect* orvalisMain(audioMasterCallback audioMaster) __asm__("main");
AEffect* orvalisMain(audioMasterCallback audioMaster) { return VSTPluginMain(audioMaster); }
#endif
