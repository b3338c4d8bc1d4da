// The display snapshot on its way from the plug-in to its UI, which may live in another process:
// one atom object per message, written by the audio thread into the notify port and read back
// by the UI from whatever the host hands it.
//
//   atom:Object, otype <#Display>
//     <#snapshot>  atom:Vector of 10 atom:Float (DisplaySnapshot::toFloats order)
#pragma once

#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include <cstdint>

#include "core/display_snapshot.h"

namespace orvalis::lv2 {

struct DisplayUrids {
  LV2_URID object = 0, vector = 0, floatType = 0, sequence = 0, eventTransfer = 0;
  LV2_URID displayType = 0, snapshotKey = 0;
  explicit DisplayUrids(const LV2_URID_Map* map);
};

// The whole message as it lies in memory after its atom header.
struct DisplayAtom {
  LV2_Atom_Object object;
  LV2_Atom_Property_Body property;
  LV2_Atom_Vector_Body vector;
  float values[orvalis::core::DisplaySnapshot::kFloats];
};
static_assert(sizeof(DisplayAtom) == 80, "no padding inside the message");

DisplayAtom makeDisplayAtom(const DisplayUrids& urids,
                            const orvalis::core::DisplaySnapshot& snapshot);

// Starts an empty sequence in an output port whose capacity the host left in atom.size.
// Returns that capacity in bytes, or 0 when the buffer cannot hold even the header.
uint32_t beginSequence(LV2_Atom_Sequence* port, LV2_URID sequenceType);
// Appends one event at the given frame; false (and nothing written) when it does not fit.
bool appendEvent(LV2_Atom_Sequence* port, uint32_t capacity, int64_t frame, const LV2_Atom* body);

// Reads a message of size bytes (the atom header included). False for anything that is not a
// whole, well-formed display message; non-finite values read as 0.
bool readDisplayAtom(const DisplayUrids& urids, const void* buffer, uint32_t size,
                     orvalis::core::DisplaySnapshot* snapshot);

}  // namespace orvalis::lv2
