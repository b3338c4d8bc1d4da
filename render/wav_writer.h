// Streams a stereo WAV file into an open file descriptor, block by block, with libsndfile
// converting the samples. A seekable output gets its sizes in the header at the end; a pipe or
// FIFO gets a header that announces an unknown length, as streaming writers do, since nothing
// can be rewritten there.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orvalis::render {

enum class SampleFormat { Float, Pcm16, Pcm24 };

// The header before the samples; frames -1 for a length not known yet.
std::vector<uint8_t> wavHeader(SampleFormat format, int sampleRate, int64_t frames);

class WavWriter {
 public:
  WavWriter() = default;
  ~WavWriter();
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Errors are one-line reasons, the system's where there is one.
  bool open(int fd, int sampleRate, SampleFormat format, std::string& error);
  bool write(const float* left, const float* right, int frames, std::string& error);
  // Completes the header; the descriptor stays open.
  bool finish(std::string& error);

 private:
  static sf_count_t fileLength(void* self);
  static sf_count_t seek(sf_count_t offset, int whence, void* self);
  static sf_count_t read(void* data, sf_count_t count, void* self);
  static sf_count_t writeBytes(const void* data, sf_count_t count, void* self);
  static sf_count_t tell(void* self);
  bool writeAll(const void* data, std::size_t count);
  std::string reason() const;

  SNDFILE* file = nullptr;
  int fd = -1;
  bool seekable = false;
  int64_t headerStart = 0;  // where the WAV starts in the descriptor
  int64_t base = 0;         // where its samples start
  int64_t position = 0;     // from base
  int64_t length = 0;
  int64_t framesWritten = 0;
  int rate = 0;
  SampleFormat sampleFormat = SampleFormat::Float;
  int writeErrno = 0;
  std::vector<float> interleaved;
};

}  // namespace orvalis::render
