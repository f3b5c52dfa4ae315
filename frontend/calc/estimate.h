// Quick estimate of the backscatter factors at the centre of the entrance
// surface from precomputed differential backscatter factors.
//
// A differential table gives, for a monoenergetic beam on a flat
// soft-tissue phantom, the share of the backscatter factor contributed by
// each 1-mm-wide ring of the irradiated area around the beam centre. The
// estimate adds up the rings the field covers (the part of each ring's
// circumference lying inside the field), each weighted for the inverse-square
// fall-off of the primary fluence towards the ring, for every tabulated
// energy, and then averages the resulting monoenergetic curve over the tube
// spectrum.
#pragma once

#include <array>
#include <filesystem>

#include "exposure.h"

namespace bsf {

inline constexpr int kGridEnergies = 31;  // tabulated photon energies, index 1 ... 31
inline constexpr int kRingCount = 300;  // rings of 1 mm, index 1 ... 300

// The tabulated photon energies (index 0 unused): 1 keV, then 5, 10, ...,
// 150 keV.
std::array<double, kGridEnergies + 1> energy_grid31();

// Differential backscatter factors of one quantity: value[e][k] for grid
// energy e = 1 ... 31 and ring k = 1 ... 300 (ring k spans 0.1*(k-1) ...
// 0.1*k cm from the beam centre). Index 0 of either axis is unused.
struct DifferentialBsfTable {
  std::array<std::array<double, kRingCount + 1>, kGridEnergies + 1> value{};
};

// Reads one differential table: a header line, then 300 records (ring 1
// first) of 32 free-format numbers, the first of which is discarded.
// Entries may be slightly negative (statistical noise of the Monte Carlo
// run that produced them). Throws DataFileError naming the file and the
// line when the file is missing, short or holds something that is not a
// number. Nothing after record 300 is read.
DifferentialBsfTable load_differential_table(const std::filesystem::path& file);

struct DifferentialTables {
  DifferentialBsfTable soft;  // soft-tissue absorbed dose
  DifferentialBsfTable air;   // air kerma
  DifferentialBsfTable skin;  // skin absorbed dose
};

// Reads dBSF-SoftDose-SoftPhantom.dat, dBSF-AirDose-SoftPhantom.dat and
// dBSF-SkinDose-SoftPhantom.dat from `dir`, in that order, matching the
// names without regard to letter case.
DifferentialTables load_differential_tables(const std::filesystem::path& dir);

// The highest grid energy needed for `tube_voltage`: the smallest index
// e >= 2 whose energy is at or above the voltage (31 for anything above
// 150 kV).
int highest_grid_index(double tube_voltage);

// Backscatter factor of a monoenergetic beam at each grid energy e = 1 ...
// e_max (e_max clamped to 1 ... 31) for the field of `c` (FieldShape 1
// rectangular, 2 circular). Entries above e_max and entry 0 are left 0.
// Throws std::invalid_argument for another field shape.
std::array<double, kGridEnergies + 1> monoenergetic_bsf(const ExposureConditions& c,
                                                        const DifferentialBsfTable& table, int e_max);

// Estimates BsfSoftTissue, BsfSkin and BsfAirKerma of `c` from its
// PhotonSpectrum, the dose weights of `att` and the differential tables.
// Throws std::domain_error when no bin between 1 keV and the tube voltage
// carries any weight (the spectrum average would divide by zero).
void estimate_backscatter(ExposureConditions& c, const AttenuationTable& att, const DifferentialTables& tables);

}  // namespace bsf
