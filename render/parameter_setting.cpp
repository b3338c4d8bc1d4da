#include "render/parameter_setting.h"

#include <cctype>

#include "params/parameter_table.h"
#include "render/command_line.h"
#include "render/starting_bank.h"

namespace orvalis::render {

namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string quotedName(orvalis::host::PluginHost& host, int index) {
  const std::string name = host.text(effGetParamName, index);
  return name.empty() ? "parameter " + std::to_string(index) : "'" + name + "'";
}

}  // namespace

int resolveParameter(orvalis::host::PluginHost& host, const std::string& target,
                     std::string& error) {
  long index = 0;
  if (::orvalis::render::parseInt(target, index)) {
    if (index >= 0 && index < host.numParams()) return static_cast<int>(index);
    error =
        "parameter index " + target + " out of range 0.." + std::to_string(host.numParams() - 1);
    return -1;
  }
  for (int i = 0; i < host.numParams(); ++i)
    if (sameIgnoringCase(host.text(effGetParamName, i), target)) return i;
  error = "no parameter named '" + target + "' (see --list-params)";
  return -1;
}

bool resolveValue(orvalis::host::PluginHost& host, int index, const std::string& text, float& value,
                  std::string& error) {
  double number = 0;
  if (::orvalis::render::parseDouble(text, number)) {
    if (number >= 0 && number <= 1) {
      value = static_cast<float>(number);
      return true;
    }
    error = "value " + text + " for " + quotedName(host, index) + " is outside 0..1";
    return false;
  }
  int count = 0;
  const char* const* choices =
      isOrvalis(host.effect) ? params::choiceNames(index, &count) : nullptr;
  std::string listed;
  for (int i = 0; i < count; ++i) {
    // The switch's own positions: choice i of n at i / (n - 1).
    if (sameIgnoringCase(choices[i], text)) {
      value = count > 1 ? static_cast<float>(i) / static_cast<float>(count - 1) : 0.f;
      return true;
    }
    listed += (i ? ", " : "") + std::string(choices[i]);
  }
  error = "bad value '" + text + "' for " + quotedName(host, index) + " (want 0..1" +
          (count ? " or one of " + listed : std::string()) + ")";
  return false;
}

}  // namespace orvalis::render
