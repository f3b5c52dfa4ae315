#include "coefficients.h"

#include <cmath>
#include <functional>
#include <map>

#include "xrl_checked.h"

namespace bsf::physdata {

namespace {

constexpr double kPi = 3.14159265358979323846;

double simpson(const std::function<double(double)>& f, double a, double b, int intervals)
{
  const double h = (b - a) / intervals;
  double s = f(a) + f(b);
  for (int i = 1; i < intervals; ++i) s += f(a + i * h) * (i % 2 ? 4.0 : 2.0);
  return s * h / 3.0;
}

double mix(const Material& m, const std::function<double(int)>& per_element)
{
  double s = 0.0;
  for (const Element& el : m.elements) s += el.mass_fraction * per_element(el.z);
  return s;
}

}  // namespace

double k_fluorescence_escape(int z, double e)
{
  if (z < 3 || e <= xrl::k_edge(z)) return 0.0;
  const auto lines = xrl::k_lines(z);
  double rate = 0.0, weighted = 0.0;
  for (const auto& l : lines) {
    rate += l.rate;
    weighted += l.rate * l.energy;
  }
  if (!(rate > 0.0)) throw xrl::XrlError("xraylib has no K lines for Z = " + std::to_string(z));
  return (1.0 - 1.0 / xrl::k_jump_factor(z)) * xrl::k_fluorescence_yield(z) * weighted / rate;
}

double incoherent_sf(int z, double q)
{
  constexpr double kLowest = 0.001;
  if (q >= kLowest) return xrl::sf_compt(z, q);
  const double r = q / kLowest;
  return xrl::sf_compt(z, kLowest) * r * r;
}

double compton_energy_fraction(int z, double e)
{
  // Weight per unit polar angle: Klein-Nishina (the constant factor r_e^2/2
  // cancels in the ratio) times S(q) times sin(theta).
  const double k = e / xrl::kev_angstrom();  // 1/lambda, 1/A
  auto weight = [&](double theta, double& fraction) {
    const double c = std::cos(theta);
    const double ratio = 1.0 / (1.0 + e / 510.998928 * (1.0 - c));  // E'/E
    const double kn = ratio * ratio * (ratio + 1.0 / ratio - (1.0 - c * c));
    const double q = k * std::sin(theta / 2.0);
    fraction = 1.0 - ratio;
    return kn * incoherent_sf(z, q) * std::sin(theta);
  };
  const double num = simpson([&](double t) { double f; const double w = weight(t, f); return w * f; }, 0.0, kPi, 2048);
  const double den = simpson([&](double t) { double f; return weight(t, f); }, 0.0, kPi, 2048);
  return num / den;
}

double mass_energy_absorption(int z, double e)
{
  // Computed once per element and energy: the angular integral is the
  // expensive part and every material shares the same elements.
  static std::map<std::pair<int, double>, double> cache;
  const auto key = std::make_pair(z, e);
  if (const auto it = cache.find(key); it != cache.end()) return it->second;
  const double v = xrl::cs_photo(z, e) * (1.0 - k_fluorescence_escape(z, e) / e) +
                   xrl::cs_compt(z, e) * compton_energy_fraction(z, e);
  cache.emplace(key, v);
  return v;
}

double mass_energy_absorption(const Material& m, double e)
{
  return mix(m, [&](int z) { return mass_energy_absorption(z, e); });
}

double mass_attenuation(const Material& m, double e)
{
  return mix(m, [&](int z) { return xrl::cs_total(z, e); });
}

double mass_coherent(const Material& m, double e)
{
  return mix(m, [&](int z) { return xrl::cs_rayl(z, e); });
}

double mass_incoherent(const Material& m, double e)
{
  return mix(m, [&](int z) { return xrl::cs_compt(z, e); });
}

double mass_photoelectric(const Material& m, double e)
{
  return mix(m, [&](int z) { return xrl::cs_photo(z, e); });
}

double form_factor_squared(const Material& m, double q)
{
  return mix(m, [&](int z) {
    const double f = xrl::ff_rayl(z, q);
    return f * f / xrl::atomic_weight(z);
  });
}

double scattering_function(const Material& m, double q)
{
  return mix(m, [&](int z) { return incoherent_sf(z, q) / xrl::atomic_weight(z); });
}

std::vector<double> cumulative_coherent(const Material& m, const std::vector<double>& qs)
{
  std::vector<double> fc(qs.size(), 0.0);
  double total = 0.0;
  for (std::size_t j = 1; j < qs.size(); ++j) {
    total += simpson([&](double q) { return form_factor_squared(m, q) * q; }, qs[j - 1], qs[j], 64);
    fc[j] = total;
  }
  return fc;
}

}  // namespace bsf::physdata
