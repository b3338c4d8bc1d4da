// The release as a musician gets it: scripts/dist packs the built files (once for the whole
// program), the Linux archive is unpacked and installed with its install.sh into a scratch home,
// and every format is loaded from where it was installed; the .deb is unpacked into a scratch
// root and checked file by file and by lintian; a second packing must give the same bytes.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/plugin_host.h"
#include "lv2/uris.h"
#include "orvalis_version.h"
#include "tests/support/child_process.h"
#include "tests/support/lv2_host.h"
#include "tests/support/midi_builder.h"

namespace {

const std::string kVersion = ORVALIS_VERSION;
const std::string kLinuxName = "orvalis-" + kVersion + "-linux-x86_64";
const std::string kDebName = "orvalis_" + kVersion + "_amd64.deb";

using ShellResult = orvalis::tests::CommandResult;
using orvalis::tests::exists;

// Output and errors together.
ShellResult sh(const std::string& command) {
  return orvalis::tests::runCommand("(" + command + ") 2>&1");
}

std::string inQuotes(const std::string& s) { return "'" + s + "'"; }
bool built(const std::string& name) { return exists(std::string(ORVALIS_BUILD_DIR) + "/" + name); }

std::string pack(const std::string& out, const std::string& environment = "") {
  return environment + " " + ORVALIS_SOURCE_DIR "/scripts/dist --no-windows --build " +
         inQuotes(ORVALIS_BUILD_DIR) + " --out " + inQuotes(out);
}

// Every file under a folder, relative to it, sorted.
std::vector<std::string> filesUnder(const std::string& dir) {
  const ShellResult r =
      sh("cd " + inQuotes(dir) + " && find . -type f | sed 's|^\\./||' | LC_ALL=C sort");
  std::vector<std::string> files;
  std::istringstream lines(r.output);
  for (std::string line; std::getline(lines, line);) files.push_back(line);
  return files;
}

class Release : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/orvalis-release-test-XXXXXX";
    if (!mkdtemp(pattern)) return;  // packedOk stays false
    scratch = pattern;
    const ShellResult packed = sh(pack(scratch + "/dist"));
    std::printf("%s", packed.output.c_str());  // says which pending formats were skipped
    packedOk = packed.status == 0;
    home = scratch + "/home";
    const ShellResult installed = sh("mkdir -p " + inQuotes(home) + " && tar -xzf " +
                                     inQuotes(scratch + "/dist/" + kLinuxName + ".tar.gz") +
                                     " -C " + inQuotes(scratch) + " && HOME=" + inQuotes(home) +
                                     " " + inQuotes(scratch + "/" + kLinuxName + "/install.sh"));
    installOutput = installed.output;
    installedOk = packedOk && installed.status == 0;
  }
  static void TearDownTestSuite() { sh("rm -rf " + inQuotes(scratch)); }

  void SetUp() override {
    ASSERT_TRUE(packedOk) << "scripts/dist failed";
    ASSERT_TRUE(installedOk) << installOutput;
  }

  static std::string archive() { return scratch + "/" + kLinuxName; }

  static std::string scratch, home, installOutput;
  static bool packedOk, installedOk;
};
std::string Release::scratch, Release::home, Release::installOutput;
bool Release::packedOk = false, Release::installedOk = false;

TEST_F(Release, LinuxArchiveChecksumsMatchEveryFile) {
  const ShellResult r = sh("cd " + inQuotes(archive()) + " && sha256sum --strict -c SHA256SUMS");
  EXPECT_EQ(r.status, 0) << r.output;
  std::vector<std::string> listed = filesUnder(archive());
  listed.erase(std::remove(listed.begin(), listed.end(), "SHA256SUMS"), listed.end());
  int lines = 0;
  for (char c : r.output) lines += c == '\n';
  EXPECT_EQ(lines, static_cast<int>(listed.size())) << "SHA256SUMS must cover every file";
}

// Each file of the archive, and where install.sh puts it under $HOME.
TEST_F(Release, InstallPutsEveryFileInTheFolderItsHostScans) {
  struct Place {
    const char* built;  // in the build folder, or null when always there
    const char* inArchive;
    const char* installed;
  };
  const Place places[] = {
      {nullptr, "Orvalis.so", ".vst/Orvalis.so"},
      {nullptr, "Orvalis.lv2/manifest.ttl", ".lv2/Orvalis.lv2/manifest.ttl"},
      {nullptr, "Orvalis.lv2/orvalis_dsp.so", ".lv2/Orvalis.lv2/orvalis_dsp.so"},
      {nullptr, "Orvalis.lv2/orvalis_ui.so", ".lv2/Orvalis.lv2/orvalis_ui.so"},
      {nullptr, "orvalis-render", ".local/bin/orvalis-render"},
      {nullptr, "presets/Orvalis Factory.fxb", ".local/share/orvalis/presets/Orvalis Factory.fxb"},
      {nullptr, "presets/Piano/000 Concert Grand.fxp",
       ".local/share/orvalis/presets/Piano/000 Concert Grand.fxp"},
      {nullptr, "demo.mid", ".local/share/orvalis/demo.mid"},
      {"Orvalis.vst3", "Orvalis.vst3/Contents/x86_64-linux/Orvalis.so",
       ".vst3/Orvalis.vst3/Contents/x86_64-linux/Orvalis.so"},
      {"Orvalis.clap", "Orvalis.clap", ".clap/Orvalis.clap"},
      {"orvalis", "orvalis", ".local/bin/orvalis"},
  };
  for (const Place& p : places) {
    if (p.built && !built(p.built)) {
      std::printf("not built yet, not checked: %s\n", p.built);
      continue;
    }
    EXPECT_TRUE(exists(archive() + "/" + p.inArchive)) << "archive lacks " << p.inArchive;
    EXPECT_TRUE(exists(home + "/" + p.installed)) << "not installed: ~/" << p.installed;
  }
  for (const char* f : {"INSTALL", "install.sh", "SHA256SUMS"})
    EXPECT_TRUE(exists(archive() + "/" + f)) << f;
  EXPECT_EQ(filesUnder(home + "/.local/share/orvalis/presets"),
            filesUnder(ORVALIS_SOURCE_DIR "/presets"));
  struct stat info {};
  ASSERT_EQ(stat((home + "/.local/bin/orvalis-render").c_str(), &info), 0);
  EXPECT_TRUE(info.st_mode & S_IXUSR);
}

TEST_F(Release, InstalledVst2PluginPlaysANote) {
  orvalis::host::PluginHost host;
  std::string error;
  ASSERT_TRUE(host.load(home + "/.vst/Orvalis.so", 44100.f, 256, error)) << error;
  orvalis::tests::MidiBuilder midi;
  midi.noteOn(0, 60, 100);
  host.sendMidi(midi.raw());
  std::vector<float> left(256), right(256);
  float peak = 0;
  for (int block = 0; block < 16; ++block) {
    host.process(left.data(), right.data(), 256);
    for (float s : left) peak = std::max(peak, std::fabs(s));
  }
  EXPECT_GT(peak, 1e-3f);
}

TEST_F(Release, InstalledLv2BundleIsListedAndInstantiates) {
  const ShellResult listed = sh("LV2_PATH=" + inQuotes(home + "/.lv2") + " lv2ls");
  EXPECT_NE(listed.output.find(orvalis::lv2::kPluginUri), std::string::npos) << listed.output;

  LilvWorld* world = lilv_world_new();
  LilvNode* path = lilv_new_string(world, (home + "/.lv2").c_str());
  lilv_world_set_option(world, LILV_OPTION_LV2_PATH, path);
  lilv_world_load_all(world);
  LilvNode* uri = lilv_new_uri(world, orvalis::lv2::kPluginUri);
  const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
  ASSERT_NE(plugin, nullptr);
  char* library =
      lilv_file_uri_parse(lilv_node_as_uri(lilv_plugin_get_library_uri(plugin)), nullptr);
  EXPECT_EQ(std::string(library), home + "/.lv2/Orvalis.lv2/orvalis_dsp.so");
  lilv_free(library);

  orvalis::tests::UridMap urids;
  int32_t block = 256;
  const LV2_URID intType = urids.map(LV2_ATOM__Int);
  LV2_Options_Option options[] = {
      {LV2_OPTIONS_INSTANCE, 0, urids.map(LV2_BUF_SIZE__maxBlockLength), sizeof block, intType,
       &block},
      {LV2_OPTIONS_INSTANCE, 0, urids.map(LV2_BUF_SIZE__nominalBlockLength), sizeof block, intType,
       &block},
      {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
  LV2_Feature mapFeature = {LV2_URID__map, &urids.mapFeature};
  LV2_Feature optionsFeature = {LV2_OPTIONS__options, options};
  const LV2_Feature* features[] = {&mapFeature, &optionsFeature, nullptr};
  LilvInstance* instance = lilv_plugin_instantiate(plugin, 44100.0, features);
  EXPECT_NE(instance, nullptr);
  if (instance) lilv_instance_free(instance);
  lilv_node_free(uri);
  lilv_node_free(path);
  lilv_world_free(world);
}

// The formats still on their way in: their entries, loaded from the installed file.
TEST_F(Release, InstalledVst3AndClapModulesExportTheirEntries) {
  const struct {
    const char* built;
    const char* installed;
    const char* entry;
  } modules[] = {
      {"Orvalis.vst3", ".vst3/Orvalis.vst3/Contents/x86_64-linux/Orvalis.so", "GetPluginFactory"},
      {"Orvalis.clap", ".clap/Orvalis.clap", "clap_entry"},
  };
  int checked = 0;
  for (const auto& m : modules) {
    if (!built(m.built)) {
      std::printf("not built yet, not loaded: %s\n", m.built);
      continue;
    }
    void* handle = dlopen((home + "/" + m.installed).c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    EXPECT_NE(dlsym(handle, m.entry), nullptr) << m.installed << " lacks " << m.entry;
    dlclose(handle);
    ++checked;
  }
  if (checked == 0) GTEST_SKIP() << "no VST 3 or CLAP module built yet";
}

TEST_F(Release, InstalledProgramsReportTheVersion) {
  const ShellResult render = sh(inQuotes(home + "/.local/bin/orvalis-render") + " --version");
  EXPECT_EQ(render.status, 0);
  EXPECT_EQ(render.output, "orvalis-render " + kVersion + "\n");
  if (!built("orvalis")) GTEST_SKIP() << "orvalis not built yet: only orvalis-render checked";
  const ShellResult standalone = sh(inQuotes(home + "/.local/bin/orvalis") + " --version");
  EXPECT_EQ(standalone.status, 0);
  EXPECT_NE(standalone.output.find(kVersion), std::string::npos) << standalone.output;
}

// ShellResult as a musician runs it: no --plugin; it finds the plug-in install.sh put in ~/.vst.
TEST_F(Release, InstalledRendererPlaysTheDemoSongThroughTheInstalledPlugin) {
  const std::string wav = scratch + "/demo.wav";
  const ShellResult r =
      sh("HOME=" + inQuotes(home) + " " + inQuotes(home + "/.local/bin/orvalis-render") + " " +
         inQuotes(home + "/.local/share/orvalis/demo.mid") + " -o " + inQuotes(wav) + " --bank " +
         inQuotes(home + "/.local/share/orvalis/presets/Orvalis Factory.fxb") +
         " --program 48 --tail 1");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("(Orvalis)"), std::string::npos) << r.output;
  struct stat info {};
  ASSERT_EQ(stat(wav.c_str(), &info), 0);
  EXPECT_GT(info.st_size, 44100 * 8);  // more than a second of stereo float
}

TEST_F(Release, UninstallRemovesEveryInstalledFile) {
  const std::string other = scratch + "/home-uninstall";
  const std::string script = inQuotes(archive() + "/install.sh");
  const ShellResult r =
      sh("mkdir -p " + inQuotes(other + "/.vst") + " && touch " +
         inQuotes(other + "/.vst/Other.so") + " && HOME=" + inQuotes(other) + " " + script +
         " && HOME=" + inQuotes(other) + " " + script + " --uninstall");
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(filesUnder(other), std::vector<std::string>{".vst/Other.so"})
      << "only the user's own file stays";
}

TEST_F(Release, PackagePutsEveryFileInItsPlace) {
  const std::string root = scratch + "/root";
  const ShellResult x =
      sh("dpkg-deb -x " + inQuotes(scratch + "/dist/" + kDebName) + " " + inQuotes(root));
  ASSERT_EQ(x.status, 0) << x.output;
  struct Place {
    const char* built;  // in the build folder, or null when always there
    const char* file;
  };
  const Place expected[] = {
      {nullptr, "usr/lib/vst/Orvalis.so"},
      {nullptr, "usr/lib/lv2/Orvalis.lv2/manifest.ttl"},
      {nullptr, "usr/lib/lv2/Orvalis.lv2/orvalis.ttl"},
      {nullptr, "usr/lib/lv2/Orvalis.lv2/presets.ttl"},
      {nullptr, "usr/lib/lv2/Orvalis.lv2/orvalis_dsp.so"},
      {nullptr, "usr/lib/lv2/Orvalis.lv2/orvalis_ui.so"},
      {nullptr, "usr/bin/orvalis-render"},
      {nullptr, "usr/share/man/man1/orvalis-render.1.gz"},
      {nullptr, "usr/share/doc/orvalis/copyright"},
      {nullptr, "usr/share/doc/orvalis/changelog.gz"},
      {nullptr, "usr/share/doc/orvalis/examples/demo.mid"},
      {"Orvalis.vst3", "usr/lib/vst3/Orvalis.vst3/Contents/x86_64-linux/Orvalis.so"},
      {"Orvalis.clap", "usr/lib/clap/Orvalis.clap"},
      {"orvalis", "usr/bin/orvalis"},
      {"orvalis", "usr/share/man/man1/orvalis.1.gz"},
      {"orvalis", "usr/share/applications/orvalis.desktop"},
  };
  std::set<std::string> wanted;
  for (const Place& p : expected)
    if (!p.built || built(p.built)) wanted.insert(p.file);
  std::vector<std::string> stray;
  for (const std::string& f : filesUnder(root)) {
    if (wanted.erase(f)) continue;
    if (f.rfind("usr/share/orvalis/presets/", 0) == 0 ||
        f.rfind("usr/lib/vst3/Orvalis.vst3/", 0) == 0)
      continue;  // the presets are compared whole below; the VST 3 bundle has its own layout
    stray.push_back(f);
  }
  EXPECT_TRUE(wanted.empty()) << "missing: " << *wanted.begin();
  EXPECT_TRUE(stray.empty()) << "not expected: " << stray.front();
  EXPECT_EQ(filesUnder(root + "/usr/share/orvalis/presets"),
            filesUnder(ORVALIS_SOURCE_DIR "/presets"));

  const ShellResult listed = sh("LV2_PATH=" + inQuotes(root + "/usr/lib/lv2") + " lv2ls");
  EXPECT_NE(listed.output.find(orvalis::lv2::kPluginUri), std::string::npos) << listed.output;
}

TEST_F(Release, PackageDeclaresItsVersionAndTheLibrariesItsBinariesLink) {
  const std::string deb = inQuotes(scratch + "/dist/" + kDebName);
  EXPECT_EQ(sh("dpkg-deb -f " + deb + " Version").output, kVersion + "\n");
  const std::string depends = sh("dpkg-deb -f " + deb + " Depends").output;
  for (const char* library : {"libc6 (>=", "libsndfile1", "libxcb1"})
    EXPECT_NE(depends.find(library), std::string::npos) << library << " not in " << depends;
}

TEST_F(Release, PackageIsCleanUnderLintian) {
  if (sh("command -v lintian").status != 0) GTEST_SKIP() << "lintian is not installed";
  const ShellResult r =
      sh("lintian --fail-on error,warning " + inQuotes(scratch + "/dist/" + kDebName));
  EXPECT_EQ(r.status, 0) << r.output;
}

// Packs the same build again, with another umask and another scratch folder: the archives
// must not change by a byte. (That two clean builds give the same binaries is not checked here:
// it takes two whole builds.)
TEST_F(Release, TwoPackingsAreByteIdentical) {
  const std::string again = scratch + "/dist-again";
  const ShellResult r = sh("mkdir -p " + inQuotes(scratch + "/tmp") + " && umask 077 && " +
                           pack(again, "TMPDIR=" + inQuotes(scratch + "/tmp")));
  ASSERT_EQ(r.status, 0) << r.output;
  for (const std::string& name : {kLinuxName + ".tar.gz", kDebName}) {
    const ShellResult cmp =
        sh("cmp " + inQuotes(scratch + "/dist/" + name) + " " + inQuotes(again + "/" + name));
    EXPECT_EQ(cmp.status, 0) << name << ": " << cmp.output;
  }
}

}  // namespace
