// The two installed data files, as text in the engine's fixed-column
// layouts with CR LF line ends and an explicit decimal point in every value.
#pragma once

#include <string>
#include <vector>

#include "materials.h"

namespace bsf::physdata {

// Att_Coeff2020.dat: 300 lines at 0.5*i keV: energy (keV, columns 1-10);
// linear attenuation coefficients of tungsten, aluminium and copper (1/cm,
// columns 11-25, 26-40, 41-55); mass energy-absorption coefficients of dry
// air, soft tissue and skin (cm2/g, columns 56-70, 71-85, 86-100).
std::string attenuation_file();

// Energies (keV) of the tissue interaction table: from 4 keV up, each next
// row as far as log-log interpolation of all three coefficients (as written)
// stays within `tolerance` of their direct values, until a row lies above
// 150 keV.
std::vector<double> tissue_energy_grid(double tolerance = 0.001);

// The 45 momentum-transfer values of the scattering-function table, 0 to
// 10 1/A, quadratically spaced so they are densest at small q where the
// form factor falls.
std::vector<double> scatter_q_grid();

// ICRUSoft.dat: row count, density, the tissue interaction table (energy in
// MeV; coherent, incoherent and photoelectric linear coefficients of soft
// tissue, 1/cm), then the scattering-function table (q, Fc(q), S(q)).
std::string soft_tissue_file();

// A coefficient as written to ICRUSoft.dat, read back: the rounding to five
// significant digits that the engine sees.
double as_written(double v);

}  // namespace bsf::physdata
