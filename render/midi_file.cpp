#include "render/midi_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "io/byte_order.h"

namespace orvalis::render {

namespace {

using Wide = unsigned __int128;  // ticks times tempos overflow 64 bits long before the limits

constexpr uint32_t kDefaultTempo =
    500000;  // microseconds per quarter note (120 bpm) until a tempo event
constexpr int kMaxVarLenBytes = 4;
constexpr uint8_t kMetaTempo = 0x51;
constexpr uint8_t kMetaEndOfTrack = 0x2F;

using orvalis::io::Endian;
using orvalis::io::loadU16;
using orvalis::io::loadU32;

std::string hexByte(uint8_t b) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", b);
  return text;
}

// Seconds are kept exact as a fraction: numerator / denominator.
struct Timing {
  bool smpte = false;
  uint32_t perTick = 1;  // SMPTE: numerator units per tick
  Wide denominator = 1;
};

struct TempoChange {
  uint64_t tick;
  uint32_t microsPerQuarter;
};

// The time of ticks asked for in order: tempo segments are walked forward once.
class Clock {
 public:
  Clock(const Timing& timing, const std::vector<TempoChange>& changes)
      : timing(timing), changes(changes) {}
  Wide at(uint64_t tick) {
    if (timing.smpte) return Wide(tick) * timing.perTick;  // tempo events do not apply
    while (next < changes.size() && changes[next].tick <= tick) {
      start += Wide(changes[next].tick - startTick) * tempo;
      startTick = changes[next].tick;
      tempo = changes[next].microsPerQuarter;
      ++next;
    }
    return start + Wide(tick - startTick) * tempo;
  }

 private:
  const Timing& timing;
  const std::vector<TempoChange>& changes;
  std::size_t next = 0;
  uint64_t startTick = 0;
  Wide start = 0;
  uint32_t tempo = kDefaultTempo;
};

int64_t frameAt(Wide time, const Timing& timing, uint32_t sampleRate) {
  // Rounded to the nearest frame, halves away from zero.
  return static_cast<int64_t>((2 * time * sampleRate + timing.denominator) /
                              (2 * timing.denominator));
}

double secondsAt(Wide time, const Timing& timing) {
  return static_cast<double>(static_cast<long double>(time) /
                             static_cast<long double>(timing.denominator));
}

enum class Step { Ok, CutShort, Bad };

// One MTrk chunk's events. Channel messages go to events with their tick in the frame field;
// tempo changes to tempos.
class TrackReader {
 public:
  TrackReader(const uint8_t* file, std::size_t begin, std::size_t end, int track,
              const MidiLimits& limits, std::size_t& eventsRead, std::string& error)
      : file(file),
        pos(begin),
        end(end),
        track(track),
        limits(limits),
        eventsRead(eventsRead),
        error(error) {}

  // Reads up to the End-of-Track or the chunk's end.
  Step read(std::vector<MidiEvent>& events, std::vector<TempoChange>& tempos) {
    while (pos < end) {
      const std::size_t eventStart = pos;
      uint32_t delta = 0;
      Step s = varLen(delta);
      if (s != Step::Ok) return s;
      if (++eventsRead > limits.maxEvents) {
        error = "more than " + std::to_string(limits.maxEvents) + " events (the limit)";
        return Step::Bad;
      }
      if (pos >= end) return Step::CutShort;
      tick += delta;
      uint8_t status = file[pos];
      if (status & 0x80) {
        ++pos;
      } else if (running) {
        status = running;
      } else {
        return fail(pos, "data byte " + hexByte(status) +
                             " without a status byte (meta and SysEx events end running status)");
      }
      if (status < 0xF0) {
        running = status;
        const int dataBytes = (status & 0xE0) == 0xC0 ? 1 : 2;  // program change and pressure
        if (end - pos < static_cast<std::size_t>(dataBytes)) return Step::CutShort;
        MidiEvent e{static_cast<int64_t>(tick), {status, 0, 0}, uint8_t(1 + dataBytes)};
        for (int i = 0; i < dataBytes; ++i) {
          if (file[pos] & 0x80)
            return fail(pos, "status byte " + hexByte(file[pos]) + " inside a channel message");
          e.bytes[1 + i] = file[pos++];
        }
        events.push_back(e);
        lastTick = tick;
        continue;
      }
      running = 0;
      if (status == 0xF0 || status == 0xF7) {
        uint32_t length = 0;
        if ((s = varLen(length)) != Step::Ok) return s;
        if (end - pos < length) return Step::CutShort;
        pos += length;
        lastTick = tick;
        continue;
      }
      if (status != 0xFF)
        return fail(eventStart,
                    "status byte " + hexByte(status) + " is not allowed in a MIDI file");
      if (pos >= end) return Step::CutShort;
      const uint8_t type = file[pos++];
      uint32_t length = 0;
      if ((s = varLen(length)) != Step::Ok) return s;
      if (end - pos < length) return Step::CutShort;
      const std::size_t dataAt = pos;
      pos += length;
      lastTick = tick;
      if (type == kMetaEndOfTrack) return Step::Ok;
      if (type == kMetaTempo) {
        if (length != 3)
          return fail(eventStart,
                      "tempo event of " + std::to_string(length) + " bytes (a tempo has 3)");
        const uint32_t micros =
            uint32_t(file[dataAt]) << 16 | uint32_t(file[dataAt + 1]) << 8 | file[dataAt + 2];
        if (micros == 0) return fail(eventStart, "tempo of 0 microseconds per quarter note");
        tempos.push_back({tick, micros});
      }
    }
    return Step::Ok;
  }

  uint64_t lastEventTick() const { return lastTick; }

 private:
  Step varLen(uint32_t& out) {
    const std::size_t start = pos;
    out = 0;
    for (int i = 0; i < kMaxVarLenBytes; ++i) {
      if (pos >= end) return Step::CutShort;
      const uint8_t b = file[pos++];
      out = out << 7 | (b & 0x7F);
      if (!(b & 0x80)) return Step::Ok;
    }
    return fail(start, "variable-length number longer than 4 bytes");
  }

  Step fail(std::size_t at, const std::string& what) {
    error = "track " + std::to_string(track) + " at byte " + std::to_string(at) + ": " + what;
    return Step::Bad;
  }

  const uint8_t* file;
  std::size_t pos, end;
  int track;
  const MidiLimits& limits;
  std::size_t& eventsRead;
  std::string& error;
  uint8_t running = 0;
  uint64_t tick = 0, lastTick = 0;
};

// Where the Standard MIDI File starts and ends: the whole input, or an RMID file's data chunk.
bool locateMidiData(const uint8_t* data, std::size_t size, std::size_t& begin, std::size_t& end,
                    std::string& error) {
  begin = 0;
  end = size;
  if (size < 12 || std::memcmp(data, "RIFF", 4) != 0) return true;
  if (std::memcmp(data + 8, "RMID", 4) != 0) {
    error = "a RIFF file, but not RIFF MIDI (RMID)";
    return false;
  }
  std::size_t pos = 12;
  while (size - pos >= 8) {
    const uint32_t length = loadU32(data + pos + 4, Endian::Little);
    if (std::memcmp(data + pos, "data", 4) == 0) {
      begin = pos + 8;
      end = begin + std::min<std::size_t>(length, size - begin);
      return true;
    }
    const std::size_t skip = std::size_t(length) + (length & 1);  // chunks are padded to even
    if (size - pos - 8 < skip) break;
    pos += 8 + skip;
  }
  error = "an RMID file without a data chunk";
  return false;
}

bool readTiming(uint16_t division, Timing& timing, std::string& error) {
  if (division & 0x8000) {
    const int fps = -static_cast<int8_t>(division >> 8);
    const int ticksPerFrame = division & 0xFF;
    if (fps != 24 && fps != 25 && fps != 29 && fps != 30) {
      error = "SMPTE division with " + std::to_string(fps) +
              " frames per second (want 24, 25, 29 or 30)";
      return false;
    }
    if (ticksPerFrame == 0) {
      error = "SMPTE division with 0 ticks per frame";
      return false;
    }
    timing.smpte = true;
    // 29 stands for 29.97 frames per second (30000 / 1001).
    timing.perTick = fps == 29 ? 1001 : 1;
    timing.denominator = Wide(fps == 29 ? 30000 : fps) * ticksPerFrame;
    return true;
  }
  if (division == 0) {
    error = "division of 0 ticks per quarter note";
    return false;
  }
  timing.denominator = Wide(division) * 1000000;
  return true;
}

std::string lengthText(double seconds) {
  char text[64];
  if (seconds >= 3600)
    std::snprintf(text, sizeof text, "%.1f h", seconds / 3600);
  else
    std::snprintf(text, sizeof text, "%.1f s", seconds);
  return text;
}

}  // namespace

bool parseMidiFile(const uint8_t* data, std::size_t size, uint32_t sampleRate,
                   const MidiLimits& limits, MidiSong& out, std::string& error) {
  std::size_t begin = 0, end = size;
  if (!locateMidiData(data, size, begin, end, error)) return false;
  if (end - begin < 8 || std::memcmp(data + begin, "MThd", 4) != 0) {
    error = "not a Standard MIDI File (no MThd header)";
    return false;
  }
  const uint32_t headerLength = loadU32(data + begin + 4, Endian::Big);
  if (headerLength < 6) {
    error = "MIDI file header of " + std::to_string(headerLength) + " bytes (want 6)";
    return false;
  }
  if (end - begin - 8 < headerLength) {
    error = "the file ends inside its header";
    return false;
  }
  const uint8_t* header = data + begin + 8;
  MidiSong song;
  song.format = loadU16(header, Endian::Big);
  const int announcedTracks = loadU16(header + 2, Endian::Big);
  Timing timing;
  if (song.format > 2) {
    error = "unknown MIDI file format " + std::to_string(song.format) + " (want 0, 1 or 2)";
    return false;
  }
  if (!readTiming(loadU16(header + 4, Endian::Big), timing, error)) return false;

  std::vector<TempoChange> tempos;
  Wide songEnd = 0;       // format 2: where the next track starts
  uint64_t lastTick = 0;  // formats 0 and 1
  std::size_t pos = begin + 8 + headerLength;
  while (end - pos >= 8) {
    const uint32_t length = loadU32(data + pos + 4, Endian::Big);
    const bool isTrack = std::memcmp(data + pos, "MTrk", 4) == 0;
    const std::size_t chunkEnd = pos + 8 + std::min<std::size_t>(length, end - pos - 8);
    if (!isTrack) {  // unknown chunks are skipped, as the format asks
      if (end - pos - 8 < length) break;
      pos = chunkEnd;
      continue;
    }
    const int track = ++song.tracks;
    const std::size_t firstEvent = song.events.size();
    if (song.format == 2) tempos.clear();
    TrackReader reader(data, pos + 8, chunkEnd, track, limits, song.eventsRead, error);
    const Step step = reader.read(song.events, tempos);
    if (step == Step::Bad) return false;
    if (chunkEnd - pos - 8 < length) {
      const std::size_t missing = length - (chunkEnd - pos - 8);
      song.warnings.push_back("track " + std::to_string(track) + " is cut short: the file ends " +
                              std::to_string(missing) + (missing == 1 ? " byte" : " bytes") +
                              " early; playing what is whole");
    } else if (step == Step::CutShort) {
      song.warnings.push_back("track " + std::to_string(track) +
                              " ends inside an event; playing what is whole");
    }
    pos = chunkEnd;
    if (song.format != 2) {
      lastTick = std::max(lastTick, reader.lastEventTick());
      continue;
    }
    // Format 2: each track is a song of its own, played after the one before.
    Clock clock(timing, tempos);
    for (std::size_t i = firstEvent; i < song.events.size(); ++i) {
      const Wide at = songEnd + clock.at(static_cast<uint64_t>(song.events[i].frame));
      song.events[i].frame = frameAt(at, timing, sampleRate);
    }
    songEnd += clock.at(reader.lastEventTick());
  }
  if (song.tracks == 0) {
    error = "a MIDI file without tracks";
    return false;
  }
  if (song.tracks < announcedTracks)
    song.warnings.push_back("the header announces " + std::to_string(announcedTracks) +
                            " tracks, the file holds " + std::to_string(song.tracks));

  if (song.format != 2) {
    // Tracks merged by tick; at equal ticks the earlier track's event comes first.
    auto byTick = [](const auto& a, const auto& b) { return a.frame < b.frame; };
    std::stable_sort(song.events.begin(), song.events.end(), byTick);
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    Clock clock(timing, tempos);
    for (MidiEvent& e : song.events)
      e.frame = frameAt(clock.at(static_cast<uint64_t>(e.frame)), timing, sampleRate);
    songEnd = clock.at(lastTick);
  }
  song.seconds = secondsAt(songEnd, timing);
  if (song.seconds > limits.maxSeconds) {
    error = "the song lasts " + lengthText(song.seconds) + ", longer than the limit of " +
            lengthText(limits.maxSeconds) + " (see --max-length)";
    return false;
  }
  song.endFrame = frameAt(songEnd, timing, sampleRate);
  if (!song.events.empty()) song.endFrame = std::max(song.endFrame, song.events.back().frame + 1);
  out = std::move(song);
  return true;
}

bool readMidiFile(const std::string& path, uint32_t sampleRate, const MidiLimits& limits,
                  MidiSong& song, std::string& error) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot read MIDI file " + path + ": " + std::strerror(errno);
    return false;
  }
  std::vector<uint8_t> data;
  std::size_t filled = 0;
  while (true) {
    if (data.size() - filled < 65536) data.resize(filled + 65536);
    const ssize_t n = ::read(fd, data.data() + filled, data.size() - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = "cannot read MIDI file " + path + ": " + std::strerror(errno);
      close(fd);
      return false;
    }
    if (n == 0) break;
    filled += static_cast<std::size_t>(n);
    if (filled > limits.maxFileBytes) {
      error = path + ": larger than " + std::to_string(limits.maxFileBytes >> 20) +
              " MB, too large for a MIDI file";
      close(fd);
      return false;
    }
  }
  close(fd);
  if (!parseMidiFile(data.data(), filled, sampleRate, limits, song, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

}  // namespace orvalis::render
