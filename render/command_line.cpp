#include "render/command_line.h"

#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "orvalis_version.h"

namespace render {

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
    "  --program N              select program N before rendering\n"
    "  --program-at SECONDS:N   select program N at a time in the song (repeatable)\n"
    "  --preset FILE.fxp        load a program into the current program\n"
    "  --save-bank FILE.fxb     write the plug-in's bank after the render\n"
    "  --param INDEX=VALUE      set a parameter before rendering; the name works too,\n"
    "                           e.g. --param \"Osc Type=0.4\" (repeatable)\n"
    "  --automate SECONDS:INDEX=VALUE\n"
    "                           set a parameter at a time in the song (repeatable)\n"
    "  --tail SECONDS           longest release tail after the song's end, 0..600 (default 10);\n"
    "                           0 cuts the sound at the end\n"
    "  --max-length SECONDS     longest song accepted (default 86400, 24 h)\n"
    "  --format float|pcm16|pcm24  sample format (default float)\n"
    "  --plugin PATH            the instrument library (default: Orvalis.so beside this program,\n"
    "                           else in ../lib/vst beside it, else in ~/.vst)\n"
    "  --list-params            print every parameter and exit\n"
    "  --quiet                  no progress bar and no summary\n"
    "  -h, --help               this text\n"
    "  --version                the version, and exit\n";

// "NAME=VALUE" or "INDEX=VALUE"; the name may contain '=' only before the last one.
ParamSetting parseParam(const std::string& text, double seconds) {
  const std::size_t eq = text.rfind('=');
  double value = 0;
  if (eq == std::string::npos || eq == 0 || !parseDouble(text.substr(eq + 1), value))
    fail("bad parameter setting '" + text + "' (want INDEX=VALUE or NAME=VALUE)");
  return {text.substr(0, eq), static_cast<float>(value), seconds};
}

std::string executableDir() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  path[n] = 0;
  std::string dir(path);
  const std::size_t slash = dir.rfind('/');
  return slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
}

// Beside the program in the build folder; installed, the plug-in sits in lib/vst beside bin/
// (the package) or in ~/.vst (install.sh).
std::string defaultPlugin() {
  const std::string dir = executableDir();
  std::vector<std::string> places = {dir + "/Orvalis.so", dir + "/../lib/vst/Orvalis.so"};
  if (const char* home = std::getenv("HOME"))
    places.push_back(std::string(home) + "/.vst/Orvalis.so");
  for (const std::string& place : places)
    if (access(place.c_str(), R_OK) == 0) return place;
  return places.front();
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
  if (o.plugin.empty()) o.plugin = defaultPlugin();
  if (!positional.empty()) o.input = positional[0];
  if (positional.size() == 2) o.output = positional[1];
  if (o.input.empty() && !o.listParams) fail("no MIDI file given (see --help)");
  if (o.output.empty() && !o.input.empty()) o.output = withWavExtension(o.input);
  return o;
}

}  // namespace render
