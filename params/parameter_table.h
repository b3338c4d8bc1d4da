// The 61 parameters, one row each: index, name, a stable symbol, unit label, the rule that turns
// a stored value into display text, the default program's value, and the choices of switches.
// Everything that describes a parameter (the host texts, the editor, presets, other plug-in
// formats' metadata) reads this table. Values are floats, nominally 0 to 1; nothing here clamps
// a stored value.
#pragma once

#include <cstddef>
#include <cstring>

namespace orvalis::params {

constexpr int kNumParams = 61;

enum ParamIndex : int {
  kPortamento = 0,
  kAmpAttackH = 1,
  kAmpDecayH = 2,
  kAmpSustainH = 3,
  kAmpReleaseH = 4,
  kFilter1Type = 5,
  kFilter1AttackH = 6,
  kFilter1DecayH = 7,
  kFilter1SustainH = 8,
  kFilter1ReleaseH = 9,
  kFilter1FreqLow = 10,
  kFilter1FreqHigh = 11,
  kFilter1ResoLow = 12,
  kFilter1ResoHigh = 13,
  kFilter2Type = 14,
  kFilter2AttackH = 15,
  kFilter2DecayH = 16,
  kFilter2SustainH = 17,
  kFilter2ReleaseH = 18,
  kFilter2FreqLow = 19,
  kFilter2FreqHigh = 20,
  kFilter2ResoLow = 21,
  kFilter2ResoHigh = 22,
  kGain = 23,
  kOverdrive2H = 24,
  kLfoDelay = 25,
  kLfoSpeed = 26,
  kLfoDepthL = 27,
  kOscType = 28,
  kOscTimbreLow = 29,
  kOscTimbreHigh = 30,
  kAmpAttackL = 31,
  kFilter1AttackL = 32,
  kFilter2AttackL = 33,
  kAmpDecayL = 34,
  kFilter1DecayL = 35,
  kFilter2DecayL = 36,
  kAmpSustainL = 37,
  kFilter1SustainL = 38,
  kFilter2SustainL = 39,
  kAmpReleaseL = 40,
  kFilter1ReleaseL = 41,
  kFilter2ReleaseL = 42,
  kLaneWeights = 43,
  kLaneRatios = 44,
  kFilter2Lfo = 45,
  kFilter1Lfo = 46,
  kOverdrive2L = 47,
  kLfoDepthH = 48,
  kPitchAttackH = 49,
  kPitchAttackL = 50,
  kPitchReleaseH = 51,
  kPitchReleaseL = 52,
  kPitchStartH = 53,
  kPitchStartL = 54,
  kPitchEndH = 55,
  kPitchEndL = 56,
  kPan = 57,
  kOverdrive1H = 58,
  kOverdrive1L = 59,
  kPolyphony = 60,
};

inline bool isValidIndex(int index) { return index >= 0 && index < kNumParams; }

enum class Display : int {
  Hidden,          // acts on the sound, but has no name, label or display
  Time,            // timeCurve(v) seconds
  PortamentoTime,  // timeCurve(0.2 v) seconds
  Linear,          // a v + b
  Square,          // a v^2 + b
  FilterType,      // kFilterTypeNames
  OscType,         // kOscTypeNames, the mode the engine plays
  Polyphony,       // kPolyphonyNames
  Pan              // "Gauche n", "Milieu", "Droite n"
};

struct ParameterInfo {
  int index;
  const char* name;    // null for hidden rows
  const char* symbol;  // lowercase identifier, never changed once released
  const char* label;   // unit; null for hidden rows
  Display display;
  double a, b;
  float defaultValue;  // in the default program "Basique"
};

extern const char* const kFilterTypeNames[5];
extern const char* const kOscTypeNames[6];
extern const char* const kPolyphonyNames[4];

// The row of a valid index.
const ParameterInfo& parameterInfo(int index);
// For tables written by people: the host's name of a named parameter, the symbol of a hidden
// one (which hosts never see named). -1 when no parameter answers to it.
int parameterIndexByName(const char* name);
const char* parameterTableName(int index);  // null out of range
// -1 when no row has that symbol.
int parameterIndexBySymbol(const char* symbol);

// Hidden parameters act on the sound but have no name, label or display.
bool isHidden(int index);

// Null for hidden and out-of-range indices.
const char* parameterName(int index);
const char* parameterLabel(int index);

// The choice texts of a switch parameter (filter types, oscillator mode, polyphony), or null.
const char* const* choiceNames(int index, int* count);

// The display text of a value; empty for hidden and out-of-range indices.
// Writes at most capacity - 1 characters and a terminator.
void formatDisplay(int index, float value, char* text, std::size_t capacity);

// Time curve shared by the display and the engine: 5 ms at 0, 5 s at 1.
double timeCurve(double v);

// Choice index: trunc(n * v) clamped to 0..n-1.
int choiceIndex(float v, int n);

// The filter type a "Filtre1 Type" or "Filtre2 Type" value selects, an index into
// kFilterTypeNames: "Flat" below 0.2, "LowPass" below 0.4, "EQ" below 0.6, "Shelving" below 0.8,
// else "HighPass"; a NaN selects "Flat". For every float this is choiceIndex(v, 5), the display's
// trunc(5 v), so the engine plays the type the host shows.
int filterTypeIndex(float v);

// Q of a "Reso" value r: 9.5 r^2 + 0.5, from 0.5 to 10. The display shows it (Display::Square
// with these factors); the engine designs its filters with it, in float.
constexpr double kResonanceQScale = 9.5;
constexpr double kResonanceQOffset = 0.5;
template <class T>
constexpr T resonanceQ(T r) {
  return static_cast<T>(kResonanceQScale) * (r * r) + static_cast<T>(kResonanceQOffset);
}

// "Osc Timbre" t as the oscillators read it: 0.49 t + 0.01, the second saw's lead of 1 % to
// 50 % of a period, and the phase-modulation index factor.
// Over float or a vector of floats.
template <class T>
constexpr T oscTimbreShare(T t) {
  return T(0.49f) * t + T(0.01f);
}

// The oscillator mode the engine plays for an "Osc Type" value: the nearest switch position
// k/5. The value is read within -1..2 as the engine reads every parameter; values outside 0..1
// may give modes outside 0..5, which play silence.
int oscModeOf(float v);

}  // namespace orvalis::params
