#include "clap/parameter_mapping.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "params/bounded_text.h"
#include "params/parameter_table.h"

namespace orvalis::clap {

namespace {

using namespace orvalis::params;

// The sections of the panel, as host menus show them ('/' nests).
const char* moduleOf(int index) {
  switch (index) {
    case kPortamento:
    case kOscType:
    case kOscTimbreLow:
    case kOscTimbreHigh:
    case kLaneWeights:
    case kLaneRatios:
      return "Oscillator";
    case kFilter1Type:
    case kFilter1FreqLow:
    case kFilter1FreqHigh:
    case kFilter1ResoLow:
    case kFilter1ResoHigh:
    case kFilter1Lfo:
    case kOverdrive1H:
    case kOverdrive1L:
      return "Filters/Filter 1";
    case kFilter2Type:
    case kFilter2FreqLow:
    case kFilter2FreqHigh:
    case kFilter2ResoLow:
    case kFilter2ResoHigh:
    case kFilter2Lfo:
    case kOverdrive2H:
    case kOverdrive2L:
      return "Filters/Filter 2";
    case kAmpAttackH:
    case kAmpAttackL:
    case kAmpDecayH:
    case kAmpDecayL:
    case kAmpSustainH:
    case kAmpSustainL:
    case kAmpReleaseH:
    case kAmpReleaseL:
      return "Envelopes/Amplitude";
    case kFilter1AttackH:
    case kFilter1AttackL:
    case kFilter1DecayH:
    case kFilter1DecayL:
    case kFilter1SustainH:
    case kFilter1SustainL:
    case kFilter1ReleaseH:
    case kFilter1ReleaseL:
      return "Envelopes/Filter 1";
    case kFilter2AttackH:
    case kFilter2AttackL:
    case kFilter2DecayH:
    case kFilter2DecayL:
    case kFilter2SustainH:
    case kFilter2SustainL:
    case kFilter2ReleaseH:
    case kFilter2ReleaseL:
      return "Envelopes/Filter 2";
    case kLfoDelay:
    case kLfoSpeed:
    case kLfoDepthL:
    case kLfoDepthH:
      return "LFO";
    case kPitchAttackH:
    case kPitchAttackL:
    case kPitchReleaseH:
    case kPitchReleaseL:
    case kPitchStartH:
    case kPitchStartL:
    case kPitchEndH:
    case kPitchEndL:
      return "Pitch envelope";
    default:
      return "Output";
  }
}

bool validId(clap_id id) { return id < static_cast<clap_id>(kNumParams); }

// A number at the start of text, then nothing but blanks and optionally the unit.
bool readNumber(const char* text, const char* unit, double& x) {
  char* end = nullptr;
  x = std::strtod(text, &end);
  if (end == text || !std::isfinite(x)) return false;
  while (*end == ' ') ++end;
  if (unit && *unit && std::strncmp(end, unit, std::strlen(unit)) == 0) end += std::strlen(unit);
  while (*end == ' ') ++end;
  return *end == 0;
}

double clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

}  // namespace

int positionsOf(clap_id id) {
  if (!validId(id)) return 0;
  int count = 0;
  choiceNames(static_cast<int>(id), &count);
  return count;
}

bool describeParameter(clap_id id, ParamInfo& info) {
  if (!validId(id)) return false;
  const int index = static_cast<int>(id);
  const ParameterInfo& row = parameterInfo(index);
  std::memset(&info, 0, sizeof info);
  info.id = id;
  const int positions = positionsOf(id);
  info.flags = isHidden(index) ? kParamIsHidden : kParamIsAutomatable;
  if (positions > 0) info.flags |= kParamIsStepped;
  copyBoundedText(info.name, sizeof info.name, parameterTableName(index));
  copyBoundedText(info.module, sizeof info.module, moduleOf(index));
  info.min_value = 0.0;
  info.max_value = positions > 0 ? positions - 1 : 1.0;
  info.default_value = plainValue(id, row.defaultValue);
  return true;
}

float storedValue(clap_id id, double plain) {
  const int positions = positionsOf(id);
  if (positions == 0) return static_cast<float>(plain);
  // Stepped: the host's value is truncated to a position, as the format says.
  double k = std::trunc(plain);
  k = k < 0.0 ? 0.0 : (k > positions - 1 ? positions - 1 : k);
  return static_cast<float>(k / (positions - 1));
}

double plainValue(clap_id id, float stored) {
  const int positions = positionsOf(id);
  if (positions == 0) return stored;
  // The position the display names for the stored value.
  if (parameterInfo(static_cast<int>(id)).display == Display::OscType) {
    const int mode = oscModeOf(stored);
    return mode < 0 ? 0 : (mode > positions - 1 ? positions - 1 : mode);
  }
  return choiceIndex(stored, positions);
}

bool plainToText(clap_id id, double plain, char* text, std::size_t capacity) {
  if (!validId(id) || !text || capacity == 0 || isHidden(static_cast<int>(id))) return false;
  formatDisplay(static_cast<int>(id), storedValue(id, plain), text, capacity);
  return true;
}

bool textToPlain(clap_id id, const char* text, double& plain) {
  if (!validId(id) || !text) return false;
  const int index = static_cast<int>(id);
  const ParameterInfo& row = parameterInfo(index);
  int positions = 0;
  if (const char* const* names = choiceNames(index, &positions)) {
    for (int k = 0; k < positions; ++k)
      if (std::strcmp(text, names[k]) == 0) return plain = k, true;
    return false;
  }
  if (row.display == Display::Pan) {
    int n = 0;
    char tail = 0;
    if (std::strcmp(text, "Milieu") == 0) return plain = 63.5 / 128.0, true;
    if (std::sscanf(text, "Gauche %d%c", &n, &tail) == 1 && n >= 0 && n < 63)
      return plain = (n + 0.5) / 128.0, true;
    if (std::sscanf(text, "Droite %d%c", &n, &tail) == 1 && n > 63 && n <= 128)
      return plain = clamp01((n + 0.5) / 128.0), true;
    return false;
  }
  double x = 0.0;
  if (row.display == Display::Hidden || !readNumber(text, row.label, x)) return false;
  double v = 0.0;
  switch (row.display) {
    case Display::Time:
    case Display::PortamentoTime:
      if (x <= 0.0) return false;
      v = 1.0 + std::log10(x / 5.0) / 3.0;
      if (row.display == Display::PortamentoTime) v *= 5.0;
      break;
    case Display::Linear:
      if (row.a == 0.0) return false;
      v = (x - row.b) / row.a;
      break;
    case Display::Square:
      if (row.a == 0.0) return false;
      v = (x - row.b) / row.a;
      v = v > 0.0 ? std::sqrt(v) : 0.0;
      break;
    default:
      return false;
  }
  plain = clamp01(v);
  return true;
}

}  // namespace orvalis::clap
