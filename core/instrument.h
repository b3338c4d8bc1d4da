// The instrument, whatever plug-in format carries it: parameters, the program bank, MIDI in,
// audio out, state, and what the editor shows. Host-facing calls may come from any thread; they
// store their value at once (later reads see it) and hand the engine's part to the audio thread,
// which applies it at the start of its next render, before any sample.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/display_snapshot.h"
#include "core/engine_handoff.h"
#include "core/shared_program.h"
#include "engine/synth_engine.h"
#include "params/program_record.h"

namespace orvalis {

class alignas(16) Instrument {
 public:
  static constexpr float kDefaultSampleRate = 44100.f;

  Instrument();
  Instrument(const Instrument&) = delete;
  Instrument& operator=(const Instrument&) = delete;

  // Parameters. Invalid indices and non-finite values are ignored; reads of invalid indices
  // give 0.
  void setParameter(int index, float value);
  float parameter(int index) const;
  // Empty for hidden or invalid indices.
  void parameterDisplay(int index, char* text, std::size_t capacity) const;

  // Programs. An invalid index changes nothing (and answers false where there is an answer).
  int currentProgram() const { return current.load(std::memory_order_relaxed); }
  void selectProgram(int program);
  void setProgramName(const char* name);
  // Writes the terminated name (kProgramNameSize bytes at most) into text.
  bool programName(int program, char* text) const;
  bool copyProgram(int destination);
  void copyToClipboard();
  void pasteFromClipboard();
  params::ProgramRecord program(int index) const;

  // Audio thread.
  void queueMidi(int32_t deltaFrames, uint8_t status, uint8_t data1, uint8_t data2);
  // Overwrites frames samples of both buffers.
  void render(float* left, float* right, int32_t frames);

  // Refused (false) for non-finite, non-positive or absurd rates.
  bool setSampleRate(float rate);
  float sampleRate() const { return hostRate.load(std::memory_order_relaxed); }
  // The host's announced block size; blocks of any length render all the same.
  void setBlockSize(int32_t frames) { blockSize.store(frames, std::memory_order_relaxed); }
  int32_t announcedBlockSize() const { return blockSize.load(std::memory_order_relaxed); }

  // The whole bank with names and the current program. A bad blob is refused whole with a
  // reason, and nothing changes.
  std::vector<uint8_t> saveState() const;
  bool loadState(const uint8_t* data, std::size_t size, std::string* why = nullptr);

  DisplaySnapshot display() const { return displayed.read(); }

  // For tests and tools that look inside: the engine as the audio thread left it.
  const SynthEngine& engine() const { return synth; }

 private:
  void applyPendingSteps();
  void loadProgramIntoEngine();
  void applyParameterToEngine(int index);
  void publishDisplay();

  // Host side.
  SharedProgram bank[params::kNumPrograms];
  SharedProgram clipboard;
  // The selected program's name as it was when selected: renaming changes the bank only, and a
  // copy to the clipboard takes this name.
  SharedProgram edit;
  std::atomic<int> current{0};
  std::atomic<float> hostRate{kDefaultSampleRate};
  std::atomic<int32_t> blockSize{1024};
  EngineHandoff handoff;
  DisplayPublisher displayed;

  // Audio side: the values the voices read, written only by the audio thread.
  alignas(16) float engineValues[params::kNumParams];
  SynthEngine synth;
};

}  // namespace orvalis
