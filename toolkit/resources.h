// The bitmaps embedded in the library, looked up by resource number.
#pragma once

#include <cstddef>
#include <cstdint>

namespace VSTGUI {

// resources/<id>.bmp is embedded as number id, its 2x drawing resources/2x/<id>.bmp as
// id + kDoubleScaleResourceOffset (the build scripts use the same number). Windows resource
// numbers are 16-bit, which every id below 45536 leaves room for.
constexpr int32_t kDoubleScaleResourceOffset = 20000;

constexpr int32_t scaledResourceId(int32_t id, int32_t scale) {
  return scale >= 2 ? id + kDoubleScaleResourceOffset : id;
}

// The bytes of the BMP file with this number, or null.
const unsigned char* findBitmapResource(int id, std::size_t* size);

}  // namespace VSTGUI
