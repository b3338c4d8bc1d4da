#include "core/block_events.h"

namespace orvalis::core {

void BlockEvents::arrange(int32_t frames) {
  const int32_t last = frames > 0 ? frames - 1 : 0;
  for (int i = 0; i < count; ++i) {
    int32_t& at = events[i].offset;
    at = at < 0 ? 0 : (at > last ? last : at);
  }
  // Insertion sort: stable, allocation-free, and linear for the usual already-ordered block.
  for (int i = 1; i < count; ++i) {
    const BlockEvent e = events[i];
    int j = i;
    while (j > 0 && events[j - 1].offset > e.offset) {
      events[j] = events[j - 1];
      --j;
    }
    events[j] = e;
  }
}

}  // namespace orvalis::core
