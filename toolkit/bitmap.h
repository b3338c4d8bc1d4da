// A 24-bit bitmap loaded from the embedded resources, reference counted: the creator holds one
// reference, remember() takes another, forget() releases one and deletes at zero. The pixels never
// change after construction and the count is atomic, so one bitmap may be shared by the editors
// of many instances on different threads.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "toolkit/geometry.h"

namespace VSTGUI {

class CDrawContext;

class CBitmap {
 public:
  // The drawing of the resource made for the given scale (1 or 2). A missing or unreadable
  // resource gives an empty 0 x 0 bitmap.
  explicit CBitmap(int32_t resourceId, int32_t scale = 1);
  CBitmap(int32_t width, int32_t height, const uint32_t* pixels);

  void remember() { references.fetch_add(1, std::memory_order_relaxed); }
  void forget();
  int32_t referenceCount() const { return references.load(std::memory_order_acquire); }

  int32_t getWidth() const { return width; }
  int32_t getHeight() const { return height; }
  int32_t getResourceID() const { return resourceId; }
  // 0xAARRGGBB, row 0 at the top.
  uint32_t pixel(int32_t x, int32_t y) const {
    return pixels[static_cast<std::size_t>(y) * width + x];
  }

  // Copies the part of the bitmap starting at offset into rect; transparent skips white pixels.
  void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint()) const;
  void drawTransparent(CDrawContext* context, const CRect& rect,
                       const CPoint& offset = CPoint()) const;

  static int32_t liveBitmaps();  // for leak checks

 private:
  ~CBitmap();
  bool decode(const unsigned char* data, std::size_t size);

  int32_t resourceId = 0;
  int32_t width = 0, height = 0;
  std::vector<uint32_t> pixels;
  std::atomic<int32_t> references{1};
};

}  // namespace VSTGUI
