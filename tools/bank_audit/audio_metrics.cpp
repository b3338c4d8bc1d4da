#include "tools/bank_audit/audio_metrics.h"

#include <algorithm>
#include <cmath>

#include "tools/bank_audit/fft.h"

namespace orvalis::tools::audit {

namespace {

constexpr std::size_t kSpectrumSize = 4096;
constexpr float kReleaseDropDb = 30.f;
constexpr float kDiedAwayDb = -70.f;

float toDb(double power) {
  return power > 1e-12 ? static_cast<float>(10.0 * std::log10(power)) : kSilenceDb;
}

double clampedIndex(double seconds, std::size_t size) {
  return std::min<double>(std::max(0.0, seconds / kEnvelopeFrameSeconds),
                          static_cast<double>(size));
}

// Averaged magnitude spectrum over frames between two times.
std::vector<double> meanSpectrum(const Take& take, double from, double to) {
  std::vector<double> sum(kSpectrumSize / 2 + 1, 0.0);
  const std::size_t begin = take.frameAt(from), end = take.frameAt(to);
  // At least one frame, however short the span.
  std::size_t at = begin;
  do {
    const std::vector<float> m =
        magnitudeSpectrum(monoFrame(take.left, take.right, at, kSpectrumSize));
    for (std::size_t k = 0; k < m.size(); ++k) sum[k] += m[k];
    at += kSpectrumSize / 2;
  } while (at + kSpectrumSize <= end);
  return sum;
}

}  // namespace

Levels levels(const Take& take, std::size_t from, std::size_t to) {
  Levels result;
  to = std::min(to, take.left.size());
  double power = 0, peak = 0;
  std::size_t counted = 0;
  for (const std::vector<float>* channel : {&take.left, &take.right}) {
    for (std::size_t i = from; i < to; ++i) {
      const float x = (*channel)[i];
      if (!std::isfinite(x)) {
        ++result.nonFinite;
        continue;
      }
      if (std::fabs(x) >= 1.f) ++result.clipped;
      peak = std::max(peak, static_cast<double>(std::fabs(x)));
      power += static_cast<double>(x) * x;
      ++counted;
    }
  }
  result.peakDb = toDb(peak * peak);
  result.rmsDb = counted ? toDb(power / counted) : kSilenceDb;
  return result;
}

std::vector<float> envelopeDb(const Take& take) {
  const std::size_t hop = static_cast<std::size_t>(kEnvelopeFrameSeconds * kSampleRate);
  std::vector<float> env;
  for (std::size_t at = 0; at + hop <= take.left.size(); at += hop) {
    double power = 0;
    for (std::size_t i = at; i < at + hop; ++i) {
      const double l = std::isfinite(take.left[i]) ? take.left[i] : 0.0;
      const double r = std::isfinite(take.right[i]) ? take.right[i] : 0.0;
      power += 0.5 * (l * l + r * r);
    }
    env.push_back(toDb(power / hop));
  }
  return env;
}

double attackSeconds(const std::vector<float>& env, double noteOn, double noteOff) {
  const std::size_t on = static_cast<std::size_t>(clampedIndex(noteOn, env.size()));
  const std::size_t off = static_cast<std::size_t>(clampedIndex(noteOff, env.size()));
  if (on >= off) return 0;
  const float top = *std::max_element(env.begin() + on, env.begin() + off);
  for (std::size_t i = on; i < off; ++i)
    if (env[i] >= top - 3.f) return (i + 1 - on) * kEnvelopeFrameSeconds;
  return (off - on) * kEnvelopeFrameSeconds;
}

double holdChangeDb(const std::vector<float>& env, double noteOn, double noteOff) {
  const std::size_t on = static_cast<std::size_t>(clampedIndex(noteOn, env.size()));
  const std::size_t off = static_cast<std::size_t>(clampedIndex(noteOff, env.size()));
  const std::size_t lastFrames = static_cast<std::size_t>(0.1 / kEnvelopeFrameSeconds);
  if (off < on + lastFrames) return 0;
  const float top = *std::max_element(env.begin() + on, env.begin() + off);
  double power = 0;
  for (std::size_t i = off - lastFrames; i < off; ++i) power += std::pow(10.0, env[i] / 10.0);
  return toDb(power / lastFrames) - top;
}

double releaseSeconds(const std::vector<float>& env, double noteOff) {
  const std::size_t off = static_cast<std::size_t>(clampedIndex(noteOff, env.size()));
  const std::size_t before = static_cast<std::size_t>(0.05 / kEnvelopeFrameSeconds);
  if (off < before || off >= env.size()) return -1;
  double power = 0;
  for (std::size_t i = off - before; i < off; ++i) power += std::pow(10.0, env[i] / 10.0);
  const float atOff = toDb(power / before);
  if (atOff < kDiedAwayDb) return 0;
  for (std::size_t i = off; i < env.size(); ++i)
    if (env[i] <= atOff - kReleaseDropDb) return (i - off) * kEnvelopeFrameSeconds;
  return -1;
}

double centroidHz(const Take& take, double from, double to) {
  const std::vector<double> spectrum = meanSpectrum(take, from, to);
  double weighted = 0, total = 0;
  for (std::size_t k = 1; k < spectrum.size(); ++k) {
    const double f = static_cast<double>(k) * kSampleRate / kSpectrumSize;
    weighted += f * spectrum[k];
    total += spectrum[k];
  }
  return total > 0 ? weighted / total : 0;
}

std::vector<float> bandLevelsDb(const Take& take, double from, double to) {
  const std::vector<double> spectrum = meanSpectrum(take, from, to);
  std::vector<float> bands;
  for (double centre = 50; centre < 17000; centre *= std::pow(2.0, 1.0 / 3.0)) {
    const double lo = centre * std::pow(2.0, -1.0 / 6.0), hi = centre * std::pow(2.0, 1.0 / 6.0);
    double power = 0;
    for (std::size_t k = 1; k < spectrum.size(); ++k) {
      const double f = static_cast<double>(k) * kSampleRate / kSpectrumSize;
      if (f >= lo && f < hi) power += spectrum[k] * spectrum[k];
    }
    bands.push_back(toDb(power + 1e-9));
  }
  return bands;
}

double pitchHz(const Take& take, double at, double minHz, double maxHz) {
  constexpr std::size_t kWindow = 1024;
  const std::size_t start = take.frameAt(at);
  const std::vector<float> x = monoFrame(take.left, take.right, start, kWindow * 2);
  const std::size_t minLag = static_cast<std::size_t>(kSampleRate / maxHz);
  const std::size_t maxLag =
      std::min<std::size_t>(kWindow, static_cast<std::size_t>(kSampleRate / minHz));
  double best = 0;
  std::size_t bestLag = 0;
  std::vector<double> score(maxLag + 2, 0.0);
  for (std::size_t lag = minLag; lag <= maxLag; ++lag) {
    double xy = 0, xx = 0, yy = 0;
    for (std::size_t i = 0; i < kWindow; ++i) {
      xy += x[i] * x[i + lag];
      xx += x[i] * x[i];
      yy += x[i + lag] * x[i + lag];
    }
    score[lag] = xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0;
  }
  // The first lag that comes close to the best one avoids octave errors.
  for (std::size_t lag = minLag; lag <= maxLag; ++lag) best = std::max(best, score[lag]);
  if (best < 0.5) return 0;
  for (std::size_t lag = minLag + 1; lag < maxLag; ++lag)
    if (score[lag] >= 0.9 * best && score[lag] >= score[lag - 1] && score[lag] >= score[lag + 1]) {
      bestLag = lag;
      break;
    }
  if (!bestLag) return 0;
  // Parabolic interpolation around the peak.
  const double a = score[bestLag - 1], b = score[bestLag], c = score[bestLag + 1];
  const double shift = (a - 2 * b + c) != 0 ? 0.5 * (a - c) / (a - 2 * b + c) : 0;
  return kSampleRate / (bestLag + shift);
}

}  // namespace orvalis::tools::audit
