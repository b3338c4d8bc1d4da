// What a --param or --automate names: a parameter by number or by name in any case, and a value
// 0..1 or, for Orvalis's switches, the name of a choice ("Osc Type=FM2").
#pragma once

#include <string>

#include "host/plugin_host.h"

namespace orvalis::render {

// The parameter's index, or -1 with a one-line reason.
int resolveParameter(orvalis::host::PluginHost& host, const std::string& target,
                     std::string& error);

// False with a one-line reason (the range, or the choices) when the text gives no value.
bool resolveValue(orvalis::host::PluginHost& host, int index, const std::string& text, float& value,
                  std::string& error);

}  // namespace orvalis::render
