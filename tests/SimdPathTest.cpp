// The two sets of sample loops: the one chosen at load, and agreement between them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/denormals.h"
#include "engine/kernel_set.h"
#include "engine/param_mapping.h"
#include "engine/synth_engine.h"
#include "engine/voice.h"
#include "engine/voice_control.h"
#include "params/program_record.h"
#include "tests/support/golden_file.h"
#include "tests/support/instance_peek.h"

using namespace orvalis;
using namespace orvalis::engine;

namespace {

constexpr double kMinPathSnrDb = 90.0;

bool sse2Asked() {
  const char* asked = std::getenv("ORVALIS_SIMD");
  return asked && std::strcmp(asked, "sse2") == 0;
}

// A chord and its release in one mode, with both filters' types and resonance set.
std::vector<float> renderChord(const KernelSet& kernels, int mode, int type) {
  ScopedFlushToZero ftz;
  orvalis::params::ProgramRecord program;
  program.values[orvalis::params::kOscType] = mode / 5.f;
  program.values[orvalis::params::kFilter1Type] = (type + 0.5f) / 5.f;
  program.values[orvalis::params::kFilter2Type] = ((type + 2) % 5 + 0.5f) / 5.f;
  program.values[orvalis::params::kFilter1ResoHigh] = 0.6f;
  program.values[orvalis::params::kFilter2ResoLow] = 0.5f;
  program.values[orvalis::params::kFilter2FreqLow] = 0.45f;
  program.values[orvalis::params::kFilter1Lfo] = 0.3f;
  std::srand(7);
  SynthEngine engine;
  engine.build(program.values);
  engine.useKernels(kernels);
  for (int key : {45, 52, 57, 64, 69}) engine.queueMidi(3 * key - 130, 0x90, key, 100);
  std::vector<float> out;
  float left[256], right[256];
  for (int block = 0; block < 24; ++block) {
    if (block == 16)
      for (int key : {45, 52, 57, 64, 69}) engine.queueMidi(7, 0x80, key, 0);
    engine.process(left, right, 256);
    for (int i = 0; i < 256; ++i) {
      out.push_back(left[i]);
      out.push_back(right[i]);
    }
  }
  return out;
}

}  // namespace

TEST(SimdPathTest, TheProcessorAndTheEnvironmentChooseThePath) {
  const char* expected = sse2Asked() || !avx2Kernels() ? "sse2" : "avx2";
  EXPECT_STREQ(activeKernels().name, expected);
  // The plug-in library decides for itself, by the same rule, when it is loaded.
  orvalis::tests::InProcessHost host;
  EXPECT_STREQ(orvalis::tests::engineOf(host).kernels().name, expected);
  std::printf("sample loops: %s\n", expected);
}

TEST(SimdPathTest, PathsAgreeForEveryModeAndFilterType) {
  const KernelSet* avx2 = avx2Kernels();
  if (!avx2) GTEST_SKIP() << "no AVX2 and FMA here, or not in this build";
  for (int mode = 0; mode < 6; ++mode) {
    for (int type = 0; type < 5; ++type) {
      const std::vector<float> reference = renderChord(kSse2Kernels, mode, type);
      const std::vector<float> wide = renderChord(*avx2, mode, type);
      EXPECT_GE(orvalis::tests::snrDb(reference, wide), kMinPathSnrDb)
          << "mode " << mode << " filter type " << type;
    }
  }
}

// The control tick computes the same floats on every path (only the sample loops may differ):
// eight voices of one program, their parameters drawn over and past 0..1 so that the clamps
// and the extreme cutoffs are reached, half of them released half-way.
TEST(SimdPathTest, ControlTickGivesTheSameFloatsOnEveryPath) {
  const KernelSet* avx2 = avx2Kernels();
  if (!avx2) GTEST_SKIP() << "no AVX2 and FMA here, or not in this build";
  ScopedFlushToZero ftz;
  for (int mode = 0; mode < 6; ++mode) {
    for (int draw = 0; draw < 4; ++draw) {
      orvalis::params::ProgramRecord program;
      std::srand(100 * mode + draw);
      for (float& value : program.values) value = std::rand() % 1400 / 1000.f - 0.2f;
      program.values[orvalis::params::kOscType] = mode / 5.f;
      RateConstants rates;
      rates.build(draw % 2 ? 48000.f : 44100.f);
      Voice voices[2][kNumVoices];
      for (Voice(&set)[kNumVoices] : voices) {
        for (int v = 0; v < kNumVoices; ++v) {
          set[v].params = program.values;
          set[v].setupRates(&rates);
          applyAllParameters(set[v]);
          set[v].lfo.startAtPhase(97 * v);
          set[v].bend = 0.25f * (v - 4);
          set[v].modWheel = 0.125f * v;
          set[v].noteStart(30.f + 11 * v, 0.1f * (v + 2), false);
        }
      }
      for (int tick = 0; tick < 60; ++tick) {
        if (tick == 30)
          for (Voice(&set)[kNumVoices] : voices)
            for (int v = 0; v < kNumVoices; v += 2) set[v].noteRelease(0.f);
        updateVoiceControl(voices[0], kNumVoices, kSse2Kernels);
        updateVoiceControl(voices[1], kNumVoices, *avx2);
      }
      for (int v = 0; v < kNumVoices; ++v) {
        const Voice &a = voices[0][v], &b = voices[1][v];
        // The banks (ramps and phases), the filter lanes and the lane weights and frequencies
        // are F4s only.
        const auto same = [](const auto& x, const auto& y, const auto& last) {
          const char* from = reinterpret_cast<const char*>(&x);
          const std::size_t size = reinterpret_cast<const char*>(&last + 1) - from;
          return std::memcmp(from, &y, size) == 0;
        };
        EXPECT_TRUE(same(a.sawL, b.sawL, a.pmR))
            << "mode " << mode << " draw " << draw << " voice " << v;
        EXPECT_TRUE(same(a.filter.lanes, b.filter.lanes, a.filter.lanes));
        EXPECT_TRUE(same(a.laneRatio, b.laneRatio, a.laneFreqR));
        EXPECT_EQ(std::memcmp(a.filter.design.target, b.filter.design.target,
                              sizeof a.filter.design.target),
                  0);
        const float scalarsA[] = {a.freqL,          a.freqR,        a.timbre2,
                                  a.filter.cutoff1, a.filter.reso2, a.filter.od2Smooth,
                                  a.pitchEnv};
        const float scalarsB[] = {b.freqL,          b.freqR,        b.timbre2,
                                  b.filter.cutoff1, b.filter.reso2, b.filter.od2Smooth,
                                  b.pitchEnv};
        EXPECT_EQ(std::memcmp(scalarsA, scalarsB, sizeof scalarsA), 0);
      }
    }
  }
}

#if !defined(_WIN32)
// A processor without AVX must never meet an AVX instruction: every function of the plug-in that
// holds one (a VEX-encoded instruction, all of whose mnemonics begin with v) belongs to the AVX
// loops, which run only when chosen. An inline helper compiled there and shared by the linker
// with the SSE2 code would show up here under its own name.
TEST(SimdPathTest, AvxInstructionsStayInTheAvxLoops) {
  const std::string command =
      std::string("objdump -d --no-show-raw-insn -C '") + ORVALIS_PLUGIN_PATH + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string function, line;
  std::vector<std::string> offenders;
  int avxFunctions = 0;
  bool counted = false;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe)) {
    line = buffer;
    if (line.size() > 2 && line[0] != ' ' && line.find(">:") != std::string::npos) {
      function = line.substr(line.find('<') + 1);
      function = function.substr(0, function.rfind(">:"));
      counted = false;
      continue;
    }
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos || line[0] != ' ') continue;
    const std::string mnemonic =
        line.substr(tab + 1, line.find_first_of(" \t\n", tab + 1) - tab - 1);
    if (mnemonic.empty() || mnemonic[0] != 'v' || mnemonic == "verr" || mnemonic == "verw")
      continue;
    if (counted) continue;
    counted = true;
    ++avxFunctions;
    if (function.find("orvalis::engine::avx2::") == std::string::npos)
      offenders.push_back(function);
  }
  const int status = pclose(pipe);
  if (status != 0 && avxFunctions == 0) {
    GTEST_SKIP() << "objdump did not run";
  }
  for (const std::string& f : offenders) ADD_FAILURE() << "AVX outside the AVX loops: " << f;
  if (avx2Kernels()) {
    EXPECT_GT(avxFunctions, 0);
  }
}
#endif
