// xraylib's C functions behind a checked interface. xraylib reports a
// failure through an xrl_error** and returns 0.0; with a null pointer the
// failure would pass unnoticed as a zero cross-section. Every call here
// passes a real error pointer and throws XrlError, naming the function and
// its arguments, when xraylib reports one.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace bsf::xrl {

class XrlError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Cross-sections in cm2/g, energies in keV, q = sin(theta/2)/lambda in 1/A.
double cs_total(int z, double e_kev);
double cs_photo(int z, double e_kev);
double cs_rayl(int z, double e_kev);
double cs_compt(int z, double e_kev);
double ff_rayl(int z, double q);   // atomic form factor F(q)
double sf_compt(int z, double q);  // incoherent scattering function S(q), q >= 0.001
double atomic_weight(int z);       // g/mol
double k_edge(int z);              // keV
double k_jump_factor(int z);
double k_fluorescence_yield(int z);

// Relative emission rate and energy (keV) of each K line that xraylib has
// for this element.
struct Line {
  double rate;
  double energy;
};
std::vector<Line> k_lines(int z);

// Elemental composition of one of xraylib's NIST compounds.
struct Composition {
  std::vector<int> z;
  std::vector<double> mass_fraction;
  double density;
};
Composition nist_compound(const std::string& name);

// xraylib's version, "major.minor.micro".
std::string version();

// xraylib's hc, keV*A, and classical electron radius squared, barn.
double kev_angstrom();
double re2_barn();
double avogadro_per_barn();

}  // namespace bsf::xrl
