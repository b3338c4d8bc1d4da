// The control-rate half of a voice, run once every 16 samples for every active voice.
#pragma once

struct Voice;

void updateVoiceControl(Voice& v);
