// Speed of the spectrum model in its worst case: single-phase full-wave
// waveform (45 phases) at 150 kV, 12 degrees, default filtration.
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
  return 0;
}
