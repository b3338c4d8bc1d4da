#include "tests/support/test_host.h"

#include <new>

#include "plugin/corvina.h"

namespace orvalis::tests {

namespace {
AEffect* inProcessEntry(audioMasterCallback callback) {
  orvalis::vst2::Corvina* instance = new (std::nothrow) orvalis::vst2::Corvina(callback);
  return instance ? instance->getAeffect() : nullptr;
}
}  // namespace

PluginLibrary& TestHost::library() {
  static PluginLibrary lib(ORVALIS_PLUGIN_PATH);
  return lib;
}

TestHost::TestHost(int32_t version, Linkage how) : PluginHost(version), linkage(how) {
  std::string refused;  // a null record is what the tests look at
  create(linkage == Linkage::InProcess ? &inProcessEntry : library().entry, refused);
}

// Closed here, while the calls it makes can still be recorded.
TestHost::~TestHost() { close(); }

intptr_t TestHost::answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  calls.push_back({opcode, index, value, opt});
  return PluginHost::answer(opcode, index, value, ptr, opt);
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

}  // namespace orvalis::tests
