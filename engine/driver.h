// The engine's run from start to end: seed, read the four input files, echo
// the conditions, run the history loop with its progress lines, print and
// write the three backscatter factors, and wait for Enter.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

#include "data_files.h"
#include "geometry.h"
#include "rng.h"
#include "simulation.h"
#include "text_io.h"

namespace bsf {

// Exit statuses of an engine run.
inline constexpr int kExitOk = 0;
inline constexpr int kExitInputError = 1;  // stopped before the loop: a file or a value at fault
inline constexpr int kExitNoResult = 2;    // ran, but no primary photon was scored
inline constexpr int kExitWriteError = 3;  // ResultBSF.txt could not be written

struct ClockReading {
  int hour;
  int minute;
  int second;
};

ClockReading local_clock();

// What a run talks to; main() passes the process's console and directory,
// tests pass string streams, a scratch directory and a fixed clock.
struct EngineIo {
  std::ostream& out;
  std::ostream& err;
  std::istream& in;
  std::filesystem::path dir;
  std::function<ClockReading()> clock = local_clock;
};

// Console lines end with CR LF.
class Console {
 public:
  explicit Console(std::ostream& out) : out_(out) {}
  void line(std::string_view text = {});
  void flush();

 private:
  std::ostream& out_;
};

std::string clock_line(std::string_view label, const ClockReading& c);

// Writes the three factors, four decimals in 7 columns, replacing the file
// atomically: a temporary file in the same directory, renamed over the old
// one, so that a reader never sees half a file. An existing file whose name
// differs only in letter case is the one replaced. Throws InputError (naming
// the file) when it cannot be written.
void write_result_file(const std::filesystem::path& dir, const BackscatterFactors& f);

// Refuses conditions that would make the run hang or mean nothing: a zero or
// negative distance, field size, thickness or phantom dimension, or a
// history number below 1.
void check_conditions(const RunConditions& rc, std::span<const PositiveValue> shape_values);

// The common part of a run, with the build's texts and operations.
template <class Phantom>
int run_engine(EngineIo& io)
{
  Console con(io.out);
  TabulatedLaggedFibonacci rng;  // seeded, warm-up done: the same sequence in every run

  con.line();
  con.line(std::string(" Monte Carlo Simulation  --- ") + std::string(Phantom::kProgram) + " ---");
  con.line();

  RunConditions rc;
  Spectrum spectrum;
  SoftTissueData tissue;
  AbsorptionTable absorption;
  try {
    rc = read_run_conditions(io.dir, Phantom::kConditionLines);
    for (const EchoLine& e : Phantom::kGeometryEcho)
      con.line(std::string(e.label) + format_fixed(rc.*(e.field), e.width, e.decimals) + " [cm]");
    con.line(" Thickness = " +
             format_fixed(rc.ObjectThickness, Phantom::kThicknessWidth, Phantom::kThicknessDecimals) +
             " [cm]");
    con.line(" Focus-Surface distance = " + format_fixed(rc.FocusSurfaceDistance, 5, 1) + " [cm]");
    con.line(" Focus - FPD distance   = " + format_fixed(rc.FocusReceptorDistance, 5, 1) + " [cm]");
    // The multiplication sign is written in Shift_JIS, 0x81 0x7E.
    con.line(" Field size = " + format_fixed(rc.FieldLong, 4, 1) + " \x81\x7E" +
             format_fixed(rc.FieldShort, 4, 1) + " [cm2]");
    con.line(" History number = " + format_int(rc.HistoryCount, 10));

    spectrum = read_spectrum(io.dir);
    tissue = read_soft_tissue(io.dir);
    absorption = read_absorption(io.dir);
    check_conditions(rc, Phantom::kPositiveValues);
    if constexpr (Phantom::kRedrawOnMiss) {
      const Phantom phantom(rc);
      if (!source_reaches(phantom, make_source(rc, phantom)))
        throw_input_error({std::string(kConditionsFile), 0},
                          "no ray from the focus through the field reaches the phantom: it is too "
                          "small for a field of " +
                              format_fixed(rc.FieldLong, 4, 1) + " x " + format_fixed(rc.FieldShort, 4, 1) +
                              " cm");
    }
  } catch (const InputError& e) {
    con.flush();
    Console err(io.err);
    err.line(" Error: " + std::string(e.what()));
    err.line(" The calculation was not started; no result file was written.");
    err.flush();
    return kExitInputError;
  }

  const Phantom phantom(rc);
  const SourceSetup source = make_source(rc, phantom);

  con.line(" <<< Monte Carlo Simulation >>>");
  const ClockReading start = io.clock();
  con.line(clock_line(" Start time =", start));
  con.line();
  con.line("  *  Please wait a few minutes or tens of minutes  *");
  con.flush();

  HistoryLoop<Phantom, FastPath> loop(phantom, source, tissue, absorption, rng);
  loop.run(spectrum, rc.HistoryCount, [&](int k) {
    con.line(format_int(k, 5) + " /" + format_int(spectrum.cutoff_bin, 4));
    con.flush();
  });

  con.line(clock_line(" Start time =", start));
  con.line(clock_line(" Finish time =", io.clock()));

  int status = kExitOk;
  const Tallies& t = loop.tallies();
  if (!(t.PrimaryAir > 0.0 && t.PrimarySoftTissue > 0.0 && t.PrimarySkin > 0.0)) {
    // No source point fell on the scoring disc, so there is no reference dose
    // and no factor to give.
    con.line();
    con.line(" No primary photon crossed the scoring disc (radius 0.5 cm on the beam axis),");
    con.line(" so the backscatter factors cannot be formed. Run again with a larger history number.");
    con.line(" No result file was written.");
    status = kExitNoResult;
  } else {
    const BackscatterFactors f = backscatter_factors(t);
    con.line();
    con.line(std::string(Phantom::kResultLabels.air) + format_fixed(f.air, 7, 4));
    con.line(std::string(Phantom::kResultLabels.soft_tissue) + format_fixed(f.soft_tissue, 7, 4));
    con.line(std::string(Phantom::kResultLabels.skin) + format_fixed(f.skin, 7, 4));
    try {
      write_result_file(io.dir, f);
    } catch (const InputError& e) {
      con.line(" Error: " + std::string(e.what()));
      status = kExitWriteError;
    }
  }

  con.line();
  con.line("  --- Calculation finished ---");
  con.line("  ---    Hit Enter key     ---");
  con.line();
  con.flush();
  std::string discard;
  std::getline(io.in, discard);  // end of input counts as Enter
  con.line("Stop - Program terminated.");
  con.flush();
  return status;
}

}  // namespace bsf
