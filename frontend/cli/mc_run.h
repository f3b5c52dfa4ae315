// The full Monte Carlo calculation from the command line: the run
// conditions and the spectrum written with the front end's own writers into
// a working folder with the installed data, the engine of the phantom
// started there and followed through its status file, and its result read
// back.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "cli_conditions.h"
#include "result_file.h"

namespace bsf::cli {

// The phantom and the run, as the shape dialog takes them (cm), starting
// from its defaults.
struct McOptions {
  Phantom phantom = Phantom::Racetrack;
  double radius = default_value(Condition::CylinderRadius);
  double semi_axis_horizontal = default_value(Condition::EllipseHorizontal);
  double semi_axis_vertical = default_value(Condition::EllipseVertical);
  double racetrack_a = default_value(Condition::RacetrackA);
  double racetrack_b = default_value(Condition::RacetrackB);
  double length = default_value(Condition::RacetrackLength);
  double histories = default_value(Condition::HistoryCount);
  int threads = 0;      // 0: all cores
  bool exact = false;   // the exact serial run (no --threads)
  std::string keep_dir; // empty: a temporary folder removed afterwards
};

// The names of the Monte Carlo columns of a batch file, in output order.
const std::vector<std::string>& mc_columns();

// Sets one Monte Carlo option from a CSV cell (an empty cell keeps the
// default); throws std::invalid_argument naming the column and the text.
void set_mc_option(McOptions& m, std::string_view column, std::string_view value);

// The value of a Monte Carlo column as text, for the CSV echo.
std::string mc_text(const McOptions& m, std::string_view column);

// The conditions and phantom as the engine and the checks take them:
// refuses a circular field, no phantom, a history number that is not
// whole, and anything the forms' limits refuse. Throws
// std::invalid_argument with "--option: message".
ExposureConditions mc_conditions(const CliConditions& c, const McOptions& m);

// A run that ended without a result: the engine's own message and the
// status it ended with.
class McFailure : public std::runtime_error {
 public:
  McFailure(const std::string& message, int engine_status)
      : std::runtime_error(message), engine_status_(engine_status)
  {
  }
  int engine_status() const { return engine_status_; }

 private:
  int engine_status_;
};

// How far a run has come, for a progress bar.
using McProgress = std::function<void(const EngineStatus&)>;

// Runs the engine for `conditions` (with its X_SPCTL.dat text) with the
// data of `data_dir`. The engines are looked for beside this program, then
// on the PATH. Throws DataFileError (files), McFailure (the engine stopped
// without a result) or std::runtime_error (the engine could not start).
EngineResultJson run_mc(const ExposureConditions& conditions, const std::string& spectrum_text,
                        const std::filesystem::path& data_dir, const McOptions& m, const McProgress& progress);

// A progress line for a terminal: "[#####.....]  45.2 %  ...".
std::string progress_bar(const EngineStatus& s, int width = 30);

}  // namespace bsf::cli
