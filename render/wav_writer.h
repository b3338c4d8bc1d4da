// Writes a stereo WAV file with libsndfile, through a temporary file that is renamed into place
// only when everything was written: a failed render leaves nothing behind.
#pragma once

#include <string>
#include <vector>

namespace render {

enum class SampleFormat { Float, Pcm16, Pcm24 };

bool writeWav(const std::string& path, const std::vector<float>& left,
              const std::vector<float>& right, int sampleRate, SampleFormat format,
              std::string& error);

}  // namespace render
