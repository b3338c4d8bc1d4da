// The module's exported entry points: the factory, and the load and unload calls hosts make
// around it (ModuleEntry/ModuleExit on Linux, InitDll/ExitDll on Windows). Nothing needs
// setting up, so the latter only answer.
#include "vst3/plugin_factory.h"

#if defined(_WIN32)
#define ORVALIS_VST3_EXPORT extern "C"
#else
#define ORVALIS_VST3_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Without arguments the interface's calling convention and the C one are the same call, and
// the undecorated names are what the export table (orvalis_vst3.def) lists.
ORVALIS_VST3_EXPORT orvalis::vst3::IPluginFactory* GetPluginFactory() {
  return orvalis::vst3::pluginFactory();
}

#if defined(_WIN32)
ORVALIS_VST3_EXPORT bool InitDll() { return true; }
ORVALIS_VST3_EXPORT bool ExitDll() { return true; }
#else
ORVALIS_VST3_EXPORT bool ModuleEntry(void*) { return true; }
ORVALIS_VST3_EXPORT bool ModuleExit() { return true; }
#endif
