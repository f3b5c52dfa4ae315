// Speed of the spectrum model in its worst case: single-phase full-wave
// waveform (45 phases) at 150 kV, 12 degrees, default filtration; and, for
// comparison, of one table estimate (the three factors) for that spectrum.
//
//   bench-spectrum [DATA_DIR] [REPETITIONS]
//
// Prints milliseconds per call and the resulting half-value layer (so that
// the work cannot be optimised away and a change of result is visible).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "data_tables.h"
#include "estimate.h"
#include "spectrum.h"

int main(int argc, char** argv)
{
  using namespace bsf;
  const std::filesystem::path dir = argc > 1 ? argv[1] : INSTALLED_DATA_DIR;
  const int reps = argc > 2 ? std::atoi(argv[2]) : 20;
  const AttenuationTable att = load_attenuation_table(dir);
  ExposureConditions c;
  set_default_conditions(c, 1);
  c.Waveform = 3;
  c.TubeVoltage = 150.0;

  double hvl = compute_spectrum(c, att).hvl_cm;  // warm-up
  const auto start = std::chrono::steady_clock::now();
  for (int r = 0; r < reps; ++r) hvl += compute_spectrum(c, att).hvl_cm;
  const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("compute_spectrum, waveform 3, 150 kV: %.3f ms per call (%d calls), HVL %.6f mm Al\n",
              elapsed.count() / reps, reps, 10.0 * hvl / (reps + 1));

  // One table estimate on the same spectrum.
  const DifferentialTables tables = load_differential_tables(dir);
  c.PhotonSpectrum = compute_spectrum(c, att).photons;
  const int estimates = 200;
  double sum = 0.0;
  const auto t0 = std::chrono::steady_clock::now();
  for (int r = 0; r < estimates; ++r) {
    estimate_backscatter(c, att, tables);
    sum += c.BsfSoftTissue;
  }
  const std::chrono::duration<double, std::milli> est = std::chrono::steady_clock::now() - t0;
  std::printf("estimate_backscatter, 43.2 x 35.6 cm: %.3f ms per call (%d calls), soft-tissue BSF %.4f\n",
              est.count() / estimates, estimates, sum / estimates);
  return 0;
}
