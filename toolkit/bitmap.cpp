#include "toolkit/bitmap.h"

#include <atomic>
#include <cstring>

#include "io/byte_reader.h"

#include "toolkit/draw_context.h"
#include "toolkit/resources.h"

namespace VSTGUI {

namespace {
// For leak checks only: atomic, and nothing decides on it.
std::atomic<int32_t> gLiveBitmaps{0};
}  // namespace

CBitmap::CBitmap(int32_t id, int32_t scale) : resourceId(id) {
  ++gLiveBitmaps;
  std::size_t size = 0;
  const unsigned char* data = findBitmapResource(scaledResourceId(id, scale), &size);
  if (!data || !decode(data, size)) {
    width = height = 0;
    pixels.clear();
  }
}

CBitmap::CBitmap(int32_t w, int32_t h, const uint32_t* p)
    : width(w), height(h), pixels(p, p + w * h) {
  ++gLiveBitmaps;
}

CBitmap::~CBitmap() { --gLiveBitmaps; }

int32_t CBitmap::liveBitmaps() { return gLiveBitmaps.load(); }

void CBitmap::forget() {
  // The release orders this holder's reads before the deleting thread's free.
  if (references.fetch_sub(1, std::memory_order_acq_rel) <= 1) delete this;
}

// Uncompressed 24-bit BMP, bottom-up or top-down rows padded to 4 bytes. Windows keeps BITMAP
// resources without the 14-byte file header, so a bare info header is accepted too.
bool CBitmap::decode(const unsigned char* data, std::size_t size) {
  orvalis::io::ByteReader in(data, size, orvalis::io::Endian::Little);
  std::size_t header = 0;
  uint32_t pixelOffset = 0;
  if (size >= 54 && data[0] == 'B' && data[1] == 'M') {
    header = 14;
    in.u32At(10, pixelOffset);
  } else if (size < 40 || !in.u32At(0, pixelOffset) || pixelOffset < 40) {
    return false;  // else the info header's size, as 24-bit images carry no palette
  }
  uint32_t width32 = 0, height32 = 0, compression = 1;
  uint16_t bits = 0;
  if (!in.u32At(header + 4, width32) || !in.u32At(header + 8, height32) ||
      !in.u16At(header + 14, bits) || !in.u32At(header + 16, compression))
    return false;
  const auto w = static_cast<int32_t>(width32);
  auto h = static_cast<int32_t>(height32);
  if (bits != 24 || compression != 0 || w <= 0 || w > 8192 || h == 0) return false;
  const bool topDown = h < 0;
  if (topDown) h = -h;
  if (h > 8192) return false;
  const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t(3);
  if (pixelOffset > size || stride * h > size - pixelOffset) return false;
  width = w;
  height = h;
  pixels.resize(static_cast<std::size_t>(w) * h);
  for (int32_t y = 0; y < h; ++y) {
    const unsigned char* row = data + pixelOffset + stride * (topDown ? y : h - 1 - y);
    for (int32_t x = 0; x < w; ++x) {
      const unsigned char* bgr = row + 3 * x;
      pixels[static_cast<std::size_t>(y) * w + x] =
          0xFF000000u | (uint32_t(bgr[2]) << 16) | (uint32_t(bgr[1]) << 8) | bgr[0];
    }
  }
  return true;
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset) const {
  if (context) context->copyBitmap(*this, rect, offset, false);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& rect,
                              const CPoint& offset) const {
  if (context) context->copyBitmap(*this, rect, offset, true);
}

}  // namespace VSTGUI
