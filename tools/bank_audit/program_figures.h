// Every figure of one program, measured from its takes through the real plug-in.
#pragma once

#include <string>
#include <vector>

#include "params/factory_bank.h"
#include "tools/bank_audit/audio_metrics.h"
#include "tools/bank_audit/sonogram.h"
#include "tools/bank_audit/take.h"

namespace orvalis::tools::audit {

struct ProgramFigures {
  int index = 0;
  std::string name;
  int family = 0;
  int oscMode = 0;
  int filter1 = 0, filter2 = 0;
  bool mono = false;

  Levels chord;           // the whole chord take
  double attack = 0;      // seconds
  double holdChange = 0;  // dB over the 2.5 s hold
  double release = 0;     // seconds to fall 30 dB; < 0: longer than the take
  double centroid = 0;    // Hz, chord held
  Levels low, high;       // full velocity
  double lowCentroid = 0, highCentroid = 0;
  double velocityDb = 0;          // hard minus soft middle C, RMS
  double velocityBrightness = 1;  // centroid ratio hard / soft
  Levels phrase;                  // played in full detail, and always for Mono programs
  double glide = -1;              // seconds to reach the new pitch on a legato step; < 0: not timed

  std::vector<float> soundFeatures;  // spectral shape and envelope, for near-duplicates
  Picture picture;                   // chord, low, high and phrase, drawn when asked for
};

constexpr int kPictureWidth = 200, kPictureHeight = 84;

// What to play: only what the rules judge, or also the soft and hard notes, the legato phrase
// of polyphonic programs and the picture.
enum class Detail { Rules, Full };

// The oscillator mode and filter types the engine runs for these values.
int oscModeOf(const orvalis::params::ProgramRecord& record);
int filterTypeOf(float value);

ProgramFigures measureProgram(const Player& player, int index,
                              const orvalis::params::FactoryProgram& program, Detail detail);
// Every program of the list, on up to `jobs` threads; figures in the list's order.
std::vector<ProgramFigures> measurePrograms(
    const Player& player, const std::vector<orvalis::params::FactoryProgram>& programs, int first,
    int last, Detail detail, int jobs);

// Root-mean-square difference of two programs' sound features, in dB.
double soundDistance(const ProgramFigures& a, const ProgramFigures& b);
// Sum of parameter differences, a whole 1 for each differing choice (mode, filter type, voices).
double parameterDistance(const orvalis::params::ProgramRecord& a,
                         const orvalis::params::ProgramRecord& b);

}  // namespace orvalis::tools::audit
