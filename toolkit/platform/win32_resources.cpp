// On Windows the bitmaps are BITMAP resources of the plug-in's own module, under their numbers.
#if defined(_WIN32)
#include <windows.h>

#include "toolkit/resources.h"

namespace VSTGUI {

const unsigned char* findBitmapResource(int id, std::size_t* size) {
  if (size) *size = 0;
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCSTR>(&findBitmapResource), &module))
    return nullptr;
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  if (!resource) return nullptr;
  HGLOBAL loaded = LoadResource(module, resource);
  if (!loaded) return nullptr;
  if (size) *size = SizeofResource(module, resource);
  return static_cast<const unsigned char*>(LockResource(loaded));
}

}  // namespace VSTGUI
#endif
