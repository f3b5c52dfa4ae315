// The command line's exposure conditions: the same names as the options
// (without dashes, '-' as '_') serve as CSV columns and JSON keys.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exposure.h"
#include "exposure_defaults.h"
#include "number_text.h"

namespace bsf::cli {

// Conditions as typed on the command line or in a CSV row, in the units the
// forms use (filters in mm), starting from the forms' defaults.
struct CliConditions {
  double kv = default_value(Condition::TubeVoltage);
  int waveform = static_cast<int>(default_value(Condition::Waveform));
  double anode_angle = default_value(Condition::AnodeAngle);
  double inherent_al = default_value(Condition::InherentFilter);  // mm
  double added_al = default_value(Condition::AddedFilterAl);      // mm
  double added_cu = default_value(Condition::AddedFilterCu);      // mm
  double ffd = default_value(Condition::FocusReceptorDistance);   // cm
  double fsd = default_value(Condition::FocusSurfaceDistance);    // cm
  double thickness = default_value(Condition::ObjectThickness);   // cm
  double field_long = default_value(Condition::FieldLong);        // cm at the receptor
  double field_short = default_value(Condition::FieldShort);
  std::optional<double> diameter;  // a circular field, cm at the receptor
};

// What turns the factors into patient dose (all optional): the measured
// half-value layer that fixes the added aluminium, and the incident air
// kerma, measured at a distance or from the tube output and the mAs.
struct DoseOptions {
  std::optional<double> hvl_mm;
  std::optional<double> incident_air_kerma_mgy;
  std::optional<double> at_cm;
  std::optional<double> tube_output_ugy_per_mas;
  std::optional<double> mas;
  std::optional<double> air_kerma_rel_u;
  std::string report;  // a PDF to write
};

// The dose columns of a batch file (the options' names, '-' as '_').
const std::vector<std::string>& dose_columns();

// Sets one dose option from a CSV cell; an empty cell leaves it unset.
void set_dose_option(DoseOptions& d, std::string_view column, std::string_view value);

// Refuses combinations that mean nothing: a half-value layer beside an
// added aluminium, both kinds of air kerma, a distance without a measured
// air kerma, a tube output without the mAs or the other way round.
// `added_al_given`: the added aluminium was given explicitly.
void check_dose_options(const DoseOptions& d, bool added_al_given);

std::string dose_text(const DoseOptions& d, std::string_view column);

// The column names of a batch file, in output order.
const std::vector<std::string>& condition_columns();

// Parses "LONGxSHORT" (for example 43.2x35.6); throws std::invalid_argument
// with a message naming the text.
void parse_field(std::string_view text, double& field_long, double& field_short);

// Sets one condition from a CSV cell; throws std::invalid_argument naming the
// column and the text. An empty cell keeps the default.
void set_condition(CliConditions& c, std::string_view column, std::string_view value);

// The shared state the calculations read, filters turned into cm.
ExposureConditions to_exposure(const CliConditions& c);

// The value of a condition column as text, for the CSV echo.
std::string condition_text(const CliConditions& c, std::string_view column);

// Splits one CSV line (commas, optional double quotes with "" inside).
std::vector<std::string> split_csv(std::string_view line);

// Quotes a CSV cell when it holds a comma, a quote or a line end.
std::string csv_cell(std::string_view text);

}  // namespace bsf::cli
