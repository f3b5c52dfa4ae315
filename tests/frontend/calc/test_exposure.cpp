// The conditions' defaults and the phantom codes and names the front ends
// and the engines share.
#include <gtest/gtest.h>

#include <string>

#include "condition_checks.h"
#include "exposure.h"
#include "exposure_defaults.h"
#include "number_text.h"

namespace bsf {
namespace {

// ---------------------------------------------------------------------------
// Defaults

class Default : public ::testing::TestWithParam<ConditionDefault> {};

// What a form shows is what the command line takes, and either passes the
// checks a user's own value must pass.
TEST_P(Default, ItsTextReadsBackAsItsValueWithinTheLimits)
{
  const ConditionDefault& d = GetParam();
  EXPECT_EQ(parse_strict(d.text), d.value) << d.text;
  EXPECT_FALSE(check_value(d.which, d.value)) << check_value(d.which, d.value)->message_en;
}

INSTANTIATE_TEST_SUITE_P(Conditions, Default, ::testing::ValuesIn(kConditionDefaults),
                         [](const auto& info) { return "Condition" + std::to_string(static_cast<int>(info.param.which)); });

TEST(Defaults, EveryConditionHasExactlyOne)
{
  for (int i = static_cast<int>(Condition::TubeVoltage); i <= static_cast<int>(Condition::HistoryCount); ++i) {
    int found = 0;
    for (const ConditionDefault& d : kConditionDefaults) found += static_cast<int>(d.which) == i;
    EXPECT_EQ(found, 1) << "condition " << i;
  }
}

// The shared state starts from them with the filters turned into cm: the
// spectrum model takes 2.5 mm inherent aluminium as 0.25 cm, not 2.5 cm.
TEST(Defaults, TheSharedStateHoldsThemInItsOwnUnits)
{
  ExposureConditions c;
  set_default_conditions(c, 1);
  EXPECT_EQ(c.TubeVoltage, 75.0);
  EXPECT_EQ(c.Waveform, 1);
  EXPECT_EQ(c.AnodeAngle, 12.0);
  EXPECT_EQ(c.InherentFilter, 0.25);
  EXPECT_EQ(c.AddedFilterAl, 0.1);
  EXPECT_EQ(c.AddedFilterCu, 0.0);
  EXPECT_EQ(c.FocusReceptorDistance, 100.0);
  EXPECT_EQ(c.FocusSurfaceDistance, 80.0);
  EXPECT_EQ(c.ObjectThickness, 20.0);
  EXPECT_EQ(c.FieldLong, 43.2);
  EXPECT_EQ(c.FieldShort, 35.6);
  EXPECT_EQ(c.FieldShape, 1);
  EXPECT_FALSE(check_conditions(c));
}

// The loading form decides the phantom: none for the table estimate, the
// cylinder for the Monte Carlo form.
TEST(Defaults, ThePhantomFollowsTheLoadingForm)
{
  ExposureConditions c;
  set_default_conditions(c, 1);
  EXPECT_EQ(c.ActiveForm, 1);
  EXPECT_EQ(phantom_of(c), Phantom::None);
  set_default_conditions(c, 2);
  EXPECT_EQ(c.ActiveForm, 2);
  EXPECT_EQ(phantom_of(c), Phantom::Cylinder);
}

// ---------------------------------------------------------------------------
// Phantoms

struct PhantomCase {
  Phantom phantom;
  int code;                 // ExposureConditions::PhantomShape
  const char* program;      // the engine's executable
  const char* option;       // --phantom and the batch column
  const char* result_name;  // ResultBSF.json's "phantom"
};

class PhantomNames : public ::testing::TestWithParam<PhantomCase> {};

TEST_P(PhantomNames, CodeAndNamesLeadToTheSamePhantom)
{
  const PhantomCase& c = GetParam();
  EXPECT_EQ(phantom_code(c.phantom), c.code);
  EXPECT_EQ(phantom_from_code(c.code), c.phantom);
  EXPECT_EQ(engine_program(c.phantom), c.program);
  EXPECT_EQ(phantom_option_name(c.phantom), c.option);
  EXPECT_EQ(phantom_result_name(c.phantom), c.result_name);
  if (c.phantom != Phantom::None) {
    EXPECT_EQ(phantom_from_option_name(c.option), c.phantom);
    EXPECT_EQ(phantom_from_result_name(c.result_name), c.phantom);
  }
  ExposureConditions e;
  e.PhantomShape = static_cast<std::int16_t>(c.code);
  EXPECT_EQ(phantom_of(e), c.phantom);
}

INSTANTIATE_TEST_SUITE_P(
    Phantoms, PhantomNames,
    ::testing::Values(PhantomCase{Phantom::None, 0, "", "", ""},
                      PhantomCase{Phantom::Cylinder, 1, "Mirabek", "cylinder", "cylinder"},
                      PhantomCase{Phantom::EllipticCylinder, 2, "Teslund", "elliptic", "elliptic_cylinder"},
                      PhantomCase{Phantom::Racetrack, 4, "Korvane", "racetrack", "racetrack"}),
    [](const auto& info) { return std::string(info.param.program[0] ? info.param.program : "None"); });

TEST(Phantoms, UnknownCodesAndNamesAreRefused)
{
  for (int code : {3, 5, 8, -1, 32767}) {
    EXPECT_FALSE(phantom_from_code(code)) << code;
    ExposureConditions e;
    e.PhantomShape = static_cast<std::int16_t>(code);
    EXPECT_EQ(phantom_of(e), Phantom::None) << "no engine runs code " << code;
  }
  // The names of the other list, another case, or none at all.
  for (const char* name : {"", "sphere", "Cylinder", "elliptic_cylinder", "Korvane"})
    EXPECT_FALSE(phantom_from_option_name(name)) << name;
  for (const char* name : {"", "elliptic", "RACETRACK"}) EXPECT_FALSE(phantom_from_result_name(name)) << name;
}

}  // namespace
}  // namespace bsf
