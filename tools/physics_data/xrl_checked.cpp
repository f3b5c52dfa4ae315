#include "xrl_checked.h"

#include <xraylib.h>

namespace bsf::xrl {

namespace {

// Runs one xraylib call with a real error pointer.
template <class F>
double checked(const std::string& call, F&& f)
{
  xrl_error* error = nullptr;
  const double v = f(&error);
  if (error) {
    const std::string message = error->message ? error->message : "unknown error";
    xrl_error_free(error);
    throw XrlError("xraylib " + call + ": " + message);
  }
  return v;
}

std::string args(int z, double x)
{
  // Built by appending: g++ 12 warns falsely (-Wrestrict) on "(" + std::string.
  std::string s = "(";
  s += std::to_string(z);
  s += ", ";
  s += std::to_string(x);
  s += ")";
  return s;
}

}  // namespace

double cs_total(int z, double e) { return checked("CS_Total" + args(z, e), [&](xrl_error** err) { return CS_Total(z, e, err); }); }
double cs_photo(int z, double e) { return checked("CS_Photo" + args(z, e), [&](xrl_error** err) { return CS_Photo(z, e, err); }); }
double cs_rayl(int z, double e) { return checked("CS_Rayl" + args(z, e), [&](xrl_error** err) { return CS_Rayl(z, e, err); }); }
double cs_compt(int z, double e) { return checked("CS_Compt" + args(z, e), [&](xrl_error** err) { return CS_Compt(z, e, err); }); }
double ff_rayl(int z, double q) { return checked("FF_Rayl" + args(z, q), [&](xrl_error** err) { return FF_Rayl(z, q, err); }); }
double sf_compt(int z, double q) { return checked("SF_Compt" + args(z, q), [&](xrl_error** err) { return SF_Compt(z, q, err); }); }
double atomic_weight(int z) { return checked("AtomicWeight" + args(z, 0), [&](xrl_error** err) { return AtomicWeight(z, err); }); }
double k_edge(int z) { return checked("EdgeEnergy" + args(z, K_SHELL), [&](xrl_error** err) { return EdgeEnergy(z, K_SHELL, err); }); }
double k_jump_factor(int z) { return checked("JumpFactor" + args(z, K_SHELL), [&](xrl_error** err) { return JumpFactor(z, K_SHELL, err); }); }
double k_fluorescence_yield(int z)
{
  return checked("FluorYield" + args(z, K_SHELL), [&](xrl_error** err) { return FluorYield(z, K_SHELL, err); });
}

std::vector<Line> k_lines(int z)
{
  std::vector<Line> lines;
  for (int line = KL1_LINE; line >= KP5_LINE; --line) {
    // xraylib answers with an error for a line the element does not have;
    // that line is simply not part of its K spectrum.
    xrl_error* error = nullptr;
    const double rate = RadRate(z, line, &error);
    if (error) {
      xrl_error_free(error);
      continue;
    }
    const double energy =
        checked("LineEnergy" + args(z, line), [&](xrl_error** err) { return LineEnergy(z, line, err); });
    lines.push_back({rate, energy});
  }
  return lines;
}

Composition nist_compound(const std::string& name)
{
  xrl_error* error = nullptr;
  compoundDataNIST* c = GetCompoundDataNISTByName(name.c_str(), &error);
  if (error || !c) {
    const std::string message = error && error->message ? error->message : "not found";
    if (error) xrl_error_free(error);
    throw XrlError("xraylib GetCompoundDataNISTByName(\"" + name + "\"): " + message);
  }
  Composition out;
  for (int i = 0; i < c->nElements; ++i) {
    out.z.push_back(c->Elements[i]);
    out.mass_fraction.push_back(c->massFractions[i]);
  }
  out.density = c->density;
  FreeCompoundDataNIST(c);
  return out;
}

std::string version()
{
  return std::to_string(XRAYLIB_MAJOR) + "." + std::to_string(XRAYLIB_MINOR) + "." +
         std::to_string(XRAYLIB_MICRO);
}

double kev_angstrom() { return KEV2ANGST; }
double re2_barn() { return RE2; }
double avogadro_per_barn() { return AVOGNUM; }

}  // namespace bsf::xrl
