// Every parameter's name, label and display, through the dispatcher of a real instance.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "params/parameter_table.h"
#include "tests/support/instance_peek.h"
#include "tests/support/test_host.h"

using orvalis::tests::InProcessHost;
using orvalis::tests::TestHost;
using namespace orvalis::params;

namespace {

struct Row {
  int index;
  const char* name;  // nullptr: hidden, nothing written
  const char* label;
  float value;
  const char* display;
};

// The default program "Basique" as hosts see it, by parameter number: name, label, value and the
// text that value displays. Written out, not read from the parameter table, so that a change to
// the table shows here.
const Row kDefaults[] = {
    {0, "Portamento", "s", 0.1f, "0.006"},
    {1, "Ampli A H", "s", 0.05f, "0.007"},
    {2, "Ampli D H", "s", 0.4f, "0.079"},
    {3, "Ampli S H", "", 0.5f, "0.500"},
    {4, "Ampli R H", "s", 0.4f, "0.079"},
    {5, "Filtre1 Type", "", 0.f, "Flat"},
    {6, "Filtre1 A H", "s", 0.05f, "0.007"},
    {7, "Filtre1 D H", "s", 0.4f, "0.079"},
    {8, "Filtre1 S H", "", 0.8f, "0.800"},
    {9, "Filtre1 R H", "s", 0.4f, "0.079"},
    {10, "Filtre1 Freq Low", "oct", 0.6f, "4.400"},
    {11, "Filtre1 Freq High", "oct", 0.6f, "4.400"},
    {12, "Filtre1 Reso Low", "Q", 0.1f, "0.595"},
    {13, "Filtre1 Reso High", "Q", 0.1f, "0.595"},
    {14, "Filtre2 Type", "", 0.f, "Flat"},
    {15, "Filtre2 A H", "s", 0.05f, "0.007"},
    {16, "Filtre2 D H", "s", 0.4f, "0.079"},
    {17, "Filtre2 S H", "", 0.8f, "0.800"},
    {18, "Filtre2 R H", "s", 0.4f, "0.079"},
    {19, "Filtre2 Freq Low", "oct", 0.6f, "4.400"},
    {20, "Filtre2 Freq High", "oct", 0.6f, "4.400"},
    {21, "Filtre2 Reso Low", "Q", 0.1f, "0.595"},
    {22, "Filtre2 Reso High", "Q", 0.1f, "0.595"},
    {23, "Gain", "dB", 0.5f, "0.000"},
    {24, "Overdrive2H", "dB", 0.5f, "0.000"},
    {25, "LFO Delay", "s", 0.5f, "0.250"},
    {26, "LFO Speed", "Hz", 0.5f, "5.000"},
    {27, "LFO DepthL", "Cents", 0.5f, "50.000"},
    {28, "Osc Type", "", 0.f, "Pulse"},
    {29, "Osc Timbre Low", "", 0.5f, "0.250"},
    {30, "Osc Timbre High", "", 0.5f, "0.250"},
    {31, "Ampli A L", "s", 0.05f, "0.007"},
    {32, "Filtre1 A L", "s", 0.05f, "0.007"},
    {33, "Filtre2 A L", "s", 0.05f, "0.007"},
    {34, "Ampli D L", "s", 0.4f, "0.079"},
    {35, "Filtre1 D L", "s", 0.4f, "0.079"},
    {36, "Filtre2 D L", "s", 0.4f, "0.079"},
    {37, "Ampli S L", "", 0.5f, "0.500"},
    {38, "Filtre1 S L", "", 0.8f, "0.800"},
    {39, "Filtre2 S L", "", 0.8f, "0.800"},
    {40, "Ampli R L", "s", 0.4f, "0.079"},
    {41, "Filtre1 R L", "s", 0.4f, "0.079"},
    {42, "Filtre2 R L", "s", 0.4f, "0.079"},
    {43, nullptr, nullptr, 0.f, ""},
    {44, nullptr, nullptr, 0.f, ""},
    {45, "Filtre2 LFO", "", 0.f, "0.000"},
    {46, "Filtre1 LFO", "", 0.f, "0.000"},
    {47, "Overdrive2L", "dB", 0.5f, "0.000"},
    {48, "LFO DepthH", "Cents", 0.5f, "50.000"},
    {49, nullptr, nullptr, 0.f, ""},
    {50, nullptr, nullptr, 0.f, ""},
    {51, nullptr, nullptr, 0.f, ""},
    {52, nullptr, nullptr, 0.f, ""},
    {53, nullptr, nullptr, 0.5f, ""},
    {54, nullptr, nullptr, 0.5f, ""},
    {55, nullptr, nullptr, 0.5f, ""},
    {56, nullptr, nullptr, 0.5f, ""},
    {57, "Panoramique", "", 0.5f, "Droite 64"},
    {58, "Overdrive1H", "dB", 0.5f, "0.000"},
    {59, "Overdrive1L", "dB", 0.5f, "0.000"},
    {60, "Polyphonie", "", 1.f, "8 voix"},
};

const std::string kUntouched(255, '#');

std::string display(TestHost& host, int index, float value) {
  host.setParameter(index, value);
  return host.parameterText(effGetParamDisplay, index);
}

}  // namespace

TEST(ParameterTableTest, EveryParameterHasItsNameLabelAndDefaultDisplay) {
  TestHost host;
  ASSERT_NE(host.effect, nullptr);
  for (const Row& row : kDefaults) {
    SCOPED_TRACE(row.index);
    EXPECT_EQ(host.getParameter(row.index), row.value);
    EXPECT_EQ(host.parameterText(effGetParamName, row.index), row.name ? row.name : kUntouched);
    EXPECT_EQ(host.parameterText(effGetParamLabel, row.index), row.label ? row.label : kUntouched);
    EXPECT_EQ(host.parameterText(effGetParamDisplay, row.index), row.display);
  }
}

TEST(ParameterTableTest, PanTextNamesTheSideAndTheMiddle) {
  TestHost host;
  EXPECT_EQ(display(host, kPan, 0.f), "Gauche 0");
  EXPECT_EQ(display(host, kPan, 0.49f), "Gauche 62");
  EXPECT_EQ(display(host, kPan, 0.495f), "Milieu");
  EXPECT_EQ(display(host, kPan, 0.5f), "Droite 64");
  EXPECT_EQ(display(host, kPan, 1.f), "Droite 128");
  EXPECT_EQ(display(host, kPan, -0.1f), "Gauche -12");
  EXPECT_EQ(display(host, kPan, 1e30f), "Droite 2147483647");
}

TEST(ParameterTableTest, ChoicesTruncateAndClamp) {
  TestHost host;
  const float poly[] = {0.f, 0.25f, 0.5f, 0.75f, 1.f, 7.f, -3.f};
  const char* polyText[] = {"Mono", "2 voix", "4 voix", "8 voix", "8 voix", "8 voix", "Mono"};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(display(host, kPolyphony, poly[i]), polyText[i]) << poly[i];
  EXPECT_EQ(display(host, kOscType, 0.5f), "FM2");
  EXPECT_EQ(display(host, kOscType, 1.f), "WaveTable");
  EXPECT_EQ(display(host, kFilter1Type, 0.5f), "EQ");
  EXPECT_EQ(display(host, kFilter2Type, 1.f), "HighPass");
  EXPECT_EQ(display(host, kFilter2Type, 0.199f), "Flat");
}

// A host's generic slider between the switch positions shows the mode that plays.
TEST(ParameterTableTest, OscTypeShowsTheModeTheEnginePlays) {
  InProcessHost host;
  EXPECT_EQ(display(host, kOscType, 0.15f), "SupSaw");
  EXPECT_EQ(display(host, kOscType, 0.9f), "FM3");
  EXPECT_EQ(display(host, kOscType, 0.95f), "WaveTable");
  EXPECT_EQ(display(host, kOscType, 1.5f), "WaveTable");
  EXPECT_EQ(display(host, kOscType, -0.5f), "Pulse");
  const char* names[] = {"Pulse", "SupSaw", "FM1", "FM2", "FM3", "WaveTable"};
  for (int step = 0; step <= 100; ++step) {
    const float v = step / 100.f;
    host.setParameter(kOscType, v);
    host.applyPendingChanges();
    const int mode = static_cast<int>(orvalis::tests::engineOf(host).voice(0).mode);
    ASSERT_TRUE(mode >= 0 && mode <= 5) << v;
    EXPECT_EQ(host.parameterText(effGetParamDisplay, kOscType), names[mode]) << v;
  }
}

// The filter types switch where the display's trunc(5 v) does, to the last bit around each
// switch point, for both filters.
TEST(ParameterTableTest, FilterTypeShowsTheTypeTheEnginePlays) {
  InProcessHost host;
  std::vector<float> values = {-1.f, 0.f, 0.5f, 1.f, 1.5f};
  for (float edge : {0.2f, 0.4f, 0.6f, 0.8f}) {
    float below = edge, above = edge;
    for (int ulp = 0; ulp < 4; ++ulp) {
      below = std::nextafter(below, 0.f);
      values.push_back(below);
      values.push_back(above);
      above = std::nextafter(above, 1.f);
    }
  }
  for (float v : values) {
    for (int index : {kFilter1Type, kFilter2Type}) {
      host.setParameter(index, v);
      host.applyPendingChanges();
      const orvalis::engine::FilterStage& f = orvalis::tests::engineOf(host).voice(3).filter;
      const int type = index == kFilter1Type ? f.type1 : f.type2;
      ASSERT_TRUE(type >= 0 && type <= 4) << v;
      EXPECT_EQ(host.parameterText(effGetParamDisplay, index), kFilterTypeNames[type]) << v;
      EXPECT_EQ(filterTypeIndex(v), choiceIndex(v, 5)) << v;
    }
  }
}

TEST(ParameterTableTest, NumbersFollowTheirCurves) {
  TestHost host;
  EXPECT_EQ(display(host, kPortamento, 1.f), "0.020");  // portamento shows T(0.2 v)
  EXPECT_EQ(display(host, kAmpAttackH, 1.f), "5.000");
  EXPECT_EQ(display(host, kAmpAttackH, 0.f), "0.005");
  EXPECT_EQ(display(host, kGain, 0.f), "-20.000");
  EXPECT_EQ(display(host, kLfoDepthL, 1.f), "100.000");
  EXPECT_EQ(display(host, kFilter1FreqLow, 0.f), "-1.000");
  EXPECT_EQ(display(host, kFilter1ResoLow, 1.f), "10.000");
  EXPECT_EQ(display(host, kLfoSpeed, 1.f), "20.000");
  // Values outside 0..1 are stored unchanged and displayed by the same formulas.
  EXPECT_EQ(display(host, kAmpSustainH, 2.f), "2.000");
  EXPECT_EQ(host.getParameter(kAmpSustainH), 2.f);
}

TEST(ParameterTableTest, SetParameterStoresAndReadsBack) {
  TestHost host;
  for (int i = 0; i < kNumParams; ++i) {
    host.setParameter(i, 0.125f + i / 1000.f);
    EXPECT_EQ(host.getParameter(i), 0.125f + i / 1000.f) << i;
  }
}

TEST(ParameterTableTest, BadInputWritesNothingAndAnswersNeutral) {
  TestHost host;
  for (int index : {kNumParams, kNumParams + 1, -1, -1000, 0x7FFFFFFF}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(host.getParameter(index), 0.f);
    host.setParameter(index, 0.3f);
    EXPECT_EQ(host.parameterText(effGetParamName, index), kUntouched);
    EXPECT_EQ(host.parameterText(effGetParamLabel, index), kUntouched);
    EXPECT_EQ(host.parameterText(effGetParamDisplay, index), "");
  }
  for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                    -std::numeric_limits<float>::infinity()}) {
    host.setParameter(kAmpSustainH, bad);
    EXPECT_EQ(host.getParameter(kAmpSustainH), 0.5f);
  }
}

TEST(ParameterTableTest, NoTextLongerThanTwentyThreeCharacters) {
  TestHost host;
  const float values[] = {-1e30f, -1e6f, -1.f, 0.f, 0.37f, 1.f, 2.f, 1e6f, 1e30f};
  for (int i = 0; i < kNumParams; ++i)
    for (float v : values) {
      host.setParameter(i, v);
      for (int op : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
        std::string text = host.parameterText(op, i);
        if (text == kUntouched) continue;
        EXPECT_LE(text.size(), 23u) << i << " " << v << " " << text;
      }
    }
}
