// Speed of the engine's history loop, in-process, for the default racetrack
// case: a = b = 20, length 80, thickness 20, FSD 80, FFD 100, field
// 35.6 x 43.2 cm, with the installed data and the example spectrum.
//
//   bench-engine [DATA_DIR] [HISTORIES ...]          the whole report
//   bench-engine DATA_DIR HISTORIES fast|reference   one loop (for a profiler)
//
// The report measures honestly on a shared machine. The serial loops are
// timed by the CPU time of their thread, not the wall clock, so that other
// work on the machine does not count; the fast and the literal reference
// loop run in turn, several times, and the best of each counts. Their six
// tallies are printed in hexadecimal: the fast loop must give the
// reference's to the last bit. Then the parallel mode's throughput on one
// and on two threads, by the wall clock (that is what a user waits for),
// against the reference loop.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "data_files.h"
#include "geometry.h"
#include "parallel.h"
#include "simulation.h"
#include "text_io.h"

namespace {

using namespace bsf;

struct Data {
  SoftTissueData tissue;
  AbsorptionTable absorption;
  Spectrum spectrum;
};

RunConditions racetrack_case()
{
  RunConditions rc;
  rc.RacetrackA = 20.0f;
  rc.RacetrackB = 20.0f;
  rc.RacetrackLength = 80.0f;
  rc.ObjectThickness = 20.0f;
  rc.FocusSurfaceDistance = 80.0f;
  rc.FocusReceptorDistance = 100.0f;
  rc.FieldShort = 35.6f;
  rc.FieldLong = 43.2f;
  return rc;
}

double thread_seconds()
{
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

struct Timing {
  double histories_per_second = 0.0;
  Tallies tallies;
};

// One serial run of the whole spectrum on one path, timed by thread CPU time.
template <class Path>
Timing serial(const Data& d, std::int32_t histories)
{
  const RunConditions rc = racetrack_case();
  const Racetrack phantom(rc);
  typename Path::Rng rng;
  HistoryLoop<Racetrack, Path> loop(phantom, make_source(rc, phantom), d.tissue, d.absorption, rng);
  const double t0 = thread_seconds();
  loop.run(d.spectrum, histories);
  const double s = thread_seconds() - t0;
  return {static_cast<double>(loop.histories()) / s, loop.tallies()};
}

// One parallel run, timed by the wall clock.
double parallel(const Data& d, std::int32_t histories, int threads)
{
  const RunConditions rc = racetrack_case();
  const Racetrack phantom(rc);
  const std::vector<UnitPlan> plans = plan_units(d.spectrum, histories);
  ParallelProgress progress;
  const auto t0 = std::chrono::steady_clock::now();
  const RunTotals r = run_units(phantom, make_source(rc, phantom), d.tissue, d.absorption, plans, threads, progress,
                                [] {});
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  return static_cast<double>(r.moments.histories) / s;
}

void print_tallies(const char* path, const Tallies& t)
{
  std::printf("  %-9s tallies %a %a %a | %a %a %a\n", path, t.PrimaryAir, t.PrimarySoftTissue, t.PrimarySkin,
              t.BackscatterAir, t.BackscatterSoftTissue, t.BackscatterSkin);
}

bool identical(const Tallies& a, const Tallies& b)
{
  return a.PrimaryAir == b.PrimaryAir && a.PrimarySoftTissue == b.PrimarySoftTissue && a.PrimarySkin == b.PrimarySkin &&
         a.BackscatterAir == b.BackscatterAir && a.BackscatterSoftTissue == b.BackscatterSoftTissue &&
         a.BackscatterSkin == b.BackscatterSkin;
}

}  // namespace

int main(int argc, char** argv)
{
  const std::filesystem::path dir = argc > 1 ? argv[1] : INSTALLED_DATA_DIR;
  // The spectrum comes from DATA_DIR when it has one, else from the example.
  const std::filesystem::path spectrum_dir = find_file_nocase(dir, kSpectrumFile) ? dir : EXAMPLE_DIR;
  try {
    const Data d{read_soft_tissue(dir), read_absorption(dir), read_spectrum(spectrum_dir)};
    const std::string only = argc > 3 ? argv[3] : "";
    if (only == "fast" || only == "reference") {
      const std::int32_t n = std::atoi(argv[2]);
      const Timing t = only == "fast" ? serial<FastPath>(d, n) : serial<ReferencePath>(d, n);
      std::printf("%s loop: %10.0f histories/s\n", only.c_str(), t.histories_per_second);
      return 0;
    }

    std::vector<std::int32_t> sizes;
    for (int i = 2; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {5000000, 50000000};
    std::printf("data: %s, spectrum: %s\n", dir.c_str(), spectrum_dir.c_str());
    std::printf("default racetrack case; serial loops timed by thread CPU time, run in turn, best of several\n\n");

    bool all_identical = true;
    double reference_rate = 0.0;
    for (const std::int32_t n : sizes) {
      const int repeats = n <= 10000000 ? 3 : 2;
      Timing best_fast, best_ref;
      for (int r = 0; r < repeats; ++r) {
        const Timing f = serial<FastPath>(d, n);
        const Timing ref = serial<ReferencePath>(d, n);
        if (f.histories_per_second > best_fast.histories_per_second) best_fast = f;
        if (ref.histories_per_second > best_ref.histories_per_second) best_ref = ref;
      }
      const bool same = identical(best_fast.tallies, best_ref.tallies);
      all_identical = all_identical && same;
      reference_rate = best_ref.histories_per_second;
      std::printf("%d histories (best of %d):\n", n, repeats);
      std::printf("  fast loop:      %10.0f histories/s\n", best_fast.histories_per_second);
      std::printf("  reference loop: %10.0f histories/s\n", best_ref.histories_per_second);
      std::printf("  serial ratio:   %10.2f\n", best_fast.histories_per_second / best_ref.histories_per_second);
      print_tallies("fast", best_fast.tallies);
      print_tallies("reference", best_ref.tallies);
      std::printf("  tallies identical: %s\n\n", same ? "yes" : "NO");
    }

    const std::int32_t n = sizes.back();
    std::printf("parallel mode, %d histories, %d work units, wall clock (best of 2):\n", n, kWorkUnits);
    for (int threads : {1, 2}) {
      double best = 0.0;
      for (int r = 0; r < 2; ++r) best = std::max(best, parallel(d, n, threads));
      std::printf("  %d thread%s %10.0f histories/s, %.2f x the reference loop\n", threads, threads == 1 ? ": " : "s:",
                  best, best / reference_rate);
    }
    return all_identical ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
