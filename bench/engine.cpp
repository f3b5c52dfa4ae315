// Speed of the engine's history loop, in-process, for the default racetrack
// case: a = b = 20, length 80, thickness 20, FSD 80, FFD 100, field
// 35.6 x 43.2 cm. Prints histories per second of the fast loop and of the
// literal reference loop, their ratio, and the projected time of the
// 50,000,000-history run that the front end presets.
//
//   bench-engine [DATA_DIR] [HISTORIES] [fast|reference]
//
// With a third argument only that loop runs (for a profiler).
// DATA_DIR holds ICRUSoft.dat, Att_Coeff2020.dat and X_SPCTL.dat; by default
// the engine's test fixtures (a fixed 75 kV test spectrum).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "data_files.h"
#include "geometry.h"
#include "simulation.h"
#include "text_io.h"

namespace {

using namespace bsf;

template <class Path>
double histories_per_second(const SoftTissueData& tissue, const AbsorptionTable& absorption,
                            const Spectrum& spectrum, std::int32_t histories, Tallies& tallies)
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
  const Racetrack phantom(rc);
  typename Path::Rng rng;
  HistoryLoop<Racetrack, Path> loop(phantom, make_source(rc, phantom), tissue, absorption, rng);
  std::int64_t run = 0;
  for (int k = kFirstSimulatedBin; k <= kEnergyBins; ++k)
    run += histories_in_bin(spectrum.weight[static_cast<std::size_t>(k)], histories);
  const auto t0 = std::chrono::steady_clock::now();
  loop.run(spectrum, histories);
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  tallies = loop.tallies();
  return static_cast<double>(run) / s;
}

}  // namespace

int main(int argc, char** argv)
{
  const std::filesystem::path dir = argc > 1 ? argv[1] : INSTALLED_DATA_DIR;
  // The spectrum comes from DATA_DIR when it has one, else from the example.
  const std::filesystem::path spectrum_dir = find_file_nocase(dir, kSpectrumFile) ? dir : EXAMPLE_DIR;
  const std::int32_t histories = argc > 2 ? std::atoi(argv[2]) : 5000000;
  try {
    const SoftTissueData tissue = read_soft_tissue(dir);
    const AbsorptionTable absorption = read_absorption(dir);
    const Spectrum spectrum = read_spectrum(spectrum_dir);
    std::printf("data: %s\nhistories: %d per path\n", dir.c_str(), histories);

    Tallies fast_t, ref_t;
    const std::string only = argc > 3 ? argv[3] : "";
    if (only == "fast" || only == "reference") {
      const double hps = only == "fast"
                             ? histories_per_second<FastPath>(tissue, absorption, spectrum, histories, fast_t)
                             : histories_per_second<ReferencePath>(tissue, absorption, spectrum, histories, ref_t);
      std::printf("%s loop: %10.0f histories/s\n", only.c_str(), hps);
      return 0;
    }
    const double fast = histories_per_second<FastPath>(tissue, absorption, spectrum, histories, fast_t);
    const double ref = histories_per_second<ReferencePath>(tissue, absorption, spectrum, histories, ref_t);
    const bool same = fast_t.PrimaryAir == ref_t.PrimaryAir && fast_t.BackscatterAir == ref_t.BackscatterAir &&
                      fast_t.BackscatterSkin == ref_t.BackscatterSkin;
    std::printf("fast loop:      %10.0f histories/s\n", fast);
    std::printf("reference loop: %10.0f histories/s\n", ref);
    std::printf("speed-up:       %10.2f\n", fast / ref);
    std::printf("50,000,000 histories: %.1f s (fast), %.1f s (reference)\n", 5e7 / fast, 5e7 / ref);
    std::printf("tallies identical: %s\n", same ? "yes" : "NO");
    return same ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
