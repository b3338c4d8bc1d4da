// The whole bank on one page: a row per family, a labelled spectrogram per program.
#pragma once

#include <string>
#include <vector>

#include "tools/bank_audit/sonogram.h"

namespace orvalis::tools::audit {

struct SheetTile {
  std::string title, subtitle;
  Picture picture;
  bool flagged = false;  // broke a rule: framed in red
};

// rows[r] is a family's name and its tiles, left to right.
struct SheetRow {
  std::string name;
  std::vector<SheetTile> tiles;
};

bool writeContactSheet(const std::string& path, const std::string& heading,
                       const std::vector<SheetRow>& rows, std::string& error);

}  // namespace orvalis::tools::audit
