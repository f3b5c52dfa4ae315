// The engine's input files: the run conditions (joken.txt), the photon
// spectrum (X_SPCTL.dat), the soft-tissue interaction data (ICRUSoft.dat) and
// the absorption coefficients (Att_Coeff2020.dat). All tables are 1-based, as
// their rows are numbered in the files; all reals are single precision.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace bsf {

inline constexpr std::string_view kConditionsFile = "joken.txt";
inline constexpr std::string_view kSpectrumFile = "X_SPCTL.dat";
inline constexpr std::string_view kSoftTissueFile = "ICRUSoft.dat";
inline constexpr std::string_view kAbsorptionFile = "Att_Coeff2020.dat";
inline constexpr std::string_view kResultFile = "ResultBSF.txt";

// The files the engine replaces atomically through a temporary named after
// them and six letters or digits.
inline constexpr std::string_view kTemporaryTargets[] = {kResultFile, "ResultBSF.json", "EngineStatus.json"};

// Energy grid shared by the spectrum and the absorption table: bin i stands
// for 0.5*i keV, i = 1 ... 300.
inline constexpr int kEnergyBins = 300;

// The run conditions, one value per line of joken.txt. Lengths in cm. Only
// the geometry values of the running build are filled; the others stay 0.
struct RunConditions {
  float RacetrackA = 0.0f;
  float RacetrackB = 0.0f;
  float RacetrackLength = 0.0f;
  float EllipseHorizontal = 0.0f;
  float EllipseVertical = 0.0f;
  float CylinderRadius = 0.0f;
  float ObjectThickness = 0.0f;
  float FocusSurfaceDistance = 0.0f;
  float FocusReceptorDistance = 0.0f;
  float FieldShort = 0.0f;
  float FieldLong = 0.0f;
  std::int32_t HistoryCount = 0;
};

// One real line of joken.txt: which field it fills and what to call it in a
// message.
struct ConditionLine {
  float RunConditions::*field;
  std::string_view name;
};

// Reads joken.txt from `dir`: first the build's geometry lines, in order, then
// thickness, the two distances, the two field sizes (short axis first) and
// the history number. Each real line is read as a free field; the history
// line as a whole number in columns 1-11. A line that holds no value at all is
// passed over and the value taken from the next line.
RunConditions read_run_conditions(const std::filesystem::path& dir,
                                  std::span<const ConditionLine> geometry_lines);

// The photon spectrum: w[1..300] normalised to sum 1 (summed in line order in
// single precision), and the cut-off bin, one above the last non-zero bin.
struct Spectrum {
  std::array<float, kEnergyBins + 1> weight{};
  int cutoff_bin = 0;
};

Spectrum read_spectrum(const std::filesystem::path& dir);

// Tissue interaction table: energy (keV) and the coherent, incoherent and
// photoelectric linear coefficients of soft tissue (1/cm), rows 1..rows.
struct TissueTable {
  static constexpr int kMaxRows = 37;
  int rows = 0;
  std::array<float, kMaxRows + 1> energy{};
  std::array<float, kMaxRows + 1> coherent{};
  std::array<float, kMaxRows + 1> incoherent{};
  std::array<float, kMaxRows + 1> photoelectric{};
};

// Scattering-function table: momentum transfer q = sin(theta/2)/lambda (1/A),
// the cumulative coherent distribution Fc(q) and the incoherent scattering
// function S(q), 45 rows, with Fc(45) and S(45) kept apart.
struct ScatterTable {
  static constexpr int kRows = 45;
  std::array<float, kRows + 1> q{};
  std::array<float, kRows + 1> fc{};
  std::array<float, kRows + 1> s{};
  float fc_total = 0.0f;  // Fc(45)
  float s_max = 0.0f;     // S(45)
};

struct SoftTissueData {
  TissueTable tissue;
  ScatterTable scatter;
};

SoftTissueData read_soft_tissue(const std::filesystem::path& dir);

// Absorption table: energy (keV) and the mass energy-absorption coefficients
// of air, soft tissue and skin, 300 rows.
struct AbsorptionTable {
  std::array<float, kEnergyBins + 1> energy{};
  std::array<float, kEnergyBins + 1> air{};
  std::array<float, kEnergyBins + 1> soft{};
  std::array<float, kEnergyBins + 1> skin{};
};

AbsorptionTable read_absorption(const std::filesystem::path& dir);

}  // namespace bsf
