// Where every control of the editor sits and how it is built, in build order.
#pragma once

#include <cstdint>

#include "params/parameter_table.h"

namespace orvalis::editor::layout {

using namespace orvalis::params;

enum Kind : int8_t { kVerticalSlider, kHorizontalSlider, kSwitch };
enum Style : int8_t { kStyleBottom, kStyleTop, kStyleLeft };

struct ControlSpec {
  ParamIndex param;
  Kind kind;
  int16_t left, top, right, bottom;
  int32_t image;  // handle (sliders) or frames (switches)
  int16_t iMinPos, iMaxPos;
  Style style;
  int16_t offset;  // handle offset on both axes; for switches the position count
};

// Sliders and switches in the order the frame holds and draws them.
constexpr ControlSpec kParameterControls[] = {
    {kPortamento, kVerticalSlider, 242, 180, 262, 260, 10004, 180, 240, kStyleBottom, 2},
    {kAmpSustainH, kVerticalSlider, 690, 241, 698, 299, 10042, 242, 283, kStyleBottom, 0},
    {kAmpSustainL, kVerticalSlider, 682, 241, 690, 299, 10052, 242, 283, kStyleBottom, 0},
    {kAmpAttackH, kHorizontalSlider, 581, 242, 679, 250, 10024, 582, 663, kStyleLeft, 0},
    {kAmpAttackL, kHorizontalSlider, 581, 250, 679, 258, 10034, 582, 663, kStyleLeft, 0},
    {kAmpDecayH, kHorizontalSlider, 581, 262, 679, 270, 10023, 582, 663, kStyleLeft, 0},
    {kAmpDecayL, kHorizontalSlider, 581, 270, 679, 278, 10033, 582, 663, kStyleLeft, 0},
    {kAmpReleaseH, kHorizontalSlider, 581, 282, 679, 290, 10025, 582, 663, kStyleLeft, 0},
    {kAmpReleaseL, kHorizontalSlider, 581, 290, 679, 298, 10035, 582, 663, kStyleLeft, 0},
    {kFilter1SustainH, kVerticalSlider, 410, 241, 418, 299, 10042, 242, 283, kStyleBottom, 0},
    {kFilter1SustainL, kVerticalSlider, 402, 241, 410, 299, 10052, 242, 283, kStyleBottom, 0},
    {kFilter1AttackH, kHorizontalSlider, 301, 242, 399, 250, 10024, 302, 383, kStyleLeft, 0},
    {kFilter1AttackL, kHorizontalSlider, 301, 250, 399, 258, 10034, 302, 383, kStyleLeft, 0},
    {kFilter1DecayH, kHorizontalSlider, 301, 262, 399, 270, 10023, 302, 383, kStyleLeft, 0},
    {kFilter1DecayL, kHorizontalSlider, 301, 270, 399, 278, 10033, 302, 383, kStyleLeft, 0},
    {kFilter1ReleaseH, kHorizontalSlider, 301, 282, 399, 290, 10025, 302, 383, kStyleLeft, 0},
    {kFilter1ReleaseL, kHorizontalSlider, 301, 290, 399, 298, 10035, 302, 383, kStyleLeft, 0},
    {kFilter1ResoLow, kHorizontalSlider, 300, 40, 420, 60, 10003, 300, 400, kStyleLeft, 2},
    {kFilter1ResoHigh, kHorizontalSlider, 300, 21, 420, 41, 10003, 300, 400, kStyleLeft, 2},
    {kFilter1FreqLow, kHorizontalSlider, 301, 200, 421, 220, 10008, 301, 401, kStyleLeft, 2},
    {kFilter1FreqHigh, kHorizontalSlider, 301, 180, 421, 200, 10008, 301, 401, kStyleLeft, 2},
    {kOverdrive1H, kVerticalSlider, 430, 80, 438, 158, 10042, 81, 142, kStyleBottom, 0},
    {kOverdrive1L, kVerticalSlider, 422, 80, 430, 158, 10052, 81, 142, kStyleBottom, 0},
    {kFilter2SustainH, kVerticalSlider, 550, 241, 558, 299, 10042, 242, 283, kStyleBottom, 0},
    {kFilter2SustainL, kVerticalSlider, 542, 241, 550, 299, 10052, 242, 283, kStyleBottom, 0},
    {kFilter2AttackH, kHorizontalSlider, 441, 242, 539, 250, 10024, 442, 523, kStyleLeft, 0},
    {kFilter2AttackL, kHorizontalSlider, 441, 250, 539, 258, 10034, 442, 523, kStyleLeft, 0},
    {kFilter2DecayH, kHorizontalSlider, 441, 262, 539, 270, 10023, 442, 523, kStyleLeft, 0},
    {kFilter2DecayL, kHorizontalSlider, 441, 270, 539, 278, 10033, 442, 523, kStyleLeft, 0},
    {kFilter2ReleaseH, kHorizontalSlider, 441, 282, 539, 290, 10025, 442, 523, kStyleLeft, 0},
    {kFilter2ReleaseL, kHorizontalSlider, 441, 290, 539, 298, 10035, 442, 523, kStyleLeft, 0},
    {kFilter2ResoLow, kHorizontalSlider, 440, 40, 558, 60, 10003, 440, 538, kStyleLeft, 2},
    {kFilter2ResoHigh, kHorizontalSlider, 440, 20, 558, 40, 10003, 440, 538, kStyleLeft, 2},
    {kFilter2FreqLow, kHorizontalSlider, 440, 200, 558, 220, 10008, 440, 538, kStyleLeft, 2},
    {kFilter2FreqHigh, kHorizontalSlider, 440, 180, 558, 200, 10008, 440, 538, kStyleLeft, 2},
    {kGain, kHorizontalSlider, 600, 180, 680, 200, 10002, 600, 660, kStyleLeft, 2},
    {kOverdrive2H, kVerticalSlider, 590, 80, 598, 158, 10042, 81, 142, kStyleBottom, 0},
    {kOverdrive2L, kVerticalSlider, 582, 80, 590, 158, 10052, 81, 142, kStyleBottom, 0},
    {kLfoDelay, kVerticalSlider, 162, 180, 182, 260, 10004, 180, 240, kStyleBottom, 2},
    {kLfoSpeed, kVerticalSlider, 202, 180, 222, 260, 10004, 180, 240, kStyleBottom, 2},
    {kLfoDepthH, kVerticalSlider, 193, 181, 201, 260, 10042, 182, 244, kStyleBottom, 0},
    {kLfoDepthL, kVerticalSlider, 184, 181, 192, 260, 10052, 182, 244, kStyleBottom, 0},
    {kOscTimbreLow, kHorizontalSlider, 162, 41, 282, 61, 10003, 162, 262, kStyleLeft, 2},
    {kOscTimbreHigh, kHorizontalSlider, 162, 21, 282, 41, 10003, 162, 262, kStyleLeft, 2},
    {kFilter1Lfo, kHorizontalSlider, 300, 160, 340, 180, 10006, 300, 320, kStyleLeft, 2},
    {kFilter2Lfo, kHorizontalSlider, 460, 160, 500, 180, 10006, 460, 480, kStyleLeft, 2},
    {kPan, kHorizontalSlider, 580, 200, 680, 220, 10006, 580, 660, kStyleLeft, 2},
    {kPitchAttackH, kHorizontalSlider, 42, 183, 120, 191, 10024, 43, 104, kStyleLeft, 0},
    {kPitchAttackL, kHorizontalSlider, 42, 191, 120, 199, 10034, 43, 104, kStyleLeft, 0},
    {kPitchReleaseH, kHorizontalSlider, 42, 223, 120, 231, 10025, 43, 104, kStyleLeft, 0},
    {kPitchReleaseL, kHorizontalSlider, 42, 231, 120, 239, 10035, 43, 104, kStyleLeft, 0},
    {kPitchStartH, kVerticalSlider, 32, 182, 40, 240, 10042, 183, 224, kStyleBottom, 0},
    {kPitchStartL, kVerticalSlider, 24, 182, 32, 240, 10052, 183, 224, kStyleBottom, 0},
    {kPitchEndH, kVerticalSlider, 132, 182, 140, 240, 10042, 183, 224, kStyleBottom, 0},
    {kPitchEndL, kVerticalSlider, 124, 182, 132, 240, 10052, 183, 224, kStyleBottom, 0},
    {kOscType, kSwitch, 160, 80, 280, 160, 10100, 0, 0, kStyleLeft, 6},
    {kLaneWeights, kVerticalSlider, 120, 81, 136, 161, 10500, 81, 156, kStyleTop, 0},
    {kLaneRatios, kVerticalSlider, 66, 81, 82, 161, 10500, 81, 156, kStyleTop, 0},
    {kFilter1Type, kSwitch, 300, 80, 400, 160, 10101, 0, 0, kStyleLeft, 5},
    {kFilter2Type, kSwitch, 460, 80, 560, 160, 10106, 0, 0, kStyleLeft, 5},
    {kPolyphony, kSwitch, 600, 40, 680, 80, 10105, 0, 0, kStyleLeft, 4},
};

// Every bitmap the window loads.
constexpr int32_t kBitmaps[] = {10001, 10002, 10003, 10004, 10006, 10008, 10023, 10024, 10025,
                                10033, 10034, 10035, 10042, 10052, 10500, 10100, 10101, 10106,
                                10105, 10200, 10201, 10300, 10402, 10400, 10404, 10403, 10401};

struct BarSpec {
  int16_t left, top, right, bottom;
  int32_t image;
  float value;
};

// filter1EnvBar, filter2EnvBar, ampEnvBar.
constexpr BarSpec kLevelBars[3] = {{422, 240, 428, 300, 10402, 0.75f},
                                   {562, 240, 568, 300, 10400, 0.5f},
                                   {702, 240, 708, 300, 10404, 0.25f}};

struct RangeSpec {
  int16_t left, top, right, bottom;
  int32_t image;
  ParamIndex lowParam, highParam;
};

// filter1FreqRange, filter1ResoRange, timbreRange, filter2FreqRange, filter2ResoRange.
constexpr RangeSpec kRangeBars[5] = {{310, 222, 412, 230, 10403, kFilter1FreqLow, kFilter1FreqHigh},
                                     {310, 10, 412, 18, 10403, kFilter1ResoLow, kFilter1ResoHigh},
                                     {170, 10, 272, 18, 10403, kOscTimbreLow, kOscTimbreHigh},
                                     {450, 222, 552, 230, 10401, kFilter2FreqLow, kFilter2FreqHigh},
                                     {450, 10, 552, 18, 10401, kFilter2ResoLow, kFilter2ResoHigh}};

}  // namespace orvalis::editor::layout
