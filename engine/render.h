// The four specialised sample loops of the audio callback, one per oscillator family. Each
// renders one run of samples between two control ticks for voices 0 .. count - 1 and adds their
// output pairs into the buffers, voice after voice in index order.
#pragma once

namespace orvalis {

struct Voice;

void renderPulseSaw(Voice* voices, int count, float* left, float* right, int frames);   // 0, 1
void renderSync(Voice* voices, int count, float* left, float* right, int frames);       // 2
void renderPhaseMod(Voice* voices, int count, float* left, float* right, int frames);   // 3, 4
void renderWaveTable(Voice* voices, int count, float* left, float* right, int frames);  // 5

}  // namespace orvalis
