// The published VST 3 binary interface, controller part: the edit controller and its
// parameters, the host's component handler, MIDI controller mapping and program lists (units).
// Our own declarations, only what the adapter and our test host use.
#pragma once

#include "vst3/abi_processing.h"

namespace orvalis::vst3 {

class IPlugView;

struct ParameterInfo {
  enum : int32_t {
    kCanAutomate = 1 << 0,
    kIsReadOnly = 1 << 1,
    kIsList = 1 << 3,
    kIsHidden = 1 << 4,
    kIsProgramChange = 1 << 15
  };
  ParamID id;
  String128 title;
  String128 shortTitle;
  String128 units;
  int32_t stepCount;
  ParamValue defaultNormalizedValue;
  int32_t unitId;
  int32_t flags;
};

enum : int32_t { kParamValuesChanged = 1 << 2, kParamTitlesChanged = 1 << 4 };

class IComponentHandler : public FUnknown {
 public:
  virtual tresult ORVALIS_VST3_CALL beginEdit(ParamID id) = 0;
  virtual tresult ORVALIS_VST3_CALL performEdit(ParamID id, ParamValue normalized) = 0;
  virtual tresult ORVALIS_VST3_CALL endEdit(ParamID id) = 0;
  virtual tresult ORVALIS_VST3_CALL restartComponent(int32_t flags) = 0;
  static constexpr Uid iid{0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6};

 protected:
  ~IComponentHandler() = default;
};

class IEditController : public IPluginBase {
 public:
  virtual tresult ORVALIS_VST3_CALL setComponentState(IBStream* state) = 0;
  virtual tresult ORVALIS_VST3_CALL setState(IBStream* state) = 0;
  virtual tresult ORVALIS_VST3_CALL getState(IBStream* state) = 0;
  virtual int32_t ORVALIS_VST3_CALL getParameterCount() = 0;
  virtual tresult ORVALIS_VST3_CALL getParameterInfo(int32_t index, ParameterInfo& info) = 0;
  virtual tresult ORVALIS_VST3_CALL getParamStringByValue(ParamID id, ParamValue normalized,
                                                          String128 text) = 0;
  virtual tresult ORVALIS_VST3_CALL getParamValueByString(ParamID id, char16* text,
                                                          ParamValue& normalized) = 0;
  virtual ParamValue ORVALIS_VST3_CALL normalizedParamToPlain(ParamID id,
                                                              ParamValue normalized) = 0;
  virtual ParamValue ORVALIS_VST3_CALL plainParamToNormalized(ParamID id, ParamValue plain) = 0;
  virtual ParamValue ORVALIS_VST3_CALL getParamNormalized(ParamID id) = 0;
  virtual tresult ORVALIS_VST3_CALL setParamNormalized(ParamID id, ParamValue normalized) = 0;
  virtual tresult ORVALIS_VST3_CALL setComponentHandler(IComponentHandler* handler) = 0;
  virtual IPlugView* ORVALIS_VST3_CALL createView(FIDString name) = 0;
  static constexpr Uid iid{0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E};

 protected:
  ~IEditController() = default;
};

// MIDI controller numbers as the mapping interface numbers them: 0..127 are the controllers,
// then channel pressure and pitch bend.
enum : int16_t { kCtrlModWheel = 1, kCtrlAllNotesOff = 123, kAfterTouch = 128, kPitchBend = 129 };

class IMidiMapping : public FUnknown {
 public:
  virtual tresult ORVALIS_VST3_CALL getMidiControllerAssignment(int32_t busIndex, int16_t channel,
                                                                int16_t controller,
                                                                ParamID& id) = 0;
  static constexpr Uid iid{0xDF0FF9F7, 0x49B74669, 0xB63AB732, 0x7ADBF5E5};

 protected:
  ~IMidiMapping() = default;
};

constexpr int32_t kRootUnitId = 0;
constexpr int32_t kNoParentUnitId = -1;
constexpr int32_t kNoProgramListId = -1;

struct UnitInfo {
  int32_t id;
  int32_t parentUnitId;
  String128 name;
  int32_t programListId;
};

struct ProgramListInfo {
  int32_t id;
  String128 name;
  int32_t programCount;
};

class IUnitInfo : public FUnknown {
 public:
  virtual int32_t ORVALIS_VST3_CALL getUnitCount() = 0;
  virtual tresult ORVALIS_VST3_CALL getUnitInfo(int32_t unitIndex, UnitInfo& info) = 0;
  virtual int32_t ORVALIS_VST3_CALL getProgramListCount() = 0;
  virtual tresult ORVALIS_VST3_CALL getProgramListInfo(int32_t listIndex,
                                                       ProgramListInfo& info) = 0;
  virtual tresult ORVALIS_VST3_CALL getProgramName(int32_t listId, int32_t programIndex,
                                                   String128 name) = 0;
  virtual tresult ORVALIS_VST3_CALL getProgramInfo(int32_t listId, int32_t programIndex,
                                                   const char* attributeId,
                                                   String128 attributeValue) = 0;
  virtual tresult ORVALIS_VST3_CALL hasProgramPitchNames(int32_t listId, int32_t programIndex) = 0;
  virtual tresult ORVALIS_VST3_CALL getProgramPitchName(int32_t listId, int32_t programIndex,
                                                        int16_t midiPitch, String128 name) = 0;
  virtual int32_t ORVALIS_VST3_CALL getSelectedUnit() = 0;
  virtual tresult ORVALIS_VST3_CALL selectUnit(int32_t unitId) = 0;
  virtual tresult ORVALIS_VST3_CALL getUnitByBus(MediaType type, BusDirection direction,
                                                 int32_t busIndex, int32_t channel,
                                                 int32_t& unitId) = 0;
  virtual tresult ORVALIS_VST3_CALL setUnitProgramData(int32_t listOrUnitId, int32_t programIndex,
                                                       IBStream* data) = 0;
  static constexpr Uid iid{0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1};

 protected:
  ~IUnitInfo() = default;
};

// The host's side of program lists, asked of its component handler.
class IUnitHandler : public FUnknown {
 public:
  static constexpr int32_t kAllProgramInvalid = -1;
  virtual tresult ORVALIS_VST3_CALL notifyUnitSelection(int32_t unitId) = 0;
  virtual tresult ORVALIS_VST3_CALL notifyProgramListChange(int32_t listId,
                                                            int32_t programIndex) = 0;
  static constexpr Uid iid{0x4B5147F8, 0x4654486B, 0x8DAB30BA, 0x163A3C56};

 protected:
  ~IUnitHandler() = default;
};

static_assert(offsetof(ParameterInfo, stepCount) == 772 &&
                  offsetof(ParameterInfo, defaultNormalizedValue) == 776 &&
                  offsetof(ParameterInfo, flags) == 788 && sizeof(ParameterInfo) == 792,
              "ParameterInfo layout");
static_assert(sizeof(UnitInfo) == 268 && sizeof(ProgramListInfo) == 264, "unit layouts");

}  // namespace orvalis::vst3
