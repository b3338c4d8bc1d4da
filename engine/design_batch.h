// The inputs of the filter designs of one control tick, every voice side by side: one voice per
// vector lane, so that the interpolations, the exponents, the cutoff factors and the Q values of
// eight voices take the instructions of one (AVX2) or two (SSE2). The voices of a batch share
// one program and one rate record, so the parameter values are read once. Each lane computes
// the very operations, in the same order, that one voice alone would.
#pragma once

#include "engine/rate_constants.h"
#include "engine/simd4.h"
#include "params/parameter_table.h"

namespace orvalis::engine {

// The highest design angle, about 21 kHz at 44.1 kHz; tan-free designs stay stable to it.
constexpr float kMaxOmega = 3.0f;

struct DesignBatch {
  static constexpr int kColumns = kNumVoices;

  // The program's values as the engine reads them: each range's low end and its span to the
  // high end; the LFO depths; the rate record's 2 pi / sr.
  float freqLow1, freqSpan1, resoLow1, resoSpan1;
  float freqLow2, freqSpan2, resoLow2, resoSpan2;
  float lfo1, lfo2, twoPiOverSr;

  // In, one column per voice (columns past the count are kept finite): the filter envelopes,
  // the LFO, and the pitch each chain's filters track.
  alignas(32) float env1[kColumns], env2[kColumns];
  alignas(32) float cosine[kColumns], sine[kColumns];
  alignas(32) float refL[kColumns], refR[kColumns];

  // Out: the interpolated ranges, the Q values, and each voice's four design angles (lanes
  // Filtre1 L, Filtre2 L, Filtre1 R, Filtre2 R).
  alignas(32) float cutoff1[kColumns], reso1[kColumns], cutoff2[kColumns], reso2[kColumns];
  alignas(32) float q1[kColumns], q2[kColumns];
  alignas(16) float omega[kColumns][4];

  // Scratch: the six fastExp2 exponents of each voice (both envelope-driven K, then the four
  // lanes' LFO factors), then their powers; and the angles row by row.
  alignas(32) float factor[6][kColumns];
  alignas(32) float angleRows[4][kColumns];
};

// Columns 0 .. count - 1 (count rounded up to V's lanes); exp2 is the set's fastExp2 of a row.
template <class V, void (*exp2)(float*, int)>
ORVALIS_INLINE void computeDesignBatch(DesignBatch& b, int count) {
  constexpr int W = V::kLanes;
  const int columns = (count + W - 1) / W * W;
  for (int c = 0; c < columns; c += W) {
    const V env1 = V::load(b.env1 + c), env2 = V::load(b.env2 + c);
    const V cutoff1 = V(b.freqLow1) + V(b.freqSpan1) * env1;
    const V reso1 = V(b.resoLow1) + V(b.resoSpan1) * env1;
    const V cutoff2 = V(b.freqLow2) + V(b.freqSpan2) * env2;
    const V reso2 = V(b.resoLow2) + V(b.resoSpan2) * env2;
    cutoff1.store(b.cutoff1 + c);
    reso1.store(b.reso1 + c);
    cutoff2.store(b.cutoff2 + c);
    reso2.store(b.reso2 + c);
    params::resonanceQ(reso1).store(b.q1 + c);
    params::resonanceQ(reso2).store(b.q2 + c);
    const V cosine = V::load(b.cosine + c), sine = V::load(b.sine + c);
    // Filtre1 lanes swing against Filtre2's.
    (V(10.f) * cutoff1 - V(1.f)).store(b.factor[0] + c);
    (V(10.f) * cutoff2 - V(1.f)).store(b.factor[1] + c);
    (V(-b.lfo1) * cosine).store(b.factor[2] + c);
    (V(b.lfo2) * cosine).store(b.factor[3] + c);
    (V(-b.lfo1) * sine).store(b.factor[4] + c);
    (V(b.lfo2) * sine).store(b.factor[5] + c);
  }
  for (int row = 0; row < 6; ++row) exp2(b.factor[row], columns);
  for (int c = 0; c < columns; c += W) {
    const V k1 = V::load(b.factor[0] + c), k2 = V::load(b.factor[1] + c);
    const V refL = V::load(b.refL + c), refR = V::load(b.refR + c);
    const V perHz(b.twoPiOverSr);
    const V lanes[4] = {V::load(b.factor[2] + c) * k1 * refL, V::load(b.factor[3] + c) * k2 * refL,
                        V::load(b.factor[4] + c) * k1 * refR, V::load(b.factor[5] + c) * k2 * refR};
    // Negative cutoffs (only from extreme settings) design as 0 Hz rather than blowing up.
    for (int k = 0; k < 4; ++k)
      clamp(lanes[k] * perHz, V::zero(), V(kMaxOmega)).store(b.angleRows[k] + c);
  }
  // Row by row to voice by voice.
  for (int c = 0; c < columns; c += 4) {
    __m128 r0 = _mm_load_ps(b.angleRows[0] + c), r1 = _mm_load_ps(b.angleRows[1] + c);
    __m128 r2 = _mm_load_ps(b.angleRows[2] + c), r3 = _mm_load_ps(b.angleRows[3] + c);
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    _mm_store_ps(b.omega[c], r0);
    _mm_store_ps(b.omega[c + 1], r1);
    _mm_store_ps(b.omega[c + 2], r2);
    _mm_store_ps(b.omega[c + 3], r3);
  }
}

}  // namespace orvalis::engine
