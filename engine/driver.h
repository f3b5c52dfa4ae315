// The engine's run from start to end: seed, read the four input files, echo
// the conditions, run the history loop with its progress lines, print and
// write the three backscatter factors, and wait for Enter.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

#include "console_texts.h"
#include "data_files.h"
#include "geometry.h"
#include "parallel.h"
#include "rng.h"
#include "run_files.h"
#include "run_limits.h"
#include "simulation.h"
#include "text_io.h"

namespace bsf {

// Exit statuses of an engine run.
inline constexpr int kExitOk = 0;
inline constexpr int kExitInputError = 1;  // stopped before the loop: a file or a value at fault
inline constexpr int kExitNoResult = 2;    // ran, but no factor could be formed
inline constexpr int kExitWriteError = 3;  // ResultBSF.txt or ResultBSF.json could not be written

// How a run goes: without arguments the exact serial run; with
// "--threads N" the parallel mode on N threads (0: all cores).
struct RunOptions {
  bool parallel = false;
  int threads = 1;
  std::string error;  // an argument that could not be taken
};

RunOptions parse_options(int argc, const char* const* argv);

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

// True when every factor is a finite number above 0: anything else (a sum
// that overflowed) is no result.
bool factors_usable(const BackscatterFactors& f);

// Removes temporary files of the engine's own atomic writes (the result
// file's name and six letters or digits) that a run killed while writing
// left behind, once they are a minute old: a run writing now is never
// disturbed.
void remove_stale_temporaries(const std::filesystem::path& dir);

// Refuses conditions that would make the run hang or mean nothing: a
// distance, field size, thickness or phantom dimension (`dimensions`)
// outside its limits (run_limits.h), a history number below 1, or a radius
// of curvature (`curvature`, one of the dimensions or none) that single
// precision cannot resolve against the focus distance.
void check_conditions(const RunConditions& rc, std::span<const ConditionLine> dimensions,
                      const ConditionLine* curvature);

// Refuses a source whose accepted share of points (source_share) is so small
// that the run would spend its time redrawing them.
void check_source_share(double share, const SourceSetup& s);

// The common part of a run, with the build's texts and operations.
template <class Phantom>
int run_engine(EngineIo& io, const RunOptions& options = {})
{
  using Texts = ConsoleTexts<Phantom>;
  Console con(io.out);
  StatusFile status(io.dir, Phantom::kProgram, options.parallel ? options.threads : 1);
  if (!options.error.empty()) {
    Console err(io.err);
    err.line(" Error: " + options.error);
    err.flush();
    status.failed(kExitInputError, options.error, 0, 0);
    return kExitInputError;
  }

  con.line();
  con.line(std::string(" Monte Carlo Simulation  --- ") + std::string(Phantom::kProgram) + " ---");
  con.line();

  RunConditions rc;
  Spectrum spectrum;
  SoftTissueData tissue;
  AbsorptionTable absorption;
  remove_stale_temporaries(io.dir);
  try {
    rc = read_run_conditions(io.dir, Phantom::kDimensions);
    for (const EchoLine& e : Texts::kGeometryEcho)
      con.line(std::string(e.label) + format_fixed(rc.*(e.field), e.width, e.decimals) + " [cm]");
    con.line(" Thickness = " +
             format_fixed(rc.ObjectThickness, Texts::kThicknessWidth, Texts::kThicknessDecimals) +
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
    check_conditions(rc, Phantom::kDimensions, Phantom::kCurvature);
    const Phantom phantom(rc);
    const SourceSetup source = make_source(rc, phantom);
    check_source_share(source_share(phantom, source), source);
  } catch (const InputError& e) {
    con.flush();
    Console err(io.err);
    err.line(" Error: " + std::string(e.what()));
    err.line(" The calculation was not started; no result file was written.");
    err.flush();
    status.failed(kExitInputError, e.what(), 0, 0);
    return kExitInputError;
  }

  const Phantom phantom(rc);
  const SourceSetup source = make_source(rc, phantom);
  std::int64_t total = 0;
  for (int k = kFirstSimulatedBin; k <= kEnergyBins; ++k)
    total += histories_in_bin(spectrum.weight[static_cast<std::size_t>(k)], rc.HistoryCount);

  if (options.parallel)
    con.line(" Parallel run: " + std::to_string(options.threads) + (options.threads == 1 ? " thread, " : " threads, ") +
             std::to_string(kWorkUnits) + " work units (statistically equivalent to the serial run, not identical)");
  con.line(" <<< Monte Carlo Simulation >>>");
  const ClockReading start = io.clock();
  con.line(clock_line(" Start time =", start));
  con.line();
  con.line("  *  Please wait a few minutes or tens of minutes  *");
  con.flush();
  status.running(0, total);

  const auto loop_start = std::chrono::steady_clock::now();
  RunTotals run;
  if (!options.parallel) {
    TabulatedLaggedFibonacci rng;  // seeded, warm-up done: the same sequence in every run
    HistoryLoop<Phantom, FastPath> loop(phantom, source, tissue, absorption, rng);
    loop.run(spectrum, rc.HistoryCount, [&](int k) {
      con.line(format_int(k, 5) + " /" + format_int(spectrum.cutoff_bin, 4));
      con.flush();
      status.running(loop.histories(), total);
    });
    run = {loop.tallies(), loop.moments()};
  } else {
    ParallelProgress progress;
    int shown = 0;
    run = run_units(phantom, source, tissue, absorption, plan_units(spectrum, rc.HistoryCount), options.threads,
                    progress, [&] {
                      for (const int done = progress.units.load(); shown < done;)
                        con.line(format_int(++shown, 5) + " /" + format_int(kWorkUnits, 4) + " work units");
                      con.flush();
                      status.running(progress.histories.load(), total);
                    });
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - loop_start).count();

  con.line(clock_line(" Start time =", start));
  con.line(clock_line(" Finish time =", io.clock()));

  int exit_status = kExitOk;
  std::string failure;
  const Tallies& t = run.tallies;
  const auto no_result = [&](std::initializer_list<std::string_view> why) {
    con.line();
    for (std::string_view l : why) {
      con.line(l);
      // The status keeps the message as one line of text.
      const std::size_t first = l.find_first_not_of(' ');
      if (first == std::string_view::npos) continue;
      if (!failure.empty()) failure += ' ';
      failure.append(l.data() + first, l.size() - first);
    }
    con.line(" No result file was written.");
    exit_status = kExitNoResult;
  };
  if (run.moments.histories == 0) {
    if (spectrum.cutoff_bin <= kFirstSimulatedBin)
      no_result({" No photon of the spectrum reaches 5 keV, the lowest energy the engine follows,",
                 " so no history was run and the backscatter factors cannot be formed."});
    else
      no_result({" The history number is too small to give any bin of the spectrum a history,",
                 " so no history was run. Run again with a larger history number."});
  } else if (!(t.PrimaryAir > 0.0 && t.PrimarySoftTissue > 0.0 && t.PrimarySkin > 0.0)) {
    // No source point fell on the scoring disc, so there is no reference dose
    // and no factor to give.
    no_result({" No primary photon crossed the scoring disc (radius 0.5 cm on the beam axis),",
               " so the backscatter factors cannot be formed. Run again with a larger history number."});
  } else if (const BackscatterFactors f = backscatter_factors(t); !factors_usable(f)) {
    no_result({" The backscatter factors came out as numbers that are not finite and positive",
               " (a dose sum overflowed: are the absorption coefficients in Att_Coeff2020.dat right?)."});
  } else {
    con.line();
    con.line(std::string(Texts::kResultLabels.air) + format_fixed(f.air, 7, 4));
    con.line(std::string(Texts::kResultLabels.soft_tissue) + format_fixed(f.soft_tissue, 7, 4));
    con.line(std::string(Texts::kResultLabels.skin) + format_fixed(f.skin, 7, 4));
    try {
      write_result_file(io.dir, f);
      write_run_file(io.dir, kResultJsonFile,
                            result_json({f, factor_uncertainties(t, run.moments), run.moments.histories,
                                         run.moments.primary_scores, options.parallel ? options.threads : 1,
                                         seconds, Phantom::kJsonName}));
    } catch (const InputError& e) {
      con.line(" Error: " + std::string(e.what()));
      failure = e.what();
      exit_status = kExitWriteError;
    }
  }
  if (exit_status == kExitOk) status.finished(run.moments.histories, total);
  else status.failed(exit_status, failure, run.moments.histories, total);

  con.line();
  con.line("  --- Calculation finished ---");
  con.line("  ---    Hit Enter key     ---");
  con.line();
  con.flush();
  std::string discard;
  std::getline(io.in, discard);  // end of input counts as Enter
  con.line("Stop - Program terminated.");
  con.flush();
  return exit_status;
}

}  // namespace bsf
