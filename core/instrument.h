// The instrument, whatever plug-in format carries it: parameters, the program bank, MIDI and
// note events in, audio out, state, and what the editor shows. Every format adapter maps its
// calls onto this class and decides nothing it decides.
//
// Threads:
// - Host-side calls (parameters, programs and their names, the clipboard, the sample rate and
//   block size, state) may come from any thread, several at once. Each stores its value at once,
//   so later reads see it, and hands the engine's part to the audio thread, which applies it at
//   the start of its next render(), before any sample.
// - The audio thread alone calls render() and the event calls before it (queueMidi, noteOn,
//   noteOff, pitchBend, controller, midi, parameterAt): they take effect in that render() call.
//   None of them allocates, locks or makes a system call.
// - display() may be read from any thread: it is the snapshot the audio thread last published.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/block_events.h"
#include "core/display_snapshot.h"
#include "core/engine_handoff.h"
#include "core/shared_program.h"
#include "engine/synth_engine.h"
#include "params/program_record.h"

namespace orvalis::core {

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
  // The 128 factory sounds in place of the bank, program 0 selected: how a fresh instance of
  // every format but VST 2 (which keeps 128 "Basique") starts. The clipboard stays as it is.
  void loadFactoryBank();

  // Audio thread: the VST 2 way, a MIDI message queued in the engine at once. An offset past
  // the block is held over to the block it falls in.
  void queueMidi(int32_t deltaFrames, uint8_t status, uint8_t data1, uint8_t data2);

  // Audio thread: events for the next render() call at frame offsets into that block, clamped
  // into it. Every channel (0..15) sounds alike, and the engine hears MIDI as it always has:
  // note on and off, pitch bend, controllers 1 (wheel) and 123 (all notes off).
  // velocity: 0..1; a velocity v/127 sounds exactly as MIDI velocity v, and 0 is a note off.
  void noteOn(int32_t offset, int channel, int key, float velocity);
  void noteOff(int32_t offset, int channel, int key, float velocity);
  // value: 14 bits, 0..16383, centred at 8192.
  void pitchBend(int32_t offset, int channel, int value);
  // value: 0..127.
  void controller(int32_t offset, int channel, int number, int value);
  // One short MIDI message, status byte first. System messages, data without a status and
  // messages shorter than their status asks for are dropped.
  void midi(int32_t offset, const uint8_t* bytes, std::size_t size);
  // A parameter change inside the next block: render() splits the block at offset and applies
  // it there exactly as a setParameter() between two blocks is applied, so it is heard from the
  // first control boundary at or after offset; the 16-sample grid does not move. Invalid
  // indices and non-finite values are ignored.
  void parameterAt(int32_t offset, int index, float value);

  // Overwrites frames samples of both buffers. A block of 0 frames renders nothing but applies
  // what is pending: parameter changes at once, events from the next block on.
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
  const engine::SynthEngine& engine() const { return synth; }

 private:
  void applyPendingSteps();
  void loadProgramIntoEngine();
  void applyParameterToEngine(int index);
  void publishDisplay();
  void forwardEvents();
  void renderSplit(float* left, float* right, int32_t frames);
  void applyParameterNow(int index, float value);

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

  // Audio side: the events of the coming block.
  BlockEvents pending;

  // Audio side: the values the voices read, written only by the audio thread.
  alignas(16) float engineValues[params::kNumParams];
  engine::SynthEngine synth;
};

}  // namespace orvalis::core
