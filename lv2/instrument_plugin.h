// The LV2 face of the instrument: ports onto the format-neutral core. Control ports are read at
// the start of run() and a changed value goes in as setParameter, so automation between blocks
// sounds exactly as through the VST 2 adapter; MIDI events enter the same intake with their
// frame offsets; the state is the core's blob of the whole bank.
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstdint>

#include "core/instrument.h"
#include "lv2/display_message.h"
#include "lv2/uris.h"

namespace orvalis::lv2 {

class InstrumentPlugin {
 public:
  // Null when the host lacks urid:map or gives an unusable rate.
  static InstrumentPlugin* create(double sampleRate, const LV2_Feature* const* features);

  void connect(uint32_t port, void* data);
  void run(uint32_t frames);

  LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
  LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

 private:
  InstrumentPlugin(const LV2_URID_Map* map, const LV2_Log_Log* log);
  void readOptions(const LV2_Feature* const* features);
  void applyControlChanges();
  void queueMidi(uint32_t frames);
  void sendDisplay(uint32_t frames);

  orvalis::core::Instrument core;
  const LV2_URID_Map* map;
  const LV2_Log_Log* log;
  DisplayUrids urids;
  LV2_URID midiEvent, chunk, logError;

  const float* controls[orvalis::params::kNumParams] = {};
  // The control values as last read: only a change is passed on. A restore leaves these alone,
  // so ports the host restores along with the state apply, and ports it leaves as they were do
  // not overwrite the restored program.
  float lastControls[orvalis::params::kNumParams];
  const LV2_Atom_Sequence* midiIn = nullptr;
  float* outLeft = nullptr;
  float* outRight = nullptr;
  LV2_Atom_Sequence* notify = nullptr;

  uint32_t framesSinceDisplay = 0;
  uint32_t displayInterval;
};

}  // namespace orvalis::lv2
