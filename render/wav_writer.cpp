#include "render/wav_writer.h"

#include <sndfile.h>
#include <unistd.h>

#include <cstdio>

namespace render {

bool writeWav(const std::string& path, const std::vector<float>& left,
              const std::vector<float>& right, int sampleRate, SampleFormat format,
              std::string& error) {
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | (format == SampleFormat::Float   ? SF_FORMAT_FLOAT
                                 : format == SampleFormat::Pcm16 ? SF_FORMAT_PCM_16
                                                                 : SF_FORMAT_PCM_24);
  const std::string partial = path + ".partial-" + std::to_string(getpid());
  SNDFILE* file = sf_open(partial.c_str(), SFM_WRITE, &info);
  if (!file) {
    error = "cannot write " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);  // clip instead of wrapping around

  std::vector<float> interleaved(left.size() * 2);
  for (std::size_t i = 0; i < left.size(); ++i) {
    interleaved[2 * i] = left[i];
    interleaved[2 * i + 1] = right[i];
  }
  const sf_count_t frames = static_cast<sf_count_t>(left.size());
  const bool written = sf_writef_float(file, interleaved.data(), frames) == frames;
  const bool closed = sf_close(file) == 0;
  if (!written || !closed || std::rename(partial.c_str(), path.c_str()) != 0) {
    std::remove(partial.c_str());
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace render
