// The material every program is judged by, the same for all: a chord held and released, a low
// and a high note at full velocity, a soft and a hard middle C, and a short legato phrase.
#pragma once

#include "tools/bank_audit/take.h"

namespace orvalis::tools::audit {

constexpr double kChordOff = 2.5;  // seconds the chord is held
constexpr double kChordSeconds = 4.5;
constexpr int kChordVelocity = 100;
constexpr int kLowKey = 36, kHighKey = 84;
constexpr double kSingleOff = 0.6, kSingleSeconds = 0.8;
constexpr int kVelocityKey = 60, kSoftVelocity = 40, kHardVelocity = 127;
constexpr double kVelocitySeconds = 0.4;
// The legato step whose glide is timed: from key 60 to key 67 at this time.
constexpr double kGlideStepAt = 0.4;
constexpr int kGlideTargetKey = 67;
constexpr double kPhraseSeconds = 2.0;

Material chord();
Material singleNote(int key, int velocity, double hold, double seconds);
Material legatoPhrase();
// A few seconds of melody and chords for listening, placed in the family's register.
Material tourPhrase(int family);
double tourSeconds();

}  // namespace orvalis::tools::audit
