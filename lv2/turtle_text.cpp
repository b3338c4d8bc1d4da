#include "lv2/turtle_text.h"

#include <cstdio>
#include <cstdlib>

namespace orvalis::lv2 {

std::string turtleString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out + "\"";
}

std::string turtleNumber(float value) {
  char text[32];
  for (int digits = 1; digits <= 9; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
    if (std::strtof(text, nullptr) == value) break;
  }
  std::string out = text;
  if (out.find_first_of(".eE") == std::string::npos) out += ".0";
  return out;
}

std::string slug(const std::string& text) {
  std::string out;
  bool gap = false;
  for (unsigned char c : text) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    const bool upper = c >= 'A' && c <= 'Z';
    if (letter || upper) {
      if (gap && !out.empty()) out += '-';
      out += static_cast<char>(upper ? c - 'A' + 'a' : c);
      gap = false;
    } else {
      gap = true;
    }
  }
  return out;
}

}  // namespace orvalis::lv2
