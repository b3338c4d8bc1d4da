#include "tools/bank_audit/contact_sheet.h"

#include <algorithm>

#include "tests/support/png_file.h"
#include "toolkit/font.h"

namespace orvalis::tools::audit {

namespace {

const VSTGUI::BuiltInFont& kFont = VSTGUI::kFont1x;
constexpr int kMargin = 10, kGap = 8, kRowLabelWidth = 90;
const int kLineHeight = kFont.height + 2;
const int kLabelHeight = 2 * kLineHeight + 2;
constexpr uint32_t kBackground = 0xFF14181E, kTitle = 0xFFE8ECF0, kSubtitle = 0xFF9AA8B8,
                   kFamily = 0xFFF0C060, kFlag = 0xFFE03030;

void drawText(Picture& p, int x, int y, const std::string& text, uint32_t colour) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const int code = byte >= 32 && byte < 127 ? byte : '?';
    for (int row = 0; row < kFont.height; ++row)
      for (int col = 0; col < kFont.width; ++col)
        if (kFont.pixel(code, col, row)) p.set(x + col, y + row, colour);
    x += kFont.width;
  }
}

void blit(Picture& to, int x0, int y0, const Picture& from) {
  for (int y = 0; y < from.height; ++y)
    for (int x = 0; x < from.width; ++x)
      to.set(x0 + x, y0 + y, from.pixels[static_cast<std::size_t>(y) * from.width + x]);
}

void frame(Picture& p, int x0, int y0, int w, int h, uint32_t colour) {
  for (int x = x0 - 2; x < x0 + w + 2; ++x)
    for (int t : {y0 - 2, y0 - 1, y0 + h, y0 + h + 1}) p.set(x, t, colour);
  for (int y = y0 - 2; y < y0 + h + 2; ++y)
    for (int t : {x0 - 2, x0 - 1, x0 + w, x0 + w + 1}) p.set(t, y, colour);
}

}  // namespace

bool writeContactSheet(const std::string& path, const std::string& heading,
                       const std::vector<SheetRow>& rows, std::string& error) {
  int tileWidth = 0, tileHeight = 0;
  std::size_t columns = 0;
  for (const SheetRow& row : rows) {
    columns = std::max(columns, row.tiles.size());
    for (const SheetTile& tile : row.tiles) {
      tileWidth = std::max(tileWidth, tile.picture.width);
      tileHeight = std::max(tileHeight, tile.picture.height);
    }
  }
  const int rowHeight = kLabelHeight + tileHeight + kGap;
  Picture sheet;
  sheet.width = 2 * kMargin + kRowLabelWidth + static_cast<int>(columns) * (tileWidth + kGap);
  sheet.height = 2 * kMargin + 2 * kLineHeight + static_cast<int>(rows.size()) * rowHeight;
  sheet.fill(kBackground);
  drawText(sheet, kMargin, kMargin, heading, kTitle);

  int y = kMargin + 2 * kLineHeight;
  for (const SheetRow& row : rows) {
    drawText(sheet, kMargin, y + kLabelHeight + tileHeight / 2 - kFont.height / 2, row.name,
             kFamily);
    int x = kMargin + kRowLabelWidth;
    for (const SheetTile& tile : row.tiles) {
      drawText(sheet, x, y, tile.title, tile.flagged ? kFlag : kTitle);
      drawText(sheet, x, y + kLineHeight, tile.subtitle, kSubtitle);
      blit(sheet, x, y + kLabelHeight, tile.picture);
      if (tile.flagged)
        frame(sheet, x, y + kLabelHeight, tile.picture.width, tile.picture.height, kFlag);
      x += tileWidth + kGap;
    }
    y += rowHeight;
  }
  if (!orvalis::tests::writePng(path, sheet.pixels, sheet.width, sheet.height)) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace orvalis::tools::audit
