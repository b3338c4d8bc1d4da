// The four specialised sample loops of the audio callback, one per oscillator family. Each
// renders one run of samples between two control ticks for one voice, adding the voice's output
// pair into the buffers.
#pragma once

struct Voice;

void renderPulseSaw(Voice& v, float* left, float* right, int frames);    // modes 0, 1
void renderSync(Voice& v, float* left, float* right, int frames);        // mode 2
void renderPhaseMod(Voice& v, float* left, float* right, int frames);    // modes 3, 4
void renderWaveTable(Voice& v, float* left, float* right, int frames);   // mode 5, mono sum
