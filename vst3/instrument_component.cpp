#include "vst3/instrument_component.h"

#include <new>
#include <vector>

#include "core/state_blob.h"
#include "vst3/parameters.h"
#include "vst3/plug_view.h"
#include "vst3/state_stream.h"
#include "vst3/text16.h"

namespace orvalis::vst3 {

namespace {

// A state stream longer than the core's blob cannot be one: reading stops there.
constexpr std::size_t kStateLimit = core::kStateSize;

}  // namespace

InstrumentComponent* InstrumentComponent::create() {
  auto* instance = new (std::nothrow) InstrumentComponent();
  if (instance) instance->core.loadFactoryBank();
  return instance;
}

InstrumentComponent::InstrumentComponent() = default;

InstrumentComponent::~InstrumentComponent() {
  if (handler) handler->release();
}

tresult InstrumentComponent::queryInterface(const TUID iid, void** object) {
  if (!object) return kInvalidArgument;
  void* face = nullptr;
  if (sameId(iid, FUnknown::iid) || sameId(iid, IPluginBase::iid) || sameId(iid, IComponent::iid))
    face = static_cast<IComponent*>(this);
  else if (sameId(iid, IAudioProcessor::iid))
    face = static_cast<IAudioProcessor*>(this);
  else if (sameId(iid, IEditController::iid))
    face = static_cast<IEditController*>(this);
  else if (sameId(iid, IMidiMapping::iid))
    face = static_cast<IMidiMapping*>(this);
  else if (sameId(iid, IUnitInfo::iid))
    face = static_cast<IUnitInfo*>(this);
  *object = face;
  if (!face) return kNoInterface;
  addRef();
  return kResultOk;
}

uint32_t InstrumentComponent::addRef() {
  return references.fetch_add(1, std::memory_order_relaxed) + 1;
}

uint32_t InstrumentComponent::release() {
  const uint32_t left = references.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) delete this;
  return left;
}

// Hosts initialise the component and then the controller, one object here, and terminate both:
// every call succeeds.
tresult InstrumentComponent::initialize(FUnknown*) { return kResultOk; }

tresult InstrumentComponent::terminate() {
  setComponentHandler(nullptr);
  return kResultOk;
}

tresult InstrumentComponent::getControllerClassId(TUID) {
  // No separate controller: hosts then ask this object for IEditController.
  return kNotImplemented;
}

tresult InstrumentComponent::setIoMode(int32_t) { return kResultOk; }

int32_t InstrumentComponent::getBusCount(MediaType type, BusDirection direction) {
  if (type == kAudio) return direction == kOutput ? 1 : 0;
  if (type == kEvent) return direction == kInput ? 1 : 0;
  return 0;
}

tresult InstrumentComponent::getBusInfo(MediaType type, BusDirection direction, int32_t index,
                                        BusInfo& bus) {
  if (index != 0 || getBusCount(type, direction) == 0) return kInvalidArgument;
  std::memset(&bus, 0, sizeof bus);
  bus.mediaType = type;
  bus.direction = direction;
  bus.channelCount = type == kAudio ? 2 : 16;
  copyText16(bus.name, type == kAudio ? "Stereo Out" : "MIDI In");
  bus.busType = kMain;
  bus.flags = BusInfo::kDefaultActive;
  return kResultOk;
}

tresult InstrumentComponent::getRoutingInfo(RoutingInfo&, RoutingInfo&) { return kNotImplemented; }

tresult InstrumentComponent::activateBus(MediaType type, BusDirection direction, int32_t index,
                                         TBool) {
  return index == 0 && getBusCount(type, direction) == 1 ? kResultOk : kInvalidArgument;
}

// The core keeps no running state to start or stop: a host may process without activating,
// and hosts toggle both around exports (one from its audio thread); held notes are released by
// the host's own note offs.
tresult InstrumentComponent::setActive(TBool) { return kResultOk; }

tresult InstrumentComponent::setBusArrangements(SpeakerArrangement*, int32_t numIns,
                                                SpeakerArrangement* outputs, int32_t numOuts) {
  // Only the layout we have: no inputs, one stereo output.
  return numIns == 0 && numOuts == 1 && outputs && outputs[0] == kStereo ? kResultOk : kResultFalse;
}

tresult InstrumentComponent::getBusArrangement(BusDirection direction, int32_t index,
                                               SpeakerArrangement& arrangement) {
  if (direction != kOutput || index != 0) return kInvalidArgument;
  arrangement = kStereo;
  return kResultOk;
}

tresult InstrumentComponent::canProcessSampleSize(int32_t symbolicSampleSize) {
  return symbolicSampleSize == kSample32 ? kResultOk : kResultFalse;
}

tresult InstrumentComponent::setupProcessing(ProcessSetup& setup) {
  if (setup.symbolicSampleSize != kSample32) return kResultFalse;
  if (!core.setSampleRate(static_cast<float>(setup.sampleRate))) return kInvalidArgument;
  if (setup.maxSamplesPerBlock > 0) core.setBlockSize(setup.maxSamplesPerBlock);
  return kResultOk;
}

tresult InstrumentComponent::setProcessing(TBool) { return kResultOk; }

void InstrumentComponent::applyChange(ParamID id, int32_t offset, ParamValue value) {
  if (id < static_cast<ParamID>(params::kNumParams)) {
    core.parameterAt(offset, static_cast<int>(id), static_cast<float>(value));
  } else if (id == kModWheelParam) {
    modWheel.store(static_cast<float>(value), std::memory_order_relaxed);
    core.controller(offset, 0, kCtrlModWheel, controllerValue(id, value));
  } else if (id == kAllNotesOffParam) {
    core.controller(offset, 0, kCtrlAllNotesOff, controllerValue(id, value));
  } else if (id == kPitchBendParam) {
    pitchBend.store(static_cast<float>(value), std::memory_order_relaxed);
    core.pitchBend(offset, 0, controllerValue(id, value));
  } else if (id == kProgramParam) {
    // A program takes effect at the start of the block, as a selection between blocks.
    const int program = programOfValue(value);
    if (program != core.currentProgram()) core.selectProgram(program);
  }
}

void InstrumentComponent::applyEvent(const Event& e) {
  if (e.type == Event::kNoteOnEvent) {
    if (e.noteOn.pitch < 0 || e.noteOn.pitch > 127) return;
    core.noteOn(e.sampleOffset, e.noteOn.channel & 15, e.noteOn.pitch, e.noteOn.velocity);
  } else if (e.type == Event::kNoteOffEvent) {
    if (e.noteOff.pitch < 0 || e.noteOff.pitch > 127) return;
    core.noteOff(e.sampleOffset, e.noteOff.channel & 15, e.noteOff.pitch, e.noteOff.velocity);
  }
}

// The core takes the block's changes and notes in offset order whatever order they come in;
// at one offset, changes go first.
void InstrumentComponent::applyInput(IParameterChanges* changes, IEventList* events) {
  const int32_t queues = changes ? changes->getParameterCount() : 0;
  for (int32_t q = 0; q < queues; ++q) {
    IParamValueQueue* queue = changes->getParameterData(q);
    if (!queue) continue;
    const ParamID id = queue->getParameterId();
    const int32_t points = queue->getPointCount();
    for (int32_t p = 0; p < points; ++p) {
      int32_t offset = 0;
      ParamValue value = 0.0;
      if (queue->getPoint(p, offset, value) == kResultOk) applyChange(id, offset, value);
    }
  }
  const int32_t count = events ? events->getEventCount() : 0;
  for (int32_t i = 0; i < count; ++i) {
    Event e{};
    if (events->getEvent(i, e) == kResultOk) applyEvent(e);
  }
}

tresult InstrumentComponent::process(ProcessData& data) {
  if (data.numSamples < 0) return kInvalidArgument;
  if (data.numSamples > 0 && data.symbolicSampleSize != kSample32) return kInvalidArgument;
  applyInput(data.inputParameterChanges, data.inputEvents);
  AudioBusBuffers* out = data.numOutputs > 0 ? data.outputs : nullptr;
  float** channels = out && out->numChannels >= 2 ? out->channelBuffers32 : nullptr;
  if (data.numSamples == 0 || !channels || !channels[0] || !channels[1]) {
    // No samples, or nowhere to put them: the changes still apply.
    core.render(silence, silence, 0);
    return kResultOk;
  }
  core.render(channels[0], channels[1], data.numSamples);
  out->silenceFlags = 0;
  return kResultOk;
}

bool InstrumentComponent::loadBlob(IBStream* state) {
  std::vector<uint8_t> blob;
  if (!readStream(state, kStateLimit, blob)) return false;
  return core.loadState(blob.data(), blob.size());
}

tresult InstrumentComponent::setComponentBlob(IBStream* state) {
  if (!state) return kInvalidArgument;
  if (!loadBlob(state)) return kResultFalse;
  bankChanged();
  return kResultOk;
}

tresult InstrumentComponent::getComponentBlob(IBStream* state) {
  if (!state) return kInvalidArgument;
  return writeStream(state, core.saveState()) ? kResultOk : kInternalError;
}

// The controller keeps nothing of its own: its values are the core's.
tresult InstrumentComponent::setControllerBlob(IBStream*) { return kResultOk; }
tresult InstrumentComponent::getControllerBlob(IBStream*) { return kResultOk; }

tresult InstrumentComponent::setComponentState(IBStream* state) {
  if (!state) return kInvalidArgument;
  std::vector<uint8_t> blob;
  if (!readStream(state, kStateLimit, blob)) return kResultFalse;
  // Hosts pass the state they have just given the component: then the values are in step.
  if (blob == core.saveState()) return kResultOk;
  return core.loadState(blob.data(), blob.size()) ? kResultOk : kResultFalse;
}

int32_t InstrumentComponent::getParameterCount() { return parameterCount(); }

tresult InstrumentComponent::getParameterInfo(int32_t index, ParameterInfo& info) {
  return describeParameter(index, info) ? kResultOk : kInvalidArgument;
}

tresult InstrumentComponent::getParamStringByValue(ParamID id, ParamValue normalized,
                                                   String128 text) {
  if (!text) return kInvalidArgument;
  char name[params::kProgramNameSize] = {};
  if (id == kProgramParam) core.programName(programOfValue(normalized), name);
  return parameterText(id, normalized, name, text) ? kResultOk : kInvalidArgument;
}

tresult InstrumentComponent::getParamValueByString(ParamID id, char16* text,
                                                   ParamValue& normalized) {
  return parameterValueOfText(id, text, normalized) ? kResultOk : kResultFalse;
}

ParamValue InstrumentComponent::normalizedParamToPlain(ParamID id, ParamValue normalized) {
  if (id == kProgramParam) return programOfValue(normalized);
  if (isControllerParameter(id)) return controllerValue(id, normalized);
  return normalized;
}

ParamValue InstrumentComponent::plainParamToNormalized(ParamID id, ParamValue plain) {
  if (id == kProgramParam) return plain / (params::kNumPrograms - 1);
  if (isControllerParameter(id)) return plain / (id == kPitchBendParam ? 16383.0 : 127.0);
  return plain;
}

ParamValue InstrumentComponent::getParamNormalized(ParamID id) {
  if (id < static_cast<ParamID>(params::kNumParams)) return core.parameter(static_cast<int>(id));
  if (id == kProgramParam) return valueOfProgram(core.currentProgram());
  if (id == kModWheelParam) return modWheel.load(std::memory_order_relaxed);
  if (id == kPitchBendParam) return pitchBend.load(std::memory_order_relaxed);
  return 0.0;
}

tresult InstrumentComponent::setParamNormalized(ParamID id, ParamValue normalized) {
  if (!isKnownParameter(id)) return kInvalidArgument;
  // The host gives the processor its values through process(); a value it sets here that the
  // core does not hold yet is one the processor may never see before the host saves the state
  // (one host sets values, then saves without processing), so the core takes it too.
  if (id < static_cast<ParamID>(params::kNumParams)) {
    const auto value = static_cast<float>(normalized);
    if (value != core.parameter(static_cast<int>(id)))
      core.setParameter(static_cast<int>(id), value);
    PlugView* open = view.load(std::memory_order_acquire);
    if (open) open->parameterChanged(static_cast<int>(id), static_cast<float>(normalized));
  } else if (id == kProgramParam) {
    const int program = programOfValue(normalized);
    if (program != core.currentProgram()) core.selectProgram(program);
  }
  return kResultOk;
}

tresult InstrumentComponent::setComponentHandler(IComponentHandler* newHandler) {
  if (newHandler == handler) return kResultOk;
  if (newHandler) newHandler->addRef();
  if (handler) handler->release();
  handler = newHandler;
  return kResultOk;
}

IPlugView* InstrumentComponent::createView(FIDString name) {
  if (!name || std::strcmp(name, "editor") != 0) return nullptr;
  PlugView* created = PlugView::create(*this);
  if (created) view.store(created, std::memory_order_release);
  return created;
}

void InstrumentComponent::viewClosed(PlugView* closed) {
  PlugView* expected = closed;
  view.compare_exchange_strong(expected, nullptr, std::memory_order_acq_rel);
}

tresult InstrumentComponent::getMidiControllerAssignment(int32_t busIndex, int16_t channel,
                                                         int16_t controller, ParamID& id) {
  if (busIndex != 0 || channel < 0 || channel > 15) return kResultFalse;
  if (controller != kCtrlModWheel && controller != kCtrlAllNotesOff && controller != kPitchBend)
    return kResultFalse;
  id = kControllerParamBase + static_cast<ParamID>(controller);
  return kResultTrue;
}

tresult InstrumentComponent::getUnitInfo(int32_t unitIndex, UnitInfo& info) {
  if (unitIndex != 0) return kInvalidArgument;
  info.id = kRootUnitId;
  info.parentUnitId = kNoParentUnitId;
  copyText16(info.name, "Root");
  info.programListId = kProgramListId;
  return kResultOk;
}

tresult InstrumentComponent::getProgramListInfo(int32_t listIndex, ProgramListInfo& info) {
  if (listIndex != 0) return kInvalidArgument;
  info.id = kProgramListId;
  copyText16(info.name, "Programs");
  info.programCount = params::kNumPrograms;
  return kResultOk;
}

tresult InstrumentComponent::getProgramName(int32_t listId, int32_t programIndex, String128 name) {
  char text[params::kProgramNameSize] = {};
  if (listId != kProgramListId || !name || !core.programName(programIndex, text))
    return kInvalidArgument;
  copyText16(name, text);
  return kResultOk;
}

tresult InstrumentComponent::selectUnit(int32_t unitId) {
  return unitId == kRootUnitId ? kResultOk : kInvalidArgument;
}

tresult InstrumentComponent::getUnitByBus(MediaType, BusDirection, int32_t, int32_t,
                                          int32_t& unitId) {
  unitId = kRootUnitId;
  return kResultOk;
}

void InstrumentComponent::beginEdit(int index) {
  if (handler) handler->beginEdit(static_cast<ParamID>(index));
}

void InstrumentComponent::performEdit(int index, float value) {
  if (handler) handler->performEdit(static_cast<ParamID>(index), value);
}

void InstrumentComponent::endEdit(int index) {
  if (handler) handler->endEdit(static_cast<ParamID>(index));
}

void InstrumentComponent::bankChanged() {
  if (!handler) return;
  handler->restartComponent(kParamValuesChanged);
  void* unitHandler = nullptr;
  if (handler->queryInterface(IUnitHandler::iid.bytes, &unitHandler) == kResultOk && unitHandler) {
    auto* units = static_cast<IUnitHandler*>(unitHandler);
    units->notifyProgramListChange(kProgramListId, IUnitHandler::kAllProgramInvalid);
    units->release();
  }
}

}  // namespace orvalis::vst3
