// The rules a factory program must pass, from its measured figures, and the rules the bank
// as a whole must pass. What fits a program follows what its General MIDI slot plays.
#pragma once

#include <string>
#include <vector>

#include "params/factory_bank.h"
#include "tools/bank_audit/program_figures.h"

namespace orvalis::tools::audit {

enum class Articulation {
  Decaying,   // struck and plucked: keys, mallets, guitars, harps
  Hit,        // drums and hits: gone within the hold
  Sustained,  // organs, brass, reeds, pipes
  Bowed,      // strings and voices: a softer start, then held
  Bass,
  Lead,
  Pad,
  Free  // effects
};

Articulation articulationOf(int program);
const char* articulationName(Articulation articulation);

// Level and timing rules of one program; one line per broken rule.
std::vector<std::string> programProblems(const ProgramFigures& figures);

struct Pair {
  int a = -1, b = -1;
  double distance = 0;
};
Pair closestBySound(const std::vector<ProgramFigures>& figures);
Pair closestByParameters(const std::vector<orvalis::params::FactoryProgram>& programs);
std::vector<std::string> duplicateProblems(
    const std::vector<ProgramFigures>& figures,
    const std::vector<orvalis::params::FactoryProgram>& programs);

// What the bank must show off together: every oscillator mode, every filter type on both
// filters, velocity pairs, the LFO on the wheel, the pitch envelope, glide, legato, overdrive
// and pan.
std::vector<std::string> showcaseProblems(
    const std::vector<orvalis::params::FactoryProgram>& programs);

}  // namespace orvalis::tools::audit
