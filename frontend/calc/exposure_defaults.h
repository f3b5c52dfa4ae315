// The defaults of every condition a user types, in one place for all the
// front ends: the windows show `text` in a condition's box when a form or
// the shape dialog is loaded, the command line takes `value` for an option
// that is not given, and the shared state starts from them.
//
// The exposure: 75 kV on a constant-potential (inverter) generator, a 12
// degree anode, 2.5 mm Al inherent and 1.0 mm Al added filtration, no
// copper, the image receptor at 100 cm and the entrance surface at 80 cm
// from the focus, a 20 cm thick patient and the field of a 半切 (14 x 17
// inch) cassette, 43.2 x 35.6 cm; a circular field starts at 10 cm. The
// phantom: a 20 cm radius cylinder, a 30 x 20 cm elliptic cylinder, a
// racetrack of a = b = 20 cm and 80 cm length, 50 million histories.
#pragma once

#include <cstdint>
#include <stdexcept>

#include "condition_checks.h"

namespace bsf {

struct ConditionDefault {
  Condition which;
  double value;      // in the unit it is typed in (filters in mm, see kCmPerMm)
  const char* text;  // what its box shows: the value as a user types it
};

inline constexpr ConditionDefault kConditionDefaults[] = {
    {Condition::TubeVoltage, 75.0, "75"},
    {Condition::Waveform, 1.0, "1"},  // chosen with option buttons, not typed
    {Condition::AnodeAngle, 12.0, "12"},
    {Condition::InherentFilter, 2.5, "2.5"},
    {Condition::AddedFilterAl, 1.0, "1.0"},
    {Condition::AddedFilterCu, 0.0, "0"},
    {Condition::FocusReceptorDistance, 100.0, "100"},
    {Condition::FocusSurfaceDistance, 80.0, "80"},
    {Condition::ObjectThickness, 20.0, "20"},
    {Condition::FieldLong, 43.2, "43.2"},
    {Condition::FieldShort, 35.6, "35.6"},
    {Condition::FieldDiameter, 10.0, "10.0"},
    {Condition::CylinderRadius, 20.0, "20"},
    {Condition::EllipseHorizontal, 30.0, "30"},
    {Condition::EllipseVertical, 20.0, "20"},
    {Condition::RacetrackA, 20.0, "20"},
    {Condition::RacetrackB, 20.0, "20"},
    {Condition::RacetrackLength, 80.0, "80"},
    {Condition::HistoryCount, 50000000.0, "50000000"},
};

// The field shape the forms start with: rectangular (ExposureConditions::FieldShape).
inline constexpr std::int16_t kDefaultFieldShape = 1;

// The default of `which`; every condition has one.
constexpr const ConditionDefault& condition_default(Condition which)
{
  for (const ConditionDefault& d : kConditionDefaults)
    if (d.which == which) return d;
  throw std::logic_error("no default for a condition");
}

constexpr double default_value(Condition which) { return condition_default(which).value; }
constexpr const char* default_text(Condition which) { return condition_default(which).text; }

}  // namespace bsf
