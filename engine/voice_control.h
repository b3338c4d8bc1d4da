// The control-rate half of a voice, run once every 16 samples for every active voice.
#pragma once

namespace orvalis {

struct Voice;

void updateVoiceControl(Voice& v);

}  // namespace orvalis
