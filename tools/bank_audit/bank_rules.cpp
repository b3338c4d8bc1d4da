#include "tools/bank_audit/bank_rules.h"

#include <cmath>
#include <cstdio>

namespace orvalis::tools::audit {

namespace {

constexpr float kLoudestChordDb = -1.f, kQuietestChordDb = -20.f;
constexpr float kAudibleDb = -45.f;  // single notes at the ends of the keyboard
// Near-duplicates: programs closer than this sound alike or are set alike.
constexpr double kSoundDuplicateDb = 1.5;
constexpr double kParameterDuplicate = 0.75;

struct Limits {
  double attackMin, attackMax;          // seconds
  double holdChangeMin, holdChangeMax;  // dB over the hold
  double releaseMin, releaseMax;        // seconds; a release longer than the take counts as long
};

constexpr double kLong = 1e9;

Limits limitsOf(Articulation a) {
  switch (a) {
    case Articulation::Decaying:
      return {0, 0.05, -200, -8, 0, 2.0};
    case Articulation::Hit:
      return {0, 0.03, -200, -20, 0, 1.5};
    case Articulation::Sustained:
      return {0, 0.25, -10, 3, 0, 1.5};
    case Articulation::Bowed:
      return {0.03, 0.8, -10, 3, 0.05, 2.0};
    case Articulation::Bass:
      return {0, 0.06, -200, 3, 0, 1.5};
    case Articulation::Lead:
      return {0, 0.08, -10, 3, 0, 1.5};
    case Articulation::Pad:
      return {0.15, 2.5, -12, 3, 0.4, kLong};
    case Articulation::Free:
      break;
  }
  return {0, 2.5, -200, 3, 0, kLong};
}

std::string format(const char* pattern, double a, double b = 0, double c = 0) {
  char text[160];
  std::snprintf(text, sizeof text, pattern, a, b, c);
  return text;
}

bool differ(const orvalis::params::ProgramRecord& r, int h, int l) {
  return std::fabs(r.values[h] - r.values[l]) >= 0.05f;
}

}  // namespace

Articulation articulationOf(int program) {
  struct Span {
    int first, last;
    Articulation articulation;
  };
  // General MIDI slots, grouped by how the instrument plays.
  static const Span kSpans[] = {
      {0, 15, Articulation::Decaying},    {16, 23, Articulation::Sustained},
      {24, 31, Articulation::Decaying},   {32, 39, Articulation::Bass},
      {40, 44, Articulation::Bowed},      {45, 47, Articulation::Decaying},
      {48, 54, Articulation::Bowed},      {55, 55, Articulation::Hit},
      {56, 79, Articulation::Sustained},  {80, 87, Articulation::Lead},
      {88, 95, Articulation::Pad},        {96, 103, Articulation::Free},
      {104, 108, Articulation::Decaying}, {109, 109, Articulation::Sustained},
      {110, 110, Articulation::Bowed},    {111, 111, Articulation::Sustained},
      {112, 118, Articulation::Hit},      {119, 127, Articulation::Free},
  };
  for (const Span& span : kSpans)
    if (program >= span.first && program <= span.last) return span.articulation;
  return Articulation::Free;
}

const char* articulationName(Articulation a) {
  switch (a) {
    case Articulation::Decaying:
      return "decaying";
    case Articulation::Hit:
      return "hit";
    case Articulation::Sustained:
      return "sustained";
    case Articulation::Bowed:
      return "bowed";
    case Articulation::Bass:
      return "bass";
    case Articulation::Lead:
      return "lead";
    case Articulation::Pad:
      return "pad";
    case Articulation::Free:
      return "free";
  }
  return "";
}

std::vector<std::string> programProblems(const ProgramFigures& f) {
  std::vector<std::string> p;
  const long nonFinite =
      f.chord.nonFinite + f.low.nonFinite + f.high.nonFinite + f.phrase.nonFinite;
  if (nonFinite) p.push_back(format("%.0f non-finite samples", static_cast<double>(nonFinite)));
  if (f.chord.peakDb > kLoudestChordDb || f.chord.peakDb < kQuietestChordDb)
    p.push_back(format("chord peak %.1f dBFS, outside -20 to -1", f.chord.peakDb));
  if (f.low.clipped || f.high.clipped)
    p.push_back(format("clips at full velocity (%.0f samples)",
                       static_cast<double>(f.low.clipped + f.high.clipped)));
  if (f.low.peakDb < kAudibleDb || f.high.peakDb < kAudibleDb)
    p.push_back(format("a single note is near silent (low %.1f, high %.1f dBFS)", f.low.peakDb,
                       f.high.peakDb));
  if (f.phrase.peakDb > kSilenceDb && f.phrase.peakDb < kQuietestChordDb - 10)
    p.push_back(format("the legato phrase is near silent (%.1f dBFS)", f.phrase.peakDb));

  const Articulation a = articulationOf(f.index);
  const Limits l = limitsOf(a);
  const char* what = articulationName(a);
  if (f.attack < l.attackMin || f.attack > l.attackMax)
    p.push_back(format("attack %.2f s, wants %.2f to %.2f s", f.attack, l.attackMin, l.attackMax) +
                std::string(" (") + what + ")");
  if (f.holdChange < l.holdChangeMin || f.holdChange > l.holdChangeMax)
    p.push_back(format("level over the hold changes %.1f dB, wants %.0f to %.0f", f.holdChange,
                       l.holdChangeMin, l.holdChangeMax) +
                std::string(" (") + what + ")");
  const double release = f.release < 0 ? kLong : f.release;
  if (release < l.releaseMin || release > l.releaseMax)
    p.push_back(
        format("release %.2f s, wants %.2f to %.2f s", f.release, l.releaseMin, l.releaseMax) +
        std::string(" (") + what + ")");
  if (a == Articulation::Bass && f.lowCentroid > 900)
    p.push_back(
        format("a bass whose low note centres at %.0f Hz (wants 900 or below)", f.lowCentroid));
  if (a == Articulation::Lead && f.centroid < 1200)
    p.push_back(format("a lead whose chord centres at %.0f Hz (wants 1200 or above)", f.centroid));
  if (f.mono && (f.glide < 0.02))
    p.push_back(
        format("a Mono program that reaches a legato note in %.3f s (wants a glide)", f.glide));
  return p;
}

Pair closestBySound(const std::vector<ProgramFigures>& figures) {
  Pair best{-1, -1, 1e9};
  for (std::size_t i = 0; i < figures.size(); ++i)
    for (std::size_t j = i + 1; j < figures.size(); ++j) {
      const double d = soundDistance(figures[i], figures[j]);
      if (d < best.distance) best = {figures[i].index, figures[j].index, d};
    }
  return best;
}

Pair closestByParameters(const std::vector<orvalis::params::FactoryProgram>& programs) {
  Pair best{-1, -1, 1e9};
  for (std::size_t i = 0; i < programs.size(); ++i)
    for (std::size_t j = i + 1; j < programs.size(); ++j) {
      const double d = parameterDistance(programs[i].record, programs[j].record);
      if (d < best.distance) best = {static_cast<int>(i), static_cast<int>(j), d};
    }
  return best;
}

std::vector<std::string> duplicateProblems(
    const std::vector<ProgramFigures>& figures,
    const std::vector<orvalis::params::FactoryProgram>& programs) {
  std::vector<std::string> p;
  for (std::size_t i = 0; i < figures.size(); ++i)
    for (std::size_t j = i + 1; j < figures.size(); ++j) {
      const double d = soundDistance(figures[i], figures[j]);
      if (d < kSoundDuplicateDb)
        p.push_back(figures[i].name + " and " + figures[j].name +
                    format(" sound alike (%.2f dB apart)", d));
    }
  for (std::size_t i = 0; i < programs.size(); ++i)
    for (std::size_t j = i + 1; j < programs.size(); ++j) {
      const double d = parameterDistance(programs[i].record, programs[j].record);
      if (d < kParameterDuplicate)
        p.push_back(std::string(programs[i].record.name) + " and " + programs[j].record.name +
                    format(" are set alike (%.2f apart)", d));
    }
  return p;
}

std::vector<std::string> showcaseProblems(
    const std::vector<orvalis::params::FactoryProgram>& programs) {
  using namespace orvalis::params;
  std::vector<std::string> p;
  int modes[6] = {}, filter1[5] = {}, filter2[5] = {};
  int velocity = 0, wheel = 0, pitch = 0, mono = 0, glide = 0, drive = 0, pan = 0;
  for (const FactoryProgram& program : programs) {
    const ProgramRecord& r = program.record;
    ++modes[oscModeOf(r)];
    ++filter1[filterTypeOf(r.values[kFilter1Type])];
    ++filter2[filterTypeOf(r.values[kFilter2Type])];
    const int pairs[][2] = {{kAmpAttackH, kAmpAttackL},       {kAmpDecayH, kAmpDecayL},
                            {kAmpSustainH, kAmpSustainL},     {kFilter1AttackH, kFilter1AttackL},
                            {kFilter1DecayH, kFilter1DecayL}, {kFilter1SustainH, kFilter1SustainL},
                            {kFilter2DecayH, kFilter2DecayL}, {kFilter2SustainH, kFilter2SustainL},
                            {kOverdrive1H, kOverdrive1L},     {kOverdrive2H, kOverdrive2L}};
    bool byVelocity = false;
    for (const auto& pair : pairs) byVelocity = byVelocity || differ(r, pair[0], pair[1]);
    velocity += byVelocity;
    wheel += r.values[kLfoDepthH] > r.values[kLfoDepthL] + 0.05f;
    pitch += std::fabs(r.values[kPitchStartH] - 0.5f) > 0.05f ||
             std::fabs(r.values[kPitchStartL] - 0.5f) > 0.05f ||
             std::fabs(r.values[kPitchEndH] - 0.5f) > 0.05f ||
             std::fabs(r.values[kPitchEndL] - 0.5f) > 0.05f;
    const bool isMono = choiceIndex(r.values[kPolyphony], 4) == 0;
    mono += isMono;
    glide += r.values[kPortamento] >= 0.5f;
    drive += r.values[kOverdrive1H] > 0.55f || r.values[kOverdrive2H] > 0.55f;
    pan += std::fabs(r.values[kPan] - 0.5f) > 0.05f;
  }
  for (int m = 0; m < 6; ++m)
    if (!modes[m]) p.push_back(std::string("no program in oscillator mode ") + kOscTypeNames[m]);
  for (int t = 0; t < 5; ++t) {
    if (!filter1[t]) p.push_back(std::string("Filtre1 is never ") + kFilterTypeNames[t]);
    if (!filter2[t]) p.push_back(std::string("Filtre2 is never ") + kFilterTypeNames[t]);
  }
  const int n = static_cast<int>(programs.size());
  struct Count {
    const char* what;
    int count, least;
  } counts[] = {{"respond to velocity through their H/L pairs", velocity, n / 2},
                {"add vibrato with the modulation wheel", wheel, n / 2},
                {"bend with the pitch envelope", pitch, 12},
                {"play Mono (legato)", mono, 6},
                {"glide (Portamento 0.5 or more)", glide, 6},
                {"drive an overdrive above 0 dB", drive, 16},
                {"sit off centre (Panoramique)", pan, 8}};
  for (const Count& c : counts)
    if (c.count < c.least)
      p.push_back(format("only %.0f programs ", c.count) + c.what +
                  format(" (wants %.0f)", c.least));
  return p;
}

}  // namespace orvalis::tools::audit
