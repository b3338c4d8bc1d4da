// The control-rate half of the voices, run once every 16 samples for every active voice.
#pragma once

namespace orvalis::engine {

struct KernelSet;
struct Voice;

// Voices 0 .. count - 1, with the filter designs of all of them done together by the set's
// design loop.
void updateVoiceControl(Voice* voices, int count, const KernelSet& kernels);
// One voice, with the loops chosen at load.
void updateVoiceControl(Voice& v);

}  // namespace orvalis::engine
