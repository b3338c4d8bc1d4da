// orvalis-make-presets DIR: writes the factory bank files into DIR (the repository's presets/),
// replacing the program files of an earlier run so that renamed programs leave nothing behind.
#include <cstdio>
#include <filesystem>
#include <set>

#include "io/safe_file.h"
#include "params/factory_bank.h"
#include "tools/factory_presets.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: orvalis-make-presets DIR\n");
    return 2;
  }
  for (const std::string& problem : orvalis::params::factoryBankProblems()) {
    std::fprintf(stderr, "orvalis-make-presets: %s\n", problem.c_str());
    return 1;
  }
  const fs::path root = argv[1];
  const std::vector<orvalis::tools::presets::PresetFile> files =
      orvalis::tools::presets::factoryPresetFiles();
  std::error_code failure;
  std::set<fs::path> folders;
  for (const orvalis::tools::presets::PresetFile& file : files)
    if ((root / file.path).parent_path() != root) folders.insert((root / file.path).parent_path());
  for (const fs::path& folder : folders) {
    if (fs::is_directory(folder, failure))
      for (const fs::directory_entry& entry : fs::directory_iterator(folder, failure))
        if (entry.path().extension() == ".fxp") fs::remove(entry.path(), failure);
    fs::create_directories(folder, failure);
  }
  for (const orvalis::tools::presets::PresetFile& file : files) {
    std::string error;
    if (!orvalis::io::writeFile((root / file.path).string(), file.bytes, error)) {
      std::fprintf(stderr, "orvalis-make-presets: %s\n", error.c_str());
      return 1;
    }
  }
  std::printf("wrote %zu files into %s\n", files.size(), root.string().c_str());
  return 0;
}
