// Small pieces of Turtle text: escaped strings, numbers that read back as the same float, and
// the slugs that name presets and families inside the plug-in's URI.
#pragma once

#include <string>

namespace orvalis::lv2 {

// A quoted string literal.
std::string turtleString(const std::string& text);
// The shortest decimal that parses back to exactly value, always with a '.' or an exponent
// so that Turtle reads it as a number of the decimal or double kind.
std::string turtleNumber(float value);
// Lowercase letters and digits, other runs of characters as one '-': "Synth Lead" -> "synth-lead".
std::string slug(const std::string& text);

}  // namespace orvalis::lv2
