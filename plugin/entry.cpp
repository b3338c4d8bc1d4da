// The library's entry. Hosts look up "VSTPluginMain" (64-bit) or "main" (the name the
// interface was born with); both are this one function.
#include "plugin/corvina.h"

#if defined(_WIN32)
#define ORVALIS_EXPORT extern "C"  // exported through orvalis.def
#else
#define ORVALIS_EXPORT extern "C" __attribute__((visibility("default")))
#endif

ORVALIS_EXPORT ORVALIS_HOST_ENTRY AEffect* VSTPluginMain(audioMasterCallback audioMaster) {
  // A host that answers 0 to the version query is too old.
  if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.f) == 0)
    return nullptr;
  orvalis::vst2::Corvina* instance = new (std::nothrow) orvalis::vst2::Corvina(audioMaster);
  return instance ? instance->getAeffect() : nullptr;
}

// C++ forbids a function named main with this signature; the assembler label gives the symbol
// its name. Windows builds export it under that name through the module definition file.
#if defined(_WIN32)
ORVALIS_EXPORT ORVALIS_HOST_ENTRY AEffect* orvalisMain(audioMasterCallback audioMaster) {
  return VSTPluginMain(audioMaster);
}
#else
ORVALIS_EXPORT ORVALIS_HOST_ENTRY AEffect* orvalisMain(audioMasterCallback audioMaster) __asm__(
    "main");
AEffect* orvalisMain(audioMasterCallback audioMaster) { return VSTPluginMain(audioMaster); }
#endif
