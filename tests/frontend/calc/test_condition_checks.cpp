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

TEST(ConditionChecks, ThicknessRuleComesFirstWithItsFormText)
{
  ExposureConditions c = defaults();
  c.ObjectThickness = 20.1;
  c.TubeVoltage = 200.0;  // also out of range: the thickness rule speaks first
  const auto p = check_conditions(c);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->message, "  被写体厚が (FFD-FSD) より大きくなっています  ");
  EXPECT_EQ(p->option, "thickness");
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
      {"0.9 kV", [](auto& c) { c.TubeVoltage = 0.9; }, "kv"},
      {"NaN kV", [](auto& c) { c.TubeVoltage = std::nan(""); }, "kv"},
      {"waveform 4", [](auto& c) { c.Waveform = 4; }, "waveform"},
      {"angle 0", [](auto& c) { c.AnodeAngle = 0.0; }, "anode-angle"},
      {"angle 90", [](auto& c) { c.AnodeAngle = 90.0; }, "anode-angle"},
      {"angle 89.9", [](auto& c) { c.AnodeAngle = 89.9; }, nullptr},
      {"no filters", [](auto& c) { c.InherentFilter = c.AddedFilterAl = c.AddedFilterCu = 0.0; }, nullptr},
      {"negative Al", [](auto& c) { c.AddedFilterAl = -0.1; }, "added-al"},
      {"negative Cu", [](auto& c) { c.AddedFilterCu = -0.01; }, "added-cu"},
      {"negative inherent", [](auto& c) { c.InherentFilter = -0.01; }, "inherent-al"},
      {"FSD 0", [](auto& c) { c.FocusSurfaceDistance = 0.0; c.ObjectThickness = 1.0; }, "fsd"},
      {"thickness 0", [](auto& c) { c.ObjectThickness = 0.0; }, "thickness"},
      {"no field sizes", [](auto& c) { c.FieldLong = c.FieldShort = 0.0; }, "field"},
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

TEST(ConditionChecks, MessagesShowTheValueAsTyped)
{
  struct Case {
    std::function<void(ExposureConditions&)> change;
    const char* shown;
  };
  const Case cases[] = {
      {[](auto& c) { c.TubeVoltage = 150.0001; }, "the tube voltage 150.0001 kV"},
      {[](auto& c) { c.AnodeAngle = 90.00001; }, "the anode angle 90.00001 degrees"},
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
