#include "tests/support/test_host.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstdio>
#include <mutex>
#include <new>

#include "plugin/corvina.h"

namespace testing_host {

namespace {
// The callback receives a null effect during the entry's version query, so the host being
// created is found through this while VSTPluginMain runs.
thread_local TestHost* creating = nullptr;
}  // namespace

#if defined(_WIN32)
PluginLibrary::PluginLibrary(const std::string& path) {
  handle = LoadLibraryA(path.c_str());
  if (!handle) {
    std::fprintf(stderr, "LoadLibrary %s: error %lu\n", path.c_str(), GetLastError());
    return;
  }
  auto module = static_cast<HMODULE>(handle);
  entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "VSTPluginMain")));
  mainEntry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "main")));
}

PluginLibrary::~PluginLibrary() {
  if (handle) FreeLibrary(static_cast<HMODULE>(handle));
}
#else
PluginLibrary::PluginLibrary(const std::string& path) {
  handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    std::fprintf(stderr, "dlopen %s: %s\n", path.c_str(), dlerror());
    return;
  }
  entry = reinterpret_cast<Entry>(dlsym(handle, "VSTPluginMain"));
  mainEntry = reinterpret_cast<Entry>(dlsym(handle, "main"));
}

PluginLibrary::~PluginLibrary() {
  if (handle) dlclose(handle);
}
#endif

PluginLibrary& TestHost::library() {
  static PluginLibrary lib;
  return lib;
}

TestHost::TestHost(int32_t version, Linkage how) : hostVersion(version), linkage(how) {
  creating = this;
  if (linkage == Linkage::InProcess) {
    if (Corvina* instance = new (std::nothrow) Corvina(&TestHost::callback))
      effect = instance->getAeffect();
  } else if (library().entry) {
    effect = library().entry(&TestHost::callback);
  }
  creating = nullptr;
  if (effect) effect->user = this;
}

TestHost::~TestHost() { close(); }

void TestHost::close() {
  if (effect) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.f);
  effect = nullptr;
}

intptr_t TestHost::callback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                            void* ptr, float opt) {
  (void)ptr;
  TestHost* host = effect && effect->user ? static_cast<TestHost*>(effect->user) : creating;
  if (!host) return 0;
  host->calls.push_back({opcode, index, value, opt});
  switch (opcode) {
    case audioMasterVersion:
      return host->hostVersion;
    case audioMasterGetSampleRate:
      return 44100;
    default:
      return 0;
  }
}

intptr_t TestHost::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string TestHost::parameterText(int32_t opcode, int32_t index) {
  char text[256];
  for (char& c : text) c = '#';
  text[255] = 0;
  dispatch(opcode, index, 0, text);
  return text;
}

void TestHost::render(std::vector<float>& left, std::vector<float>& right, int32_t frames) {
  left.assign(frames > 0 ? frames : 0, 0.f);
  right.assign(frames > 0 ? frames : 0, 0.f);
  float* outs[2] = {left.data(), right.data()};
  effect->processReplacing(effect, nullptr, outs, frames);
}

void TestHost::renderBlocks(std::vector<float>& left, std::vector<float>& right, int32_t total,
                            int32_t block) {
  std::vector<float> l, r;
  for (int32_t done = 0; done < total; done += block) {
    const int32_t n = total - done < block ? total - done : block;
    render(l, r, n);
    left.insert(left.end(), l.begin(), l.end());
    right.insert(right.end(), r.begin(), r.end());
  }
}

int TestHost::countCalls(int32_t opcode) const {
  int n = 0;
  for (const HostCall& c : calls) n += c.opcode == opcode;
  return n;
}

}  // namespace testing_host
