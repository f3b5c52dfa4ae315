// The front end's one shared state: the exposure conditions both
// calculation forms edit, the mode flags, the phantom chosen in the shape
// dialog, the results, and the tables the calculations use.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace bsf {

inline constexpr int kSpectrumBins = 300;  // bin i stands for 0.5*i keV, i = 1 ... 300

// Filters are typed in mm and held in cm.
inline constexpr double kCmPerMm = 0.1;

// The phantom of a Monte Carlo run, by the code ExposureConditions::PhantomShape
// holds. Each has its own engine program, built for that shape alone.
enum class Phantom : std::int16_t {
  None = 0,              // no phantom: the table estimate's flat surface
  Cylinder = 1,          // circular section, engine Mirabek
  EllipticCylinder = 2,  // elliptic section, engine Teslund
  Racetrack = 4,         // flat front with rounded edges, engine Korvane
};

// The three phantoms the engines compute, in the order of their codes.
inline constexpr Phantom kEnginePhantoms[] = {Phantom::Cylinder, Phantom::EllipticCylinder, Phantom::Racetrack};

// The phantom of a shape code: 0, 1, 2 or 4; nothing for any other code.
std::optional<Phantom> phantom_from_code(int code);

// The code ExposureConditions::PhantomShape holds.
constexpr std::int16_t phantom_code(Phantom p) { return static_cast<std::int16_t>(p); }

// The engine program of a phantom: "Mirabek", "Teslund" or "Korvane" (empty
// for None).
std::string_view engine_program(Phantom p);

// The name on the command line and in a batch file's phantom column:
// "cylinder", "elliptic" or "racetrack" (empty for None), and back.
std::string_view phantom_option_name(Phantom p);
std::optional<Phantom> phantom_from_option_name(std::string_view name);

// The name in the engine's ResultBSF.json: "cylinder", "elliptic_cylinder"
// or "racetrack" (empty for None), and back.
std::string_view phantom_result_name(Phantom p);
std::optional<Phantom> phantom_from_result_name(std::string_view name);

// Coefficients of Att_Coeff2020.dat, bins 1 ... 300 (index 0 unused).
struct AttenuationTable {
  std::array<double, kSpectrumBins + 1> tungsten{};   // linear attenuation, 1/cm
  std::array<double, kSpectrumBins + 1> aluminium{};  // linear attenuation, 1/cm
  std::array<double, kSpectrumBins + 1> copper{};     // linear attenuation, 1/cm
  std::array<double, kSpectrumBins + 1> air{};        // mass energy absorption, cm2/g
  std::array<double, kSpectrumBins + 1> soft{};       // mass energy absorption, cm2/g
  std::array<double, kSpectrumBins + 1> skin{};       // mass energy absorption, cm2/g
};

struct ExposureConditions {
  // Conditions (lengths in cm, filters held in cm Al or Cu, voltage in kV,
  // angle in degrees).
  double TubeVoltage = 0.0;
  std::int16_t Waveform = 0;  // 1 constant potential / inverter, 2 three-phase 12-peak, 3 single-phase full-wave
  double AnodeAngle = 0.0;
  double InherentFilter = 0.0;
  double AddedFilterAl = 0.0;
  double AddedFilterCu = 0.0;
  double FocusReceptorDistance = 0.0;
  double FocusSurfaceDistance = 0.0;
  double ObjectThickness = 0.0;
  double FieldLong = 0.0;   // for a circular field its diameter
  double FieldShort = 0.0;  // 0 for a circular field
  std::int16_t FieldShape = 0;  // 1 rectangular, 2 circular

  // Flags.
  std::int16_t ActiveForm = 0;    // 1 the table-estimate form shows the half-value layer, else the Monte Carlo form
  std::int16_t PhantomShape = 0;  // a Phantom's code: 0 none, 1 cylinder, 2 elliptic cylinder, 4 racetrack

  // Phantom and run chosen in the shape dialog.
  double CylinderRadius = 0.0;
  double EllipseHorizontal = 0.0;
  double EllipseVertical = 0.0;
  double RacetrackA = 0.0;
  double RacetrackB = 0.0;
  double RacetrackLength = 0.0;
  std::int32_t HistoryCount = 0;
  double JokenFieldShort = 0.0;
  double JokenFieldLong = 0.0;

  // Results.
  double HalfValueLayer = 0.0;  // cm Al
  double BsfAirKerma = 0.0;
  double BsfSoftTissue = 0.0;
  double BsfSkin = 0.0;

  // Spectrum of the last calculation: relative photon number per bin,
  // normalised to sum 1 (index 0 unused).
  std::array<double, kSpectrumBins + 1> PhotonSpectrum{};
};

// The phantom of `c.PhantomShape`: a code that names none (3, say) counts
// as no phantom, as no engine runs it.
Phantom phantom_of(const ExposureConditions& c);

// The exposure conditions' defaults (exposure_defaults.h), filters in cm,
// the field rectangular. `active_form` is the loading form's value (1
// table-estimate form, 2 Monte Carlo form); the phantom follows it (none on
// the table-estimate form, the cylinder on the Monte Carlo form).
void set_default_conditions(ExposureConditions& c, std::int16_t active_form);

}  // namespace bsf
