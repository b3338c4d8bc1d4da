#include "engine/param_mapping.h"

#include <cmath>

#include "engine/voice.h"
#include "params/parameter_table.h"

namespace orvalis::engine {

using namespace orvalis::params;

namespace {

double timeOf(float v) { return timeCurve(v); }

float perTickRate(double seconds, float cr) {
  const double r = 1.0 / (seconds * cr);
  return static_cast<float>(r < 1.0 ? r : 1.0);
}

float powerOf10(double x) { return static_cast<float>(std::pow(10.0, x)); }

// The pitch envelope's start and end span a semitone either way: (v - 0.5) / 6 octaves.
constexpr float kPitchEnvelopeOctaves = 0.16666667f;
float pitchFactor(float v) {
  return static_cast<float>(std::pow(2.0, (v - 0.5f) * kPitchEnvelopeOctaves));
}

// pi / 2 in float: "Panoramique" turns the pan gains through a quarter circle.
constexpr float kQuarterTurn = 1.5707964f;

void applyLaneWeights(Voice& v) {
  const float e = v.p(kLaneWeights) < 0.999f ? v.p(kLaneWeights) : 0.999f;
  const double o = std::fmod(3.0 * e, 1.0), u = 1.0 - o;
  F4 w;
  if (e < 0.33333334f)
    w = F4(1.1 * o + 1.5 * u, 1.05 * o + 0.1 * u, 0.15 * o + 0.05 * u, 0.1 * o + 0.025 * u);
  else if (e < 0.6666667f)
    w = F4(0.95 * o + 1.1 * u, 0.9 * o + 1.05 * u, 0.85 * o + 0.15 * u, 0.15 * o + 0.1 * u);
  else
    w = F4(0.85 * o + 0.95 * u, 0.8 * o + 0.9 * u, 0.75 * o + 0.85 * u, 0.7 * o + 0.15 * u);
  v.weightL = v.weightR = w;
}

void applyModeAndRatios(Voice& v) {
  applyLaneWeights(v);
  const OscMode previous = v.mode;
  v.mode = orvalis::engine::oscModeOf(v.p(kOscType));
  if (v.mode == OscMode::Fm1 && previous != OscMode::Fm1) v.syncPrimed = false;

  const float r = v.p(kLaneRatios);
  if (v.mode == OscMode::Fm3) {
    if (r < 0.25f)
      v.laneRatio = F4(1.0f, 0.997f, 3.002f, 4.001f);
    else if (r < 0.5f)
      v.laneRatio = F4(1.0f, 0.994f, 3.004f, 4.003f);
    else if (r < 0.75f)
      v.laneRatio = F4(1.0f, 1.013f, 1.4835f, 2.042f);
    else
      v.laneRatio = F4(1.0f, 0.501f, 1.5075f, 0.9994f);
    return;
  }
  const double o = std::fmod(3.0 * r + 0.9999, 1.0), u = 1.0 - o;
  if (r < 0.33333334f)
    v.laneRatio = F4(1.0, 0.994 * o + 0.997 * u, 1.004 * o + 1.002 * u, 1.003 * o + 1.001 * u);
  else if (r < 0.6666667f)
    v.laneRatio = F4(1.0, 0.982 * o + 0.994 * u, 0.989 * o + 1.004 * u, 1.013 * o + 1.003 * u);
  else
    v.laneRatio =
        F4(0.997 * o + 1.0 * u, 0.504 * o + 0.5 * u, 1.01 * o + 1.0 * u, 0.49 * o + 0.5 * u);
}

float lerp(const Voice& v, int low, int high) {
  const float l = v.p(low);
  return l + (v.p(high) - l) * v.velocity;
}

void applyPitchEnvelopeRates(Voice& v) {
  v.pitchEnvAttackRate = perTickRate(timeOf(lerp(v, kPitchAttackL, kPitchAttackH)), v.rates->cr);
  v.pitchEnvReleaseRate = perTickRate(timeOf(lerp(v, kPitchReleaseL, kPitchReleaseH)), v.rates->cr);
}

void applyPitchEnvelopeLevels(Voice& v) {
  v.pitchEnvStart = pitchFactor(lerp(v, kPitchStartL, kPitchStartH));
  v.pitchEnvEnd = pitchFactor(lerp(v, kPitchEndL, kPitchEndH));
}

}  // namespace

OscMode oscModeOf(float oscType) { return static_cast<OscMode>(params::oscModeOf(oscType)); }

void applyParameter(Voice& v, int index) {
  if (!v.linked()) return;
  const RateConstants& rc = *v.rates;
  switch (index) {
    case kPortamento:
      v.glideRate = perTickRate(0.2 * timeOf(v.p(kPortamento)), rc.cr);
      break;
    case kAmpSustainH:
    case kAmpSustainL:
      v.ampEnv.setSustain(lerp(v, kAmpSustainL, kAmpSustainH), v.gate);
      break;
    case kFilter1SustainH:
    case kFilter1SustainL:
      v.filter1Env.setSustain(lerp(v, kFilter1SustainL, kFilter1SustainH), v.gate);
      break;
    case kFilter2SustainH:
    case kFilter2SustainL:
      v.filter2Env.setSustain(lerp(v, kFilter2SustainL, kFilter2SustainH), v.gate);
      break;
    case kFilter1Type:
      v.filter.type1 = filterTypeOf(v.p(kFilter1Type));
      break;
    case kFilter2Type:
      v.filter.type2 = filterTypeOf(v.p(kFilter2Type));
      break;
    case kGain:
      // Capped at +20 dB: the output bound of the instrument rests on it.
      v.gain = powerOf10(2.0 * (v.p(kGain) < 1.f ? v.p(kGain) : 1.f) - 1.0);
      break;
    case kLfoDelay: {
      const double t = timeOf(v.p(kLfoDelay));
      v.lfoDelayEnv.setAttackTime(static_cast<float>(t));
      v.lfoDelayEnv.setReleaseTime(static_cast<float>(t * 0.5), v.gate);
      v.lfoDelayEnv.setSustain(1.0f, v.gate);
      break;
    }
    case kLfoSpeed: {
      const float s = v.p(kLfoSpeed);
      v.lfo.speed = s * (s * rc.twoPiOverCr) * 20.f;
      break;
    }
    case kOscType:
    case kLaneRatios:
      applyModeAndRatios(v);
      break;
    case kLaneWeights:
      applyLaneWeights(v);
      break;
    case kPitchAttackH:
    case kPitchAttackL:
    case kPitchReleaseH:
    case kPitchReleaseL:
      applyPitchEnvelopeRates(v);
      break;
    case kPitchStartH:
    case kPitchStartL:
    case kPitchEndH:
    case kPitchEndL:
      applyPitchEnvelopeLevels(v);
      break;
    case kPan: {
      const double angle = v.p(kPan) * kQuarterTurn;
      v.filter.panCos = static_cast<float>(std::cos(angle));
      v.filter.panSin = static_cast<float>(std::sin(angle));
      break;
    }
    default:
      break;  // read at note start or at every tick, or handled by the plug-in (polyphony)
  }
}

void applyAllParameters(Voice& v) {
  if (!v.linked()) return;
  for (int i = 0; i < kNumParams; ++i) applyParameter(v, i);
  v.ampEnv.enableSmoothing();
  v.filter1Env.enableSmoothing();
  v.filter2Env.enableSmoothing();
  v.lfoDelayEnv.enableSmoothing();
}

void applyNoteStart(Voice& v, float vel) {
  if (!v.linked()) return;
  v.velocity = vel;
  v.overdrive1 = powerOf10(2.0 * lerp(v, kOverdrive1L, kOverdrive1H) - 1.0);
  v.overdrive2 = powerOf10(2.0 * lerp(v, kOverdrive2L, kOverdrive2H) - 1.0);

  Envelope* envs[3] = {&v.ampEnv, &v.filter1Env, &v.filter2Env};
  const int attack[3][2] = {{kAmpAttackL, kAmpAttackH},
                            {kFilter1AttackL, kFilter1AttackH},
                            {kFilter2AttackL, kFilter2AttackH}};
  const int decay[3][2] = {
      {kAmpDecayL, kAmpDecayH}, {kFilter1DecayL, kFilter1DecayH}, {kFilter2DecayL, kFilter2DecayH}};
  const int sustain[3][2] = {{kAmpSustainL, kAmpSustainH},
                             {kFilter1SustainL, kFilter1SustainH},
                             {kFilter2SustainL, kFilter2SustainH}};
  const int release[3][2] = {{kAmpReleaseL, kAmpReleaseH},
                             {kFilter1ReleaseL, kFilter1ReleaseH},
                             {kFilter2ReleaseL, kFilter2ReleaseH}};
  for (int e = 0; e < 3; ++e)
    envs[e]->setAttackTime(static_cast<float>(timeOf(lerp(v, attack[e][0], attack[e][1]))));
  for (int e = 0; e < 3; ++e)
    envs[e]->setDecayTime(static_cast<float>(timeOf(lerp(v, decay[e][0], decay[e][1]))), v.gate);
  for (int e = 0; e < 3; ++e) envs[e]->setSustain(lerp(v, sustain[e][0], sustain[e][1]), v.gate);
  for (int e = 0; e < 3; ++e)
    envs[e]->setReleaseTime(static_cast<float>(timeOf(lerp(v, release[e][0], release[e][1]))),
                            v.gate);

  applyPitchEnvelopeRates(v);
  applyPitchEnvelopeLevels(v);
  v.pitchEnv = v.pitchEnvStart;
}

}  // namespace orvalis::engine
