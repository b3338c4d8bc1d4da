// The audio path allocates nothing and takes no lock: this test binary interposes the C
// allocator and the mutex entry, which the loaded plug-in resolves to as well, and counts the
// calls made on the audio thread while it renders.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <cstdlib>
#include <vector>

#include "tests/support/midi_builder.h"
#include "tests/support/test_host.h"

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
}

namespace {
thread_local bool watching = false;
std::atomic<int> allocatorCalls{0};
std::atomic<int> lockCalls{0};

void count(std::atomic<int>& calls) {
  if (watching) calls.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

extern "C" {
void* malloc(size_t size) {
  count(allocatorCalls);
  return __libc_malloc(size);
}
void* calloc(size_t n, size_t size) {
  count(allocatorCalls);
  return __libc_calloc(n, size);
}
void* realloc(void* p, size_t size) {
  count(allocatorCalls);
  return __libc_realloc(p, size);
}
void free(void* p) {
  if (p) count(allocatorCalls);
  __libc_free(p);
}
int pthread_mutex_lock(pthread_mutex_t* m) {
  count(lockCalls);
  using Lock = int (*)(pthread_mutex_t*);
  static Lock real = reinterpret_cast<Lock>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
  return real(m);
}
}

TEST(RealtimeSafetyTest, TheAudioThreadNeitherAllocatesNorLocks) {
  using orvalis::tests::MidiBuilder;
  orvalis::tests::TestHost host;
  std::vector<float> left(256), right(256);
  float* outs[2] = {left.data(), right.data()};
  for (int mode = 0; mode < 6; ++mode) {
    // Changes from the user-interface thread, handed to the audio thread.
    host.setParameter(28, mode / 5.f);
    host.dispatch(effSetProgram, 0, mode);
    host.dispatch(effSetSampleRate, 0, 0, nullptr, mode % 2 ? 48000.f : 44100.f);
    MidiBuilder midi;
    for (int k = 0; k < 10; ++k) midi.noteOn(k * 20, 40 + 3 * k, 30 + 9 * k);
    midi.pitchBend(30, 2000).controller(40, 1, 90).controller(200, 123, 0);
    VstEvents* events = midi.events();
    watching = true;
    host.sendEvents(events);
    for (int block = 0; block < 50; ++block) {
      host.effect->processReplacing(host.effect, nullptr, outs, 256);
      host.setParameter(block % 61, 0.37f);  // automation from the audio thread
    }
    host.effect->process(host.effect, nullptr, outs, 256);
    watching = false;
  }
  EXPECT_EQ(allocatorCalls.load(), 0);
  EXPECT_EQ(lockCalls.load(), 0);
}
