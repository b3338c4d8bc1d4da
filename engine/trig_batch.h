// The trigonometry of one control tick, for all active voices at once: the biquad lanes that
// need a new design, gathered by filter type so that each vector holds lanes of one type
// whichever voice they belong to, and the raised-cosine weights of the "WaveTable" octave
// stacks. Independent lanes keep the processor busy where one voice's chain of polynomials and
// divisions would leave it waiting; each lane computes exactly what it would alone.
#pragma once

#include "engine/biquad_design.h"
#include "engine/filters.h"

namespace orvalis::engine {

struct TrigBatch {
  static constexpr int kPadding = 4;  // room to fill the last vector of a group

  // A lane's five coefficients go to five floats four apart: lane l of its voice's five
  // coefficient vectors.
  struct BiquadGroup {
    static constexpr int kMaxLanes = kNumVoices * 4;
    int count = 0;
    double omega[kMaxLanes + kPadding];
    double q[kMaxLanes + kPadding];
    float* coefficients[kMaxLanes];
  };
  BiquadGroup biquads[kNumFilterTypes];

  // Octave-stack weights 0.5 - 0.5 cos(angle).
  struct Windows {
    static constexpr int kMaxLanes = kNumVoices * 8;
    int count = 0;
    double angle[kMaxLanes + kPadding];
    float* weight[kMaxLanes];
  };
  Windows windows;

  void addBiquad(FilterType type, float omega, float q, float* coefficients) {
    BiquadGroup& g = biquads[static_cast<unsigned>(type) < kNumFilterTypes ? type : kFlat];
    g.omega[g.count] = omega;
    g.q[g.count] = q;
    g.coefficients[g.count++] = coefficients;
  }
  void addWindow(double angle, float* weight) {
    windows.angle[windows.count] = angle;
    windows.weight[windows.count++] = weight;
  }
};

// Every lane of the batch, kLanes at a time; leaves the batch empty.
template <class D, int kLanes>
ORVALIS_INLINE void computeTrigBatch(TrigBatch& batch) {
  for (int type = 0; type < kNumFilterTypes; ++type) {
    TrigBatch::BiquadGroup& g = batch.biquads[type];
    for (int i = g.count; i % kLanes; ++i) g.omega[i] = g.q[i] = 1.0;  // a harmless filler
    for (int i = 0; i < g.count; i += kLanes) {
      D c[5];
      designBiquads(static_cast<FilterType>(type), D::load(g.omega + i), D::load(g.q + i), c);
      alignas(16) float lanes[5][4];
      for (int k = 0; k < 5; ++k) store4(lanes[k], toFloats(c[k]));
      const int n = g.count - i < kLanes ? g.count - i : kLanes;
      for (int j = 0; j < n; ++j)
        for (int k = 0; k < 5; ++k) g.coefficients[i + j][4 * k] = lanes[k][j];
    }
    g.count = 0;
  }
  TrigBatch::Windows& w = batch.windows;
  for (int i = w.count; i % kLanes; ++i) w.angle[i] = 0.0;
  for (int i = 0; i < w.count; i += kLanes) {
    D s, c;
    sinCos(D::load(w.angle + i), s, c);
    alignas(16) float weights[4];
    store4(weights, toFloats(0.5 - 0.5 * c));
    const int n = w.count - i < kLanes ? w.count - i : kLanes;
    for (int j = 0; j < n; ++j) *w.weight[i + j] = weights[j];
  }
  w.count = 0;
}

}  // namespace orvalis::engine
