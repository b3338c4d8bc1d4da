#include "tests/support/wav_file.h"

#include <sndfile.h>

namespace orvalis::tests {

bool readWav(const std::string& path, WavFile& wav) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) return false;
  wav.sampleRate = info.samplerate;
  wav.channels = info.channels;
  wav.format = info.format;
  std::vector<float> interleaved(static_cast<std::size_t>(info.frames) * info.channels);
  sf_readf_float(file, interleaved.data(), info.frames);
  sf_close(file);
  wav.left.resize(info.frames);
  wav.right.resize(info.frames);
  for (sf_count_t i = 0; i < info.frames; ++i) {
    wav.left[i] = interleaved[i * info.channels];
    wav.right[i] = interleaved[i * info.channels + (info.channels > 1 ? 1 : 0)];
  }
  return true;
}

}  // namespace orvalis::tests
