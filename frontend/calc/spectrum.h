// Photon spectrum of a tungsten-target X-ray tube and the aluminium
// half-value layer of the filtered beam.
//
// The bremsstrahlung is the semiempirical model of Tucker, Barnes and
// Chakraborty: for every photon energy the emission of electrons slowing
// down in the target is integrated over the electron energy, each term
// attenuated by the tungsten between the depth where the electron has that
// energy and the target surface. The K lines of tungsten are added as fixed
// fractions of the bremsstrahlung total once the (instantaneous) voltage
// exceeds 70 kV. A rippled waveform is represented by a list of phase
// angles, each an instantaneous voltage with its own tube-current weight.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "exposure.h"

namespace bsf {

// Aluminium steps of the half-value-layer search: 300 steps of 0.01 cm.
inline constexpr int kHvlSteps = 300;
inline constexpr double kHvlStepCm = 0.01;

struct SpectrumResult {
  // Relative photon number per bin (index = bin, 0 and 1 unused/zero),
  // normalised to sum 1 over bins 2 ... top_bin; values below 1e-10 are 0.
  std::array<double, kSpectrumBins + 1> photons{};
  // Air-kerma spectrum behind the tube filtration, normalised to sum 1 over
  // bins 2 ... top_bin.
  std::array<double, kSpectrumBins + 1> kerma{};
  // Percentage of air kerma left behind j*0.01 cm of aluminium, j = 1 ... 300
  // (index 0 unused).
  std::array<double, kHvlSteps + 1> transmission{};
  int top_bin = 0;       // largest integer not above 2*TubeVoltage
  double hvl_cm = 0.0;   // half-value layer, cm Al (0 when not found)
  bool hvl_found = false;  // false: the half-value layer exceeds 2.99 cm Al
};

// The half-value layer as the forms show it, mm Al with "#0.000", or the
// text "above 29.9" when the search ran out of aluminium.
std::string half_value_layer_text(const SpectrumResult& s);

// One instant of the voltage waveform: phase angle in degrees and the
// tube-current weight of the spectrum emitted at that instant.
struct WaveformPhase {
  double angle = 0.0;
  double weight = 1.0;
};

// The phases used for a waveform: 1 (constant potential / inverter) the
// single phase 90; 2 (three-phase 12-peak) 75, 76, ..., 90; 3 (single-phase
// full-wave) 2, 4, ..., 90, weighted (min(1, sin(phase)/0.75))^1.5.
// Throws std::invalid_argument for another waveform.
std::vector<WaveformPhase> waveform_phases(int waveform);

struct HalfValueLayer {
  double cm = 0.0;
  bool found = false;
};

// The half-value layer from the transmission curve P(1 ... 300) (percent
// after j*0.01 cm Al), with P(0) = 100: the first k >= 1 with P(k) < 50,
// interpolated linearly in ln P between steps k-1 and k. No bracket (P
// stays >= 50 to the last step): not found. Equal bracket values: the lower
// step, (k-1)*0.01.
HalfValueLayer find_half_value_layer(const std::array<double, kHvlSteps + 1>& transmission);

// Computes the spectrum and half-value layer for the conditions (tube
// voltage, waveform, anode angle, the three filters). Throws
// std::invalid_argument for a tube voltage above 150 kV or a waveform other
// than 1, 2, 3, and std::domain_error when the spectrum or the kerma
// vanishes (e.g. a voltage below 1 kV or a filter that stops every photon),
// where the sums used for normalising would divide by zero.
SpectrumResult compute_spectrum(const ExposureConditions& c, const AttenuationTable& att);

// The text of X_SPCTL.dat: 300 lines "EEEE.E, W.WWWWW" with CR LF, bin i =
// 1 ... 300 giving 0.5*i keV and its relative photon number.
std::string spectrum_file_text(const std::array<double, kSpectrumBins + 1>& photons);

// Writes X_SPCTL.dat into `dir`, replacing an older file atomically. Throws
// DataFileError naming the file when it cannot be written.
void write_spectrum_file(const std::filesystem::path& dir, const std::array<double, kSpectrumBins + 1>& photons);

}  // namespace bsf
