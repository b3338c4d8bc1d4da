// orvalis-bank-audit: plays every factory program through the real plug-in with the same
// material, prints its figures and the rules it breaks, and on request draws the contact sheet
// and renders the tour (a short phrase per program).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "params/gm_names.h"
#include "params/parameter_table.h"
#include "render/wav_writer.h"
#include "tools/bank_audit/bank_rules.h"
#include "tools/bank_audit/contact_sheet.h"
#include "tools/bank_audit/materials.h"
#include "tools/bank_audit/parallel.h"

using namespace orvalis::tools::audit;

namespace {

const char* const kFilterShort[5] = {"Fl", "LP", "EQ", "Sh", "HP"};

struct Options {
  std::string plugin = ORVALIS_PLUGIN_FILE;
  std::string sheet, tour;
  int first = 0, last = orvalis::params::kFactoryPrograms - 1;
  int jobs = 2;
};

void usage() {
  std::fprintf(stderr,
               "usage: orvalis-bank-audit [--plugin FILE.so] [--sheet FILE.png] [--tour DIR]\n"
               "                          [--programs FIRST-LAST] [--jobs N]\n");
}

bool parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--plugin" && hasValue) {
      o.plugin = argv[++i];
    } else if (arg == "--sheet" && hasValue) {
      o.sheet = argv[++i];
    } else if (arg == "--tour" && hasValue) {
      o.tour = argv[++i];
    } else if (arg == "--jobs" && hasValue) {
      o.jobs = std::atoi(argv[++i]);
      if (o.jobs < 1 || o.jobs > 64) {
        std::fprintf(stderr, "orvalis-bank-audit: --jobs wants 1 to 64\n");
        return false;
      }
    } else if (arg == "--programs" && hasValue) {
      if (std::sscanf(argv[++i], "%d-%d", &o.first, &o.last) != 2 || o.first < 0 ||
          o.last >= orvalis::params::kFactoryPrograms || o.first > o.last) {
        std::fprintf(stderr, "orvalis-bank-audit: --programs wants FIRST-LAST within 0-127\n");
        return false;
      }
    } else {
      usage();
      return false;
    }
  }
  return true;
}

std::string fileName(int index, const std::string& name) {
  char prefix[8];
  std::snprintf(prefix, sizeof prefix, "%03d ", index);
  return prefix + name;
}

std::string voices(const ProgramFigures& f) { return f.mono ? "mono" : "poly"; }

void printFigures(const ProgramFigures& f) {
  char release[16];
  if (f.release < 0)
    std::snprintf(release, sizeof release, ">%.1f", kChordSeconds - kChordOff);
  else
    std::snprintf(release, sizeof release, "%.2f", f.release);
  char glide[16] = "";
  if (f.glide >= 0) std::snprintf(glide, sizeof glide, "%.3f", f.glide);
  std::printf(
      "%3d %-23s %-9s %s/%s %s %6.1f %6.1f %5.2f %6.1f %5s %6.0f | %6.1f %5.0f %6.1f %5.0f | "
      "%5.1f %4.2f %5s\n",
      f.index, f.name.c_str(), orvalis::params::kOscTypeNames[f.oscMode], kFilterShort[f.filter1],
      kFilterShort[f.filter2], voices(f).c_str(), f.chord.peakDb, f.chord.rmsDb, f.attack,
      f.holdChange, release, f.centroid, f.low.peakDb, f.lowCentroid, f.high.peakDb, f.highCentroid,
      f.velocityDb, f.velocityBrightness, glide);
}

// One tour file, 16-bit.
void writeTourFile(const std::string& path, const Take& take, std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) {
    error = path + ": cannot create";
    return;
  }
  orvalis::render::WavWriter writer;
  const bool ok = writer.open(fd, kSampleRate, orvalis::render::SampleFormat::Pcm16, error) &&
                  writer.write(take.left.data(), take.right.data(),
                               static_cast<int>(take.left.size()), error) &&
                  writer.finish(error);
  ::close(fd);
  if (!ok) error = path + ": " + error;
}

bool renderTour(const Player& player, const std::vector<orvalis::params::FactoryProgram>& programs,
                const Options& o) {
  std::vector<std::string> errors(programs.size());
  parallelFor(o.last - o.first + 1, o.jobs, [&](int n) {
    const int i = o.first + n;
    const orvalis::params::ProgramRecord& r = programs[i].record;
    const Take take =
        player.play(std::vector<float>(r.values, r.values + orvalis::params::kNumParams),
                    tourPhrase(programs[i].family));
    const std::string path = o.tour + "/" + fileName(i, r.name) + ".wav";
    writeTourFile(path, take, errors[i]);
  });
  for (const std::string& error : errors)
    if (!error.empty()) {
      std::fprintf(stderr, "orvalis-bank-audit: %s\n", error.c_str());
      return false;
    }
  std::printf("wrote %d phrases into %s\n", o.last - o.first + 1, o.tour.c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) return 2;
  Player player(options.plugin);
  std::string error;
  if (!player.ready(error)) {
    std::fprintf(stderr, "orvalis-bank-audit: %s\n", error.c_str());
    return 1;
  }
  // The tour's folder first: the contact sheet usually goes there too.
  if (!options.tour.empty() && mkdir(options.tour.c_str(), 0755) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "orvalis-bank-audit: cannot create %s\n", options.tour.c_str());
    return 1;
  }
  std::vector<orvalis::params::FactoryProgram> programs;
  programs.reserve(orvalis::params::kFactoryPrograms);
  for (int i = 0; i < orvalis::params::kFactoryPrograms; ++i)
    programs.push_back(orvalis::params::factoryProgram(i));

  std::vector<ProgramFigures> figures =
      measurePrograms(player, programs, options.first, options.last, Detail::Full, options.jobs);
  std::printf(
      "  # name                    mode      F1/F2 voices chord:peak rms  att  hold"
      "   rel  centroid | low:peak  cent high:peak cent | vel:dB brt glide\n");
  std::vector<SheetRow> rows;
  int failed = 0;
  for (ProgramFigures& f : figures) {
    printFigures(f);
    const std::vector<std::string> problems = programProblems(f);
    for (const std::string& problem : problems) std::printf("      ! %s\n", problem.c_str());
    failed += !problems.empty();
    if (options.sheet.empty()) continue;
    if (rows.empty() || rows.back().name != orvalis::params::kGmCategoryNames[f.family])
      rows.push_back({orvalis::params::kGmCategoryNames[f.family], {}});
    SheetTile tile;
    tile.title = std::to_string(f.index) + " " + f.name;
    tile.subtitle = std::string(orvalis::params::kOscTypeNames[f.oscMode]) + " " +
                    kFilterShort[f.filter1] + "/" + kFilterShort[f.filter2] +
                    (f.mono ? " mono" : "");
    tile.picture = std::move(f.picture);
    tile.flagged = !problems.empty();
    rows.back().tiles.push_back(std::move(tile));
  }

  std::vector<std::string> bankProblems = duplicateProblems(figures, programs);
  for (const std::string& problem : showcaseProblems(programs)) bankProblems.push_back(problem);
  for (const std::string& problem : orvalis::params::factoryBankProblems())
    bankProblems.push_back(problem);

  const ProgramFigures* loudest = &figures.front();
  const ProgramFigures* quietest = &figures.front();
  for (const ProgramFigures& f : figures) {
    if (f.chord.peakDb > loudest->chord.peakDb) loudest = &f;
    if (f.chord.peakDb < quietest->chord.peakDb) quietest = &f;
  }
  std::printf("\nchord peaks from %.1f dBFS (%d %s) to %.1f dBFS (%d %s)\n", quietest->chord.peakDb,
              quietest->index, quietest->name.c_str(), loudest->chord.peakDb, loudest->index,
              loudest->name.c_str());
  const Pair sound = closestBySound(figures);
  if (sound.a >= 0)
    std::printf("closest in sound: %d %s and %d %s, %.2f dB apart\n", sound.a,
                programs[sound.a].record.name, sound.b, programs[sound.b].record.name,
                sound.distance);
  const Pair set = closestByParameters(programs);
  std::printf("closest in parameters: %d %s and %d %s, %.2f apart\n", set.a,
              programs[set.a].record.name, set.b, programs[set.b].record.name, set.distance);
  for (const std::string& problem : bankProblems) std::printf("! %s\n", problem.c_str());
  std::printf("%d of %zu programs break a rule; %zu problems of the bank\n", failed, figures.size(),
              bankProblems.size());

  if (!options.sheet.empty() &&
      !writeContactSheet(options.sheet,
                         "Orvalis factory bank: chord held 2.5 s and released, C2, C6, legato "
                         "phrase; 40 Hz to 16 kHz; red = breaks a rule",
                         rows, error)) {
    std::fprintf(stderr, "orvalis-bank-audit: %s\n", error.c_str());
    return 1;
  }
  if (!options.tour.empty() && !renderTour(player, programs, options)) return 1;
  return failed || !bankProblems.empty() ? 1 : 0;
}
