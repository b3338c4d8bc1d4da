#include <cstdio>
#include <cstring>

#include "params/gm_names.h"
#include "plugin/corvina.h"
#include "plugin/corvina_gui_editor.h"

namespace orvalis::vst2 {

using namespace orvalis::params;

namespace {
const char* const kCapabilities[] = {"receiveVstEvents", "receiveVstMidiEvent", "midiProgramNames"};

void copyName64(char* dst, const char* src) {
  std::memset(dst, 0, 64);
  std::strncpy(dst, src, 63);
}
}  // namespace

bool Corvina::getEffectName(char* name) {
  copyHostText(name, "Orvalis");
  return true;
}

bool Corvina::getVendorString(char* text) {
  copyHostText(text, "par Tavrelin");
  return true;
}

bool Corvina::getProductString(char* text) {
  copyHostText(text, "Orvalis");
  return true;
}

int32_t Corvina::getVendorVersion() { return kVendorVersion; }

int32_t Corvina::canDo(char* text) {
  if (!text) return -1;
  for (const char* capability : kCapabilities)
    if (std::strcmp(text, capability) == 0) return 1;
  return -1;
}

bool Corvina::getOutputProperties(int32_t index, VstPinProperties* properties) {
  if (index < 0 || index > 1 || !properties) return false;
  std::snprintf(properties->label, sizeof properties->label, "Vstx %1d", index + 1);
  properties->flags = kVstPinIsActive | kVstPinIsStereo;
  return true;
}

bool Corvina::keysRequired() { return gui && gui->isEditingText(); }

// Hosts that scale their user interface send the factor in opt of this vendor opcode, with
// index 'PreS' and value 'AeCs'.
intptr_t Corvina::vendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) {
  constexpr int32_t kScaleIndex = 0x50726553;
  constexpr intptr_t kScaleValue = 0x41654373;
  if (index == kScaleIndex && value == kScaleValue) return gui && gui->setScaleFactor(opt) ? 1 : 0;
  return AudioEffectX::vendorSpecific(index, value, ptr, opt);
}

void Corvina::fillMidiProgram(int32_t channel, int32_t program, MidiProgramName* record) {
  record->midiBankMsb = -1;
  record->midiBankLsb = -1;
  record->reserved = 0;
  record->flags = 0;
  if (channel == kDrumChannel) {
    copyName64(record->name, kDrumProgramName);
    record->midiProgram = 0;
    record->parentCategoryIndex = 0;
  } else {
    copyName64(record->name, kGmProgramNames[program]);
    record->midiProgram = static_cast<signed char>(program);
    record->parentCategoryIndex = gmCategoryOf(program);
  }
}

int32_t Corvina::getMidiProgramName(int32_t channel, MidiProgramName* record) {
  if (!record) return 0;
  const int32_t p = record->thisProgramIndex;
  if (p < 0 || p > 127) return 0;
  fillMidiProgram(channel, p, record);
  return channel == kDrumChannel ? 1 : kGmPrograms;
}

int32_t Corvina::getCurrentMidiProgram(int32_t channel, MidiProgramName* record) {
  if (channel < 0 || channel > 15 || !record) return -1;
  const int32_t p = channelPrograms[channel];
  record->thisProgramIndex = p;
  fillMidiProgram(channel, p, record);
  return p;
}

int32_t Corvina::getMidiProgramCategory(int32_t channel, MidiProgramCategory* category) {
  if (!category) return 0;
  category->parentCategoryIndex = -1;
  category->flags = 0;
  if (channel == kDrumChannel) {
    copyName64(category->name, kDrumCategoryName);
    return 1;
  }
  const int32_t c = category->thisCategoryIndex;
  copyName64(category->name, c >= 0 && c < kGmCategories ? kGmCategoryNames[c] : "");
  return kGmCategories;
}

bool Corvina::hasMidiProgramsChanged(int32_t) { return false; }

bool Corvina::getMidiKeyName(int32_t, MidiKeyName* keyName) {
  if (!keyName) return false;
  keyName->keyName[0] = 0;
  keyName->reserved = 0;
  keyName->flags = 0;
  return false;
}

}  // namespace orvalis::vst2
