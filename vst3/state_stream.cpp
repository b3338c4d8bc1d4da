#include "vst3/state_stream.h"

namespace orvalis::vst3 {

bool readStream(IBStream* stream, std::size_t limit, std::vector<uint8_t>& out) {
  out.clear();
  if (!stream) return false;
  uint8_t chunk[4096];
  for (;;) {
    int32_t got = 0;
    const tresult r = stream->read(chunk, static_cast<int32_t>(sizeof chunk), &got);
    // Some streams answer false at the end, others ok with nothing read.
    if (got < 0 || got > static_cast<int32_t>(sizeof chunk)) return false;
    if (got == 0) return r == kResultOk || r == kResultFalse;
    if (out.size() + static_cast<std::size_t>(got) > limit) return false;
    out.insert(out.end(), chunk, chunk + got);
    if (r != kResultOk) return true;
  }
}

bool writeStream(IBStream* stream, const std::vector<uint8_t>& data) {
  if (!stream) return false;
  std::size_t done = 0;
  while (done < data.size()) {
    const std::size_t left = data.size() - done;
    const auto n = static_cast<int32_t>(left > (1u << 20) ? (1u << 20) : left);
    int32_t written = 0;
    if (stream->write(const_cast<uint8_t*>(data.data() + done), n, &written) != kResultOk ||
        written <= 0 || written > n)
      return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace orvalis::vst3
