// Where every control of the editor sits and how it is built, in build order.
#pragma once

#include <cstdint>

namespace editor_layout {

enum Kind : int8_t { kVerticalSlider, kHorizontalSlider, kSwitch };
enum Style : int8_t { kStyleBottom, kStyleTop, kStyleLeft };

struct ControlSpec {
  int16_t param;
  Kind kind;
  int16_t left, top, right, bottom;
  int32_t image;  // handle (sliders) or frames (switches)
  int16_t iMinPos, iMaxPos;
  Style style;
  int16_t offset;  // handle offset on both axes; for switches the position count
};

// Sliders and switches in the order the frame holds and draws them.
constexpr ControlSpec kParameterControls[] = {
    {0, kVerticalSlider, 242, 180, 262, 260, 10004, 180, 240, kStyleBottom, 2},
    {3, kVerticalSlider, 690, 241, 698, 299, 10042, 242, 283, kStyleBottom, 0},
    {37, kVerticalSlider, 682, 241, 690, 299, 10052, 242, 283, kStyleBottom, 0},
    {1, kHorizontalSlider, 581, 242, 679, 250, 10024, 582, 663, kStyleLeft, 0},
    {31, kHorizontalSlider, 581, 250, 679, 258, 10034, 582, 663, kStyleLeft, 0},
    {2, kHorizontalSlider, 581, 262, 679, 270, 10023, 582, 663, kStyleLeft, 0},
    {34, kHorizontalSlider, 581, 270, 679, 278, 10033, 582, 663, kStyleLeft, 0},
    {4, kHorizontalSlider, 581, 282, 679, 290, 10025, 582, 663, kStyleLeft, 0},
    {40, kHorizontalSlider, 581, 290, 679, 298, 10035, 582, 663, kStyleLeft, 0},
    {8, kVerticalSlider, 410, 241, 418, 299, 10042, 242, 283, kStyleBottom, 0},
    {38, kVerticalSlider, 402, 241, 410, 299, 10052, 242, 283, kStyleBottom, 0},
    {6, kHorizontalSlider, 301, 242, 399, 250, 10024, 302, 383, kStyleLeft, 0},
    {32, kHorizontalSlider, 301, 250, 399, 258, 10034, 302, 383, kStyleLeft, 0},
    {7, kHorizontalSlider, 301, 262, 399, 270, 10023, 302, 383, kStyleLeft, 0},
    {35, kHorizontalSlider, 301, 270, 399, 278, 10033, 302, 383, kStyleLeft, 0},
    {9, kHorizontalSlider, 301, 282, 399, 290, 10025, 302, 383, kStyleLeft, 0},
    {41, kHorizontalSlider, 301, 290, 399, 298, 10035, 302, 383, kStyleLeft, 0},
    {12, kHorizontalSlider, 300, 40, 420, 60, 10003, 300, 400, kStyleLeft, 2},
    {13, kHorizontalSlider, 300, 21, 420, 41, 10003, 300, 400, kStyleLeft, 2},
    {10, kHorizontalSlider, 301, 200, 421, 220, 10008, 301, 401, kStyleLeft, 2},
    {11, kHorizontalSlider, 301, 180, 421, 200, 10008, 301, 401, kStyleLeft, 2},
    {58, kVerticalSlider, 430, 80, 438, 158, 10042, 81, 142, kStyleBottom, 0},
    {59, kVerticalSlider, 422, 80, 430, 158, 10052, 81, 142, kStyleBottom, 0},
    {17, kVerticalSlider, 550, 241, 558, 299, 10042, 242, 283, kStyleBottom, 0},
    {39, kVerticalSlider, 542, 241, 550, 299, 10052, 242, 283, kStyleBottom, 0},
    {15, kHorizontalSlider, 441, 242, 539, 250, 10024, 442, 523, kStyleLeft, 0},
    {33, kHorizontalSlider, 441, 250, 539, 258, 10034, 442, 523, kStyleLeft, 0},
    {16, kHorizontalSlider, 441, 262, 539, 270, 10023, 442, 523, kStyleLeft, 0},
    {36, kHorizontalSlider, 441, 270, 539, 278, 10033, 442, 523, kStyleLeft, 0},
    {18, kHorizontalSlider, 441, 282, 539, 290, 10025, 442, 523, kStyleLeft, 0},
    {42, kHorizontalSlider, 441, 290, 539, 298, 10035, 442, 523, kStyleLeft, 0},
    {21, kHorizontalSlider, 440, 40, 558, 60, 10003, 440, 538, kStyleLeft, 2},
    {22, kHorizontalSlider, 440, 20, 558, 40, 10003, 440, 538, kStyleLeft, 2},
    {19, kHorizontalSlider, 440, 200, 558, 220, 10008, 440, 538, kStyleLeft, 2},
    {20, kHorizontalSlider, 440, 180, 558, 200, 10008, 440, 538, kStyleLeft, 2},
    {23, kHorizontalSlider, 600, 180, 680, 200, 10002, 600, 660, kStyleLeft, 2},
    {24, kVerticalSlider, 590, 80, 598, 158, 10042, 81, 142, kStyleBottom, 0},
    {47, kVerticalSlider, 582, 80, 590, 158, 10052, 81, 142, kStyleBottom, 0},
    {25, kVerticalSlider, 162, 180, 182, 260, 10004, 180, 240, kStyleBottom, 2},
    {26, kVerticalSlider, 202, 180, 222, 260, 10004, 180, 240, kStyleBottom, 2},
    {48, kVerticalSlider, 193, 181, 201, 260, 10042, 182, 244, kStyleBottom, 0},
    {27, kVerticalSlider, 184, 181, 192, 260, 10052, 182, 244, kStyleBottom, 0},
    {29, kHorizontalSlider, 162, 41, 282, 61, 10003, 162, 262, kStyleLeft, 2},
    {30, kHorizontalSlider, 162, 21, 282, 41, 10003, 162, 262, kStyleLeft, 2},
    {46, kHorizontalSlider, 300, 160, 340, 180, 10006, 300, 320, kStyleLeft, 2},
    {45, kHorizontalSlider, 460, 160, 500, 180, 10006, 460, 480, kStyleLeft, 2},
    {57, kHorizontalSlider, 580, 200, 680, 220, 10006, 580, 660, kStyleLeft, 2},
    {49, kHorizontalSlider, 42, 183, 120, 191, 10024, 43, 104, kStyleLeft, 0},
    {50, kHorizontalSlider, 42, 191, 120, 199, 10034, 43, 104, kStyleLeft, 0},
    {51, kHorizontalSlider, 42, 223, 120, 231, 10025, 43, 104, kStyleLeft, 0},
    {52, kHorizontalSlider, 42, 231, 120, 239, 10035, 43, 104, kStyleLeft, 0},
    {53, kVerticalSlider, 32, 182, 40, 240, 10042, 183, 224, kStyleBottom, 0},
    {54, kVerticalSlider, 24, 182, 32, 240, 10052, 183, 224, kStyleBottom, 0},
    {55, kVerticalSlider, 132, 182, 140, 240, 10042, 183, 224, kStyleBottom, 0},
    {56, kVerticalSlider, 124, 182, 132, 240, 10052, 183, 224, kStyleBottom, 0},
    {28, kSwitch, 160, 80, 280, 160, 10100, 0, 0, kStyleLeft, 6},
    {43, kVerticalSlider, 120, 81, 136, 161, 10500, 81, 156, kStyleTop, 0},
    {44, kVerticalSlider, 66, 81, 82, 161, 10500, 81, 156, kStyleTop, 0},
    {5, kSwitch, 300, 80, 400, 160, 10101, 0, 0, kStyleLeft, 5},
    {14, kSwitch, 460, 80, 560, 160, 10106, 0, 0, kStyleLeft, 5},
    {60, kSwitch, 600, 40, 680, 80, 10105, 0, 0, kStyleLeft, 4},
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
  int16_t lowParam, highParam;
};

// filter1FreqRange, filter1ResoRange, timbreRange, filter2FreqRange, filter2ResoRange.
constexpr RangeSpec kRangeBars[5] = {{310, 222, 412, 230, 10403, 10, 11},
                                     {310, 10, 412, 18, 10403, 12, 13},
                                     {170, 10, 272, 18, 10403, 29, 30},
                                     {450, 222, 552, 230, 10401, 19, 20},
                                     {450, 10, 552, 18, 10401, 21, 22}};

}  // namespace editor_layout
