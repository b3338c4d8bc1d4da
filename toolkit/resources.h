// The bitmaps embedded in the library, looked up by resource number.
#pragma once

#include <cstddef>

namespace VSTGUI {

// The bytes of the BMP file with this number, or null.
const unsigned char* findBitmapResource(int id, std::size_t* size);

}  // namespace VSTGUI
