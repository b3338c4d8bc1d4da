#include "render/wav_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace render {

namespace {

constexpr uint32_t kUnknownLength = 0xFFFFFFFF;
constexpr uint16_t kWavePcm = 1, kWaveFloat = 3;

// A chunk or form name: four characters, no terminator.
void putTag(uint8_t* p, const char* tag) { std::copy_n(tag, 4, p); }

void putLe(uint8_t* p, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

int subformat(SampleFormat format) {
  return format == SampleFormat::Float   ? SF_FORMAT_FLOAT
         : format == SampleFormat::Pcm16 ? SF_FORMAT_PCM_16
                                         : SF_FORMAT_PCM_24;
}

}  // namespace

WavWriter::~WavWriter() {
  if (file) sf_close(file);
}

sf_count_t WavWriter::fileLength(void* self) { return static_cast<WavWriter*>(self)->length; }

sf_count_t WavWriter::seek(sf_count_t offset, int whence, void* self) {
  WavWriter& w = *static_cast<WavWriter*>(self);
  const int64_t target = whence == SEEK_SET   ? offset
                         : whence == SEEK_CUR ? w.position + offset
                                              : w.length + offset;
  if (target == w.position) return w.position;
  if (!w.seekable || target < 0 || lseek(w.fd, w.base + target, SEEK_SET) < 0) return -1;
  w.position = target;
  return w.position;
}

sf_count_t WavWriter::read(void*, sf_count_t, void*) { return 0; }  // written only

sf_count_t WavWriter::writeBytes(const void* data, sf_count_t count, void* self) {
  WavWriter& w = *static_cast<WavWriter*>(self);
  return w.writeAll(data, static_cast<std::size_t>(count)) ? count : 0;
}

sf_count_t WavWriter::tell(void* self) { return static_cast<WavWriter*>(self)->position; }

bool WavWriter::writeAll(const void* data, std::size_t count) {
  const char* p = static_cast<const char*>(data);
  while (count > 0) {
    const ssize_t n = ::write(fd, p, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      writeErrno = n < 0 ? errno : EIO;
      return false;
    }
    p += n;
    count -= static_cast<std::size_t>(n);
    position += n;
    length = std::max(length, position);
  }
  return true;
}

std::string WavWriter::reason() const {
  return writeErrno ? std::strerror(writeErrno) : sf_strerror(file);
}

bool WavWriter::open(int descriptor, int sampleRate, SampleFormat format, std::string& error) {
  fd = descriptor;
  const int flags = fcntl(fd, F_GETFL);
  base = lseek(fd, 0, SEEK_CUR);
  // Appended writes ignore the position, so the header could not be rewritten in place.
  seekable = base >= 0 && flags >= 0 && !(flags & O_APPEND);
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = 2;
  if (seekable) {
    info.format = SF_FORMAT_WAV | subformat(format);
  } else {
    base = 0;
    const int bits = format == SampleFormat::Pcm16 ? 16 : format == SampleFormat::Pcm24 ? 24 : 32;
    const uint32_t frameBytes = 2 * bits / 8;
    uint8_t header[44];
    putTag(header, "RIFF");
    putLe(header + 4, kUnknownLength, 4);
    putTag(header + 8, "WAVE");
    putTag(header + 12, "fmt ");
    putLe(header + 16, 16, 4);
    putLe(header + 20, format == SampleFormat::Float ? kWaveFloat : kWavePcm, 2);
    putLe(header + 22, 2, 2);
    putLe(header + 24, static_cast<uint32_t>(sampleRate), 4);
    putLe(header + 28, static_cast<uint32_t>(sampleRate) * frameBytes, 4);
    putLe(header + 32, frameBytes, 2);
    putLe(header + 34, static_cast<uint32_t>(bits), 2);
    putTag(header + 36, "data");
    putLe(header + 40, kUnknownLength, 4);
    if (!writeAll(header, sizeof header)) {
      error = reason();
      return false;
    }
    // The samples follow as headerless data, converted by libsndfile as in a WAV file.
    info.format = SF_FORMAT_RAW | SF_ENDIAN_LITTLE | subformat(format);
  }
  SF_VIRTUAL_IO io{&WavWriter::fileLength, &WavWriter::seek, &WavWriter::read,
                   &WavWriter::writeBytes, &WavWriter::tell};
  file = sf_open_virtual(&io, SFM_WRITE, &info, this);
  if (!file || writeErrno) {  // libsndfile does not always report a failed header write
    error = writeErrno ? std::strerror(writeErrno) : sf_strerror(nullptr);
    return false;
  }
  sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);  // clip instead of wrapping around
  return true;
}

bool WavWriter::write(const float* left, const float* right, int frames, std::string& error) {
  interleaved.resize(2 * static_cast<std::size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    interleaved[2 * i] = left[i];
    interleaved[2 * i + 1] = right[i];
  }
  if (sf_writef_float(file, interleaved.data(), frames) != frames) {
    error = reason();
    return false;
  }
  return true;
}

bool WavWriter::finish(std::string& error) {
  const int status = sf_close(file);
  file = nullptr;
  if (status != 0 || writeErrno) {
    error = writeErrno ? std::strerror(writeErrno) : sf_error_number(status);
    return false;
  }
  return true;
}

}  // namespace render
