#include "render/wav_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orvalis::render {

namespace {

constexpr uint32_t kUnknownLength = 0xFFFFFFFF;
constexpr uint16_t kWavePcm = 1, kWaveFloat = 3;

// A chunk or form name: four characters, no terminator.
void putTag(uint8_t* p, const char* tag) { std::copy_n(tag, 4, p); }

void putLe(uint8_t* p, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// RIFF sizes are 32-bit: a longer file, or one whose length is not known yet, says "unknown",
// and readers take the length from the data, as they do for streamed files.
uint32_t sizeField(int64_t bytes) {
  return bytes < 0 || bytes >= int64_t{kUnknownLength} ? kUnknownLength
                                                       : static_cast<uint32_t>(bytes);
}

int subformat(SampleFormat format) {
  return format == SampleFormat::Float   ? SF_FORMAT_FLOAT
         : format == SampleFormat::Pcm16 ? SF_FORMAT_PCM_16
                                         : SF_FORMAT_PCM_24;
}

}  // namespace

// Integer samples take the 16-byte PCM format chunk; float samples the 18-byte one (with its
// empty extension) and the fact chunk with the frame count, as the WAV format asks of every
// format that is not PCM.
std::vector<uint8_t> wavHeader(SampleFormat format, int sampleRate, int64_t frames) {
  const bool isFloat = format == SampleFormat::Float;
  const uint32_t bits = format == SampleFormat::Pcm16   ? 16
                        : format == SampleFormat::Pcm24 ? 24
                                                        : 32;
  const uint32_t frameBytes = 2 * bits / 8;
  const uint32_t fmtSize = isFloat ? 18 : 16;
  std::vector<uint8_t> h(12 + 8 + fmtSize + (isFloat ? 12 : 0) + 8);
  const int64_t dataBytes = frames < 0 ? -1 : frames * frameBytes;
  uint8_t* p = h.data();
  putTag(p, "RIFF");
  putLe(p + 4, sizeField(dataBytes < 0 ? -1 : dataBytes + static_cast<int64_t>(h.size()) - 8), 4);
  putTag(p + 8, "WAVE");
  p += 12;
  putTag(p, "fmt ");
  putLe(p + 4, fmtSize, 4);
  putLe(p + 8, isFloat ? kWaveFloat : kWavePcm, 2);
  putLe(p + 10, 2, 2);
  putLe(p + 12, static_cast<uint32_t>(sampleRate), 4);
  putLe(p + 16, static_cast<uint32_t>(sampleRate) * frameBytes, 4);
  putLe(p + 20, frameBytes, 2);
  putLe(p + 22, bits, 2);
  if (isFloat) putLe(p + 24, 0, 2);  // no extension bytes follow
  p += 8 + fmtSize;
  if (isFloat) {
    putTag(p, "fact");
    putLe(p + 4, 4, 4);
    putLe(p + 8, sizeField(frames), 4);
    p += 12;
  }
  putTag(p, "data");
  putLe(p + 4, sizeField(dataBytes), 4);
  return h;
}

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
  rate = sampleRate;
  sampleFormat = format;
  const int flags = fcntl(fd, F_GETFL);
  headerStart = lseek(fd, 0, SEEK_CUR);
  // Appended writes ignore the position, so the header could not be rewritten in place.
  seekable = headerStart >= 0 && flags >= 0 && !(flags & O_APPEND);
  if (!seekable) headerStart = 0;
  base = headerStart;
  const std::vector<uint8_t> header = wavHeader(format, sampleRate, -1);
  if (!writeAll(header.data(), header.size())) {
    error = reason();
    return false;
  }
  // The samples follow as headerless data, converted by libsndfile as in a WAV file; its
  // positions count from the first sample.
  base += position;
  position = length = 0;
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = 2;
  info.format = SF_FORMAT_RAW | SF_ENDIAN_LITTLE | subformat(format);
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
  framesWritten += frames;
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
  if (status == 0 && !writeErrno && seekable) {
    const std::vector<uint8_t> header = wavHeader(sampleFormat, rate, framesWritten);
    if (pwrite(fd, header.data(), header.size(), headerStart) !=
        static_cast<ssize_t>(header.size()))
      writeErrno = errno ? errno : EIO;
    else if (lseek(fd, base + length, SEEK_SET) < 0)  // a caller may write on after the WAV
      writeErrno = errno;
  }
  if (status != 0 || writeErrno) {
    error = writeErrno ? std::strerror(writeErrno) : sf_error_number(status);
    return false;
  }
  return true;
}

}  // namespace orvalis::render
