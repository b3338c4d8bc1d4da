// The factory bank through the real plug-in: every program plays the same material and must
// pass the rules of its family; together they must not repeat each other and must show off
// what the engine does. The figures are measured once for the whole suite.
#include <gtest/gtest.h>

#include "tools/bank_audit/bank_rules.h"

using namespace orvalis::tools::audit;

namespace {

constexpr int kJobs = 2;

class BankRulesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (int i = 0; i < orvalis::params::kFactoryPrograms; ++i)
      programs.push_back(orvalis::params::factoryProgram(i));
    Player player(ORVALIS_PLUGIN_PATH);
    std::string error;
    ASSERT_TRUE(player.ready(error)) << error;
    figures = measurePrograms(player, programs, 0, orvalis::params::kFactoryPrograms - 1,
                              Detail::Rules, kJobs);
  }
  static std::vector<orvalis::params::FactoryProgram> programs;
  static std::vector<ProgramFigures> figures;
};

std::vector<orvalis::params::FactoryProgram> BankRulesTest::programs;
std::vector<ProgramFigures> BankRulesTest::figures;

}  // namespace

TEST_F(BankRulesTest, EveryProgramPlaysFiniteAudibleUnclippedAndFitsItsFamily) {
  ASSERT_EQ(figures.size(), 128u);
  for (const ProgramFigures& f : figures)
    for (const std::string& problem : programProblems(f))
      ADD_FAILURE() << f.index << " " << f.name << ": " << problem;
}

TEST_F(BankRulesTest, NoTwoProgramsAreNearDuplicates) {
  for (const std::string& problem : duplicateProblems(figures, programs)) ADD_FAILURE() << problem;
}

TEST_F(BankRulesTest, TheBankShowsOffTheEngine) {
  for (const std::string& problem : showcaseProblems(programs)) ADD_FAILURE() << problem;
}

// The rules themselves: a program that breaks one is caught.
TEST_F(BankRulesTest, BrokenFiguresAreCaught) {
  ProgramFigures loud = figures[0];
  loud.chord.peakDb = -0.5f;
  loud.high.clipped = 3;
  loud.chord.nonFinite = 1;
  EXPECT_EQ(programProblems(loud).size(), 3u);

  ProgramFigures slowPiano = figures[0];
  slowPiano.attack = 0.4;
  slowPiano.holdChange = -2;
  EXPECT_EQ(programProblems(slowPiano).size(), 2u);

  ProgramFigures quickPad = figures[88];
  quickPad.attack = 0.01;
  quickPad.release = 0.1;
  EXPECT_EQ(programProblems(quickPad).size(), 2u);

  EXPECT_FALSE(duplicateProblems({figures[3], figures[3]}, {}).empty());
  EXPECT_FALSE(duplicateProblems({}, {programs[5], programs[5]}).empty());
}
