#include "render/command_line.h"

#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "orvalis_version.h"

namespace orvalis::render {

namespace {

constexpr long kMinRate = 8000, kMaxRate = 384000;
constexpr long kMaxBlock = 8192;
constexpr double kMaxTail = 600;
constexpr double kMaxLengthCeiling = 30 * 24 * 3600.0;

const char* const kUsage =
    "usage: orvalis-render [options] INPUT.mid [OUTPUT.wav]\n"
    "\n"
    "Plays a Standard MIDI File through a VST 2 instrument and writes a stereo WAV file.\n"
    "\n"
    "options:\n"
    "  -o, --output PATH        WAV file to write, or - for standard output\n"
    "                           (default: OUTPUT.wav if given, else INPUT with .wav)\n"
    "  --rate HZ                sample rate, a whole number 8000..384000 (default 44100)\n"
    "  --block FRAMES           frames per processing block, 1..8192 (default 256)\n"
    "  --bank FILE.fxb          load a bank of programs, as hosts do, before --program\n"
    "                           (default for Orvalis: its factory bank)\n"
    "  --no-bank                keep the plug-in's own bank (Orvalis: 128 \"Basique\")\n"
    "  --program N              select program N before rendering\n"
    "  --program-at SECONDS:N   select program N at a time in the song (repeatable)\n"
    "  --preset FILE.fxp        load a program into the current program\n"
    "  --save-bank FILE.fxb     write the plug-in's bank after the render\n"
    "  --param INDEX=VALUE      set a parameter (0..1) before rendering; the name in any case\n"
    "                           and a choice's name work too, e.g. --param \"osc type=FM2\"\n"
    "                           (repeatable)\n"
    "  --automate SECONDS:INDEX=VALUE\n"
    "                           set a parameter at a time in the song (repeatable)\n"
    "  --tail SECONDS           longest release tail after the song's end, 0..600 (default 10);\n"
    "                           0 cuts the sound at the end\n"
    "  --max-length SECONDS     longest song accepted (default 86400, 24 h)\n"
    "  --format float|pcm16|pcm24  sample format (default float)\n"
    "  --gain DB                scale the output, -120..40 dB (default 0)\n"
    "  --channels LIST          play only these MIDI channels, e.g. 1,3,5-8 (default all)\n"
    "  --gm                     General MIDI: one instance per channel with notes, program\n"
    "                           changes, volume, expression, pan, sustain, bend sensitivity\n"
    "  --drums N                with --gm, play channel 10 with program N (default: left out)\n"
    "  --plugin PATH            the instrument library (default: Orvalis.so beside this program)\n"
    "  --list-params            print every parameter and exit\n"
    "  --list-programs          print the programs, after --bank, and exit\n"
    "  --quiet                  no progress bar and no summary\n"
    "  -h, --help               this text\n"
    "  --version                the version, and exit\n";

// "NAME=VALUE" or "INDEX=VALUE"; the name may contain '=' only before the last one.
ParamSetting parseParam(const std::string& text, double seconds) {
  const std::size_t eq = text.rfind('=');
  if (eq == std::string::npos || eq == 0 || eq + 1 == text.size())
    fail("bad parameter setting '" + text + "' (want INDEX=VALUE or NAME=VALUE)");
  return {text.substr(0, eq), text.substr(eq + 1), seconds};
}

std::string executableFolder() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = 0;
  std::string dir(path);
  const std::size_t slash = dir.rfind('/');
  return slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
}

// Beside this program (the build folder), else where `make install` puts the plug-in for it:
// PREFIX/lib/vst beside PREFIX/bin, or ~/.vst. The first that exists; beside it if none does.
std::string defaultPlugin() {
  const std::string dir = executableFolder();
  const char* home = std::getenv("HOME");
  const std::string candidates[] = {dir + "/Orvalis.so", dir + "/../lib/vst/Orvalis.so",
                                    home && *home ? std::string(home) + "/.vst/Orvalis.so" : ""};
  for (const std::string& c : candidates)
    if (!c.empty() && access(c.c_str(), F_OK) == 0) return c;
  return candidates[0];
}

std::string withWavExtension(const std::string& input) {
  const std::size_t dot = input.rfind('.');
  const std::size_t slash = input.rfind('/');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? input.substr(0, dot) : input) + ".wav";
}

}  // namespace

void fail(const std::string& message) {
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

bool parseChannels(const std::string& text, uint16_t& out) {
  out = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string item = text.substr(start, comma - start);
    const std::size_t dash = item.find('-');
    long from = 0, to = 0;
    if (!parseInt(item.substr(0, dash), from) ||
        !parseInt(dash == std::string::npos ? item : item.substr(dash + 1), to) || from < 1 ||
        to > 16 || from > to)
      return false;
    for (long c = from; c <= to; ++c) out |= static_cast<uint16_t>(1u << (c - 1));
    start = comma + 1;
  }
  return out != 0;
}

bool parseInt(const std::string& text, long& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  out = std::strtol(text.c_str(), &end, 10);
  return errno == 0 && end && *end == 0;
}

Options parseOptions(int argc, char** argv) {
  Options o;
  std::vector<std::string> positional;
  bool outputOption = false;
  auto value = [&](int& i) -> std::string {
    if (i + 1 >= argc) fail(std::string("option ") + argv[i] + " needs a value");
    return argv[++i];
  };
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    long n = 0;
    double x = 0;
    if (a == "-h" || a == "--help") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (a == "--version") {
      std::puts("orvalis-render " ORVALIS_VERSION);
      std::exit(0);
    } else if (a == "-o" || a == "--output") {
      o.output = value(i);
      if (o.output.empty()) fail("empty output path");
      outputOption = true;
    } else if (a == "--rate") {
      if (!parseInt(value(i), n) || n < kMinRate || n > kMaxRate)
        fail("bad --rate (want a whole number of Hz, 8000..384000)");
      o.rate = static_cast<int>(n);
    } else if (a == "--block") {
      if (!parseInt(value(i), n) || n < 1 || n > kMaxBlock)
        fail("bad --block (want 1..8192 frames)");
      o.block = static_cast<int>(n);
    } else if (a == "--program") {
      if (!parseInt(value(i), n) || n < 0 || n > 100000) fail("bad --program");
      o.program = static_cast<int>(n);
    } else if (a == "--program-at") {
      const std::string text = value(i);
      const std::size_t colon = text.find(':');
      double at = 0;
      if (colon == std::string::npos || !parseDouble(text.substr(0, colon), at) || at < 0 ||
          !parseInt(text.substr(colon + 1), n) || n < 0 || n > 100000)
        fail("bad --program-at '" + text + "' (want SECONDS:N)");
      o.programsAt.push_back({at, static_cast<int>(n)});
    } else if (a == "--bank") {
      o.bank = value(i);
    } else if (a == "--preset") {
      o.preset = value(i);
    } else if (a == "--save-bank") {
      o.saveBank = value(i);
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
      if (!parseDouble(value(i), o.tail) || o.tail < 0 || o.tail > kMaxTail)
        fail("bad --tail (want 0..600 seconds)");
    } else if (a == "--max-length") {
      if (!parseDouble(value(i), x) || x <= 0 || x > kMaxLengthCeiling)
        fail("bad --max-length (want more than 0 and at most 2592000 seconds, 30 days)");
      o.maxLength = x;
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
    } else if (a == "--list-programs") {
      o.listPrograms = true;
    } else if (a == "--no-bank") {
      o.noBank = true;
    } else if (a == "--gm") {
      o.gm = true;
    } else if (a == "--drums") {
      if (!parseInt(value(i), n) || n < 0 || n > 127) fail("bad --drums (want a program 0..127)");
      o.drumProgram = static_cast<int>(n);
    } else if (a == "--channels") {
      const std::string list = value(i);
      if (!parseChannels(list, o.channels))
        fail("bad --channels '" + list + "' (want channels 1..16, e.g. 1,3,5-8)");
    } else if (a == "--gain") {
      if (!parseDouble(value(i), o.gainDb) || o.gainDb < -120 || o.gainDb > 40)
        fail("bad --gain (want -120..40 dB)");
    } else if (a == "--quiet") {
      o.quiet = true;
    } else if (a.size() > 1 && a[0] == '-') {
      fail("unknown option " + a + " (see --help)");
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() > 2) fail("too many files given: want INPUT.mid [OUTPUT.wav]");
  if (positional.size() == 2 && outputOption)
    fail("two outputs given: " + positional[1] + " and -o " + o.output);
  if (o.noBank && !o.bank.empty()) fail("--no-bank and --bank exclude each other");
  if (o.drumProgram >= 0 && !o.gm) fail("--drums needs --gm");
  if (o.gm) {
    // Each channel's instance takes its programs from the song.
    const char* refused = !o.params.empty()       ? "--param and --automate"
                          : o.program >= 0        ? "--program"
                          : !o.programsAt.empty() ? "--program-at"
                          : !o.preset.empty()     ? "--preset"
                          : !o.saveBank.empty()   ? "--save-bank"
                                                  : nullptr;
    if (refused)
      fail(std::string(refused) +
           " cannot be used with --gm: each channel plays the programs "
           "its song selects");
  }
  if (o.plugin.empty()) o.plugin = defaultPlugin();
  if (!positional.empty()) o.input = positional[0];
  if (positional.size() == 2) o.output = positional[1];
  const bool listing = o.listParams || o.listPrograms;
  if (o.input.empty() && !listing) fail("no MIDI file given (see --help)");
  if (o.output.empty() && !o.input.empty()) o.output = withWavExtension(o.input);
  return o;
}

}  // namespace orvalis::render
