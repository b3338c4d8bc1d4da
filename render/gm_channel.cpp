#include "render/gm_channel.h"

namespace orvalis::render {

namespace {

constexpr uint8_t kNoteOff = 0x80, kNoteOnStatus = 0x90, kControl = 0xB0, kProgramChange = 0xC0,
                  kBend = 0xE0;
constexpr int kModWheel = 1, kDataEntry = 6, kVolume = 7, kPan = 10, kExpression = 11,
              kSustain = 64, kDataEntryFine = 38, kNrpnFine = 98, kNrpnCoarse = 99, kRpnFine = 100,
              kRpnCoarse = 101, kAllSoundOff = 120, kResetControllers = 121, kAllNotesOff = 123;

}  // namespace

unsigned GmChannel::handle(const uint8_t* bytes, int length, std::vector<ShortMessage>& out) {
  if (length < 2 || bytes[0] < 0x80 || bytes[0] >= 0xF0) return kNone;
  const uint8_t status = bytes[0] & 0xF0;
  channel = bytes[0] & 0x0F;
  const int d1 = bytes[1] & 0x7F;
  const int d2 = length > 2 ? bytes[2] & 0x7F : 0;
  switch (status) {
    case kNoteOnStatus:
      if (d2 > 0) {
        // A key struck again under the pedal: its held note-off goes first.
        int velocity = 0;
        if (pedal.takeHeld(d1, velocity))
          out.push_back({static_cast<uint8_t>(kNoteOff | channel), static_cast<uint8_t>(d1),
                         static_cast<uint8_t>(velocity)});
        out.push_back({bytes[0], static_cast<uint8_t>(d1), static_cast<uint8_t>(d2)});
        return kNoteOn;
      }
      [[fallthrough]];
    case kNoteOff:
      if (!pedal.holdNoteOff(d1, d2))
        out.push_back({static_cast<uint8_t>(kNoteOff | channel), static_cast<uint8_t>(d1),
                       static_cast<uint8_t>(d2)});
      return kNone;
    case kControl:
      return controller(d1, d2, out);
    case kProgramChange:
      currentProgram = d1;
      return kProgram;
    case kBend:
      bend = d2 * 128 + d1 - 8192;
      sendBend(out);
      return kNone;
    default:
      return kNone;  // aftertouch: nothing the instrument plays
  }
}

unsigned GmChannel::controller(int number, int value, std::vector<ShortMessage>& out) {
  switch (number) {
    case kModWheel:
      out.push_back(
          {static_cast<uint8_t>(kControl | channel), kModWheel, static_cast<uint8_t>(value)});
      return kNone;
    case kVolume:
      volume = value;
      return kLevel;
    case kExpression:
      expression = value;
      return kLevel;
    case kPan:
      pan = value;
      return kLevel;
    case kSustain:
      if (value >= 64)
        pedal.set(true, released);
      else
        releaseSustain(out);
      return kNone;
    case kRpnCoarse:
      parameter = (value << 7) | (parameter & 0x7F);
      return kNone;
    case kRpnFine:
      parameter = (parameter & 0x3F80) | value;
      return kNone;
    case kNrpnCoarse:
    case kNrpnFine:
      parameter = kNullParameter;  // data entry now goes to an NRPN, which means nothing here
      return kNone;
    case kDataEntry:
    case kDataEntryFine:
      if (parameter != kSensitivityParameter) return kNone;
      (number == kDataEntry ? sensitivitySemitones : sensitivityCents) = value;
      sendBend(out);  // a bend already held now spans the new interval
      return kNone;
    case kAllSoundOff:
    case kAllNotesOff:
      // The instrument releases every voice itself: nothing is left for the pedal to hold.
      pedal.clear();
      out.push_back({static_cast<uint8_t>(kControl | channel), kAllNotesOff, 0});
      return number == kAllSoundOff ? kSoundOff : kNone;
    case kResetControllers:
      resetControllers(out);
      return kLevel;
    default:
      return kNone;
  }
}

// As General MIDI asks: volume and pan stay, and so does the bend sensitivity's value.
void GmChannel::resetControllers(std::vector<ShortMessage>& out) {
  expression = 127;
  releaseSustain(out);
  parameter = kNullParameter;
  out.push_back({static_cast<uint8_t>(kControl | channel), kModWheel, 0});
  bend = 0;
  sendBend(out);
}

void GmChannel::releaseSustain(std::vector<ShortMessage>& out) {
  released.clear();
  pedal.set(false, released);
  for (const HeldNoteOff& n : released)
    out.push_back({static_cast<uint8_t>(kNoteOff | channel), static_cast<uint8_t>(n.key),
                   static_cast<uint8_t>(n.velocity)});
}

void GmChannel::sendBend(std::vector<ShortMessage>& out) const {
  const int32_t sent = scaledBend(bend, sensitivity(), bendRange) + 8192;
  out.push_back({static_cast<uint8_t>(kBend | channel), static_cast<uint8_t>(sent & 0x7F),
                 static_cast<uint8_t>(sent >> 7)});
}

StereoGain GmChannel::gain() const {
  const float level = levelGain(volume, expression);
  const StereoGain p = panGain(pan);
  return {level * p.left, level * p.right};
}

}  // namespace orvalis::render
