// The work compiled once per instruction set (SSE2 everywhere, AVX2 and FMA where the build and
// the processor have them), chosen once at load: the sample loops of the audio callback, one per
// oscillator family, and the control tick's trigonometry; and the one table that says which
// loop renders which mode. A loop renders one run of samples between two control ticks for
// voices 0 .. count - 1 and adds their output pairs into the buffers, voice after voice.
#pragma once

#include "engine/osc_mode.h"
#include "engine/simd4.h"

namespace orvalis::engine {

struct DesignBatch;
struct TrigBatch;
struct Voice;

using RenderRun = void (*)(Voice* voices, int count, float* left, float* right, int frames);
// One voice's oscillator banks alone for a run: the four lanes of bank L and of bank R for
// every sample. For tests and benchmarks of the kernels.
using OscillatorRun = void (*)(Voice& voice, F4* bankL, F4* bankR, int frames);

struct FamilyKernels {
  RenderRun render;
  OscillatorRun oscillators;
};

// Every loop compiled for one instruction set: the sample loops, and the control tick's
// trigonometry.
struct KernelSet {
  const char* name;
  FamilyKernels pulseSaw, sync, phaseMod, waveTable;
  void (*trigonometry)(TrigBatch& batch);
  // fastExp2 of count values in place (the tick's pitch and cutoff exponents of every voice);
  // values holds count rounded up to kMaxExpLanes (fast_exp2.h), all finite.
  void (*exponentials)(float* values, int count);
  // The filter design inputs of voices 0 .. count - 1 of a batch, side by side.
  void (*designInputs)(DesignBatch& batch, int count);
};

extern const KernelSet kSse2Kernels;
// The AVX2 and FMA loops where this build has them and the processor runs them, else null.
const KernelSet* avx2Kernels();
// The loops chosen once, at load: AVX2 where available, unless the environment variable
// ORVALIS_SIMD=sse2 asks for SSE2.
const KernelSet& activeKernels();

struct ModeKernels {
  RenderRun render = nullptr;
  OscillatorRun oscillators = nullptr;
  float outputGain = 0.f;
};

// The kernels of a mode in a set; all null for a value that selects no mode.
ModeKernels kernelsOf(OscMode mode, const KernelSet& set = activeKernels());

}  // namespace orvalis::engine
