#include "vst3/parameters.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "params/parameter_table.h"
#include "params/program_record.h"
#include "vst3/text16.h"

namespace orvalis::vst3 {

namespace {

using params::Display;

constexpr ParamID kControllerParams[] = {kModWheelParam, kAllNotesOffParam, kPitchBendParam};
constexpr int32_t kControllerCount = sizeof kControllerParams / sizeof kControllerParams[0];

int stepsOf(int index) {
  int choices = 0;
  params::choiceNames(index, &choices);
  return choices > 1 ? choices - 1 : 0;
}

void describeTableRow(int index, ParameterInfo& info) {
  const params::ParameterInfo& row = params::parameterInfo(index);
  const bool hidden = params::isHidden(index);
  info.id = static_cast<ParamID>(index);
  // Hidden rows have no name: hosts still want a title, so they get the symbol.
  copyText16(info.title, hidden ? row.symbol : row.name);
  copyText16(info.shortTitle, hidden ? row.symbol : row.name);
  copyText16(info.units, hidden || !row.label ? "" : row.label);
  info.stepCount = stepsOf(index);
  info.defaultNormalizedValue = row.defaultValue;
  info.flags = hidden ? (ParameterInfo::kIsHidden | ParameterInfo::kIsReadOnly)
                      : ParameterInfo::kCanAutomate;
  if (info.stepCount > 0) info.flags |= ParameterInfo::kIsList;
}

void describeController(ParamID id, ParameterInfo& info) {
  info.id = id;
  const char* name = id == kPitchBendParam  ? "Pitch Bend"
                     : id == kModWheelParam ? "Mod Wheel"
                                            : "All Notes Off";
  copyText16(info.title, name);
  copyText16(info.shortTitle, name);
  copyText16(info.units, "");
  info.stepCount = id == kPitchBendParam ? 16383 : 127;
  info.defaultNormalizedValue = id == kPitchBendParam ? 8192.0 / 16383.0 : 0.0;
  // Only the host's MIDI reaches them, never automation or a generic editor.
  info.flags = ParameterInfo::kIsHidden | ParameterInfo::kIsReadOnly;
}

// Reads a decimal number filling the whole text (spaces around allowed).
bool readNumber(const char* text, double& out) {
  char* end = nullptr;
  out = std::strtod(text, &end);
  if (end == text) return false;
  while (*end == ' ') ++end;
  return *end == 0 && std::isfinite(out);
}

bool inverseOfDisplay(int index, const char* text, double& v) {
  const params::ParameterInfo& row = params::parameterInfo(index);
  int choices = 0;
  const char* const* names = params::choiceNames(index, &choices);
  if (names) {
    for (int k = 0; k < choices; ++k)
      if (std::strcmp(text, names[k]) == 0) {
        v = static_cast<double>(k) / (choices - 1);
        return true;
      }
    return false;
  }
  if (row.display == Display::Pan) {
    int n = 63;
    char rest = 0;
    const bool middle = std::strcmp(text, "Milieu") == 0;
    const bool left =
        !middle && std::sscanf(text, "Gauche %d%c", &n, &rest) == 1 && n >= 0 && n < 63;
    const bool right =
        !middle && !left && std::sscanf(text, "Droite %d%c", &n, &rest) == 1 && n > 63 && n <= 128;
    if (!middle && !left && !right) return false;
    // The middle of the display's step, so that the text reads back the same.
    v = (n + 0.5) / 128.0;
    return true;
  }
  double x = 0.0;
  if (!readNumber(text, x)) return false;
  switch (row.display) {
    case Display::Time:
    case Display::PortamentoTime:
      if (x <= 0.0) return false;
      v = 1.0 + std::log10(x / 5.0) / 3.0;
      if (row.display == Display::PortamentoTime) v /= 0.2;
      return true;
    case Display::Linear:
      if (row.a == 0.0) return false;
      v = (x - row.b) / row.a;
      return true;
    case Display::Square:
      if (row.a == 0.0 || (x - row.b) / row.a < 0.0) return false;
      v = std::sqrt((x - row.b) / row.a);
      return true;
    default:
      return false;
  }
}

}  // namespace

int32_t parameterCount() { return params::kNumParams + 1 + kControllerCount; }

bool describeParameter(int32_t index, ParameterInfo& info) {
  if (index < 0 || index >= parameterCount()) return false;
  std::memset(&info, 0, sizeof info);
  info.unitId = kRootUnitId;
  if (index < params::kNumParams) {
    describeTableRow(index, info);
  } else if (index == params::kNumParams) {
    info.id = kProgramParam;
    copyText16(info.title, "Program");
    copyText16(info.shortTitle, "Program");
    info.stepCount = params::kNumPrograms - 1;
    info.flags = ParameterInfo::kIsProgramChange | ParameterInfo::kIsList;
  } else {
    describeController(kControllerParams[index - params::kNumParams - 1], info);
  }
  return true;
}

bool isControllerParameter(ParamID id) {
  for (ParamID c : kControllerParams)
    if (id == c) return true;
  return false;
}

bool isKnownParameter(ParamID id) {
  return id < static_cast<ParamID>(params::kNumParams) || id == kProgramParam ||
         isControllerParameter(id);
}

int controllerValue(ParamID id, ParamValue normalized) {
  const int top = id == kPitchBendParam ? 16383 : 127;
  if (!(normalized > 0.0)) return 0;  // NaN too
  if (normalized >= 1.0) return top;
  return static_cast<int>(std::lround(normalized * top));
}

int programOfValue(ParamValue normalized) {
  if (!(normalized > 0.0)) return 0;
  if (normalized >= 1.0) return params::kNumPrograms - 1;
  return static_cast<int>(std::lround(normalized * (params::kNumPrograms - 1)));
}

bool parameterText(ParamID id, ParamValue normalized, const char* programName, String128 text) {
  char buffer[64] = {};
  if (id < static_cast<ParamID>(params::kNumParams)) {
    params::formatDisplay(static_cast<int>(id), static_cast<float>(normalized), buffer,
                          sizeof buffer);
  } else if (id == kProgramParam) {
    std::snprintf(buffer, sizeof buffer, "%s", programName ? programName : "");
  } else if (isControllerParameter(id)) {
    std::snprintf(buffer, sizeof buffer, "%d", controllerValue(id, normalized));
  } else {
    return false;
  }
  copyText16(text, buffer);
  return true;
}

bool parameterValueOfText(ParamID id, const char16* text, ParamValue& normalized) {
  if (!text || id >= static_cast<ParamID>(params::kNumParams)) return false;
  char buffer[64];
  copyText8(buffer, sizeof buffer, text, 128);
  double v = 0.0;
  if (!inverseOfDisplay(static_cast<int>(id), buffer, v) || !std::isfinite(v)) return false;
  normalized = v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v);
  return true;
}

}  // namespace orvalis::vst3
