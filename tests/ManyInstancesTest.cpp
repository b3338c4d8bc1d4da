// Many instances of the loaded library in one process, as a large session has them: editors
// opened, idled and closed on two GUI threads of their own while other instances render on two
// audio threads and a third host thread changes their rate and parameters. Run in the sanitizer
// builds too (make check-asan, check-tsan), where any race or bad access is a report.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/editor_scale.h"
#include "tests/support/test_host.h"

namespace {

using orvalis::host::PluginHost;

constexpr int kEditorThreads = 2;
constexpr int kEditorsPerThread = 2;
constexpr int kAudioThreads = 2;
constexpr int kRenderersPerThread = 2;
constexpr int kEditorCycles = 4;
constexpr int kBlock = 128;

std::unique_ptr<PluginHost> makeInstance() {
  auto host = std::make_unique<PluginHost>();
  std::string error;
  if (!host->create(orvalis::tests::TestHost::library().hostEntry(), error)) return nullptr;
  host->start(44100.f, kBlock);
  return host;
}

}  // namespace

TEST(ManyInstances, EditorsOnTwoGuiThreadsWhileOthersRender) {
  ASSERT_TRUE(orvalis::tests::TestHost::library().loaded());
  std::vector<std::unique_ptr<PluginHost>> editors, renderers;
  for (int i = 0; i < kEditorThreads * kEditorsPerThread; ++i) editors.push_back(makeInstance());
  for (int i = 0; i < kAudioThreads * kRenderersPerThread; ++i) renderers.push_back(makeInstance());
  for (const auto& h : editors) ASSERT_NE(h, nullptr);
  for (const auto& h : renderers) ASSERT_NE(h, nullptr);

  std::atomic<int> editorsRunning{kEditorThreads};
  std::atomic<bool> badSample{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kEditorThreads; ++t)
    threads.emplace_back([&, t] {
      for (int cycle = 0; cycle < kEditorCycles; ++cycle)
        for (int i = 0; i < kEditorsPerThread; ++i) {
          PluginHost& h = *editors[t * kEditorsPerThread + i];
          // Alternate scales, so that both shared panel images are taken and let go.
          const float scale = (cycle + i) % 2 ? 2.f : 1.f;
          h.dispatch(effVendorSpecific, orvalis::tests::kHostScaleIndex,
                     orvalis::tests::kHostScaleValue, nullptr, scale);
          h.dispatch(effEditOpen);
          h.dispatch(effSetEditKnobMode, 0, cycle % 3);
          h.setParameter((cycle * 7 + i) % h.numParams(), 0.5f);
          h.dispatch(effEditIdle);
          h.dispatch(effEditClose);
        }
      editorsRunning.fetch_sub(1);
    });
  for (int t = 0; t < kAudioThreads; ++t)
    threads.emplace_back([&, t] {
      std::vector<float> left(kBlock), right(kBlock);
      std::vector<VstMidiEvent> notes(1);
      notes[0].type = kVstMidiType;
      notes[0].byteSize = sizeof(VstMidiEvent);
      int block = 0;
      while (editorsRunning.load() > 0 || block < 50) {
        for (int i = 0; i < kRenderersPerThread; ++i) {
          PluginHost& h = *renderers[t * kRenderersPerThread + i];
          if (block % 20 == 0) {
            notes[0].midiData[0] = static_cast<char>(0x90);
            notes[0].midiData[1] = static_cast<char>(48 + (block / 20) % 24);
            notes[0].midiData[2] = 100;
            h.sendMidi(notes);
          }
          h.process(left.data(), right.data(), kBlock);
          for (int s = 0; s < kBlock; ++s)
            if (!std::isfinite(left[s]) || !std::isfinite(right[s])) badSample = true;
        }
        ++block;
      }
    });
  // The host's own thread changes what the audio threads render: rates and parameters.
  threads.emplace_back([&] {
    const float rates[] = {44100.f, 48000.f, 96000.f};
    for (int n = 0; editorsRunning.load() > 0; ++n)
      for (auto& h : renderers) {
        h->dispatch(effSetSampleRate, 0, 0, nullptr, rates[n % 3]);
        h->setParameter(n % h->numParams(), static_cast<float>(n % 11) / 10.f);
        std::this_thread::yield();
      }
  });
  for (std::thread& t : threads) t.join();
  EXPECT_FALSE(badSample.load());
}
