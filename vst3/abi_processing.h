// The published VST 3 binary interface, processing part: the component with its buses, the
// audio processor, process data, events and parameter-change queues. Our own declarations,
// only what the adapter and our test host use.
#pragma once

#include "vst3/abi_base.h"

namespace orvalis::vst3 {

using ParamID = uint32_t;
using ParamValue = double;
using SpeakerArrangement = uint64_t;
using MediaType = int32_t;
using BusDirection = int32_t;

enum : int32_t { kAudio = 0, kEvent = 1 };
enum : int32_t { kInput = 0, kOutput = 1 };
enum : int32_t { kMain = 0, kAux = 1 };
enum : int32_t { kSample32 = 0, kSample64 = 1 };
enum : int32_t { kRealtime = 0, kPrefetch = 1, kOffline = 2 };
constexpr SpeakerArrangement kStereo = 0x3;  // left and right

struct BusInfo {
  enum : uint32_t { kDefaultActive = 1 << 0 };
  MediaType mediaType;
  BusDirection direction;
  int32_t channelCount;
  String128 name;
  int32_t busType;
  uint32_t flags;
};

struct RoutingInfo {
  MediaType mediaType;
  int32_t busIndex;
  int32_t channel;
};

class IComponent : public IPluginBase {
 public:
  virtual tresult ORVALIS_VST3_CALL getControllerClassId(TUID classId) = 0;
  virtual tresult ORVALIS_VST3_CALL setIoMode(int32_t mode) = 0;
  virtual int32_t ORVALIS_VST3_CALL getBusCount(MediaType type, BusDirection direction) = 0;
  virtual tresult ORVALIS_VST3_CALL getBusInfo(MediaType type, BusDirection direction,
                                               int32_t index, BusInfo& bus) = 0;
  virtual tresult ORVALIS_VST3_CALL getRoutingInfo(RoutingInfo& in, RoutingInfo& out) = 0;
  virtual tresult ORVALIS_VST3_CALL activateBus(MediaType type, BusDirection direction,
                                                int32_t index, TBool state) = 0;
  virtual tresult ORVALIS_VST3_CALL setActive(TBool state) = 0;
  virtual tresult ORVALIS_VST3_CALL setState(IBStream* state) = 0;
  virtual tresult ORVALIS_VST3_CALL getState(IBStream* state) = 0;
  static constexpr Uid iid{0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802};

 protected:
  ~IComponent() = default;
};

struct ProcessSetup {
  int32_t processMode;
  int32_t symbolicSampleSize;
  int32_t maxSamplesPerBlock;
  double sampleRate;
};

struct AudioBusBuffers {
  int32_t numChannels;
  uint64_t silenceFlags;
  union {
    float** channelBuffers32;
    double** channelBuffers64;
  };
};

struct NoteOnEvent {
  int16_t channel;
  int16_t pitch;
  float tuning;
  float velocity;
  int32_t length;
  int32_t noteId;
};

struct NoteOffEvent {
  int16_t channel;
  int16_t pitch;
  float velocity;
  int32_t noteId;
  float tuning;
};

struct DataEvent {
  uint32_t size;
  uint32_t type;
  const uint8_t* bytes;
};

// The larger event records, present so that the union has its published size.
struct NoteExpressionTextEvent {
  uint32_t typeId;
  int32_t noteId;
  uint32_t textLen;
  const char16* text;
};

struct NoteExpressionValueEvent {
  uint32_t typeId;
  int32_t noteId;
  double value;
};

struct Event {
  enum : uint16_t { kNoteOnEvent = 0, kNoteOffEvent = 1, kDataEvent = 2 };
  int32_t busIndex;
  int32_t sampleOffset;
  double ppqPosition;
  uint16_t flags;
  uint16_t type;
  union {
    NoteOnEvent noteOn;
    NoteOffEvent noteOff;
    DataEvent data;
    NoteExpressionValueEvent noteExpressionValue;
    NoteExpressionTextEvent noteExpressionText;
  };
};

class IEventList : public FUnknown {
 public:
  virtual int32_t ORVALIS_VST3_CALL getEventCount() = 0;
  virtual tresult ORVALIS_VST3_CALL getEvent(int32_t index, Event& event) = 0;
  virtual tresult ORVALIS_VST3_CALL addEvent(Event& event) = 0;
  static constexpr Uid iid{0x3A2C4214, 0x346349FE, 0xB2C4F397, 0xB9695A44};

 protected:
  ~IEventList() = default;
};

class IParamValueQueue : public FUnknown {
 public:
  virtual ParamID ORVALIS_VST3_CALL getParameterId() = 0;
  virtual int32_t ORVALIS_VST3_CALL getPointCount() = 0;
  virtual tresult ORVALIS_VST3_CALL getPoint(int32_t index, int32_t& sampleOffset,
                                             ParamValue& value) = 0;
  virtual tresult ORVALIS_VST3_CALL addPoint(int32_t sampleOffset, ParamValue value,
                                             int32_t& index) = 0;
  static constexpr Uid iid{0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA};

 protected:
  ~IParamValueQueue() = default;
};

class IParameterChanges : public FUnknown {
 public:
  virtual int32_t ORVALIS_VST3_CALL getParameterCount() = 0;
  virtual IParamValueQueue* ORVALIS_VST3_CALL getParameterData(int32_t index) = 0;
  virtual IParamValueQueue* ORVALIS_VST3_CALL addParameterData(const ParamID& id,
                                                               int32_t& index) = 0;
  static constexpr Uid iid{0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D};

 protected:
  ~IParameterChanges() = default;
};

struct ProcessContext;  // read by no one here

struct ProcessData {
  int32_t processMode;
  int32_t symbolicSampleSize;
  int32_t numSamples;
  int32_t numInputs;
  int32_t numOutputs;
  AudioBusBuffers* inputs;
  AudioBusBuffers* outputs;
  IParameterChanges* inputParameterChanges;
  IParameterChanges* outputParameterChanges;
  IEventList* inputEvents;
  IEventList* outputEvents;
  ProcessContext* processContext;
};

class IAudioProcessor : public FUnknown {
 public:
  virtual tresult ORVALIS_VST3_CALL setBusArrangements(SpeakerArrangement* inputs, int32_t numIns,
                                                       SpeakerArrangement* outputs,
                                                       int32_t numOuts) = 0;
  virtual tresult ORVALIS_VST3_CALL getBusArrangement(BusDirection direction, int32_t index,
                                                      SpeakerArrangement& arrangement) = 0;
  virtual tresult ORVALIS_VST3_CALL canProcessSampleSize(int32_t symbolicSampleSize) = 0;
  virtual uint32_t ORVALIS_VST3_CALL getLatencySamples() = 0;
  virtual tresult ORVALIS_VST3_CALL setupProcessing(ProcessSetup& setup) = 0;
  virtual tresult ORVALIS_VST3_CALL setProcessing(TBool state) = 0;
  virtual tresult ORVALIS_VST3_CALL process(ProcessData& data) = 0;
  virtual uint32_t ORVALIS_VST3_CALL getTailSamples() = 0;
  static constexpr Uid iid{0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D};

 protected:
  ~IAudioProcessor() = default;
};

static_assert(sizeof(BusInfo) == 276, "BusInfo layout");
static_assert(offsetof(ProcessSetup, sampleRate) == 16 && sizeof(ProcessSetup) == 24,
              "ProcessSetup layout (8-byte alignment of the rate on every target)");
static_assert(offsetof(AudioBusBuffers, silenceFlags) == 8 && sizeof(AudioBusBuffers) == 24,
              "AudioBusBuffers layout");
static_assert(sizeof(NoteOnEvent) == 20 && sizeof(NoteOffEvent) == 16, "note event layout");
static_assert(offsetof(Event, flags) == 16 && offsetof(Event, type) == 18 &&
                  offsetof(Event, noteOn) == 24 && sizeof(Event) == 48,
              "Event layout");
static_assert(offsetof(ProcessData, inputs) == (sizeof(void*) == 8 ? 24 : 20) &&
                  sizeof(ProcessData) == (sizeof(void*) == 8 ? 80 : 48),
              "ProcessData layout");

}  // namespace orvalis::vst3
