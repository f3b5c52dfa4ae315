// The front end's one shared state: the exposure conditions both
// calculation forms edit, the mode flags, the phantom chosen in the shape
// dialog, the results, and the tables the calculations use.
#pragma once

#include <array>
#include <cstdint>

namespace bsf {

inline constexpr int kSpectrumBins = 300;  // bin i stands for 0.5*i keV, i = 1 ... 300

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
  std::int16_t PhantomShape = 0;  // 0 none, 1 cylinder, 2 elliptic cylinder, 4 racetrack

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

// The forms' defaults: 75 kV, waveform 1, 12 degrees, 2.5 mm Al inherent,
// 1.0 mm Al added, no copper, FFD 100 cm, FSD 80 cm, thickness 20 cm, field
// 43.2 x 35.6 cm rectangular. `active_form` is the loading form's value (1
// table-estimate form, 2 Monte Carlo form); the phantom shape flag follows
// it (0 on the table-estimate form, 1 on the Monte Carlo form).
void set_default_conditions(ExposureConditions& c, std::int16_t active_form);

}  // namespace bsf
