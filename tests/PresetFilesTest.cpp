// The committed bank files: equal to what `make presets` writes, and loaded through the real
// entry they give every program its name and values.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "params/factory_bank.h"
#include "render/plugin_programs.h"
#include "tests/support/test_host.h"
#include "tools/factory_presets.h"

namespace fs = std::filesystem;

namespace {

const fs::path kPresets = ORVALIS_PRESETS_DIR;

std::vector<uint8_t> committed(const std::string& relative) {
  std::vector<uint8_t> bytes;
  std::string error;
  EXPECT_TRUE(orvalis::render::fxfile::readFile((kPresets / relative).string(), bytes, error))
      << error;
  return bytes;
}

}  // namespace

TEST(PresetFilesTest, CommittedFilesEqualWhatTheGeneratorWrites) {
  std::set<std::string> expected;
  for (const orvalis::tools::presets::PresetFile& file :
       orvalis::tools::presets::factoryPresetFiles()) {
    expected.insert(file.path);
    EXPECT_TRUE(committed(file.path) == file.bytes) << file.path << " differs: run make presets";
  }
  EXPECT_EQ(expected.size(), 129u);
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(kPresets)) {
    if (!entry.is_regular_file()) continue;
    const std::string relative = fs::relative(entry.path(), kPresets).generic_string();
    EXPECT_TRUE(expected.count(relative)) << relative << " is not made by make presets";
  }
  EXPECT_EQ(fs::file_size(kPresets / orvalis::tools::presets::kBankFileName), 38556u);
}

TEST(PresetFilesTest, TheBankLoadsThroughTheEntryAndSavesBackUnchanged) {
  orvalis::tests::TestHost host;
  const std::string bankPath = (kPresets / orvalis::tools::presets::kBankFileName).string();
  std::string error;
  ASSERT_TRUE(orvalis::render::fxfile::loadBankFile(host.effect, bankPath, error)) << error;
  EXPECT_EQ(host.dispatch(effGetProgram), 0);
  for (int i = 0; i < orvalis::params::kFactoryPrograms; ++i) {
    const orvalis::params::ProgramRecord expected = orvalis::params::factoryProgram(i).record;
    char name[64] = "";
    host.dispatch(effGetProgramNameIndexed, i, 0, name);
    EXPECT_STREQ(name, expected.name) << i;
    host.dispatch(effSetProgram, 0, i);
    for (int j = 0; j < orvalis::params::kNumParams; ++j)
      ASSERT_EQ(host.getParameter(j), expected.values[j]) << expected.name << " parameter " << j;
  }
  host.dispatch(effSetProgram, 0, 0);
  const std::string saved = ::testing::TempDir() + "orvalis_factory_saved.fxb";
  ASSERT_TRUE(orvalis::render::fxfile::saveBankFile(host.effect, saved, error)) << error;
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(orvalis::render::fxfile::readFile(saved, bytes, error)) << error;
  EXPECT_TRUE(bytes == committed(orvalis::tools::presets::kBankFileName));
  std::remove(saved.c_str());
}

TEST(PresetFilesTest, EachProgramFileLoadsIntoTheCurrentProgram) {
  orvalis::tests::TestHost host;
  const std::vector<orvalis::tools::presets::PresetFile> files =
      orvalis::tools::presets::factoryPresetFiles();
  for (std::size_t f = 1; f < files.size(); ++f) {
    const int index = static_cast<int>(f) - 1;
    host.dispatch(effSetProgram, 0, index);
    std::string error;
    ASSERT_TRUE(orvalis::render::fxfile::loadProgramFile(
        host.effect, (kPresets / files[f].path).string(), error))
        << error;
    const orvalis::params::ProgramRecord expected = orvalis::params::factoryProgram(index).record;
    char name[64] = "";
    host.dispatch(effGetProgramName, 0, 0, name);
    EXPECT_STREQ(name, expected.name);
    for (int j = 0; j < orvalis::params::kNumParams; ++j)
      ASSERT_EQ(host.getParameter(j), expected.values[j]) << name;
  }
}
