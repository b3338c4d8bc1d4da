// Side-by-side cost of VST 2 instruments loaded in one small host: 8 held notes at 44.1 kHz in
// 256-frame blocks, each plug-in's default program. Rounds visit the plug-ins in turn (the
// machine is shared, so a slow spell hits every one alike) and the medians are compared.
// Beside the per-voice figures, the cost curve: CPU seconds per rendered second with 0, 1, 2, 4
// and 8 notes held, Orvalis in "Pulse" against each peer, in the same rounds.
//
//   orvalis_peer_bench [--rounds N] [--blocks N] [--only NAME] [--baseline PATH] [NAME=PATH ...]
//
// Orvalis is measured once per oscillator mode on the dispatched path and, loaded a second
// time from a copy with ORVALIS_SIMD=sse2, on the SSE2 path. --only runs one row without
// timing, for `valgrind --tool=callgrind --toggle-collect=renderMeasured`. --baseline adds the
// modes of another build of Orvalis (a copy of an earlier library), to weigh a change.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "host/midi_events.h"
#include "host/plugin_host.h"

namespace {

constexpr int kBlock = 256;
constexpr int kVoices = 8;
constexpr float kSampleRate = 44100.f;
constexpr int kOscTypeParam = 28;
constexpr int kCurveNotes[] = {0, 1, 2, 4, 8};
const char* const kModeNames[6] = {"Pulse", "SupSaw", "FM1", "FM2", "FM3", "WaveTable"};

struct Row {
  Row(std::string n, std::string p, int mode = -1, int held = kVoices)
      : name(n), path(p), oscMode(mode), notes(held) {}
  std::string name;
  std::string path;
  int oscMode;  // Orvalis only
  int notes;    // held during the measurement
  std::shared_ptr<orvalis::host::PluginHost> host;
  double level = 0;             // RMS of the last block: a silent plug-in would measure nothing
  std::vector<double> samples;  // ns per voice-sample, one per round
  std::vector<double> load;     // CPU seconds per rendered second, one per round
};

// CPU time of the rendering thread: the peers keep threads of their own (ZynAddSubFX's
// middleware), whose time would otherwise land on whichever plug-in is being measured.
double cpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
}

struct Buffers {
  std::vector<float> left = std::vector<float>(kBlock), right = std::vector<float>(kBlock);
};

void sendChord(orvalis::host::PluginHost& host, int notes) {
  std::vector<VstMidiEvent> chord;
  for (int i = 0; i < notes; ++i)
    chord.push_back(orvalis::host::midiEvent(0, 0x90, 48 + 3 * i, 100));
  if (!chord.empty()) host.sendMidi(chord);
}

void render(orvalis::host::PluginHost& host, Buffers& b, int blocks) {
  for (int i = 0; i < blocks; ++i) host.process(b.left.data(), b.right.data(), kBlock);
}

// The measured work, kept out of line so callgrind can collect exactly it.
__attribute__((noinline)) void renderMeasured(orvalis::host::PluginHost& host, Buffers& b,
                                              int blocks) {
  render(host, b, blocks);
}

bool open(Row& row, Buffers& b) {
  row.host = std::make_shared<orvalis::host::PluginHost>();
  orvalis::host::PluginHost& host = *row.host;
  std::string error;
  if (!host.load(row.path, kSampleRate, kBlock, error)) {
    std::fprintf(stderr, "%s: %s\n", row.name.c_str(), error.c_str());
    return false;
  }
  if (row.oscMode >= 0) host.setParameter(kOscTypeParam, row.oscMode / 5.f);
  render(host, b, 4);
  sendChord(host, row.notes);
  render(host, b, 40);  // past every attack
  double sum = 0;
  for (int i = 0; i < kBlock; ++i) sum += b.left[i] * b.left[i] + b.right[i] * b.right[i];
  row.level = std::sqrt(sum / (2 * kBlock));
  return true;
}

double median(std::vector<double> x) {
  std::sort(x.begin(), x.end());
  const std::size_t n = x.size();
  return n % 2 ? x[n / 2] : 0.5 * (x[n / 2 - 1] + x[n / 2]);
}

// A second copy of the library, so that it can be loaded again with another kernel path.
std::string copyOf(const std::string& path, const std::string& tag) {
  const std::string copy =
      "/tmp/orvalis-peer-bench-" + tag + "-" + std::to_string(getpid()) + ".so";
  std::ifstream in(path, std::ios::binary);
  std::ofstream out(copy, std::ios::binary | std::ios::trunc);
  out << in.rdbuf();
  return out.good() ? copy : std::string();
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 15, blocks = 20;
  std::string only, baseline;
  std::string orvalis = ORVALIS_PLUGIN_PATH;
  std::vector<Row> peers = {Row("ZynAddSubFX", "/usr/lib/vst/ZynAddSubFX.so"),
                            Row("amsynth", "/usr/lib/vst/amsynth_vst.so")};
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--rounds" && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--blocks" && i + 1 < argc) {
      blocks = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--only" && i + 1 < argc) {
      only = argv[++i];
    } else if (a == "--baseline" && i + 1 < argc) {
      baseline = argv[++i];
    } else if (a.find('=') != std::string::npos) {
      const std::string name = a.substr(0, a.find('=')), path = a.substr(a.find('=') + 1);
      if (name == "Orvalis") {
        orvalis = path;
      } else {
        peers.erase(std::remove_if(peers.begin(), peers.end(),
                                   [&](const Row& r) { return r.name == name; }),
                    peers.end());
        peers.emplace_back(name, path);
      }
    } else {
      std::fprintf(stderr,
                   "usage: %s [--rounds N] [--blocks N] [--only NAME] [--baseline PATH] "
                   "[NAME=PATH ...]\n",
                   argv[0]);
      return 2;
    }
  }

  // The SSE2 copy is loaded first, while the variable is set: the path is chosen at load.
  std::vector<Row> rows;
  const std::string sse2Copy = copyOf(orvalis, "sse2");
  // The cost curve's rows, named "<plug-in> @<notes>"; "Pulse" is the default program's mode.
  const std::string curveNames[] = {"Orvalis Pulse", "Orvalis Pulse sse2"};
  for (int m = 0; m < 6; ++m) {
    rows.emplace_back(std::string("Orvalis ") + kModeNames[m] + " sse2", sse2Copy, m);
  }
  for (int m = 0; m < 6; ++m)
    rows.emplace_back(std::string("Orvalis ") + kModeNames[m], orvalis, m);
  if (!baseline.empty())
    for (int m = 0; m < 6; ++m)
      rows.emplace_back(std::string("baseline ") + kModeNames[m], baseline, m);
  for (const Row& p : peers) rows.push_back(p);
  for (int notes : kCurveNotes) {
    rows.emplace_back(curveNames[0] + " @" + std::to_string(notes), orvalis, 0, notes);
    rows.emplace_back(curveNames[1] + " @" + std::to_string(notes), sse2Copy, 0, notes);
    if (!baseline.empty())
      rows.emplace_back("baseline Pulse @" + std::to_string(notes), baseline, 0, notes);
    for (const Row& p : peers)
      rows.emplace_back(p.name + " @" + std::to_string(notes), p.path, -1, notes);
  }
  if (!only.empty()) {
    rows.erase(
        std::remove_if(rows.begin(), rows.end(), [&](const Row& r) { return r.name != only; }),
        rows.end());
    if (rows.empty()) {
      std::fprintf(stderr, "no row named %s\n", only.c_str());
      return 2;
    }
  }

  Buffers buffers;
  setenv("ORVALIS_SIMD", "sse2", 1);
  for (Row& r : rows)
    if (r.path == sse2Copy && !open(r, buffers)) return 1;
  unsetenv("ORVALIS_SIMD");
  for (Row& r : rows)
    if (r.path != sse2Copy && !open(r, buffers)) return 1;
  if (!sse2Copy.empty()) unlink(sse2Copy.c_str());

  if (!only.empty()) {
    renderMeasured(*rows[0].host, buffers, blocks);
    std::printf("%s: %d voice-samples rendered\n", rows[0].name.c_str(), blocks * kBlock * kVoices);
    return 0;
  }

  for (int round = 0; round < rounds; ++round) {
    for (std::size_t k = 0; k < rows.size(); ++k) {
      Row& r = rows[(k + round) % rows.size()];
      const double start = cpuSeconds();
      renderMeasured(*r.host, buffers, blocks);
      const double seconds = cpuSeconds() - start;
      r.samples.push_back(seconds * 1e9 / (double(blocks) * kBlock * kVoices));
      r.load.push_back(seconds / (double(blocks) * kBlock / kSampleRate));
    }
  }

  double zyn = 0;
  for (const Row& r : rows)
    if (r.name == "ZynAddSubFX") zyn = median(r.samples);
  // The fastest round beside the median: contention only ever adds time.
  std::printf("%-26s %16s %16s %10s %8s\n", "plug-in", "ns/voice-sample", "ZynAddSubFX / it",
              "fastest", "RMS");
  for (const Row& r : rows) {
    if (r.name.find(" @") != std::string::npos) continue;  // the curve's rows, below
    const double m = median(r.samples);
    const double fastest = *std::min_element(r.samples.begin(), r.samples.end());
    std::printf("%-26s %16.2f %16.2f %10.2f %8.4f%s\n", r.name.c_str(), m, zyn > 0 ? zyn / m : 0.0,
                fastest, r.level, r.level > 0 ? "" : "  (silent: not a fair measure)");
  }

  // The cost curve: CPU seconds per rendered second by notes held, and each peer over Orvalis.
  auto curve = [&](const std::string& name, int notes) {
    for (const Row& r : rows)
      if (r.name == name + " @" + std::to_string(notes)) return median(r.load);
    return 0.0;
  };
  std::vector<std::string> columns(std::begin(curveNames), std::end(curveNames));
  if (!baseline.empty()) columns.push_back("baseline Pulse");
  for (const Row& p : peers) columns.push_back(p.name);
  std::printf("\n%-10s", "notes held");
  for (const std::string& c : columns) std::printf(" %20s", c.c_str());
  for (const Row& p : peers) std::printf(" %20s", (p.name + " / Orvalis").c_str());
  std::printf("\n");
  for (int notes : kCurveNotes) {
    std::printf("%-10d", notes);
    for (const std::string& c : columns) std::printf(" %20.5f", curve(c, notes));
    const double ours = curve(curveNames[0], notes);
    for (const Row& p : peers) std::printf(" %20.2f", ours > 0 ? curve(p.name, notes) / ours : 0.0);
    std::printf("\n");
  }
  std::printf("(CPU seconds per rendered second, medians of %d rounds; Orvalis in \"Pulse\")\n",
              rounds);
  return 0;
}
