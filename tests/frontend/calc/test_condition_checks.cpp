// The checks run before any calculation.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "condition_checks.h"

namespace bsf {
namespace {

ExposureConditions defaults()
{
  ExposureConditions c;
  set_default_conditions(c, 1);
  return c;
}

TEST(ConditionChecks, DefaultsPassAndThicknessEqualityPasses)
{
  EXPECT_FALSE(check_conditions(defaults()));  // 20 cm = FFD - FSD
}

TEST(ConditionChecks, ThicknessRuleWithItsFormTextOnceTheValuesAreInRange)
{
  ExposureConditions c = defaults();
  c.ObjectThickness = 20.1;
  auto p = check_conditions(c);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->message, "  被写体厚が (FFD-FSD) より大きくなっています  ");
  EXPECT_EQ(p->option, "thickness");
  // A distance beyond its limit is named as such, not as a thickness that
  // does not fit.
  c.FocusSurfaceDistance = 1e300;
  p = check_conditions(c);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->option, "fsd");
}

TEST(ConditionChecks, RangesNameTheOption)
{
  struct Case {
    const char* name;
    std::function<void(ExposureConditions&)> change;
    const char* option;  // nullptr: passes
  };
  const Case cases[] = {
      {"150 kV", [](auto& c) { c.TubeVoltage = 150.0; }, nullptr},
      {"150.1 kV", [](auto& c) { c.TubeVoltage = 150.1; }, "kv"},
      {"0 kV", [](auto& c) { c.TubeVoltage = 0.0; }, "kv"},
      {"1 kV: no photon passes the filtration", [](auto& c) { c.TubeVoltage = 1.0; }, "kv"},
      {"NaN kV", [](auto& c) { c.TubeVoltage = std::nan(""); }, "kv"},
      {"waveform 4", [](auto& c) { c.Waveform = 4; }, "waveform"},
      {"waveform 0", [](auto& c) { c.Waveform = 0; }, "waveform"},
      {"angle 0", [](auto& c) { c.AnodeAngle = 0.0; }, "anode-angle"},
      {"angle 89.9", [](auto& c) { c.AnodeAngle = 89.9; }, "anode-angle"},
      {"no filters", [](auto& c) { c.InherentFilter = c.AddedFilterAl = c.AddedFilterCu = 0.0; }, nullptr},
      {"30 mm Al typed, 3.0000000000000004 cm held", [](auto& c) { c.AddedFilterAl = 0.1 * 30; }, nullptr},
      {"negative Al", [](auto& c) { c.AddedFilterAl = -0.1; }, "added-al"},
      {"negative Cu", [](auto& c) { c.AddedFilterCu = -0.01; }, "added-cu"},
      {"1000 mm Cu", [](auto& c) { c.AddedFilterCu = 100.0; }, "added-cu"},
      {"negative inherent", [](auto& c) { c.InherentFilter = -0.01; }, "inherent-al"},
      {"FSD 0", [](auto& c) { c.FocusSurfaceDistance = 0.0; c.ObjectThickness = 1.0; }, "fsd"},
      {"FFD 1e300", [](auto& c) { c.FocusReceptorDistance = 1e300; }, "ffd"},
      {"FFD infinite", [](auto& c) { c.FocusReceptorDistance = HUGE_VAL; }, "ffd"},
      {"thickness 0", [](auto& c) { c.ObjectThickness = 0.0; }, "thickness"},
      {"no field sizes", [](auto& c) { c.FieldLong = c.FieldShort = 0.0; }, "field"},
      {"field 1e-30", [](auto& c) { c.FieldShort = 1e-30; }, "field"},
      {"field 5000 cm", [](auto& c) { c.FieldLong = 5000.0; }, "field"},
      {"circular, short 0", [](auto& c) { c.FieldShape = 2; c.FieldLong = 10.0; c.FieldShort = 0.0; }, nullptr},
      {"circular, diameter 0", [](auto& c) { c.FieldShape = 2; c.FieldLong = 0.0; }, "diameter"},
  };
  for (const auto& k : cases) {
    ExposureConditions c = defaults();
    k.change(c);
    const auto p = check_conditions(c);
    if (!k.option) {
      EXPECT_FALSE(p) << k.name << ": " << p->message_en;
      continue;
    }
    ASSERT_TRUE(p) << k.name;
    EXPECT_EQ(p->option, k.option) << k.name;
    EXPECT_FALSE(p->message.empty());
    EXPECT_FALSE(p->message_en.empty());
  }
}

// Every limit: its two ends pass, a little beyond either is refused with a
// message that gives the allowed range, and so is a value that is not finite.
TEST(ConditionChecks, EveryLimitIsInclusiveAndItsMessageGivesTheRange)
{
  for (int i = 0; i <= static_cast<int>(Condition::HistoryCount); ++i) {
    const Condition which = static_cast<Condition>(i);
    const ConditionLimit& l = limit_of(which);
    SCOPED_TRACE(l.name_en);
    EXPECT_FALSE(check_value(which, l.low));
    EXPECT_FALSE(check_value(which, l.high));
    const double step = l.whole ? 1.0 : 1e-6 * std::max(1.0, l.high);
    for (double outside : {l.low - step, l.high + step, std::nan(""), HUGE_VAL, -HUGE_VAL}) {
      const auto p = check_value(which, outside);
      ASSERT_TRUE(p) << outside;
      EXPECT_EQ(p->which, which);
      EXPECT_NE(p->message.find(l.name_ja), std::string::npos) << p->message;
      EXPECT_NE(p->message.find(" 以上 "), std::string::npos) << p->message;
      EXPECT_NE(p->message_en.find("between"), std::string::npos) << p->message_en;
    }
    if (l.whole) {
      EXPECT_TRUE(check_value(which, l.low + 0.5));
    }
  }
}

TEST(ConditionChecks, TextsThatAreNotNumbersSaySoWithTheRange)
{
  struct Case {
    const char* text;
    const char* says_ja;
    const char* says_en;
  };
  const Case cases[] = {
      {"abc", "「Ｘ線管電圧」の「abc」は数値ではありません", "\"abc\" is not a number"},
      {"", "空欄です", "is empty"},
      {"1e400", "「1e400」は大きすぎて", "too large"},
  };
  for (const auto& k : cases) {
    const ConditionProblem p = not_a_number(Condition::TubeVoltage, k.text, parse_number(k.text));
    EXPECT_EQ(p.option, "kv");
    EXPECT_NE(p.message.find(k.says_ja), std::string::npos) << p.message;
    EXPECT_NE(p.message.find("Ｘ線管電圧"), std::string::npos) << p.message;
    EXPECT_NE(p.message.find("20 kV 以上 150 kV 以下"), std::string::npos) << p.message;
    EXPECT_EQ(p.message.find("0 より大きく"), std::string::npos) << p.message;
    EXPECT_NE(p.message_en.find(k.says_en), std::string::npos) << p.message_en;
  }
}

TEST(ConditionChecks, PhantomOfTheChosenShapeAndHistories)
{
  struct Case {
    const char* name;
    std::int16_t shape;
    std::function<void(ExposureConditions&)> change;
    const char* option;  // nullptr: passes
  };
  const Case cases[] = {
      {"cylinder defaults", 1, [](auto&) {}, nullptr},
      {"cylinder radius 0 (\"abc\" read as 0)", 1, [](auto& c) { c.CylinderRadius = 0; }, "radius"},
      {"elliptic: another shape's zero does not count", 2, [](auto& c) { c.CylinderRadius = 0; }, nullptr},
      {"elliptic vertical 0.02", 2, [](auto& c) { c.EllipseVertical = 0.02; }, "semi-axis-vertical"},
      {"elliptic horizontal negative", 2, [](auto& c) { c.EllipseHorizontal = -30; }, "semi-axis-horizontal"},
      {"racetrack length 0", 4, [](auto& c) { c.RacetrackLength = 0; }, "length"},
      {"racetrack b 600", 4, [](auto& c) { c.RacetrackB = 600; }, "racetrack-b"},
      {"histories -5", 4, [](auto& c) { c.HistoryCount = -5; }, "histories"},
      {"histories 0", 1, [](auto& c) { c.HistoryCount = 0; }, "histories"},
      {"histories 1", 1, [](auto& c) { c.HistoryCount = 1; }, nullptr},
      {"histories at the 32-bit limit", 2, [](auto& c) { c.HistoryCount = 2147483647; }, nullptr},
      // What the engine's single precision and source sampling need.
      {"cylinder of 5 cm 800 cm from the focus", 1,
       [](auto& c) { c.CylinderRadius = 5; c.FocusSurfaceDistance = 800; c.FocusReceptorDistance = 900; }, "radius"},
      {"cylinder of 8 cm 800 cm from the focus", 1,
       [](auto& c) { c.CylinderRadius = 8; c.FocusSurfaceDistance = 800; c.FocusReceptorDistance = 900; }, nullptr},
      {"ellipse 2 cm deep 300 cm from the focus", 2,
       [](auto& c) { c.EllipseVertical = 2; c.FocusSurfaceDistance = 300; c.FocusReceptorDistance = 400; },
       "semi-axis-vertical"},
      {"racetrack 1 cm long under a 43 cm field", 4, [](auto& c) { c.RacetrackLength = 1; }, "length"},
      {"racetrack 10 cm long under a 43 cm field", 4, [](auto& c) { c.RacetrackLength = 10; }, nullptr},
      {"racetrack under a 200 cm field at the receptor", 4,
       [](auto& c) { c.JokenFieldLong = c.JokenFieldShort = 200; c.RacetrackLength = 10; }, "length"},
  };
  for (const auto& k : cases) {
    ExposureConditions c = defaults();
    c.PhantomShape = k.shape;
    c.CylinderRadius = 20;
    c.EllipseHorizontal = 30;
    c.EllipseVertical = 20;
    c.RacetrackA = c.RacetrackB = 20;
    c.RacetrackLength = 80;
    c.HistoryCount = 50000000;
    c.JokenFieldShort = 35.6;
    c.JokenFieldLong = 43.2;
    k.change(c);
    const auto p = check_phantom(c);
    if (!k.option) {
      EXPECT_FALSE(p) << k.name << ": " << p->message_en;
      continue;
    }
    ASSERT_TRUE(p) << k.name;
    EXPECT_EQ(p->option, k.option) << k.name;
  }
}

TEST(ConditionChecks, MessagesShowTheValueAsTyped)
{
  struct Case {
    std::function<void(ExposureConditions&)> change;
    const char* shown;
  };
  const Case cases[] = {
      {[](auto& c) { c.TubeVoltage = 150.0001; }, "the tube voltage 150.0001 kV"},
      {[](auto& c) { c.TubeVoltage = 150.00000001; }, "the tube voltage 150.00000001 kV"},
      {[](auto& c) { c.AnodeAngle = 30.00001; }, "the anode angle 30.00001 degrees"},
      {[](auto& c) { c.AddedFilterCu = -0.00005; }, "the added copper filter -0.0005 mm"},
      {[](auto& c) { c.ObjectThickness = 20.0001; }, "(20.0001 cm) is larger than FFD - FSD (20 cm)"},
  };
  for (const auto& k : cases) {
    ExposureConditions c = defaults();
    k.change(c);
    const auto p = check_conditions(c);
    ASSERT_TRUE(p) << k.shown;
    EXPECT_NE(p->message_en.find(k.shown), std::string::npos) << p->message_en;
  }
}

}  // namespace
}  // namespace bsf
