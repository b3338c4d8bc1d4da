#include "host/plugin_library.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace orvalis::host {

#if defined(_WIN32)
PluginLibrary::PluginLibrary(const std::string& path) {
  handle = LoadLibraryA(path.c_str());
  if (!handle) {
    reason = "cannot load plug-in " + path + ": error " + std::to_string(GetLastError());
    return;
  }
  auto module = static_cast<HMODULE>(handle);
  entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "VSTPluginMain")));
  mainEntry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "main")));
  if (!hostEntry()) reason = path + " is not a VST 2 plug-in (no VSTPluginMain or main entry)";
}

PluginLibrary::~PluginLibrary() {
  if (handle) FreeLibrary(static_cast<HMODULE>(handle));
}
#else
PluginLibrary::PluginLibrary(const std::string& path) {
  handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    reason = "cannot load plug-in " + path + ": " + dlerror();
    return;
  }
  entry = reinterpret_cast<Entry>(dlsym(handle, "VSTPluginMain"));
  mainEntry = reinterpret_cast<Entry>(dlsym(handle, "main"));
  if (!hostEntry()) reason = path + " is not a VST 2 plug-in (no VSTPluginMain or main entry)";
}

PluginLibrary::~PluginLibrary() {
  if (handle) dlclose(handle);
}
#endif

}  // namespace orvalis::host
