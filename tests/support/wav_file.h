// Reads WAV files with libsndfile, for tests of the renderer.
#pragma once

#include <string>
#include <vector>

namespace orvalis::tests {

struct WavFile {
  int sampleRate = 0;
  int channels = 0;
  int format = 0;  // libsndfile's format word
  std::vector<float> left, right;
};

bool readWav(const std::string& path, WavFile& wav);

}  // namespace orvalis::tests
