#include "tables.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "coefficients.h"
#include "xrl_checked.h"

namespace bsf::physdata {

namespace {

std::string format(const char* fmt, double v)
{
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

constexpr const char* kCoefficientFormat = "%10.4E";  // columns of 10, five significant digits

struct TissueRow {
  double e;
  double coherent, incoherent, photo;  // 1/cm, as written
};

TissueRow tissue_row(const Material& tissue, double e)
{
  const double rho = tissue.density;
  return {e, as_written(mass_coherent(tissue, e) * rho), as_written(mass_incoherent(tissue, e) * rho),
          as_written(mass_photoelectric(tissue, e) * rho)};
}

double loglog(double e, double e0, double v0, double e1, double v1)
{
  return std::exp(std::log(v0) + (std::log(v1) - std::log(v0)) * std::log(e / e0) / std::log(e1 / e0));
}

}  // namespace

double as_written(double v) { return std::strtod(format(kCoefficientFormat, v).c_str(), nullptr); }

std::string attenuation_file()
{
  const Material air = dry_air(), tissue = soft_tissue(), sk = skin();
  std::string out;
  for (int i = 1; i <= 300; ++i) {
    const double e = 0.5 * i;
    out += format("%10.3f", e);
    for (double v : {xrl::cs_total(74, e) * kTungstenDensity, xrl::cs_total(13, e) * kAluminiumDensity,
                     xrl::cs_total(29, e) * kCopperDensity, mass_energy_absorption(air, e),
                     mass_energy_absorption(tissue, e), mass_energy_absorption(sk, e)})
      out += format("%15.6E", v);
    out += "\r\n";
  }
  return out;
}

std::vector<double> tissue_energy_grid(double tolerance)
{
  const Material tissue = soft_tissue();
  // Candidate rows every 0.1 keV below 10 keV, where the coherent
  // coefficient bends most on a log-log scale, and every 0.5 keV above.
  auto step = [](double e) { return e < 10.0 - 1e-9 ? 0.1 : 0.5; };
  constexpr double kProbe = 0.02;  // keV, spacing of the points checked in between
  std::vector<double> grid{4.0};
  TissueRow from = tissue_row(tissue, grid.back());
  while (grid.back() <= 150.0) {
    double best = 0.0;
    TissueRow best_row{};
    for (double next = grid.back() + step(grid.back()); next <= 400.0;
         next = std::round((next + step(next)) * 10.0) / 10.0) {
      const TissueRow to = tissue_row(tissue, next);
      bool ok = true;
      for (double e = from.e + kProbe; e < next - 1e-9 && ok; e += kProbe) {
        const TissueRow direct = tissue_row(tissue, e);
        const double v0[] = {from.coherent, from.incoherent, from.photo};
        const double v1[] = {to.coherent, to.incoherent, to.photo};
        const double d[] = {direct.coherent, direct.incoherent, direct.photo};
        for (int c = 0; c < 3; ++c)
          ok = ok && std::fabs(loglog(e, from.e, v0[c], next, v1[c]) / d[c] - 1.0) <= tolerance;
      }
      if (!ok) break;
      best = next;
      best_row = to;
    }
    if (best == 0.0) throw std::runtime_error("no tissue grid step meets the interpolation tolerance");
    grid.push_back(best);
    from = best_row;
  }
  if (grid.size() > 37) throw std::runtime_error("the tissue grid needs more than 37 rows");
  return grid;
}

std::vector<double> scatter_q_grid()
{
  std::vector<double> q;
  for (int j = 0; j < 45; ++j) {
    const double t = j / 44.0;
    q.push_back(std::strtod(format("%.5f", 10.0 * t * t).c_str(), nullptr));
  }
  return q;
}

std::string soft_tissue_file()
{
  const Material tissue = soft_tissue();
  const std::vector<double> grid = tissue_energy_grid();
  std::string out = format("%3.0f", static_cast<double>(grid.size())) + "\r\n";
  out += format("%9.6f", tissue.density) + "\r\n";
  for (double e : grid) {
    const TissueRow r = tissue_row(tissue, e);
    out += format("%9.6f", e / 1000.0) + format(kCoefficientFormat, r.coherent) +
           format(kCoefficientFormat, r.incoherent) + format(kCoefficientFormat, r.photo) + "\r\n";
  }
  const std::vector<double> q = scatter_q_grid();
  const std::vector<double> fc = cumulative_coherent(tissue, q);
  for (std::size_t j = 0; j < q.size(); ++j)
    out += format("%10.5f", q[j]) + format("%12.5E", fc[j]) + format("%12.5E", scattering_function(tissue, q[j])) +
           "\r\n";
  return out;
}

}  // namespace bsf::physdata
