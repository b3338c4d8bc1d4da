#include "tools/bank_audit/materials.h"

namespace orvalis::tools::audit {

namespace {
constexpr int kChordKeys[8] = {48, 55, 60, 64, 67, 71, 74, 79};
constexpr int kBassFamily = 4;
constexpr int kPhraseVelocity = 90;
constexpr double kTourSeconds = 7.0;
}  // namespace

Material chord() {
  Material m{{}, kChordSeconds};
  for (int key : kChordKeys) m.notes.push_back({0.0, kChordOff, key, kChordVelocity});
  return m;
}

Material singleNote(int key, int velocity, double hold, double seconds) {
  return {{{0.0, hold, key, velocity}}, seconds};
}

Material legatoPhrase() {
  // Each note starts before the last one ends.
  return {{{0.0, kGlideStepAt + 0.05, 60, kPhraseVelocity},
           {kGlideStepAt, 0.85, kGlideTargetKey, kPhraseVelocity},
           {0.8, 1.25, 64, kPhraseVelocity},
           {1.2, 1.8, 72, kPhraseVelocity}},
          kPhraseSeconds};
}

Material tourPhrase(int family) {
  const int shift = family == kBassFamily ? -24 : 0;
  Material m{{}, kTourSeconds};
  auto note = [&](double on, double off, int key, int velocity) {
    m.notes.push_back({on, off, key + shift, velocity});
  };
  // A rising arpeggio, soft to hard.
  const int arpeggio[6] = {48, 55, 60, 64, 67, 72};
  for (int i = 0; i < 6; ++i) note(0.25 * i, 0.25 * i + 0.22, arpeggio[i], 50 + 15 * i);
  // A held chord.
  for (int key : {53, 57, 60, 65}) note(1.6, 3.2, key, 96);
  // A legato line over it, then a last low note.
  const int line[5] = {69, 72, 74, 72, 77};
  for (int i = 0; i < 5; ++i) note(3.4 + 0.3 * i, 3.4 + 0.3 * i + 0.36, line[i], 100);
  note(5.0, 5.9, 48, 110);
  return m;
}

double tourSeconds() { return kTourSeconds; }

}  // namespace orvalis::tools::audit
