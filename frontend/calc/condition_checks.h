// The checks that every calculation runs on the exposure conditions before
// it computes anything. The forms show the message in a message box; the
// command-line front door prints the English text naming its option.
#pragma once

#include <optional>
#include <string>

#include "exposure.h"

namespace bsf {

struct ConditionProblem {
  std::string option;      // the command-line option (or CSV column) at fault, e.g. "kv"
  std::string message;     // for the forms (Japanese)
  std::string message_en;  // for the command line
};

// The thickness rule: the object must fit between the entrance surface and
// the image receptor (equality passes).
std::optional<ConditionProblem> check_thickness(const ExposureConditions& c);

// The limits the calculations need: a tube voltage from 1 kV (the energy
// grid's first filled bin is 1 keV) to 150 kV (its last bin); positive
// distances, thickness and field sizes (for a circular field only the
// diameter); an anode angle strictly between 0 and 90 degrees; no negative
// filter; a waveform code of 1, 2 or 3.
std::optional<ConditionProblem> check_ranges(const ExposureConditions& c);

// The thickness rule first, then the limits.
std::optional<ConditionProblem> check_conditions(const ExposureConditions& c);

}  // namespace bsf
