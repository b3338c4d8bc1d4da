// Figures of a take: levels, envelope timing, brightness and pitch.
#pragma once

#include <cstddef>
#include <vector>

#include "tools/bank_audit/take.h"

namespace orvalis::tools::audit {

constexpr double kEnvelopeFrameSeconds = 0.01;
constexpr float kSilenceDb = -120.f;

struct Levels {
  float peakDb = kSilenceDb;  // dBFS over both channels
  float rmsDb = kSilenceDb;
  long nonFinite = 0;
  long clipped = 0;  // samples at or beyond full scale
};

Levels levels(const Take& take, std::size_t from = 0,
              std::size_t to = static_cast<std::size_t>(-1));

// Short-term level in dBFS, one value per 10 ms.
std::vector<float> envelopeDb(const Take& take);
inline std::size_t envelopeFrame(double seconds) {
  return static_cast<std::size_t>(seconds / kEnvelopeFrameSeconds);
}

// Seconds from the note start until the level first comes within 3 dB of its highest point
// before the note end.
double attackSeconds(const std::vector<float>& env, double noteOn, double noteOff);
// Level change from the highest point to the last 100 ms before the note end, in dB.
double holdChangeDb(const std::vector<float>& env, double noteOn, double noteOff);
// Seconds from the note end until the level has fallen 30 dB; negative if the take ends first.
// Zero when the sound had already died away (below -70 dBFS) at the note end.
double releaseSeconds(const std::vector<float>& env, double noteOff);

// Magnitude-weighted mean frequency of the mono mix between two times.
double centroidHz(const Take& take, double from, double to);
// Levels in third-octave bands from 50 Hz to 16 kHz, in dB, of the mono mix between two times.
std::vector<float> bandLevelsDb(const Take& take, double from, double to);

// The strongest periodicity between minHz and maxHz in a short window, or 0.
double pitchHz(const Take& take, double at, double minHz, double maxHz);

}  // namespace orvalis::tools::audit
