// One MIDI channel as a General MIDI host plays it into an instrument that understands only
// notes, bend, the modulation wheel and all-notes-off: it keeps the channel's controllers
// (volume, expression, pan, sustain, the bend sensitivity set through RPN 0) and its program,
// and turns each of the channel's messages into what the instrument must receive.
#pragma once

#include <cstdint>
#include <vector>

#include "render/gm_curves.h"
#include "render/sustain_pedal.h"

namespace orvalis::render {

struct ShortMessage {
  uint8_t status, data1, data2;
};

class GmChannel {
 public:
  // What a message changed besides the messages it gave, as bits.
  enum Change : unsigned {
    kNone = 0,
    kLevel = 1,     // gain() has a new value
    kProgram = 2,   // program() has a new value
    kSoundOff = 4,  // All Sound Off: the channel's output must end at once
    kNoteOn = 8,
  };

  // instrumentBendRange: the semitones the instrument's full bend spans.
  explicit GmChannel(double instrumentBendRange) : bendRange(instrumentBendRange) {}

  // One channel message (status 0x80..0xEF and its data bytes); what the instrument must
  // receive is appended to out.
  unsigned handle(const uint8_t* bytes, int length, std::vector<ShortMessage>& out);

  // Volume and expression, then pan, by the General MIDI curves.
  StereoGain gain() const;
  int program() const { return currentProgram; }
  double bendSensitivity() const { return sensitivity(); }

 private:
  static constexpr int kNullParameter = 0x3FFF;
  static constexpr int kSensitivityParameter = 0;

  unsigned controller(int number, int value, std::vector<ShortMessage>& out);
  void resetControllers(std::vector<ShortMessage>& out);
  void releaseSustain(std::vector<ShortMessage>& out);
  void sendBend(std::vector<ShortMessage>& out) const;
  double sensitivity() const { return sensitivitySemitones + sensitivityCents / 100.0; }

  double bendRange;
  uint8_t channel = 0;  // of the last message, kept in what is sent on
  int volume = 100, expression = 127, pan = 64;
  int currentProgram = 0;
  int32_t bend = 0;  // as the song sent it, -8192..8191
  int sensitivitySemitones = 2, sensitivityCents = 0;
  int parameter = kNullParameter;  // the selected RPN; NRPNs select nothing here
  SustainPedal pedal;
  std::vector<HeldNoteOff> released;
};

}  // namespace orvalis::render
