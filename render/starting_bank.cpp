#include "render/starting_bank.h"

#include "params/program_record.h"
#include "plugin/corvina.h"
#include "render/plugin_programs.h"
#include "tools/factory_presets.h"

namespace orvalis::render {

bool isOrvalis(AEffect* effect) {
  return effect->uniqueID == orvalis::vst2::Corvina::kUniqueId &&
         effect->numPrograms == params::kNumPrograms && effect->numParams == params::kNumParams;
}

bool loadStartingBank(AEffect* effect, const std::string& bankFile, bool factoryWanted,
                      std::string& error) {
  if (!bankFile.empty()) return orvalis::render::fxfile::loadBankFile(effect, bankFile, error);
  if (factoryWanted && isOrvalis(effect))
    orvalis::render::fxfile::applyBank(effect, orvalis::tools::presets::factoryBank());
  return true;
}

}  // namespace orvalis::render
