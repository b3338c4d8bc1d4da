#include "toolkit/platform/desktop_scale.h"

namespace VSTGUI {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// A non-negative decimal number from text[i] on, without the locale (hosts set their own, and
// some use a decimal comma). Answers -1 unless a number is there.
double readNumber(const char* text, std::size_t length, std::size_t& i) {
  double value = 0;
  bool digits = false;
  for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    digits = true;
  }
  if (i < length && text[i] == '.') {
    double unit = 0.1;
    for (++i; i < length && text[i] >= '0' && text[i] <= '9'; ++i, unit /= 10) {
      value += (text[i] - '0') * unit;
      digits = true;
    }
  }
  return digits ? value : -1;
}

constexpr char kXftDpi[] = "Xft.dpi";
// No desktop runs anywhere near this; a larger value is garbage, not a request.
constexpr double kMaxDpi = 9600.0;

}  // namespace

double parseGdkScale(const char* value) {
  if (!value) return 0;
  std::size_t length = 0;
  while (value[length] && length < 64) ++length;
  std::size_t i = 0;
  while (i < length && isBlank(value[i])) ++i;
  const double scale = readNumber(value, length, i);
  while (i < length && isBlank(value[i])) ++i;
  return i == length && value[i] == '\0' && scale > 0 && scale <= 100 ? scale : 0;
}

double parseXftDpi(const char* text, std::size_t length) {
  if (!text) return 0;
  double dpi = 0;
  constexpr std::size_t nameLength = sizeof kXftDpi - 1;
  for (std::size_t line = 0; line < length;) {
    std::size_t end = line;
    while (end < length && text[end] != '\n') ++end;
    std::size_t i = line;
    while (i < end && isBlank(text[i])) ++i;
    bool named = end - i > nameLength;
    for (std::size_t k = 0; named && k < nameLength; ++k) named = text[i + k] == kXftDpi[k];
    if (named) {
      i += nameLength;
      while (i < end && isBlank(text[i])) ++i;
      if (i < end && text[i] == ':') {
        ++i;
        while (i < end && isBlank(text[i])) ++i;
        const double value = readNumber(text, end, i);
        while (i < end && isBlank(text[i])) ++i;
        // Later entries override earlier ones, as in the resource database itself.
        if (i == end && value > 0 && value <= kMaxDpi) dpi = value;
      }
    }
    line = end + 1;
  }
  return dpi;
}

double x11ScaleFactor(const char* gdkScale, const char* resources, std::size_t length) {
  const double gdk = parseGdkScale(gdkScale);
  if (gdk > 0) return gdk;
  const double dpi = parseXftDpi(resources, length);
  return dpi >= kX11DoubleDpi ? dpi / kBaseDpi : 1.0;
}

}  // namespace VSTGUI
