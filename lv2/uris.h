// Orvalis in LV2: the names and the port layout that the plug-in, its UI, its Turtle and its
// hosts share. Every URI hangs off one base that never changes once released; it is a urn
// because Orvalis owns no web domain.
#pragma once

#include <cstdint>

#include "params/parameter_table.h"

#define ORVALIS_LV2_BASE "urn:orvalis:instrument"

namespace orvalis::lv2 {

constexpr const char* kPluginUri = ORVALIS_LV2_BASE;
constexpr const char* kUiUri = ORVALIS_LV2_BASE "#ui";
// The state property holding the whole bank (the core's state blob).
constexpr const char* kStateBankKey = ORVALIS_LV2_BASE "#state-bank";
// The message that carries the display snapshot to the UI.
constexpr const char* kDisplayType = ORVALIS_LV2_BASE "#Display";
constexpr const char* kDisplaySnapshotKey = ORVALIS_LV2_BASE "#snapshot";
// Presets are <base#preset-slug>, their families <base#family-slug>.
constexpr const char* kPresetPrefix = ORVALIS_LV2_BASE "#preset-";
constexpr const char* kFamilyPrefix = ORVALIS_LV2_BASE "#family-";

// Control port i is parameter i; the other ports follow them.
enum Port : uint32_t {
  kFirstControl = 0,
  kMidiIn = orvalis::params::kNumParams,
  kOutLeft,
  kOutRight,
  kNotify,
  kPortCount
};

constexpr const char* kMidiInSymbol = "midi_in";
constexpr const char* kOutLeftSymbol = "out_left";
constexpr const char* kOutRightSymbol = "out_right";
constexpr const char* kNotifySymbol = "notify";

inline bool isControlPort(uint32_t port) {
  return port < static_cast<uint32_t>(orvalis::params::kNumParams);
}

}  // namespace orvalis::lv2
