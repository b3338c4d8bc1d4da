#include "params/parameter_table.h"

#include <cmath>
#include <cstdio>

namespace params {

namespace {

enum class Display {
  Hidden,
  Time,
  PortamentoTime,
  Linear,
  Square,
  FilterType,
  OscType,
  Polyphony,
  Pan
};

// Linear: a*v + b. Square: a*v*v + b.
struct Row {
  const char* name;
  const char* label;
  Display display;
  double a;
  double b;
};

constexpr Row kHiddenRow = {nullptr, nullptr, Display::Hidden, 0, 0};

const Row kRows[kNumParams] = {
    {"Portamento", "s", Display::PortamentoTime, 0, 0},
    {"Ampli A H", "s", Display::Time, 0, 0},
    {"Ampli D H", "s", Display::Time, 0, 0},
    {"Ampli S H", "", Display::Linear, 1, 0},
    {"Ampli R H", "s", Display::Time, 0, 0},
    {"Filtre1 Type", "", Display::FilterType, 0, 0},
    {"Filtre1 A H", "s", Display::Time, 0, 0},
    {"Filtre1 D H", "s", Display::Time, 0, 0},
    {"Filtre1 S H", "", Display::Linear, 1, 0},
    {"Filtre1 R H", "s", Display::Time, 0, 0},
    {"Filtre1 Freq Low", "oct", Display::Linear, 9, -1},
    {"Filtre1 Freq High", "oct", Display::Linear, 9, -1},
    {"Filtre1 Reso Low", "Q", Display::Square, 9.5, 0.5},
    {"Filtre1 Reso High", "Q", Display::Square, 9.5, 0.5},
    {"Filtre2 Type", "", Display::FilterType, 0, 0},
    {"Filtre2 A H", "s", Display::Time, 0, 0},
    {"Filtre2 D H", "s", Display::Time, 0, 0},
    {"Filtre2 S H", "", Display::Linear, 1, 0},
    {"Filtre2 R H", "s", Display::Time, 0, 0},
    {"Filtre2 Freq Low", "oct", Display::Linear, 9, -1},
    {"Filtre2 Freq High", "oct", Display::Linear, 9, -1},
    {"Filtre2 Reso Low", "Q", Display::Square, 9.5, 0.5},
    {"Filtre2 Reso High", "Q", Display::Square, 9.5, 0.5},
    {"Gain", "dB", Display::Linear, 40, -20},
    {"Overdrive2H", "dB", Display::Linear, 40, -20},
    {"LFO Delay", "s", Display::Square, 1, 0},
    {"LFO Speed", "Hz", Display::Square, 20, 0},
    {"LFO DepthL", "Cents", Display::Linear, 100, 0},
    {"Osc Type", "", Display::OscType, 0, 0},
    {"Osc Timbre Low", "", Display::Linear, 0.5, 0},
    {"Osc Timbre High", "", Display::Linear, 0.5, 0},
    {"Ampli A L", "s", Display::Time, 0, 0},
    {"Filtre1 A L", "s", Display::Time, 0, 0},
    {"Filtre2 A L", "s", Display::Time, 0, 0},
    {"Ampli D L", "s", Display::Time, 0, 0},
    {"Filtre1 D L", "s", Display::Time, 0, 0},
    {"Filtre2 D L", "s", Display::Time, 0, 0},
    {"Ampli S L", "", Display::Linear, 1, 0},
    {"Filtre1 S L", "", Display::Linear, 1, 0},
    {"Filtre2 S L", "", Display::Linear, 1, 0},
    {"Ampli R L", "s", Display::Time, 0, 0},
    {"Filtre1 R L", "s", Display::Time, 0, 0},
    {"Filtre2 R L", "s", Display::Time, 0, 0},
    kHiddenRow,
    kHiddenRow,
    {"Filtre2 LFO", "", Display::Linear, 1, 0},
    {"Filtre1 LFO", "", Display::Linear, 1, 0},
    {"Overdrive2L", "dB", Display::Linear, 40, -20},
    {"LFO DepthH", "Cents", Display::Linear, 100, 0},
    kHiddenRow,
    kHiddenRow,
    kHiddenRow,
    kHiddenRow,
    kHiddenRow,
    kHiddenRow,
    kHiddenRow,
    kHiddenRow,
    {"Panoramique", "", Display::Pan, 0, 0},
    {"Overdrive1H", "dB", Display::Linear, 40, -20},
    {"Overdrive1L", "dB", Display::Linear, 40, -20},
    {"Polyphonie", "", Display::Polyphony, 0, 0},
};

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
  const Row& row = kRows[index];
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
      std::snprintf(text, capacity, "%s", kFilterTypeNames[choiceIndex(value, 5)]);
      return;
    case Display::OscType:
      std::snprintf(text, capacity, "%s", kOscTypeNames[choiceIndex(value, 6)]);
      return;
    case Display::Polyphony:
      std::snprintf(text, capacity, "%s", kPolyphonyNames[choiceIndex(value, 4)]);
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

}  // namespace params
