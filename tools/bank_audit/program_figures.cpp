#include "tools/bank_audit/program_figures.h"

#include <algorithm>
#include <cmath>

#include "tools/bank_audit/materials.h"
#include "tools/bank_audit/parallel.h"

namespace orvalis::tools::audit {

namespace {

constexpr double kCentsTolerance = 30.0;
constexpr double kLongestGlide = 0.4;  // seconds looked at after the legato step
constexpr float kEnvelopeFloorDb = -60.f;
// Points of the chord's envelope that describe its shape, in seconds.
constexpr double kShapeTimes[] = {0.02, 0.05, 0.1, 0.2, 0.4, 0.8, 1.6, 2.4, 2.6, 2.8, 3.2, 4.2};

double keyHz(int key) { return 440.0 * std::pow(2.0, (key - 69) / 12.0); }

double glideSeconds(const Take& take) {
  const double target = keyHz(kGlideTargetKey);
  constexpr double kStep = 0.005;
  for (double t = kGlideStepAt; t < kGlideStepAt + kLongestGlide; t += kStep) {
    const double f = pitchHz(take, t, 100.0, 1000.0);
    if (f <= 0) continue;
    // An octave off counts as arrived: lanes an octave or a fifth apart lengthen the period.
    const double cents = std::remainder(1200.0 * std::log2(f / target), 1200.0);
    if (std::fabs(cents) < kCentsTolerance) return t - kGlideStepAt;
  }
  return kLongestGlide;
}

void appendNormalised(std::vector<float>& features, std::vector<float> bands) {
  const float top = *std::max_element(bands.begin(), bands.end());
  for (float b : bands) features.push_back(std::max(b - top, kEnvelopeFloorDb));
}

}  // namespace

int oscModeOf(const orvalis::params::ProgramRecord& record) {
  const int mode = orvalis::params::oscModeOf(record.values[orvalis::params::kOscType]);
  return std::min(std::max(mode, 0), 5);
}

int filterTypeOf(float value) { return orvalis::params::filterTypeIndex(value); }

ProgramFigures measureProgram(const Player& player, int index,
                              const orvalis::params::FactoryProgram& program, Detail detail) {
  const orvalis::params::ProgramRecord& record = program.record;
  const std::vector<float> values(record.values, record.values + orvalis::params::kNumParams);
  ProgramFigures f;
  f.index = index;
  f.name = record.name;
  f.family = program.family;
  f.oscMode = oscModeOf(record);
  f.filter1 = filterTypeOf(record.values[orvalis::params::kFilter1Type]);
  f.filter2 = filterTypeOf(record.values[orvalis::params::kFilter2Type]);
  f.mono = orvalis::params::choiceIndex(record.values[orvalis::params::kPolyphony], 4) == 0;

  const Take chordTake = player.play(values, chord());
  f.chord = levels(chordTake);
  const std::vector<float> env = envelopeDb(chordTake);
  f.attack = attackSeconds(env, 0.0, kChordOff);
  f.holdChange = holdChangeDb(env, 0.0, kChordOff);
  f.release = releaseSeconds(env, kChordOff);
  f.centroid = centroidHz(chordTake, 0.05, kChordOff);

  const Take low =
      player.play(values, singleNote(kLowKey, kHardVelocity, kSingleOff, kSingleSeconds));
  const Take high =
      player.play(values, singleNote(kHighKey, kHardVelocity, kSingleOff, kSingleSeconds));
  f.low = levels(low);
  f.high = levels(high);
  f.lowCentroid = centroidHz(low, 0.02, kSingleOff);
  f.highCentroid = centroidHz(high, 0.02, kSingleOff);

  const bool full = detail == Detail::Full;
  if (full) {
    const Material soft =
        singleNote(kVelocityKey, kSoftVelocity, kVelocitySeconds, kVelocitySeconds);
    const Material hard =
        singleNote(kVelocityKey, kHardVelocity, kVelocitySeconds, kVelocitySeconds);
    const Take softTake = player.play(values, soft), hardTake = player.play(values, hard);
    f.velocityDb = levels(hardTake).rmsDb - levels(softTake).rmsDb;
    const double softCentroid = centroidHz(softTake, 0.0, kVelocitySeconds);
    f.velocityBrightness =
        softCentroid > 0 ? centroidHz(hardTake, 0.0, kVelocitySeconds) / softCentroid : 1;
  }

  Take phrase;
  if (full || f.mono) {
    phrase = player.play(values, legatoPhrase());
    f.phrase = levels(phrase);
    if (f.mono) f.glide = glideSeconds(phrase);
  }

  appendNormalised(f.soundFeatures, bandLevelsDb(chordTake, 0.05, kChordOff));
  appendNormalised(f.soundFeatures, bandLevelsDb(low, 0.02, kSingleOff));
  const float top = *std::max_element(env.begin(), env.end());
  for (double t : kShapeTimes)
    f.soundFeatures.push_back(
        std::max(env[std::min(envelopeFrame(t), env.size() - 1)] - top, kEnvelopeFloorDb));
  if (full) f.picture = sonogram({chordTake, low, high, phrase}, kPictureWidth, kPictureHeight);
  return f;
}

std::vector<ProgramFigures> measurePrograms(
    const Player& player, const std::vector<orvalis::params::FactoryProgram>& programs, int first,
    int last, Detail detail, int jobs) {
  std::vector<ProgramFigures> figures(last - first + 1);
  parallelFor(static_cast<int>(figures.size()), jobs, [&](int i) {
    figures[i] = measureProgram(player, first + i, programs[first + i], detail);
  });
  return figures;
}

double soundDistance(const ProgramFigures& a, const ProgramFigures& b) {
  const std::size_t n = std::min(a.soundFeatures.size(), b.soundFeatures.size());
  double sum = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double d = a.soundFeatures[i] - b.soundFeatures[i];
    sum += d * d;
  }
  return n ? std::sqrt(sum / n) : 0;
}

double parameterDistance(const orvalis::params::ProgramRecord& a,
                         const orvalis::params::ProgramRecord& b) {
  using namespace orvalis::params;
  double distance = 0;
  for (int i = 0; i < kNumParams; ++i) {
    if (i == kOscType || i == kFilter1Type || i == kFilter2Type || i == kPolyphony) continue;
    distance += std::fabs(a.values[i] - b.values[i]);
  }
  distance += oscModeOf(a) != oscModeOf(b);
  distance += filterTypeOf(a.values[kFilter1Type]) != filterTypeOf(b.values[kFilter1Type]);
  distance += filterTypeOf(a.values[kFilter2Type]) != filterTypeOf(b.values[kFilter2Type]);
  distance += choiceIndex(a.values[kPolyphony], 4) != choiceIndex(b.values[kPolyphony], 4);
  return distance;
}

}  // namespace orvalis::tools::audit
