#include "params/parameter_table.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include "params/bounded_text.h"

namespace orvalis::params {

namespace {

// 43 and 44 (lane weights and ratios) start at 0 in "Basique", and "Polyphonie" at 1 (8 voices).
constexpr ParameterInfo kRows[kNumParams] = {
    {kPortamento, "Portamento", "portamento", "s", Display::PortamentoTime, 0, 0, 0.1f},
    {kAmpAttackH, "Ampli A H", "ampli_a_h", "s", Display::Time, 0, 0, 0.05f},
    {kAmpDecayH, "Ampli D H", "ampli_d_h", "s", Display::Time, 0, 0, 0.4f},
    {kAmpSustainH, "Ampli S H", "ampli_s_h", "", Display::Linear, 1, 0, 0.5f},
    {kAmpReleaseH, "Ampli R H", "ampli_r_h", "s", Display::Time, 0, 0, 0.4f},
    {kFilter1Type, "Filtre1 Type", "filtre1_type", "", Display::FilterType, 0, 0, 0.f},
    {kFilter1AttackH, "Filtre1 A H", "filtre1_a_h", "s", Display::Time, 0, 0, 0.05f},
    {kFilter1DecayH, "Filtre1 D H", "filtre1_d_h", "s", Display::Time, 0, 0, 0.4f},
    {kFilter1SustainH, "Filtre1 S H", "filtre1_s_h", "", Display::Linear, 1, 0, 0.8f},
    {kFilter1ReleaseH, "Filtre1 R H", "filtre1_r_h", "s", Display::Time, 0, 0, 0.4f},
    {kFilter1FreqLow, "Filtre1 Freq Low", "filtre1_freq_low", "oct", Display::Linear, 9, -1, 0.6f},
    {kFilter1FreqHigh, "Filtre1 Freq High", "filtre1_freq_high", "oct", Display::Linear, 9, -1,
     0.6f},
    {kFilter1ResoLow, "Filtre1 Reso Low", "filtre1_reso_low", "Q", Display::Square,
     kResonanceQScale, kResonanceQOffset, 0.1f},
    {kFilter1ResoHigh, "Filtre1 Reso High", "filtre1_reso_high", "Q", Display::Square,
     kResonanceQScale, kResonanceQOffset, 0.1f},
    {kFilter2Type, "Filtre2 Type", "filtre2_type", "", Display::FilterType, 0, 0, 0.f},
    {kFilter2AttackH, "Filtre2 A H", "filtre2_a_h", "s", Display::Time, 0, 0, 0.05f},
    {kFilter2DecayH, "Filtre2 D H", "filtre2_d_h", "s", Display::Time, 0, 0, 0.4f},
    {kFilter2SustainH, "Filtre2 S H", "filtre2_s_h", "", Display::Linear, 1, 0, 0.8f},
    {kFilter2ReleaseH, "Filtre2 R H", "filtre2_r_h", "s", Display::Time, 0, 0, 0.4f},
    {kFilter2FreqLow, "Filtre2 Freq Low", "filtre2_freq_low", "oct", Display::Linear, 9, -1, 0.6f},
    {kFilter2FreqHigh, "Filtre2 Freq High", "filtre2_freq_high", "oct", Display::Linear, 9, -1,
     0.6f},
    {kFilter2ResoLow, "Filtre2 Reso Low", "filtre2_reso_low", "Q", Display::Square,
     kResonanceQScale, kResonanceQOffset, 0.1f},
    {kFilter2ResoHigh, "Filtre2 Reso High", "filtre2_reso_high", "Q", Display::Square,
     kResonanceQScale, kResonanceQOffset, 0.1f},
    {kGain, "Gain", "gain", "dB", Display::Linear, 40, -20, 0.5f},
    {kOverdrive2H, "Overdrive2H", "overdrive2h", "dB", Display::Linear, 40, -20, 0.5f},
    {kLfoDelay, "LFO Delay", "lfo_delay", "s", Display::Square, 1, 0, 0.5f},
    {kLfoSpeed, "LFO Speed", "lfo_speed", "Hz", Display::Square, 20, 0, 0.5f},
    {kLfoDepthL, "LFO DepthL", "lfo_depthl", "Cents", Display::Linear, 100, 0, 0.5f},
    {kOscType, "Osc Type", "osc_type", "", Display::OscType, 0, 0, 0.f},
    {kOscTimbreLow, "Osc Timbre Low", "osc_timbre_low", "", Display::Linear, 0.5, 0, 0.5f},
    {kOscTimbreHigh, "Osc Timbre High", "osc_timbre_high", "", Display::Linear, 0.5, 0, 0.5f},
    {kAmpAttackL, "Ampli A L", "ampli_a_l", "s", Display::Time, 0, 0, 0.05f},
    {kFilter1AttackL, "Filtre1 A L", "filtre1_a_l", "s", Display::Time, 0, 0, 0.05f},
    {kFilter2AttackL, "Filtre2 A L", "filtre2_a_l", "s", Display::Time, 0, 0, 0.05f},
    {kAmpDecayL, "Ampli D L", "ampli_d_l", "s", Display::Time, 0, 0, 0.4f},
    {kFilter1DecayL, "Filtre1 D L", "filtre1_d_l", "s", Display::Time, 0, 0, 0.4f},
    {kFilter2DecayL, "Filtre2 D L", "filtre2_d_l", "s", Display::Time, 0, 0, 0.4f},
    {kAmpSustainL, "Ampli S L", "ampli_s_l", "", Display::Linear, 1, 0, 0.5f},
    {kFilter1SustainL, "Filtre1 S L", "filtre1_s_l", "", Display::Linear, 1, 0, 0.8f},
    {kFilter2SustainL, "Filtre2 S L", "filtre2_s_l", "", Display::Linear, 1, 0, 0.8f},
    {kAmpReleaseL, "Ampli R L", "ampli_r_l", "s", Display::Time, 0, 0, 0.4f},
    {kFilter1ReleaseL, "Filtre1 R L", "filtre1_r_l", "s", Display::Time, 0, 0, 0.4f},
    {kFilter2ReleaseL, "Filtre2 R L", "filtre2_r_l", "s", Display::Time, 0, 0, 0.4f},
    {kLaneWeights, nullptr, "lane_weights", nullptr, Display::Hidden, 0, 0, 0.f},
    {kLaneRatios, nullptr, "lane_ratios", nullptr, Display::Hidden, 0, 0, 0.f},
    {kFilter2Lfo, "Filtre2 LFO", "filtre2_lfo", "", Display::Linear, 1, 0, 0.f},
    {kFilter1Lfo, "Filtre1 LFO", "filtre1_lfo", "", Display::Linear, 1, 0, 0.f},
    {kOverdrive2L, "Overdrive2L", "overdrive2l", "dB", Display::Linear, 40, -20, 0.5f},
    {kLfoDepthH, "LFO DepthH", "lfo_depthh", "Cents", Display::Linear, 100, 0, 0.5f},
    {kPitchAttackH, nullptr, "pitch_attack_h", nullptr, Display::Hidden, 0, 0, 0.f},
    {kPitchAttackL, nullptr, "pitch_attack_l", nullptr, Display::Hidden, 0, 0, 0.f},
    {kPitchReleaseH, nullptr, "pitch_release_h", nullptr, Display::Hidden, 0, 0, 0.f},
    {kPitchReleaseL, nullptr, "pitch_release_l", nullptr, Display::Hidden, 0, 0, 0.f},
    {kPitchStartH, nullptr, "pitch_start_h", nullptr, Display::Hidden, 0, 0, 0.5f},
    {kPitchStartL, nullptr, "pitch_start_l", nullptr, Display::Hidden, 0, 0, 0.5f},
    {kPitchEndH, nullptr, "pitch_end_h", nullptr, Display::Hidden, 0, 0, 0.5f},
    {kPitchEndL, nullptr, "pitch_end_l", nullptr, Display::Hidden, 0, 0, 0.5f},
    {kPan, "Panoramique", "panoramique", "", Display::Pan, 0, 0, 0.5f},
    {kOverdrive1H, "Overdrive1H", "overdrive1h", "dB", Display::Linear, 40, -20, 0.5f},
    {kOverdrive1L, "Overdrive1L", "overdrive1l", "dB", Display::Linear, 40, -20, 0.5f},
    {kPolyphony, "Polyphonie", "polyphonie", "", Display::Polyphony, 0, 0, 1.f},
};

constexpr bool rowsAreInIndexOrder() {
  for (int i = 0; i < kNumParams; ++i)
    if (kRows[i].index != i) return false;
  return true;
}
static_assert(rowsAreInIndexOrder(), "each row sits at its parameter's index");

// Double to int with truncation toward zero, saturating instead of overflowing.
int truncSaturated(double x) {
  if (!(x > -2147483648.0)) return x != x ? 0 : (-2147483647 - 1);
  if (x >= 2147483647.0) return 2147483647;
  return static_cast<int>(x);
}

}  // namespace

const char* const kFilterTypeNames[5] = {"Flat", "LowPass", "EQ", "Shelving", "HighPass"};
const char* const kOscTypeNames[6] = {"Pulse", "SupSaw", "FM1", "FM2", "FM3", "WaveTable"};
const char* const kPolyphonyNames[4] = {"Mono", "2 voix", "4 voix", "8 voix"};

bool isHidden(int index) { return isValidIndex(index) && kRows[index].display == Display::Hidden; }

const ParameterInfo& parameterInfo(int index) { return kRows[isValidIndex(index) ? index : 0]; }

const char* parameterTableName(int index) {
  if (!isValidIndex(index)) return nullptr;
  return kRows[index].name ? kRows[index].name : kRows[index].symbol;
}

int parameterIndexByName(const char* name) {
  if (!name) return -1;
  for (const ParameterInfo& row : kRows)
    if (std::strcmp(parameterTableName(row.index), name) == 0) return row.index;
  return -1;
}

int parameterIndexBySymbol(const char* symbol) {
  if (!symbol) return -1;
  for (const ParameterInfo& row : kRows)
    if (std::strcmp(row.symbol, symbol) == 0) return row.index;
  return -1;
}

const char* const* choiceNames(int index, int* count) {
  const Display d = isValidIndex(index) ? kRows[index].display : Display::Hidden;
  const int n = d == Display::FilterType  ? 5
                : d == Display::OscType   ? 6
                : d == Display::Polyphony ? 4
                                          : 0;
  if (count) *count = n;
  return d == Display::FilterType  ? kFilterTypeNames
         : d == Display::OscType   ? kOscTypeNames
         : d == Display::Polyphony ? kPolyphonyNames
                                   : nullptr;
}

int oscModeOf(float v) {
  const double x = v != v ? -1.0 : (v < -1.f ? -1.0 : (v > 2.f ? 2.0 : static_cast<double>(v)));
  return static_cast<int>(std::floor(5.0 * x + 0.5));
}

int filterTypeIndex(float v) {
  if (!(v >= 0.2f)) return 0;
  if (v < 0.4f) return 1;
  if (v < 0.6f) return 2;
  if (v < 0.8f) return 3;
  return 4;
}

const char* parameterName(int index) { return isValidIndex(index) ? kRows[index].name : nullptr; }

const char* parameterLabel(int index) { return isValidIndex(index) ? kRows[index].label : nullptr; }

double timeCurve(double v) { return 5.0 * std::pow(10.0, 3.0 * (v - 1.0)); }

int choiceIndex(float v, int n) {
  int i = truncSaturated(static_cast<double>(n) * static_cast<double>(v));
  return i < 0 ? 0 : (i > n - 1 ? n - 1 : i);
}

void formatDisplay(int index, float value, char* text, std::size_t capacity) {
  if (!text || capacity == 0) return;
  text[0] = 0;
  if (!isValidIndex(index)) return;
  const ParameterInfo& row = kRows[index];
  const double v = value;
  auto number = [&](double x) { std::snprintf(text, capacity, "%4.3f", x); };
  switch (row.display) {
    case Display::Hidden:
      return;
    case Display::Time:
      return number(timeCurve(v));
    case Display::PortamentoTime:
      return number(timeCurve(0.2 * v));
    case Display::Linear:
      return number(row.a * v + row.b);
    case Display::Square:
      return number(row.a * v * v + row.b);
    case Display::FilterType:
      copyBoundedText(text, capacity, kFilterTypeNames[filterTypeIndex(value)]);
      return;
    case Display::OscType: {
      // The name of the mode that plays, not a second reading of the value.
      const int mode = oscModeOf(value);
      copyBoundedText(text, capacity, kOscTypeNames[mode < 0 ? 0 : (mode > 5 ? 5 : mode)]);
      return;
    }
    case Display::Polyphony:
      copyBoundedText(text, capacity, kPolyphonyNames[choiceIndex(value, 4)]);
      return;
    case Display::Pan: {
      int a = truncSaturated(128.0 * v);
      if (a < 63)
        std::snprintf(text, capacity, "Gauche %d", a);
      else if (a > 63)
        std::snprintf(text, capacity, "Droite %d", a);
      else
        std::snprintf(text, capacity, "Milieu");
      return;
    }
  }
}

}  // namespace orvalis::params
