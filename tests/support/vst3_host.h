// A small VST 3 host for tests: loads the built bundle's module with dlopen, makes instances
// through its factory, and gives them what a host gives: a component handler that records its
// calls, byte streams for state, event lists and parameter-change queues with sample offsets.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "vst3/abi_controller.h"
#include "vst3/abi_view.h"

namespace orvalis::tests {

namespace v3 = orvalis::vst3;

// The bundle's module, loaded once for the whole test program.
class Vst3Module {
 public:
  static Vst3Module& get();
  bool loaded() const { return factory != nullptr; }
  const std::string& error() const { return reason; }
  // The module's own symbol, or null.
  void* symbol(const char* name) const;
  // Where the built module is.
  static std::string path();
  v3::IPluginFactory* factory = nullptr;

 private:
  Vst3Module();
  void* handle = nullptr;
  std::string reason;
};

// An in-memory IBStream, as hosts keep states.
class MemoryStream final : public v3::IBStream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<uint8_t> bytes) : data(std::move(bytes)) {}
  v3::tresult ORVALIS_VST3_CALL queryInterface(const v3::TUID iid, void** object) override;
  uint32_t ORVALIS_VST3_CALL addRef() override { return 1; }
  uint32_t ORVALIS_VST3_CALL release() override { return 1; }
  v3::tresult ORVALIS_VST3_CALL read(void* buffer, int32_t bytes, int32_t* bytesRead) override;
  v3::tresult ORVALIS_VST3_CALL write(void* buffer, int32_t bytes, int32_t* written) override;
  v3::tresult ORVALIS_VST3_CALL seek(int64_t position, int32_t mode, int64_t* result) override;
  v3::tresult ORVALIS_VST3_CALL tell(int64_t* position) override;
  std::vector<uint8_t> data;
  int64_t position = 0;
};

class ParamQueue final : public v3::IParamValueQueue {
 public:
  explicit ParamQueue(v3::ParamID id) : id(id) {}
  v3::tresult ORVALIS_VST3_CALL queryInterface(const v3::TUID iid, void** object) override;
  uint32_t ORVALIS_VST3_CALL addRef() override { return 1; }
  uint32_t ORVALIS_VST3_CALL release() override { return 1; }
  v3::ParamID ORVALIS_VST3_CALL getParameterId() override { return id; }
  int32_t ORVALIS_VST3_CALL getPointCount() override { return static_cast<int32_t>(points.size()); }
  v3::tresult ORVALIS_VST3_CALL getPoint(int32_t index, int32_t& offset,
                                         v3::ParamValue& value) override;
  v3::tresult ORVALIS_VST3_CALL addPoint(int32_t offset, v3::ParamValue value,
                                         int32_t& index) override;
  v3::ParamID id;
  std::vector<std::pair<int32_t, double>> points;
};

class ParamChanges final : public v3::IParameterChanges {
 public:
  v3::tresult ORVALIS_VST3_CALL queryInterface(const v3::TUID iid, void** object) override;
  uint32_t ORVALIS_VST3_CALL addRef() override { return 1; }
  uint32_t ORVALIS_VST3_CALL release() override { return 1; }
  int32_t ORVALIS_VST3_CALL getParameterCount() override {
    return static_cast<int32_t>(queues.size());
  }
  v3::IParamValueQueue* ORVALIS_VST3_CALL getParameterData(int32_t index) override;
  v3::IParamValueQueue* ORVALIS_VST3_CALL addParameterData(const v3::ParamID& id,
                                                           int32_t& index) override;
  std::vector<ParamQueue> queues;
};

class EventList final : public v3::IEventList {
 public:
  v3::tresult ORVALIS_VST3_CALL queryInterface(const v3::TUID iid, void** object) override;
  uint32_t ORVALIS_VST3_CALL addRef() override { return 1; }
  uint32_t ORVALIS_VST3_CALL release() override { return 1; }
  int32_t ORVALIS_VST3_CALL getEventCount() override { return static_cast<int32_t>(events.size()); }
  v3::tresult ORVALIS_VST3_CALL getEvent(int32_t index, v3::Event& event) override;
  v3::tresult ORVALIS_VST3_CALL addEvent(v3::Event& event) override;
  std::vector<v3::Event> events;
};

struct HandlerCall {
  char kind;  // 'b'egin, 'p'erform, 'e'nd, 'r'estart
  uint32_t id;
  double value;
};

class ComponentHandler final : public v3::IComponentHandler {
 public:
  v3::tresult ORVALIS_VST3_CALL queryInterface(const v3::TUID iid, void** object) override;
  uint32_t ORVALIS_VST3_CALL addRef() override { return ++references; }
  uint32_t ORVALIS_VST3_CALL release() override { return --references; }
  v3::tresult ORVALIS_VST3_CALL beginEdit(v3::ParamID id) override;
  v3::tresult ORVALIS_VST3_CALL performEdit(v3::ParamID id, v3::ParamValue value) override;
  v3::tresult ORVALIS_VST3_CALL endEdit(v3::ParamID id) override;
  v3::tresult ORVALIS_VST3_CALL restartComponent(int32_t flags) override;
  std::vector<HandlerCall> calls;
  uint32_t references = 1;
};

// One instance through the factory, initialised twice as some hosts do.
class Vst3Host {
 public:
  static constexpr int32_t kMaxBlock = 4096;

  explicit Vst3Host(double sampleRate = 44100.0, int32_t maxBlock = kMaxBlock);
  ~Vst3Host();
  Vst3Host(const Vst3Host&) = delete;
  Vst3Host& operator=(const Vst3Host&) = delete;

  bool loaded() const { return component && processor && controller; }

  // For the next process() call.
  void noteOn(int32_t offset, int key, float velocity, int channel = 0);
  void noteOff(int32_t offset, int key, float velocity = 0.f, int channel = 0);
  void parameter(int32_t offset, v3::ParamID id, double value);
  // A MIDI controller (0..127, or pitch bend as 129 with 0..16383) the way hosts send one: as
  // a change of the parameter the plug-in maps it to. False when it maps none.
  bool midiController(int32_t offset, int16_t controller, int value, int channel = 0);

  // One block of frames (at most kMaxBlock), appended to left and right.
  v3::tresult process(std::vector<float>& left, std::vector<float>& right, int32_t frames);
  // A block of no samples with the pending changes.
  v3::tresult flush();

  std::vector<uint8_t> saveState();
  v3::tresult loadState(const std::vector<uint8_t>& state);

  v3::IComponent* component = nullptr;
  v3::IAudioProcessor* processor = nullptr;
  v3::IEditController* controller = nullptr;
  v3::IMidiMapping* midiMapping = nullptr;
  v3::IUnitInfo* units = nullptr;
  ComponentHandler handler;

 private:
  ParamChanges changes;
  EventList events;
  std::vector<float> blockLeft, blockRight;
};

std::string toUtf8(const char16_t* text);

}  // namespace orvalis::tests
