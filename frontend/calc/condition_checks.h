// The checks that every calculation runs on the exposure conditions and the
// phantom before it computes anything, with the allowed range of every
// value. The forms show the Japanese message in a message box; the command
// line prints the English one, naming its option.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "exposure.h"
#include "number_text.h"

namespace bsf {

// Every value a user types.
enum class Condition {
  TubeVoltage,
  Waveform,
  AnodeAngle,
  InherentFilter,
  AddedFilterAl,
  AddedFilterCu,
  FocusReceptorDistance,
  FocusSurfaceDistance,
  ObjectThickness,
  FieldLong,
  FieldShort,
  FieldDiameter,
  CylinderRadius,
  EllipseHorizontal,
  EllipseVertical,
  RacetrackA,
  RacetrackB,
  RacetrackLength,
  HistoryCount,
};

// The allowed range of a value, in the unit it is typed in (filters in mm),
// both ends included.
struct ConditionLimit {
  Condition which;
  const char* option;   // the command-line option (and CSV column, '-' as '_')
  const char* name_ja;  // as the window labels it
  const char* name_en;
  const char* unit_ja;  // after a number on the forms
  const char* unit_en;
  double low;
  double high;
  bool whole = false;  // a whole number (the history number)
};

// The limits. Where they stand and why:
// - tube voltage 20 to 150 kV: the energy grid ends at 150 keV, and below
//   20 kV no diagnostic beam passes the filtration a tube has;
// - anode angle 5 to 30 degrees: the range of real tubes, where the
//   model's path of the photons through the target holds;
// - filters: inherent up to 10 mm Al, added up to 30 mm Al (the reach of
//   the half-value-layer search) and 5 mm Cu; every combination still lets
//   a computable spectrum through at 20 kV;
// - distances, thickness, field sizes, phantom dimensions and the history
//   number: the engine's own limits (run_limits.h).
const ConditionLimit& limit_of(Condition which);

struct ConditionProblem {
  Condition which;
  std::string option;      // the command-line option (or CSV column) at fault, e.g. "kv"
  std::string message;     // for the forms (Japanese)
  std::string message_en;  // for the command line
};

// A value typed into a field (in the field's unit) against its limits.
std::optional<ConditionProblem> check_value(Condition which, double typed);

// A field whose text holds no usable number: empty, not a number, or
// beyond double precision (`reading` says which); `text` is shown as typed.
ConditionProblem not_a_number(Condition which, std::string_view text, NumberReading reading);

// The thickness rule: the object must fit between the entrance surface and
// the image receptor (equality passes).
std::optional<ConditionProblem> check_thickness(const ExposureConditions& c);

// The exposure conditions against their limits, in form order; for a
// circular field only the diameter; the waveform code 1, 2 or 3.
std::optional<ConditionProblem> check_ranges(const ExposureConditions& c);

// The limits first, then the thickness rule.
std::optional<ConditionProblem> check_conditions(const ExposureConditions& c);

// The phantom of `c` (phantom_of) and the history number, as the engine
// will check them with the distances and the joken field sizes of `c`: each
// dimension within its limits, a curved front not too small for the focus
// distance, and, for the racetrack, a share of source rays that reach it.
std::optional<ConditionProblem> check_phantom(const ExposureConditions& c);

}  // namespace bsf
