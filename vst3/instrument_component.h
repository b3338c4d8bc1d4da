// The instrument as one VST 3 object: component, audio processor and edit controller over one
// orvalis::Instrument, with the MIDI mapping and the program list. One object, because the core
// already is both sides: its host-facing calls hand changes to the audio thread, so a state a
// host restores while processing needs no message between a processor and a controller, and
// the controller's values are the core's own.
#pragma once

#include <atomic>
#include <cstdint>

#include "core/instrument.h"
#include "vst3/abi_controller.h"
#include "vst3/abi_view.h"

namespace orvalis::vst3 {

// IComponent and IEditController declare getState and setState alike: each face gives its pair
// its own name, since the two carry different states.
class ComponentFace : public IComponent {
 public:
  tresult ORVALIS_VST3_CALL setState(IBStream* state) final { return setComponentBlob(state); }
  tresult ORVALIS_VST3_CALL getState(IBStream* state) final { return getComponentBlob(state); }

 protected:
  ~ComponentFace() = default;
  virtual tresult setComponentBlob(IBStream* state) = 0;
  virtual tresult getComponentBlob(IBStream* state) = 0;
};

class ControllerFace : public IEditController {
 public:
  tresult ORVALIS_VST3_CALL setState(IBStream* state) final { return setControllerBlob(state); }
  tresult ORVALIS_VST3_CALL getState(IBStream* state) final { return getControllerBlob(state); }

 protected:
  ~ControllerFace() = default;
  virtual tresult setControllerBlob(IBStream* state) = 0;
  virtual tresult getControllerBlob(IBStream* state) = 0;
};

class PlugView;

class InstrumentComponent final : public ComponentFace,
                                  public IAudioProcessor,
                                  public ControllerFace,
                                  public IMidiMapping,
                                  public IUnitInfo {
 public:
  // A new instance holding the factory bank, with one reference; null when out of memory.
  static InstrumentComponent* create();

  // FUnknown
  tresult ORVALIS_VST3_CALL queryInterface(const TUID iid, void** object) override;
  uint32_t ORVALIS_VST3_CALL addRef() override;
  uint32_t ORVALIS_VST3_CALL release() override;

  // IPluginBase: hosts initialise the component and the controller, which are one here.
  tresult ORVALIS_VST3_CALL initialize(FUnknown* context) override;
  tresult ORVALIS_VST3_CALL terminate() override;

  // IComponent
  tresult ORVALIS_VST3_CALL getControllerClassId(TUID classId) override;
  tresult ORVALIS_VST3_CALL setIoMode(int32_t mode) override;
  int32_t ORVALIS_VST3_CALL getBusCount(MediaType type, BusDirection direction) override;
  tresult ORVALIS_VST3_CALL getBusInfo(MediaType type, BusDirection direction, int32_t index,
                                       BusInfo& bus) override;
  tresult ORVALIS_VST3_CALL getRoutingInfo(RoutingInfo& in, RoutingInfo& out) override;
  tresult ORVALIS_VST3_CALL activateBus(MediaType type, BusDirection direction, int32_t index,
                                        TBool state) override;
  tresult ORVALIS_VST3_CALL setActive(TBool state) override;

  // IAudioProcessor
  tresult ORVALIS_VST3_CALL setBusArrangements(SpeakerArrangement* inputs, int32_t numIns,
                                               SpeakerArrangement* outputs,
                                               int32_t numOuts) override;
  tresult ORVALIS_VST3_CALL getBusArrangement(BusDirection direction, int32_t index,
                                              SpeakerArrangement& arrangement) override;
  tresult ORVALIS_VST3_CALL canProcessSampleSize(int32_t symbolicSampleSize) override;
  uint32_t ORVALIS_VST3_CALL getLatencySamples() override { return 0; }
  tresult ORVALIS_VST3_CALL setupProcessing(ProcessSetup& setup) override;
  tresult ORVALIS_VST3_CALL setProcessing(TBool state) override;
  tresult ORVALIS_VST3_CALL process(ProcessData& data) override;
  uint32_t ORVALIS_VST3_CALL getTailSamples() override { return 0; }

  // IEditController
  tresult ORVALIS_VST3_CALL setComponentState(IBStream* state) override;
  int32_t ORVALIS_VST3_CALL getParameterCount() override;
  tresult ORVALIS_VST3_CALL getParameterInfo(int32_t index, ParameterInfo& info) override;
  tresult ORVALIS_VST3_CALL getParamStringByValue(ParamID id, ParamValue normalized,
                                                  String128 text) override;
  tresult ORVALIS_VST3_CALL getParamValueByString(ParamID id, char16* text,
                                                  ParamValue& normalized) override;
  ParamValue ORVALIS_VST3_CALL normalizedParamToPlain(ParamID id, ParamValue normalized) override;
  ParamValue ORVALIS_VST3_CALL plainParamToNormalized(ParamID id, ParamValue plain) override;
  ParamValue ORVALIS_VST3_CALL getParamNormalized(ParamID id) override;
  tresult ORVALIS_VST3_CALL setParamNormalized(ParamID id, ParamValue normalized) override;
  tresult ORVALIS_VST3_CALL setComponentHandler(IComponentHandler* handler) override;
  IPlugView* ORVALIS_VST3_CALL createView(FIDString name) override;

  // IMidiMapping: a fixed table, answered without locks or allocation (hosts ask from their
  // audio thread).
  tresult ORVALIS_VST3_CALL getMidiControllerAssignment(int32_t busIndex, int16_t channel,
                                                        int16_t controller, ParamID& id) override;

  // IUnitInfo: one unit holding one program list, the bank.
  int32_t ORVALIS_VST3_CALL getUnitCount() override { return 1; }
  tresult ORVALIS_VST3_CALL getUnitInfo(int32_t unitIndex, UnitInfo& info) override;
  int32_t ORVALIS_VST3_CALL getProgramListCount() override { return 1; }
  tresult ORVALIS_VST3_CALL getProgramListInfo(int32_t listIndex, ProgramListInfo& info) override;
  tresult ORVALIS_VST3_CALL getProgramName(int32_t listId, int32_t programIndex,
                                           String128 name) override;
  tresult ORVALIS_VST3_CALL getProgramInfo(int32_t, int32_t, const char*, String128) override {
    return kResultFalse;
  }
  tresult ORVALIS_VST3_CALL hasProgramPitchNames(int32_t, int32_t) override { return kResultFalse; }
  tresult ORVALIS_VST3_CALL getProgramPitchName(int32_t, int32_t, int16_t, String128) override {
    return kResultFalse;
  }
  int32_t ORVALIS_VST3_CALL getSelectedUnit() override { return kRootUnitId; }
  tresult ORVALIS_VST3_CALL selectUnit(int32_t unitId) override;
  tresult ORVALIS_VST3_CALL getUnitByBus(MediaType type, BusDirection direction, int32_t busIndex,
                                         int32_t channel, int32_t& unitId) override;
  tresult ORVALIS_VST3_CALL setUnitProgramData(int32_t, int32_t, IBStream*) override {
    return kNotImplemented;
  }

  // For the editor.
  core::Instrument& instrument() { return core; }
  // Tells the host of an edit made in our own editor.
  void beginEdit(int index);
  void performEdit(int index, float value);
  void endEdit(int index);
  // The bank or the current program's values changed under the host: it should read them again.
  void bankChanged();
  void viewClosed(PlugView* view);

 private:
  InstrumentComponent();
  ~InstrumentComponent();

  tresult setComponentBlob(IBStream* state) override;
  tresult getComponentBlob(IBStream* state) override;
  tresult setControllerBlob(IBStream* state) override;
  tresult getControllerBlob(IBStream* state) override;

  void applyInput(IParameterChanges* changes, IEventList* events);
  void applyChange(ParamID id, int32_t offset, ParamValue value);
  void applyEvent(const Event& event);
  bool loadBlob(IBStream* state);

  std::atomic<uint32_t> references{1};
  core::Instrument core;
  IComponentHandler* handler = nullptr;
  // The open editor, if any (it holds a reference to us); hosts may set values from any thread.
  std::atomic<PlugView*> view{nullptr};
  // The last value of each MIDI controller parameter, for hosts that read them back.
  std::atomic<float> modWheel{0.f}, pitchBend{8192.f / 16383.f};
  float silence[1] = {0.f};
};

}  // namespace orvalis::vst3
