// The data of a feature the host passed, by URI, or null when it passed none.
#pragma once

#include <lv2/core/lv2.h>

#include <cstring>

namespace orvalis::lv2 {

inline const void* findFeature(const LV2_Feature* const* features, const char* uri) {
  for (const LV2_Feature* const* f = features; f && *f; ++f)
    if ((*f)->URI && std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
  return nullptr;
}

}  // namespace orvalis::lv2
