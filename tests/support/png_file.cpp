#include "tests/support/png_file.h"

#include <png.h>

#include <cstdio>

namespace orvalis::tests {

bool writePng(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height) {
  if (pixels.size() < static_cast<std::size_t>(width) * height) return false;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
      row[3 * x] = (p >> 16) & 0xFF;
      row[3 * x + 1] = (p >> 8) & 0xFF;
      row[3 * x + 2] = p & 0xFF;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

bool readPng(const std::string& path, std::vector<uint32_t>& pixels, int width, int height) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_read_info(png, info);
  const bool fits = png_get_image_width(png, info) == static_cast<png_uint_32>(width) &&
                    png_get_image_height(png, info) == static_cast<png_uint_32>(height) &&
                    png_get_bit_depth(png, info) == 8 &&
                    png_get_color_type(png, info) == PNG_COLOR_TYPE_RGB &&
                    png_get_interlace_type(png, info) == PNG_INTERLACE_NONE;
  if (fits) {
    pixels.assign(static_cast<std::size_t>(width) * height, 0);
    std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
      png_read_row(png, row.data(), nullptr);
      for (int x = 0; x < width; ++x)
        pixels[static_cast<std::size_t>(y) * width + x] =
            0xFF000000u | (uint32_t(row[3 * x]) << 16) | (uint32_t(row[3 * x + 1]) << 8) |
            row[3 * x + 2];
    }
  }
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(file);
  return fits;
}

}  // namespace orvalis::tests
