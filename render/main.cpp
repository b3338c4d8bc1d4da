// orvalis-render: plays a Standard MIDI File through a VST 2 instrument (Orvalis by default)
// and writes the result as a WAV file.
#include <limits.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "render/midi_file.h"
#include "render/plugin_host.h"
#include "render/wav_writer.h"

namespace {

using render::SampleFormat;

const char* const kUsage =
    "usage: orvalis-render [options] INPUT.mid\n"
    "\n"
    "Plays a Standard MIDI File through a VST 2 instrument and writes a stereo WAV file.\n"
    "\n"
    "options:\n"
    "  -o, --output PATH        WAV file to write (default: INPUT with .wav)\n"
    "  --rate HZ                sample rate (default 44100)\n"
    "  --block FRAMES           frames per processing block, 1..8192 (default 256)\n"
    "  --program N              select program N before rendering\n"
    "  --param INDEX=VALUE      set a parameter before rendering; the name works too,\n"
    "                           e.g. --param \"Osc Type=0.4\" (repeatable)\n"
    "  --automate SECONDS:INDEX=VALUE\n"
    "                           set a parameter at a time in the song (repeatable)\n"
    "  --tail SECONDS           longest release tail after the last event (default 10)\n"
    "  --format float|pcm16|pcm24  sample format (default float)\n"
    "  --plugin PATH            the instrument library (default: Orvalis.so beside this program)\n"
    "  --list-params            print every parameter and exit\n"
    "  --quiet                  no progress bar and no summary\n"
    "  -h, --help               this text\n";

struct ParamSetting {
  std::string target;  // index or name
  float value;
  double seconds;  // -1: before rendering
};

struct Options {
  std::string input, output, plugin;
  double rate = 44100;
  int block = 256;
  int program = -1;
  double tail = 10;
  SampleFormat format = SampleFormat::Float;
  std::vector<ParamSetting> params;
  bool listParams = false;
  bool quiet = false;
};

[[noreturn]] void fail(const std::string& message) {
  std::fprintf(stderr, "orvalis-render: %s\n", message.c_str());
  std::exit(1);
}

bool parseDouble(const std::string& text, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  out = std::strtod(text.c_str(), &end);
  return errno == 0 && end && *end == 0 && std::isfinite(out);
}

bool parseInt(const std::string& text, long& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  out = std::strtol(text.c_str(), &end, 10);
  return errno == 0 && end && *end == 0;
}

// "NAME=VALUE" or "INDEX=VALUE"; the name may contain '=' only before the last one.
ParamSetting parseParam(const std::string& text, double seconds) {
  const std::size_t eq = text.rfind('=');
  double value = 0;
  if (eq == std::string::npos || eq == 0 || !parseDouble(text.substr(eq + 1), value))
    fail("bad parameter setting '" + text + "' (want INDEX=VALUE or NAME=VALUE)");
  return {text.substr(0, eq), static_cast<float>(value), seconds};
}

std::string besideExecutable(const char* name) {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return name;
  path[n] = 0;
  std::string dir(path);
  const std::size_t slash = dir.rfind('/');
  return (slash == std::string::npos ? std::string(".") : dir.substr(0, slash)) + "/" + name;
}

Options parseOptions(int argc, char** argv) {
  Options o;
  auto value = [&](int& i) -> std::string {
    if (i + 1 >= argc) fail(std::string("option ") + argv[i] + " needs a value");
    return argv[++i];
  };
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    long n = 0;
    if (a == "-h" || a == "--help") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (a == "-o" || a == "--output") {
      o.output = value(i);
    } else if (a == "--rate") {
      if (!parseDouble(value(i), o.rate) || o.rate < 8000 || o.rate > 384000)
        fail("bad --rate (want 8000..384000 Hz)");
    } else if (a == "--block") {
      if (!parseInt(value(i), n) || n < 1 || n > 8192) fail("bad --block (want 1..8192 frames)");
      o.block = static_cast<int>(n);
    } else if (a == "--program") {
      if (!parseInt(value(i), n) || n < 0 || n > 100000) fail("bad --program");
      o.program = static_cast<int>(n);
    } else if (a == "--param") {
      o.params.push_back(parseParam(value(i), -1));
    } else if (a == "--automate") {
      const std::string automation = value(i);
      const std::size_t colon = automation.find(':');
      double at = 0;
      if (colon == std::string::npos || !parseDouble(automation.substr(0, colon), at) || at < 0)
        fail("bad --automate '" + automation + "' (want SECONDS:INDEX=VALUE)");
      o.params.push_back(parseParam(automation.substr(colon + 1), at));
    } else if (a == "--tail") {
      if (!parseDouble(value(i), o.tail) || o.tail < 0 || o.tail > 600)
        fail("bad --tail (want 0..600 seconds)");
    } else if (a == "--format") {
      const std::string f = value(i);
      if (f == "float")
        o.format = SampleFormat::Float;
      else if (f == "pcm16")
        o.format = SampleFormat::Pcm16;
      else if (f == "pcm24")
        o.format = SampleFormat::Pcm24;
      else
        fail("bad --format '" + f + "' (want float, pcm16 or pcm24)");
    } else if (a == "--plugin") {
      o.plugin = value(i);
    } else if (a == "--list-params") {
      o.listParams = true;
    } else if (a == "--quiet") {
      o.quiet = true;
    } else if (!a.empty() && a[0] == '-') {
      fail("unknown option " + a + " (see --help)");
    } else if (o.input.empty()) {
      o.input = a;
    } else {
      fail("more than one input file given");
    }
  }
  if (o.plugin.empty()) o.plugin = besideExecutable("Orvalis.so");
  if (o.input.empty() && !o.listParams) fail("no MIDI file given (see --help)");
  if (o.output.empty() && !o.input.empty()) {
    const std::size_t dot = o.input.rfind('.');
    const std::size_t slash = o.input.rfind('/');
    o.output = (dot != std::string::npos && (slash == std::string::npos || dot > slash)
                    ? o.input.substr(0, dot)
                    : o.input) +
               ".wav";
  }
  return o;
}

int resolveParameter(render::PluginHost& host, const std::string& target) {
  long index = 0;
  if (parseInt(target, index)) {
    if (index < 0 || index >= host.numParams())
      fail("parameter index " + target + " out of range 0.." +
           std::to_string(host.numParams() - 1));
    return static_cast<int>(index);
  }
  const int found = host.findParameter(target);
  if (found < 0) fail("no parameter named '" + target + "' (see --list-params)");
  return found;
}

void listParameters(render::PluginHost& host) {
  std::printf("%5s  %-18s %10s  %-12s %s\n", "index", "name", "value", "display", "label");
  for (int i = 0; i < host.numParams(); ++i) {
    const render::ParameterInfo p = host.parameter(i);
    std::printf("%5d  %-18s %10.4f  %-12s %s\n", p.index, p.name.empty() ? "-" : p.name.c_str(),
                static_cast<double>(p.value), p.display.c_str(), p.label.c_str());
  }
}

double cpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

void progress(double done, double total) {
  const int width = 40;
  const double fraction = total > 0 ? std::min(1.0, done / total) : 1.0;
  const int filled = static_cast<int>(fraction * width);
  std::fprintf(stderr, "\r[%.*s%*s] %3d%% %6.1f s", filled,
               "########################################", width - filled, "",
               static_cast<int>(fraction * 100), done);
}

double decibels(double x) { return x > 0 ? 20 * std::log10(x) : -INFINITY; }

}  // namespace

int main(int argc, char** argv) {
  const Options o = parseOptions(argc, argv);

  std::vector<render::TimedMidi> midi;
  std::string error;
  if (!o.input.empty() && !render::readMidiFile(o.input, o.rate, midi, error)) fail(error);

  render::PluginHost host;
  if (!host.load(o.plugin, static_cast<float>(o.rate), o.block, error)) fail(error);
  if (o.program >= 0) {
    if (o.program >= host.numPrograms())
      fail("program " + std::to_string(o.program) + " out of range 0.." +
           std::to_string(host.numPrograms() - 1));
    host.setProgram(o.program);
  }

  struct Automation {
    int64_t frame;
    int index;
    float value;
  };
  std::vector<Automation> automation;
  for (const ParamSetting& s : o.params) {
    const int index = resolveParameter(host, s.target);
    if (s.seconds < 0)
      host.setParameter(index, s.value);
    else
      automation.push_back(
          {static_cast<int64_t>(std::llround(s.seconds * o.rate)), index, s.value});
  }
  std::stable_sort(automation.begin(), automation.end(),
                   [](const Automation& a, const Automation& b) { return a.frame < b.frame; });
  if (o.listParams) {
    listParameters(host);
    return 0;
  }

  const int64_t songEnd = std::max<int64_t>(midi.empty() ? 0 : midi.back().frame + 1,
                                            automation.empty() ? 0 : automation.back().frame + 1);
  const int64_t tailCap = static_cast<int64_t>(o.tail * o.rate);
  const int64_t quietNeeded = static_cast<int64_t>(0.05 * o.rate);
  const float quietLevel = 3.1622777e-5f;  // -90 dBFS
  const bool showProgress = !o.quiet && isatty(2);

  std::vector<float> left, right, blockL(o.block), blockR(o.block);
  std::vector<VstMidiEvent> events;
  std::size_t nextMidi = 0, nextAutomation = 0;
  int64_t frame = 0, quietRun = 0, lastProgress = -1;
  const double cpuStart = cpuSeconds();
  while (true) {
    if (frame >= songEnd && (quietRun >= quietNeeded || frame - songEnd >= tailCap)) break;
    // Parameter changes land at the start of the block that contains them.
    while (nextAutomation < automation.size() &&
           automation[nextAutomation].frame < frame + o.block) {
      host.setParameter(automation[nextAutomation].index, automation[nextAutomation].value);
      ++nextAutomation;
    }
    events.clear();
    while (nextMidi < midi.size() && midi[nextMidi].frame < frame + o.block) {
      VstMidiEvent e{};
      e.type = kVstMidiType;
      e.byteSize = sizeof(VstMidiEvent);
      e.deltaFrames = static_cast<int32_t>(std::max<int64_t>(0, midi[nextMidi].frame - frame));
      for (int i = 0; i < midi[nextMidi].length; ++i)
        e.midiData[i] = static_cast<char>(midi[nextMidi].bytes[i]);
      events.push_back(e);
      ++nextMidi;
    }
    host.sendMidi(events);
    host.process(blockL.data(), blockR.data(), o.block);
    float peak = 0;
    for (int i = 0; i < o.block; ++i)
      peak = std::max({peak, std::fabs(blockL[i]), std::fabs(blockR[i])});
    quietRun = peak < quietLevel ? quietRun + o.block : 0;
    left.insert(left.end(), blockL.begin(), blockL.end());
    right.insert(right.end(), blockR.begin(), blockR.end());
    frame += o.block;
    if (showProgress && frame / static_cast<int64_t>(o.rate / 4) != lastProgress) {
      lastProgress = frame / static_cast<int64_t>(o.rate / 4);
      progress(frame / o.rate, (songEnd + quietNeeded) / o.rate);
    }
  }
  const double cpu = cpuSeconds() - cpuStart;
  if (showProgress) {
    progress(frame / o.rate, frame / o.rate);
    std::fputc('\n', stderr);
  }

  if (!render::writeWav(o.output, left, right, static_cast<int>(o.rate), o.format, error))
    fail(error);

  if (!o.quiet) {
    double peak = 0, sum = 0;
    for (std::size_t i = 0; i < left.size(); ++i) {
      peak = std::max({peak, double(std::fabs(left[i])), double(std::fabs(right[i]))});
      sum += double(left[i]) * left[i] + double(right[i]) * right[i];
    }
    const double seconds = left.size() / o.rate;
    const double rms = left.empty() ? 0 : std::sqrt(sum / (2.0 * left.size()));
    std::printf("%s: %.2f s, peak %.1f dBFS, RMS %.1f dBFS, CPU %.3f s per rendered second (%s)\n",
                o.output.c_str(), seconds, decibels(peak), decibels(rms),
                seconds > 0 ? cpu / seconds : 0.0, host.effectName().c_str());
  }
  return 0;
}
