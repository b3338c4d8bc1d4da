// The factory table: every setting reaches the parameter it names, and the names fit hosts
// and file systems. How the programs sound is the bank-rules test's.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "params/factory_bank.h"
#include "params/gm_names.h"
#include "params/parameter_table.h"

using namespace orvalis::params;

TEST(FactoryBankTest, TheTableHasNoFaults) {
  for (const std::string& problem : factoryBankProblems()) ADD_FAILURE() << problem;
}

TEST(FactoryBankTest, EveryParameterHasOneNameThatFindsIt) {
  std::set<std::string> names;
  for (int i = 0; i < kNumParams; ++i) {
    const char* symbol = parameterTableName(i);
    ASSERT_NE(symbol, nullptr) << i;
    EXPECT_EQ(parameterIndexByName(symbol), i) << symbol;
    EXPECT_TRUE(names.insert(symbol).second) << symbol;
  }
  EXPECT_STREQ(parameterTableName(kLaneWeights), "lane_weights");
  EXPECT_STREQ(parameterTableName(kPitchEndL), "pitch_end_l");
  EXPECT_EQ(parameterIndexByName("Filtre1 Freq High"), kFilter1FreqHigh);
  EXPECT_EQ(parameterIndexByName("filtre1 freq high"), -1);
  EXPECT_EQ(parameterIndexByName(""), -1);
  EXPECT_EQ(parameterTableName(kNumParams), nullptr);
  EXPECT_EQ(parameterTableName(-1), nullptr);
}

TEST(FactoryBankTest, ProgramsAreNamedInFamiliesOfEight) {
  std::set<std::string> names;
  for (int i = 0; i < kFactoryPrograms; ++i) {
    const FactoryProgram p = factoryProgram(i);
    EXPECT_EQ(p.family, gmCategoryOf(i)) << i;
    EXPECT_GT(std::strlen(p.record.name), 0u) << i;
    EXPECT_STRNE(p.record.name, "Basique") << i;
    EXPECT_TRUE(names.insert(p.record.name).second) << p.record.name;
    for (float v : p.record.values) EXPECT_TRUE(v >= 0.f && v <= 1.f) << p.record.name;
  }
}

TEST(FactoryBankTest, UnwrittenValuesAreTheDefaultProgramsAndOutOfRangeGivesIt) {
  const ProgramRecord basique;
  // The plainest organ writes no pitch envelope: those keep the default program's values.
  const ProgramRecord organ = factoryProgram(16).record;
  for (int i = kPitchAttackH; i <= kPitchEndL; ++i)
    EXPECT_EQ(organ.values[i], basique.values[i]) << i;
  EXPECT_NE(organ.values[kOscType], basique.values[kOscType]);
  for (int index : {-1, kFactoryPrograms}) {
    const ProgramRecord outside = factoryProgram(index).record;
    EXPECT_STREQ(outside.name, "Basique");
    EXPECT_EQ(0, std::memcmp(outside.values, basique.values, sizeof basique.values));
  }
}
