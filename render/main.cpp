// orvalis-render: plays a Standard MIDI File through a VST 2 instrument (Orvalis by default)
// and streams the result into a WAV file, block by block.
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "host/plugin_host.h"
#include "io/safe_file.h"
#include "render/command_line.h"
#include "render/gm_player.h"
#include "render/interruption_notice.h"
#include "render/midi_file.h"
#include "render/output_file.h"
#include "render/parameter_setting.h"
#include "render/plugin_programs.h"
#include "render/starting_bank.h"
#include "render/wav_writer.h"

namespace {

using orvalis::render::fail;
using orvalis::render::Options;

constexpr double kQuietSeconds = 0.05;
constexpr float kQuietLevel = 3.1622777e-5f;  // -90 dBFS

void listPrograms(orvalis::host::PluginHost& host) {
  std::printf("%7s  %s\n", "program", "name");
  for (int i = 0; i < host.numPrograms(); ++i)
    std::printf("%7d  %s\n", i, host.text(effGetProgramNameIndexed, i).c_str());
}

// What a render stopped by a signal leaves: the output file handles the file itself.
std::string interruptedOutcome(const std::string& target) {
  if (target == "-") return "the WAV on standard output is incomplete";
  struct stat s {};
  if (stat(target.c_str(), &s) != 0) return "nothing written to " + target;
  if (S_ISREG(s.st_mode)) return target + " left as it was";
  return "the WAV written into " + target + " is incomplete";
}

std::string channelList(const std::vector<int>& channels) {
  std::string text;
  for (int c : channels) text += (text.empty() ? "" : " ") + std::to_string(c + 1);
  return text.empty() ? "none" : text;
}

void listParameters(orvalis::host::PluginHost& host) {
  std::printf("%5s  %-18s %10s  %-12s %s\n", "index", "name", "value", "display", "label");
  for (int i = 0; i < host.numParams(); ++i) {
    const orvalis::host::ParameterInfo p = host.parameter(i);
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

[[noreturn]] void failWriting(const std::string& shown, const std::string& reason) {
  fail("cannot write " + shown + ": " + reason);
}

std::string shownName(const Options& o, const orvalis::render::OutputFile& output) {
  return output.isStandardOutput() ? "standard output" : o.output;
}

// The saved bank may replace the bank it was loaded from, never a file the render reads or
// writes otherwise (whatever links lead there).
void refuseBankOverFiles(const Options& o) {
  const struct {
    const std::string& path;
    const char* what;
  } others[] = {{o.input, "the input file"},
                {o.output, "the output file"},
                {o.plugin, "the plug-in"},
                {o.preset, "the program file"}};
  for (const auto& other : others)
    if (!other.path.empty() && other.path != "-" && orvalis::io::sameFile(o.saveBank, other.path))
      fail("refusing to save the bank over " + std::string(other.what) + " " + other.path);
}

// A parameter change, or with kProgramChange a program selection, at a frame of the song.
struct Automation {
  int64_t frame;
  int index;
  float value;
};
constexpr int kProgramChange = -1;

}  // namespace

int main(int argc, char** argv) {
  const Options o = orvalis::render::parseOptions(argc, argv);
  std::string error;

  const bool listing = o.listParams || o.listPrograms;
  std::string outcome;
  orvalis::render::MidiSong song;
  orvalis::render::OutputFile output;
  orvalis::render::WavWriter wav;
  if (!listing) {
    orvalis::render::MidiLimits limits;
    limits.maxSeconds = o.maxLength;
    if (!orvalis::render::readMidiFile(o.input, static_cast<uint32_t>(o.rate), limits, song, error))
      fail(error);
    for (const std::string& warning : song.warnings)
      std::fprintf(stderr, "orvalis-render: warning: %s: %s\n", o.input.c_str(), warning.c_str());
    outcome = interruptedOutcome(o.output);
    if (!output.open(o.output, o.input, error)) fail(error);
    if (!wav.open(output.descriptor(), o.rate, o.format, error))
      failWriting(shownName(o, output), error);
  }
  orvalis::io::SafeFile bank;
  if (!o.saveBank.empty() && !listing) {
    refuseBankOverFiles(o);
    if (!bank.open(o.saveBank, error)) fail(error);
  }
  // After the files are open, whose clean-up handlers it then calls.
  if (!listing)
    orvalis::render::installInterruptionNotice(outcome, !o.quiet && isatty(STDERR_FILENO));

  orvalis::host::PluginHost host;
  host.processLevel = kVstProcessLevelOffline;
  if (!host.load(o.plugin, static_cast<float>(o.rate), o.block, error)) fail(error);
  const bool factoryBank = !o.noBank && o.bank.empty() && o.preset.empty();
  if (!orvalis::render::loadStartingBank(host.effect, o.bank, factoryBank, error)) fail(error);
  // Refused now rather than after a long render.
  if (!o.saveBank.empty() && !orvalis::render::fxfile::canSaveBank(host.effect, error))
    fail(o.saveBank + ": " + error);
  if (o.program >= 0) {
    if (o.program >= host.numPrograms())
      fail("program " + std::to_string(o.program) + " out of range 0.." +
           std::to_string(host.numPrograms() - 1));
    host.setProgram(o.program);
  }
  if (!o.preset.empty() && !orvalis::render::fxfile::loadProgramFile(host.effect, o.preset, error))
    fail(error);
  std::vector<Automation> automation;
  for (const orvalis::render::ParamSetting& s : o.params) {
    const int index = orvalis::render::resolveParameter(host, s.target, error);
    float value = 0;
    if (index < 0 || !orvalis::render::resolveValue(host, index, s.value, value, error))
      fail(error);
    if (s.seconds < 0)
      host.setParameter(index, value);
    else
      automation.push_back({static_cast<int64_t>(std::llround(s.seconds * o.rate)), index, value});
  }
  for (const orvalis::render::ProgramAt& p : o.programsAt) {
    if (p.program >= host.numPrograms())
      fail("program " + std::to_string(p.program) + " out of range 0.." +
           std::to_string(host.numPrograms() - 1));
    automation.push_back({static_cast<int64_t>(std::llround(p.seconds * o.rate)), kProgramChange,
                          static_cast<float>(p.program)});
  }
  std::stable_sort(automation.begin(), automation.end(),
                   [](const Automation& a, const Automation& b) { return a.frame < b.frame; });
  if (listing) {
    if (o.listParams) listParameters(host);
    if (o.listPrograms) listPrograms(host);
    return 0;
  }

  const std::string effectName = host.effectName();
  orvalis::render::GmPlayer gm;
  if (o.gm) {
    orvalis::render::GmSetup setup;
    setup.plugin = o.plugin;
    setup.rate = o.rate;
    setup.block = o.block;
    setup.bank = o.bank;
    setup.factoryBank = factoryBank;
    setup.channels = o.channels;
    setup.drumProgram = o.drumProgram;
    if (!gm.open(setup, song.events, error)) fail(error);
    host.close();  // it only checked the plug-in and the bank
  }
  const float gain = static_cast<float>(std::pow(10.0, o.gainDb / 20));
  const bool countClipping = o.format != orvalis::render::SampleFormat::Float;

  const std::string shown = shownName(o, output);

  const int64_t songEnd =
      std::max(song.endFrame, automation.empty() ? 0 : automation.back().frame + 1);
  // The release tail ends at the first quiet stretch, or at --tail: there the sound is cut.
  const int64_t lastFrame = songEnd + static_cast<int64_t>(o.tail * o.rate);
  const int64_t quietNeeded = static_cast<int64_t>(kQuietSeconds * o.rate);
  const bool showProgress = !o.quiet && isatty(STDERR_FILENO);
  const std::vector<orvalis::render::MidiEvent>& midi = song.events;

  std::vector<float> left(o.block), right(o.block);
  std::vector<VstMidiEvent> events;
  std::size_t nextMidi = 0, nextAutomation = 0;
  int64_t frame = 0, quietRun = 0, lastProgress = -1;
  double peak = 0, sum = 0;
  long long clipped = 0;
  const double cpuStart = cpuSeconds();
  while (frame < songEnd || (quietRun < quietNeeded && frame < lastFrame)) {
    // Parameter changes land at the start of the block that contains them.
    while (nextAutomation < automation.size() &&
           automation[nextAutomation].frame < frame + o.block) {
      const Automation& a = automation[nextAutomation];
      if (a.index == kProgramChange)
        host.setProgram(static_cast<int>(a.value));
      else
        host.setParameter(a.index, a.value);
      ++nextAutomation;
    }
    const std::size_t firstMidi = nextMidi;
    while (nextMidi < midi.size() && midi[nextMidi].frame < frame + o.block) ++nextMidi;
    if (o.gm) {
      gm.render(midi.data() + firstMidi, midi.data() + nextMidi, frame, o.block, left.data(),
                right.data());
    } else {
      events.clear();
      for (std::size_t m = firstMidi; m < nextMidi; ++m) {
        if (!(o.channels & (1u << (midi[m].bytes[0] & 0x0F)))) continue;
        VstMidiEvent e{};
        e.type = kVstMidiType;
        e.byteSize = sizeof(VstMidiEvent);
        e.deltaFrames = static_cast<int32_t>(std::max<int64_t>(0, midi[m].frame - frame));
        for (int i = 0; i < midi[m].length; ++i)
          e.midiData[i] = static_cast<char>(midi[m].bytes[i]);
        events.push_back(e);
      }
      host.sendMidi(events);
      host.process(left.data(), right.data(), o.block);
    }
    if (o.gainDb != 0)
      for (int i = 0; i < o.block; ++i) {
        left[i] *= gain;
        right[i] *= gain;
      }
    float blockPeak = 0;
    for (int i = 0; i < o.block; ++i)
      blockPeak = std::max({blockPeak, std::fabs(left[i]), std::fabs(right[i])});
    quietRun = blockPeak < kQuietLevel ? quietRun + o.block : 0;

    const int kept = static_cast<int>(std::min<int64_t>(o.block, lastFrame - frame));
    for (int i = 0; i < kept; ++i) {
      peak = std::max({peak, double(std::fabs(left[i])), double(std::fabs(right[i]))});
      sum += double(left[i]) * left[i] + double(right[i]) * right[i];
      // Integer samples stop at full scale; the writer clips what lies beyond.
      if (countClipping) clipped += (std::fabs(left[i]) > 1.f) + (std::fabs(right[i]) > 1.f);
    }
    if (!wav.write(left.data(), right.data(), kept, error)) failWriting(shown, error);
    frame += kept;
    if (showProgress && frame / (o.rate / 4) != lastProgress) {
      lastProgress = frame / (o.rate / 4);
      progress(static_cast<double>(frame) / o.rate,
               static_cast<double>(songEnd + quietNeeded) / o.rate);
    }
  }
  const double cpu = cpuSeconds() - cpuStart;
  if (showProgress) {
    progress(static_cast<double>(frame) / o.rate, static_cast<double>(frame) / o.rate);
    std::fputc('\n', stderr);
  }
  if (!wav.finish(error)) failWriting(shown, error);
  // Every output is written and flushed before any is put in place: all or none.
  if (!o.saveBank.empty()) {
    std::vector<uint8_t> bytes;
    if (!orvalis::render::fxfile::bankFileImage(host.effect, o.saveBank, bytes, error) ||
        !bank.write(bytes.data(), bytes.size(), error) || !bank.finish(error))
      fail(error);
  }
  if (!output.finish(error) || !output.commit(error)) fail(error);
  if (!o.saveBank.empty() && !bank.commit(error)) fail(error);

  if (!o.quiet) {
    const double seconds = static_cast<double>(frame) / o.rate;
    const double rms = frame > 0 ? std::sqrt(sum / (2.0 * frame)) : 0;
    // With the WAV on standard output, the summary goes with the other messages.
    FILE* to = output.isStandardOutput() ? stderr : stdout;
    if (gm.drumsLeftOut())
      std::fprintf(to,
                   "orvalis-render: channel 10 (drums) left out; --drums N plays it with "
                   "program N\n");
    const std::string clipping =
        countClipping ? ", " + std::to_string(clipped) + " samples clipped" : "";
    const std::string mode =
        o.gm ? ", General MIDI, channels " + channelList(gm.channels()) : std::string();
    std::fprintf(to,
                 "%s: %.2f s, song %.2f s with %zu events, peak %.1f dBFS%s, RMS %.1f dBFS, "
                 "CPU %.3f s per rendered second (%s%s)\n",
                 shown.c_str(), seconds, song.seconds, song.events.size(), decibels(peak),
                 clipping.c_str(), decibels(rms), seconds > 0 ? cpu / seconds : 0.0,
                 effectName.c_str(), mode.c_str());
  }
  return 0;
}
