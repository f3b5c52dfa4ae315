// The differential backscatter tables' method, in reduced runs: the
// reciprocity estimate against a direct simulation, and tables of different
// statistics against each other.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "pencil.h"
#include "simulation.h"
#include "tables.h"

namespace bsf::dbsf {
namespace {

const PhysicsTables& data()
{
  static const PhysicsTables d{read_soft_tissue(INSTALLED_DATA_DIR), read_absorption(INSTALLED_DATA_DIR)};
  return d;
}

// Soft-tissue dose BSF - 1 at the centre of a circular field of radius R
// cm: the sum of the table's rings inside the field (a perpendicular beam
// has no fall-off of the primary fluence), with its standard error from the
// batches.
std::pair<double, double> table_sum(const BuildResult& r, int e, double radius)
{
  const int rings = static_cast<int>(radius / kRingWidth + 1e-9);
  std::vector<double> per_batch;
  for (const auto& t : r.batches) {
    double s = 0.0;
    for (int k = 0; k < rings; ++k) s += t[1][static_cast<std::size_t>(e)][static_cast<std::size_t>(k)];
    per_batch.push_back(s);
  }
  double mean = 0.0, var = 0.0;
  for (double v : per_batch) mean += v / per_batch.size();
  for (double v : per_batch) var += (v - mean) * (v - mean) / (per_batch.size() - 1);
  return {mean, std::sqrt(var / per_batch.size())};
}

// The engine's way, directly: a parallel beam over a disc of radius R enters
// the slab, the primary dose is scored for photons entering within 0.5 cm
// of the centre and the backscattered fluence where the photons' lines
// cross that disc (E mu / |cos theta|). Returns BSF - 1 and its standard
// error from 20 batches.
std::pair<double, double> direct_simulation(float e0, double radius, std::int64_t histories)
{
  const FlatSlab slab;
  std::vector<double> per_batch;
  for (int b = 0; b < 20; ++b) {
    FastLookup lookup(data().tissue, data().absorption);
    lookup.set_source_energy(e0);
    BuilderRng rng(batch_seed(777, 0, 0, b));
    double primary = 0.0, back = 0.0;
    for (std::int64_t h = 0; h < histories / 20; ++h) {
      double x, y;
      do {
        x = (2.0 * rng.draw() - 1.0) * radius;
        y = (2.0 * rng.draw() - 1.0) * radius;
      } while (x * x + y * y > radius * radius);
      if (x * x + y * y <= 0.25) primary += e0 * lookup.primary_dose(e0).soft;
      transport_photon(slab, lookup, rng, e0, Point{static_cast<float>(x), static_cast<float>(y), 0.0f},
                       Direction{0.0f, 1.0f, 0.0f, 1.0f}, [&](float e, const Point& p, const Direction& d) {
                         if (!(d.cos_theta < 0.0f)) return;
                         const double t = -p.z / d.cos_theta;
                         const double xs = p.x + t * d.sin_theta * d.cos_phi;
                         const double ys = p.y + t * d.sin_theta * d.sin_phi;
                         if (xs * xs + ys * ys > 0.25) return;
                         back += e * lookup.dose(e).soft / std::fabs(d.cos_theta);
                       });
    }
    per_batch.push_back(back / primary);
  }
  double mean = 0.0, var = 0.0;
  for (double v : per_batch) mean += v / 20.0;
  for (double v : per_batch) var += (v - mean) * (v - mean) / 19.0;
  return {mean, std::sqrt(var / 20.0)};
}

BuildResult reduced_build(std::vector<double> nodes, std::int64_t histories, std::uint64_t seed, int energy)
{
  BuildSettings s;
  s.node_radii = std::move(nodes);
  s.histories_per_batch = histories;
  s.batches = 20;
  s.seed = seed;
  s.first_energy = s.last_energy = energy;
  return build_tables(data(), s);
}

TEST(DifferentialTables, PerpendicularBeamMatchesDirectSimulation)
{
  const int e = 13;  // 60 keV
  const double radius = 3.0;
  const auto [table, table_se] = table_sum(reduced_build({0.0}, 20000, 1, e), e, radius);
  const auto [direct, direct_se] = direct_simulation(60.0f, radius, 4000000);
  const double sigma = std::hypot(table_se, direct_se);
  RecordProperty("table", std::to_string(table) + " +- " + std::to_string(table_se));
  RecordProperty("direct", std::to_string(direct) + " +- " + std::to_string(direct_se));
  EXPECT_GT(table, 0.05);
  EXPECT_LT(std::fabs(table - direct), 4.0 * sigma) << "table " << table << " +- " << table_se << ", direct "
                                                   << direct << " +- " << direct_se;
}

TEST(DifferentialTables, FewAndManyHistoriesAgreeWithinUncertainty)
{
  const int e = 9;  // 40 keV
  const auto few = reduced_build({0.0, 10.0, 20.0, 30.0}, 2000, 11, e);
  const auto many = reduced_build({0.0, 10.0, 20.0, 30.0}, 8000, 12, e);
  for (double radius : {2.0, 10.0, 25.0}) {
    const auto [a, sa] = table_sum(few, e, radius);
    const auto [b, sb] = table_sum(many, e, radius);
    EXPECT_LT(sb, sa) << "more histories, smaller error";
    EXPECT_LT(std::fabs(a - b), 4.0 * std::hypot(sa, sb)) << "radius " << radius << ": " << a << " vs " << b;
  }
}

TEST(DifferentialTables, LowestEnergyColumnIsZeroAndFileLayout)
{
  const auto r = reduced_build({0.0, 30.0}, 500, 5, 2);
  for (int m = 0; m < 3; ++m)
    for (int k = 0; k < kRings; ++k) EXPECT_EQ(r.mean[static_cast<std::size_t>(m)][1][static_cast<std::size_t>(k)], 0.0);
  const std::string text = table_text(r.mean, 1, "header");
  EXPECT_TRUE(text.starts_with("header\r\n   1  0.00000E+00 "));
  int lines = 0;
  for (char c : text) lines += c == '\n';
  EXPECT_EQ(lines, 301);
}

TEST(DifferentialTables, BatchesAreReproducibleWhateverTheThreads)
{
  BuildSettings one;
  one.node_radii = {0.0, 30.0};
  one.histories_per_batch = 300;
  one.batches = 4;
  one.first_energy = one.last_energy = 5;
  one.threads = 1;
  BuildSettings two = one;
  two.threads = 2;
  const auto a = build_tables(data(), one);
  const auto b = build_tables(data(), two);
  EXPECT_EQ(a.mean, b.mean);
}

}  // namespace
}  // namespace bsf::dbsf
