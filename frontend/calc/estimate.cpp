#include "estimate.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "data_tables.h"
#include "free_format.h"

namespace bsf {

namespace {

using Curve = std::array<double, kGridEnergies + 1>;
using BinVector = std::array<double, kSpectrumBins + 1>;

constexpr double kHalfPi = 1.570795;  // pi/2 to the precision the ring shares were always taken with
constexpr double kMaxFieldCm = 40.0;  // the tables cover rings out to 30 cm; larger fields add nothing useful
constexpr double kMinSideCm = 1.0;

std::size_t idx(int i) { return static_cast<std::size_t>(i); }

double ring_mid_radius(int k) { return 0.1 * k - 0.05; }

// floor(x) as a ring count, never below 0 and never past the last tabulated
// ring (also safe for a NaN from nonsense distances).
int ring_count(double x)
{
  const double n = std::floor(x);
  if (!(n > 0.0)) return 0;
  if (n > kRingCount) return kRingCount;
  return static_cast<int>(n);
}

// Spectrum weights of one dose quantity: photon number times photon energy
// times the medium's mass energy-absorption coefficient (the dose each bin
// delivers to that medium), normalised to sum 1 over bins 2 ... n.
BinVector dose_weights(const ExposureConditions& c, const BinVector& mu_en, int n)
{
  BinVector w{};
  double sum = 0.0;
  for (int i = 2; i <= n; ++i) {
    w[idx(i)] = mu_en[idx(i)] * 0.5 * i * c.PhotonSpectrum[idx(i)];
    sum += w[idx(i)];
  }
  if (!(sum > 0.0))
    throw std::domain_error("backscatter estimate: the spectrum delivers no dose between 1 keV and the tube voltage");
  for (int i = 2; i <= n; ++i) w[idx(i)] /= sum;
  return w;
}

// The curve at a bin's energy, linear in energy between neighbouring grid
// points. A bin lying on a grid energy takes that point's value itself: at a
// tube voltage equal to a grid energy the point above was never computed,
// and the 150 keV bin has no grid point above it at all.
double curve_at(const Curve& grid, const Curve& bsf, double e)
{
  int j = 2;
  while (j <= kGridEnergies && !(grid[idx(j)] > e)) ++j;
  if (j > kGridEnergies) return bsf[idx(kGridEnergies)];
  const double hi = grid[idx(j)];
  const double lo = grid[idx(j - 1)];
  if (e == lo) return bsf[idx(j - 1)];
  return bsf[idx(j)] - (bsf[idx(j)] - bsf[idx(j - 1)]) * (hi - e) / (hi - lo);
}

}  // namespace

std::array<double, kGridEnergies + 1> energy_grid31()
{
  Curve g{};
  g[1] = 1.0;
  for (int e = 2; e <= kGridEnergies; ++e) g[idx(e)] = 5.0 * (e - 1);
  return g;
}

DifferentialBsfTable load_differential_table(const std::filesystem::path& file)
{
  DifferentialBsfTable t;
  FreeFormatReader in(file);
  in.skip_line();
  for (int k = 1; k <= kRingCount; ++k) {
    const std::string ring = "ring " + std::to_string(k) + " of 300";
    in.next("the leading field of " + ring);
    // A differential factor is a small share of the backscatter, at most a
    // few hundredths; Monte Carlo noise may leave it a few millionths below
    // 0, never more than a thousandth.
    for (int e = 1; e <= kGridEnergies; ++e)
      t.value[idx(e)][idx(k)] =
          in.next_where("value " + std::to_string(e) + " of 31 of " + ring,
                        [](double v) { return std::isfinite(v) && v > -1e-3 && v < 1.0; },
                        "is not a differential backscatter factor (finite, between -0.001 and 1)");
  }
  return t;
}

DifferentialTables load_differential_tables(const std::filesystem::path& dir)
{
  DifferentialTables t;
  t.soft = load_differential_table(resolve_nocase(dir, "dBSF-SoftDose-SoftPhantom.dat"));
  t.air = load_differential_table(resolve_nocase(dir, "dBSF-AirDose-SoftPhantom.dat"));
  t.skin = load_differential_table(resolve_nocase(dir, "dBSF-SkinDose-SoftPhantom.dat"));
  return t;
}

int highest_grid_index(double tube_voltage)
{
  const Curve grid = energy_grid31();
  int e = 2;
  while (e < kGridEnergies && !(grid[idx(e)] >= tube_voltage)) ++e;
  return e;
}

std::array<double, kGridEnergies + 1> monoenergetic_bsf(const ExposureConditions& c, const DifferentialBsfTable& t,
                                                        int e_max)
{
  if (c.FieldShape != 1 && c.FieldShape != 2)
    throw std::invalid_argument("backscatter estimate: field shape " + std::to_string(c.FieldShape) +
                                " is neither rectangular (1) nor circular (2)");
  e_max = std::clamp(e_max, 1, kGridEnergies);

  // The primary fluence reaching a ring falls off with the square of the
  // distance from the focus; the tables are for the beam centre.
  const double f2 = c.FocusSurfaceDistance * c.FocusSurfaceDistance;
  std::array<double, kRingCount + 1> g{};
  for (int k = 1; k <= kRingCount; ++k) {
    const double r = ring_mid_radius(k);
    g[idx(k)] = f2 / (f2 + r * r);
  }
  // Field sizes are given at the image receptor; the rings lie on the
  // entrance surface.
  const double scale = c.FocusSurfaceDistance / c.FocusReceptorDistance;

  Curve bsf{};
  if (c.FieldShape == 2) {
    const double d = std::min(c.FieldLong * scale, kMaxFieldCm);
    const int nc = ring_count(5.0 * d);  // rings out to the field radius
    for (int e = 1; e <= e_max; ++e) {
      const auto& col = t.value[idx(e)];
      double s = 0.0;
      for (int k = 1; k <= nc; ++k) s += g[idx(k)] * col[idx(k)];
      bsf[idx(e)] = 1.0 + s;
    }
    return bsf;
  }

  auto clamp_side = [](double v) { return std::max(std::min(v, kMaxFieldCm), kMinSideCm); };
  const double a = clamp_side(std::max(c.FieldLong, c.FieldShort) * scale) / 2.0;
  const double b = clamp_side(std::min(c.FieldLong, c.FieldShort) * scale) / 2.0;
  const int nb = ring_count(10.0 * b);
  const int na = ring_count(10.0 * a);
  const int nd = ring_count(10.0 * std::sqrt(a * a + b * b));

  // Each ring counts with the share of its circumference inside the
  // rectangle. Past the short half-side b the long edges cut off the arcs
  // beyond the angle beta (measured from the short axis); past a the short
  // edges also cut off the arcs beyond alpha.
  std::array<double, kRingCount + 1> share{};
  for (int k = 1; k <= nb; ++k) share[idx(k)] = 1.0;
  for (int k = nb + 1; k <= na; ++k) {
    const double r = ring_mid_radius(k);
    if (r < b) continue;
    const double beta = std::atan(std::sqrt(r * r - b * b) / b);
    share[idx(k)] = (kHalfPi - beta) / kHalfPi;
  }
  for (int k = std::max(na, nb) + 1; k <= nd; ++k) {
    const double r = ring_mid_radius(k);
    if (r < b || r < a) continue;
    const double beta = std::atan(std::sqrt(r * r - b * b) / b);
    const double alpha = std::atan(std::sqrt(r * r - a * a) / a);
    share[idx(k)] = (kHalfPi - beta - alpha) / kHalfPi;
  }
  for (int e = 1; e <= e_max; ++e) {
    const auto& col = t.value[idx(e)];
    double s = 0.0;
    for (int k = 1; k <= nd; ++k)
      if (share[idx(k)] != 0.0) s += g[idx(k)] * share[idx(k)] * col[idx(k)];
    bsf[idx(e)] = 1.0 + s;
  }
  return bsf;
}

void estimate_backscatter(ExposureConditions& c, const AttenuationTable& att, const DifferentialTables& tables)
{
  const Curve grid = energy_grid31();
  const int n = std::min(kSpectrumBins, ring_count(2.0 * c.TubeVoltage));
  const int e_max = highest_grid_index(c.TubeVoltage);

  // Each factor is a ratio of doses in its own medium (dose with the
  // phantom over dose free in air), so its spectrum average must weight
  // every energy with the dose it delivers to that medium: soft tissue with
  // the soft-tissue absorption coefficients, skin with skin's, air kerma
  // with air's.
  const BinVector w_soft = dose_weights(c, att.soft, n);
  const BinVector w_skin = dose_weights(c, att.skin, n);
  const BinVector w_air = dose_weights(c, att.air, n);
  const Curve bsf_soft = monoenergetic_bsf(c, tables.soft, e_max);
  const Curve bsf_skin = monoenergetic_bsf(c, tables.skin, e_max);
  const Curve bsf_air = monoenergetic_bsf(c, tables.air, e_max);

  c.BsfSoftTissue = 0.0;
  c.BsfSkin = 0.0;
  c.BsfAirKerma = 0.0;
  for (int i = 2; i <= n; ++i) {
    const double e = 0.5 * i;
    // Bins without weight are skipped: the curve is only computed up to the
    // tube voltage, and a filtered-out bin must not bring in anything.
    if (w_soft[idx(i)] > 0.0) c.BsfSoftTissue += w_soft[idx(i)] * curve_at(grid, bsf_soft, e);
    if (w_skin[idx(i)] > 0.0) c.BsfSkin += w_skin[idx(i)] * curve_at(grid, bsf_skin, e);
    if (w_air[idx(i)] > 0.0) c.BsfAirKerma += w_air[idx(i)] * curve_at(grid, bsf_air, e);
  }
}

}  // namespace bsf
