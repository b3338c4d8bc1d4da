#include "lv2/display_message.h"

#include <lv2/atom/util.h>

#include <cmath>
#include <cstring>

#include "lv2/uris.h"

namespace orvalis::lv2 {

DisplayUrids::DisplayUrids(const LV2_URID_Map* map) {
  auto m = [map](const char* uri) { return map->map(map->handle, uri); };
  object = m(LV2_ATOM__Object);
  vector = m(LV2_ATOM__Vector);
  floatType = m(LV2_ATOM__Float);
  sequence = m(LV2_ATOM__Sequence);
  eventTransfer = m(LV2_ATOM__eventTransfer);
  displayType = m(kDisplayType);
  snapshotKey = m(kDisplaySnapshotKey);
}

DisplayAtom makeDisplayAtom(const DisplayUrids& urids,
                            const orvalis::core::DisplaySnapshot& snapshot) {
  DisplayAtom a;
  a.object.atom.size = sizeof(DisplayAtom) - sizeof(LV2_Atom);
  a.object.atom.type = urids.object;
  a.object.body.id = 0;
  a.object.body.otype = urids.displayType;
  a.property.key = urids.snapshotKey;
  a.property.context = 0;
  a.property.value.size = sizeof(LV2_Atom_Vector_Body) + sizeof a.values;
  a.property.value.type = urids.vector;
  a.vector.child_size = sizeof(float);
  a.vector.child_type = urids.floatType;
  snapshot.toFloats(a.values);
  return a;
}

uint32_t beginSequence(LV2_Atom_Sequence* port, LV2_URID sequenceType) {
  const uint32_t capacity = port->atom.size;
  if (capacity < sizeof(LV2_Atom_Sequence_Body)) return 0;
  port->atom.type = sequenceType;
  port->atom.size = sizeof(LV2_Atom_Sequence_Body);
  port->body.unit = 0;
  port->body.pad = 0;
  return capacity;
}

bool appendEvent(LV2_Atom_Sequence* port, uint32_t capacity, int64_t frame, const LV2_Atom* body) {
  const uint32_t eventSize = lv2_atom_pad_size(sizeof(LV2_Atom_Event) + body->size);
  if (capacity < port->atom.size || capacity - port->atom.size < eventSize) return false;
  auto* event =
      reinterpret_cast<LV2_Atom_Event*>(reinterpret_cast<uint8_t*>(&port->body) + port->atom.size);
  event->time.frames = frame;
  std::memcpy(&event->body, body, sizeof(LV2_Atom) + body->size);
  port->atom.size += eventSize;
  return true;
}

bool readDisplayAtom(const DisplayUrids& urids, const void* buffer, uint32_t size,
                     orvalis::core::DisplaySnapshot* snapshot) {
  if (!buffer || !snapshot || size < sizeof(DisplayAtom)) return false;
  DisplayAtom a;
  std::memcpy(&a, buffer, sizeof a);
  const bool wellFormed =
      a.object.atom.type == urids.object &&
      a.object.atom.size == sizeof(DisplayAtom) - sizeof(LV2_Atom) &&
      a.object.body.otype == urids.displayType && a.property.key == urids.snapshotKey &&
      a.property.value.type == urids.vector &&
      a.property.value.size == sizeof(LV2_Atom_Vector_Body) + sizeof a.values &&
      a.vector.child_size == sizeof(float) && a.vector.child_type == urids.floatType;
  if (!wellFormed) return false;
  for (float& v : a.values)
    if (!std::isfinite(v)) v = 0.f;
  *snapshot = orvalis::core::DisplaySnapshot::fromFloats(a.values);
  return true;
}

}  // namespace orvalis::lv2
