#include "tests/support/vst3_host.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <algorithm>
#include <cstring>

namespace orvalis::tests {

using v3::tresult;

namespace {

template <class Interface>
tresult answerFor(Interface* self, const v3::TUID iid, void** object) {
  if (v3::sameId(iid, v3::FUnknown::iid) || v3::sameId(iid, Interface::iid)) {
    *object = self;
    return v3::kResultOk;
  }
  *object = nullptr;
  return v3::kNoInterface;
}

template <class Interface>
Interface* query(v3::FUnknown* from) {
  void* object = nullptr;
  if (!from || from->queryInterface(Interface::iid.bytes, &object) != v3::kResultOk) return nullptr;
  return static_cast<Interface*>(object);
}

}  // namespace

Vst3Module& Vst3Module::get() {
  static Vst3Module module;
  return module;
}

#if defined(_WIN32)
// The module's path is relative to the test program's folder, the build's top.
std::string Vst3Module::path() {
  char self[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string dir(self, n);
  dir.erase(dir.find_last_of("\\/") + 1);
  return dir + ORVALIS_VST3_MODULE;
}

Vst3Module::Vst3Module() {
  handle = LoadLibraryA(path().c_str());
  if (!handle) {
    reason = "cannot load " + path();
    return;
  }
  auto entry = reinterpret_cast<bool (*)()>(symbol("InitDll"));
  auto getFactory = reinterpret_cast<v3::IPluginFactory* (*)()>(symbol("GetPluginFactory"));
  if (!entry || !getFactory) {
    reason = "the module lacks InitDll or GetPluginFactory";
    return;
  }
  if (!entry()) {
    reason = "InitDll refused";
    return;
  }
  factory = getFactory();
}

void* Vst3Module::symbol(const char* name) const {
  return handle ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name))
                : nullptr;
}
#else
std::string Vst3Module::path() { return ORVALIS_VST3_MODULE; }

Vst3Module::Vst3Module() {
  handle = dlopen(path().c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    reason = dlerror();
    return;
  }
  auto entry = reinterpret_cast<bool (*)(void*)>(symbol("ModuleEntry"));
  auto getFactory = reinterpret_cast<v3::IPluginFactory* (*)()>(symbol("GetPluginFactory"));
  if (!entry || !getFactory) {
    reason = "the module lacks ModuleEntry or GetPluginFactory";
    return;
  }
  if (!entry(handle)) {
    reason = "ModuleEntry refused";
    return;
  }
  factory = getFactory();
}

void* Vst3Module::symbol(const char* name) const { return handle ? dlsym(handle, name) : nullptr; }
#endif

tresult MemoryStream::queryInterface(const v3::TUID iid, void** object) {
  return answerFor<v3::IBStream>(this, iid, object);
}

tresult MemoryStream::read(void* buffer, int32_t bytes, int32_t* bytesRead) {
  if (bytes < 0 || !buffer) return v3::kInvalidArgument;
  const int64_t left = static_cast<int64_t>(data.size()) - position;
  const auto n = static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(left, bytes)));
  if (n > 0) std::memcpy(buffer, data.data() + position, static_cast<std::size_t>(n));
  position += n;
  if (bytesRead) *bytesRead = n;
  return v3::kResultOk;
}

tresult MemoryStream::write(void* buffer, int32_t bytes, int32_t* written) {
  if (bytes < 0 || !buffer) return v3::kInvalidArgument;
  const auto end = static_cast<std::size_t>(position) + static_cast<std::size_t>(bytes);
  if (end > data.size()) data.resize(end);
  std::memcpy(data.data() + position, buffer, static_cast<std::size_t>(bytes));
  position += bytes;
  if (written) *written = bytes;
  return v3::kResultOk;
}

tresult MemoryStream::seek(int64_t to, int32_t mode, int64_t* result) {
  const int64_t base = mode == kIBSeekSet   ? 0
                       : mode == kIBSeekCur ? position
                                            : static_cast<int64_t>(data.size());
  if (base + to < 0) return v3::kInvalidArgument;
  position = base + to;
  if (result) *result = position;
  return v3::kResultOk;
}

tresult MemoryStream::tell(int64_t* at) {
  if (!at) return v3::kInvalidArgument;
  *at = position;
  return v3::kResultOk;
}

tresult ParamQueue::queryInterface(const v3::TUID iid, void** object) {
  return answerFor<v3::IParamValueQueue>(this, iid, object);
}

tresult ParamQueue::getPoint(int32_t index, int32_t& offset, v3::ParamValue& value) {
  if (index < 0 || index >= getPointCount()) return v3::kInvalidArgument;
  offset = points[static_cast<std::size_t>(index)].first;
  value = points[static_cast<std::size_t>(index)].second;
  return v3::kResultOk;
}

tresult ParamQueue::addPoint(int32_t offset, v3::ParamValue value, int32_t& index) {
  index = getPointCount();
  points.emplace_back(offset, value);
  return v3::kResultOk;
}

tresult ParamChanges::queryInterface(const v3::TUID iid, void** object) {
  return answerFor<v3::IParameterChanges>(this, iid, object);
}

v3::IParamValueQueue* ParamChanges::getParameterData(int32_t index) {
  if (index < 0 || index >= getParameterCount()) return nullptr;
  return &queues[static_cast<std::size_t>(index)];
}

v3::IParamValueQueue* ParamChanges::addParameterData(const v3::ParamID& id, int32_t& index) {
  for (std::size_t i = 0; i < queues.size(); ++i)
    if (queues[i].id == id) {
      index = static_cast<int32_t>(i);
      return &queues[i];
    }
  index = getParameterCount();
  queues.emplace_back(id);
  return &queues.back();
}

tresult EventList::queryInterface(const v3::TUID iid, void** object) {
  return answerFor<v3::IEventList>(this, iid, object);
}

tresult EventList::getEvent(int32_t index, v3::Event& event) {
  if (index < 0 || index >= getEventCount()) return v3::kInvalidArgument;
  event = events[static_cast<std::size_t>(index)];
  return v3::kResultOk;
}

tresult EventList::addEvent(v3::Event& event) {
  events.push_back(event);
  return v3::kResultOk;
}

tresult ComponentHandler::queryInterface(const v3::TUID iid, void** object) {
  return answerFor<v3::IComponentHandler>(this, iid, object);
}

tresult ComponentHandler::beginEdit(v3::ParamID id) {
  calls.push_back({'b', id, 0.0});
  return v3::kResultOk;
}

tresult ComponentHandler::performEdit(v3::ParamID id, v3::ParamValue value) {
  calls.push_back({'p', id, value});
  return v3::kResultOk;
}

tresult ComponentHandler::endEdit(v3::ParamID id) {
  calls.push_back({'e', id, 0.0});
  return v3::kResultOk;
}

tresult ComponentHandler::restartComponent(int32_t flags) {
  calls.push_back({'r', static_cast<uint32_t>(flags), 0.0});
  return v3::kResultOk;
}

Vst3Host::Vst3Host(double sampleRate, int32_t maxBlock) {
  v3::IPluginFactory* factory = Vst3Module::get().factory;
  if (!factory) return;
  v3::PClassInfo info{};
  if (factory->getClassInfo(0, &info) != v3::kResultOk) return;
  void* object = nullptr;
  if (factory->createInstance(info.cid, v3::IComponent::iid.bytes, &object) != v3::kResultOk)
    return;
  component = static_cast<v3::IComponent*>(object);
  processor = query<v3::IAudioProcessor>(component);
  controller = query<v3::IEditController>(component);
  midiMapping = query<v3::IMidiMapping>(component);
  units = query<v3::IUnitInfo>(component);
  // As one host does: the component and the controller, one object, each initialised.
  component->initialize(nullptr);
  if (controller) {
    controller->initialize(nullptr);
    controller->setComponentHandler(&handler);
  }
  if (processor) {
    v3::SpeakerArrangement stereo = v3::kStereo;
    processor->setBusArrangements(nullptr, 0, &stereo, 1);
    v3::ProcessSetup setup{v3::kRealtime, v3::kSample32, maxBlock, sampleRate};
    processor->setupProcessing(setup);
  }
  component->setActive(1);
  if (processor) processor->setProcessing(1);
}

Vst3Host::~Vst3Host() {
  if (!component) return;
  if (processor) processor->setProcessing(0);
  component->setActive(0);
  if (controller) {
    controller->setComponentHandler(nullptr);
    controller->terminate();
  }
  component->terminate();
  for (v3::FUnknown* face :
       {static_cast<v3::FUnknown*>(units), static_cast<v3::FUnknown*>(midiMapping),
        static_cast<v3::FUnknown*>(controller), static_cast<v3::FUnknown*>(processor)})
    if (face) face->release();
  component->release();
}

void Vst3Host::noteOn(int32_t offset, int key, float velocity, int channel) {
  v3::Event e{};
  e.sampleOffset = offset;
  e.type = v3::Event::kNoteOnEvent;
  e.noteOn = {static_cast<int16_t>(channel), static_cast<int16_t>(key), 0.f, velocity, 0, -1};
  events.addEvent(e);
}

void Vst3Host::noteOff(int32_t offset, int key, float velocity, int channel) {
  v3::Event e{};
  e.sampleOffset = offset;
  e.type = v3::Event::kNoteOffEvent;
  e.noteOff = {static_cast<int16_t>(channel), static_cast<int16_t>(key), velocity, -1, 0.f};
  events.addEvent(e);
}

void Vst3Host::parameter(int32_t offset, v3::ParamID id, double value) {
  int32_t index = 0;
  changes.addParameterData(id, index)->addPoint(offset, value, index);
}

bool Vst3Host::midiController(int32_t offset, int16_t number, int value, int channel) {
  v3::ParamID id = 0;
  if (!midiMapping || midiMapping->getMidiControllerAssignment(0, static_cast<int16_t>(channel),
                                                               number, id) != v3::kResultTrue)
    return false;
  // The normalised value as hosts make it.
  parameter(offset, id, number == v3::kPitchBend ? value / 16383.0 : value / 127.0);
  return true;
}

v3::tresult Vst3Host::process(std::vector<float>& left, std::vector<float>& right, int32_t frames) {
  blockLeft.assign(static_cast<std::size_t>(std::max(frames, 1)), 0.f);
  blockRight.assign(blockLeft.size(), 0.f);
  float* channels[2] = {blockLeft.data(), blockRight.data()};
  v3::AudioBusBuffers out{};
  out.numChannels = 2;
  out.channelBuffers32 = channels;
  v3::ProcessData data{};
  data.processMode = v3::kRealtime;
  data.symbolicSampleSize = v3::kSample32;
  data.numSamples = frames;
  data.numOutputs = 1;
  data.outputs = &out;
  data.inputParameterChanges = &changes;
  data.inputEvents = &events;
  const tresult r = processor->process(data);
  changes.queues.clear();
  events.events.clear();
  if (frames > 0) {
    left.insert(left.end(), blockLeft.begin(), blockLeft.begin() + frames);
    right.insert(right.end(), blockRight.begin(), blockRight.begin() + frames);
  }
  return r;
}

v3::tresult Vst3Host::flush() {
  std::vector<float> l, r;
  return process(l, r, 0);
}

std::vector<uint8_t> Vst3Host::saveState() {
  MemoryStream stream;
  if (component->getState(&stream) != v3::kResultOk) return {};
  return stream.data;
}

v3::tresult Vst3Host::loadState(const std::vector<uint8_t>& state) {
  MemoryStream stream(state);
  const tresult r = component->setState(&stream);
  if (r != v3::kResultOk) return r;
  MemoryStream again(state);
  return controller->setComponentState(&again);
}

std::string toUtf8(const char16_t* text) {
  std::string out;
  for (std::size_t i = 0; text && i < 128 && text[i]; ++i)
    out += text[i] < 128 ? static_cast<char>(text[i]) : '?';
  return out;
}

}  // namespace orvalis::tests
