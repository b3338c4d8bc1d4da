#include "tests/support/golden_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>

#include "engine/kernel_set.h"

namespace orvalis::tests {

namespace {

std::string goldenPath(const std::string& name) {
  return std::string(ORVALIS_GOLDEN_DIR) + "/" + name + ".f32";
}

bool recording() {
  const char* mode = std::getenv("ORVALIS_GOLDEN");
  return mode && std::strcmp(mode, "record") == 0;
}

// The files hold the SSE2 path's output: that path matches them bit for bit in the build they
// were recorded with; the AVX path rounds differently (fused operations) and is held to the bound.
bool exactBuild() {
#if defined(ORVALIS_GOLDEN_EXACT)
  return std::strcmp(orvalis::engine::activeKernels().name, "sse2") == 0;
#else
  return false;
#endif
}

// The files are little-endian; so is every target this builds for.
std::vector<float> load(const std::string& path, bool& ok) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ok = in.good() || in.eof();
  ok = ok && !bytes.empty() && bytes.size() % sizeof(float) == 0;
  std::vector<float> samples(ok ? bytes.size() / sizeof(float) : 0);
  if (ok) std::memcpy(samples.data(), bytes.data(), bytes.size());
  return samples;
}

}  // namespace

double snrDb(const std::vector<float>& reference, const std::vector<float>& a) {
  double signal = 0, noise = 0;
  for (std::size_t i = 0; i < reference.size() && i < a.size(); ++i) {
    const double d = static_cast<double>(a[i]) - reference[i];
    signal += static_cast<double>(reference[i]) * reference[i];
    noise += d * d;
  }
  if (!(noise == noise)) return -std::numeric_limits<double>::infinity();
  if (noise == 0) return std::numeric_limits<double>::infinity();
  return 10.0 * std::log10(signal / noise);
}

void checkGolden(const std::string& name, const std::vector<float>& samples) {
  const std::string path = goldenPath(name);
  if (recording()) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(samples.data()),
              static_cast<std::streamsize>(samples.size() * sizeof(float)));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
    return;
  }
  bool ok = false;
  const std::vector<float> expected = load(path, ok);
  ASSERT_TRUE(ok) << "missing or unreadable golden file " << path;
  ASSERT_EQ(expected.size(), samples.size()) << name;
  std::size_t differing = 0, first = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    if (std::memcmp(&samples[i], &expected[i], sizeof(float)) != 0 && differing++ == 0) first = i;
  }
  const double snr = snrDb(expected, samples);
  if (exactBuild()) {
    EXPECT_EQ(differing, 0u) << name << ": " << differing << " samples differ, the first at "
                             << first / 2 << (first % 2 ? " (right)" : " (left)") << ", SNR " << snr
                             << " dB";
  } else {
    EXPECT_GE(snr, kGoldenMinSnrDb)
        << name << " on the " << orvalis::engine::activeKernels().name << " path: " << differing
        << " samples differ, SNR " << snr << " dB";
  }
}

}  // namespace orvalis::tests
