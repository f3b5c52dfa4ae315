// Photon interaction coefficients of elements and mixtures, computed from
// xraylib's cross-sections. All in cm2/g; energies in keV.
#pragma once

#include <vector>

#include "materials.h"

namespace bsf::physdata {

// Mean energy (keV) carried away by K fluorescence per photoabsorption at E:
// (1 - 1/J_K) * omega_K * the rate-weighted mean K line energy, above the K
// edge; 0 below it and for hydrogen and helium.
double k_fluorescence_escape(int z, double e_kev);

// Mean fraction of the photon energy given to the electron in an incoherent
// scattering: the Klein-Nishina cross-section times the incoherent
// scattering function S(q), averaged over angle, of (1 - E'/E).
double compton_energy_fraction(int z, double e_kev);

// Incoherent scattering function with its small-q limit: xraylib's S(q) for
// q >= 0.001 1/A, and S(0.001) (q/0.001)^2 below, where S rises as q^2.
double incoherent_sf(int z, double q);

// Mass energy-absorption coefficient of an element:
// mu_en/rho = tau (1 - X/E) + sigma_inc <T>/E, with tau the photoelectric
// and sigma_inc the incoherent cross-section. Coherent scattering deposits
// nothing; the radiative losses of the secondary electrons are below 0.1 %
// for these materials and energies and are left out.
double mass_energy_absorption(int z, double e_kev);

// Mass-fraction weighted sums over a material's elements.
double mass_energy_absorption(const Material& m, double e_kev);
double mass_attenuation(const Material& m, double e_kev);  // coherent + incoherent + photoelectric
double mass_coherent(const Material& m, double e_kev);
double mass_incoherent(const Material& m, double e_kev);
double mass_photoelectric(const Material& m, double e_kev);

// Form-factor and scattering-function sums of a material, per gram:
// F^2(q) = sum w_i/A_i F_i(q)^2 and S(q) = sum w_i/A_i S_i(q).
double form_factor_squared(const Material& m, double q);
double scattering_function(const Material& m, double q);

// Cumulative coherent distribution Fc(q) = integral from 0 to q of
// F^2(q') q' dq' (the q' from the solid angle, dOmega ~ q dq), at the rising
// points qs, integrated piecewise with Simpson's rule.
std::vector<double> cumulative_coherent(const Material& m, const std::vector<double>& qs);

}  // namespace bsf::physdata
