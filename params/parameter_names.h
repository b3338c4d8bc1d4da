// Parameters by name, for tables written by people: the host's names for the named parameters,
// and stable symbolic names for the hidden ones, which the host never sees named.
#pragma once

#include <string_view>

namespace params {

// The index of the parameter with this host name or symbolic name, or -1.
int parameterIndexByName(std::string_view name);

// The host name of a named parameter, the symbolic name of a hidden one; null out of range.
const char* parameterSymbol(int index);

}  // namespace params
