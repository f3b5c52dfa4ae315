// The installed physics data: rebuilt byte for byte from xraylib, checked
// against independent reference values (the NIST tables of Hubbell and
// Seltzer), and checked for the properties the engine relies on.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "coefficients.h"
#include "data_files.h"
#include "free_format.h"
#include "materials.h"
#include "physics.h"
#include "support.h"
#include "tables.h"
#include "xrl_checked.h"

namespace bsf {
namespace {

namespace fs = std::filesystem;
using namespace physdata;

const fs::path kData = INSTALLED_DATA_DIR;

TEST(PhysicsData, RebuildReproducesTheCommittedFiles)
{
  test::ScratchDir d;
  const std::string cmd = std::string("'") + BUILDER + "' '" + d.path().string() + "' >/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  for (const char* name : {"Att_Coeff2020.dat", "ICRUSoft.dat"})
    EXPECT_EQ(test::read_file(d.path() / name), test::read_file(kData / name))
        << name << " differs from its rebuild: run build/tools/build-physics-data data";
}

// NIST (Hubbell and Seltzer, NISTIR 5632) mass energy-absorption
// coefficients, cm2/g.
struct Reference {
  double e_kev;
  double value;
};

constexpr Reference kAirMuEn[] = {
    {1, 3599},      {1.5, 1188},    {2, 526.2},      {3, 161.4},      {4, 76.36},
    {5, 39.31},     {6, 22.70},     {8, 9.446},      {10, 4.742},     {15, 1.334},
    {20, 0.5389},   {30, 0.1537},   {40, 0.06833},   {50, 0.04098},   {60, 0.03041},
    {80, 0.02407},  {100, 0.02325}, {150, 0.02496},  {200, 0.02672}};
constexpr Reference kWaterMuEn[] = {
    {1, 4065},      {1.5, 1372},    {2, 615.2},      {3, 191.7},      {4, 81.91},
    {5, 41.88},     {6, 24.05},     {8, 9.915},      {10, 4.944},     {15, 1.374},
    {20, 0.5503},   {30, 0.1557},   {40, 0.06947},   {50, 0.04223},   {60, 0.03190},
    {80, 0.02597},  {100, 0.02546}, {150, 0.02764},  {200, 0.02967}};

TEST(PhysicsData, EnergyAbsorptionMatchesNistForAirAndWater)
{
  const Material air = dry_air(), h2o = water();
  double worst = 0.0;
  for (const auto& [e, nist] : kAirMuEn) {
    const double dev = mass_energy_absorption(air, e) / nist - 1.0;
    EXPECT_LT(std::fabs(dev), 0.0015) << "air at " << e << " keV";
    worst = std::max(worst, std::fabs(dev));
  }
  for (const auto& [e, nist] : kWaterMuEn) {
    const double dev = mass_energy_absorption(h2o, e) / nist - 1.0;
    EXPECT_LT(std::fabs(dev), 0.0015) << "water at " << e << " keV";
    worst = std::max(worst, std::fabs(dev));
  }
  RecordProperty("worst_relative_deviation", std::to_string(worst));
}

// NIST XCOM mass attenuation coefficients (coherent included), cm2/g.
struct AttenuationReference {
  const char* what;
  double e_kev;
  double value;
};

TEST(PhysicsData, InstalledCoefficientsMatchNistAtReferenceEnergies)
{
  const AbsorptionTable ab = read_absorption(kData);
  FreeFormatReader in(kData / "Att_Coeff2020.dat");
  // Columns per line: energy, W, Al, Cu (linear), air, tissue, skin.
  std::vector<std::array<double, 7>> rows(300);
  for (auto& r : rows)
    for (double& v : r) v = in.next("a coefficient");
  auto at = [&](double e) { return rows[static_cast<std::size_t>(std::lround(e * 2.0)) - 1]; };

  const AttenuationReference refs[] = {
      {"W", 60, 3.713},   {"W", 80, 7.810},   {"W", 100, 4.438},  {"W", 150, 1.581},
      {"Al", 20, 3.441},  {"Al", 60, 0.2778}, {"Al", 100, 0.1704}, {"Al", 150, 0.1378},
      {"Cu", 20, 33.79},  {"Cu", 60, 1.593},  {"Cu", 100, 0.4584}, {"Cu", 150, 0.2217},
      {"air", 30, 0.1537}, {"air", 60, 0.03041}, {"air", 100, 0.02325}, {"air", 150, 0.02496},
  };
  for (const auto& r : refs) {
    const auto row = at(r.e_kev);
    const std::string w = r.what;
    const double v = w == "W"    ? row[1] / kTungstenDensity
                     : w == "Al" ? row[2] / kAluminiumDensity
                     : w == "Cu" ? row[3] / kCopperDensity
                                 : row[4];
    EXPECT_NEAR(v / r.value, 1.0, 0.005) << r.what << " at " << r.e_kev << " keV";
  }
  // Water, from the same cross-sections.
  EXPECT_NEAR(mass_attenuation(water(), 60) / 0.2059, 1.0, 0.005);
  EXPECT_NEAR(mass_attenuation(water(), 100) / 0.1707, 1.0, 0.005);

  // The engine's fixed-column reader and the front end's free-format reader
  // read the same numbers from the same file.
  for (std::size_t j = 1; j <= 300; ++j) {
    const auto& r = rows[j - 1];
    EXPECT_EQ(r[0], 0.5 * static_cast<double>(j));
    EXPECT_FLOAT_EQ(ab.energy[j], static_cast<float>(r[0]));
    EXPECT_FLOAT_EQ(ab.air[j], static_cast<float>(r[4]));
    EXPECT_FLOAT_EQ(ab.soft[j], static_cast<float>(r[5]));
    EXPECT_FLOAT_EQ(ab.skin[j], static_cast<float>(r[6]));
  }
}

TEST(PhysicsData, TissueTableHasWhatTheEngineRelies)
{
  const SoftTissueData d = read_soft_tissue(kData);  // also checks positivity and order
  const TissueTable& t = d.tissue;
  EXPECT_LE(t.rows, 37);
  EXPECT_LE(t.energy[1], 4.0f + 1e-4f);
  EXPECT_GT(t.energy[static_cast<std::size_t>(t.rows)], 150.0f);
  const ScatterTable& s = d.scatter;
  EXPECT_GE(s.q[45], 10.0f);
  EXPECT_EQ(s.q[1], 0.0f);
  EXPECT_GT(s.fc_total, 0.0f);
  for (std::size_t j = 1; j <= 45; ++j) {
    EXPECT_LE(s.s[j], s.s_max) << "row " << j;
    if (j > 1) {
      EXPECT_GE(s.fc[j], s.fc[j - 1]) << "row " << j;
    }
  }
}

// Log-log interpolation in the installed table, as the engine does it, stays
// within 0.2 % of the coefficients computed directly at every energy the
// engine meets.
TEST(PhysicsData, TissueTableInterpolatesWithinTolerance)
{
  const SoftTissueData d = read_soft_tissue(kData);
  const Material tissue = soft_tissue();
  double worst = 0.0;
  for (double e = 5.0; e <= 150.0; e += 0.25) {
    const TissueCoefficients c = tissue_coefficients(d.tissue, static_cast<float>(e));
    const double coh = mass_coherent(tissue, e) * tissue.density;
    const double inc = mass_incoherent(tissue, e) * tissue.density;
    const double pe = mass_photoelectric(tissue, e) * tissue.density;
    // The three coefficients back from the total and the two shares.
    const double pe_t = static_cast<double>(c.p_photo) * c.mu_total;
    const double coh_t = (static_cast<double>(c.p_photo_coherent) - c.p_photo) * c.mu_total;
    const double inc_t = c.mu_total - pe_t - coh_t;
    for (double dev : {pe_t / pe - 1.0, coh_t / coh - 1.0, inc_t / inc - 1.0}) {
      worst = std::max(worst, std::fabs(dev));
      ASSERT_LT(std::fabs(dev), 0.002) << "at " << e << " keV";
    }
  }
  RecordProperty("worst_relative_deviation", std::to_string(worst));
}

// The coherent cross-section recovered from the installed Fc(q) table (the
// distribution the engine samples, piecewise linear in q) and the Thomson
// factor agrees with xraylib's integrated coherent cross-section.
TEST(PhysicsData, CoherentTableReproducesTheCoherentCrossSection)
{
  const SoftTissueData d = read_soft_tissue(kData);
  const ScatterTable& s = d.scatter;
  const Material tissue = soft_tissue();
  const double hc = xrl::kev_angstrom();
  const double pi = 3.14159265358979323846;
  for (double e : {5.0, 10.0, 20.0, 30.0, 45.0, 60.0, 80.0, 100.0, 150.0}) {
    const double lambda = hc / e;
    const double q_max = 1.0 / lambda;  // backscatter
    double integral = 0.0;              // of (1 + cos^2)/2 dFc
    for (std::size_t j = 2; j <= 45 && s.q[j - 1] < q_max; ++j) {
      const double a = s.q[j - 1], b = std::min<double>(s.q[j], q_max);
      const double slope = (s.fc[j] - s.fc[j - 1]) / (s.q[j] - s.q[j - 1]);
      const int n = 200;
      for (int i = 0; i < n; ++i) {
        const double q = a + (b - a) * (i + 0.5) / n;
        const double c = 1.0 - 2.0 * (q * lambda) * (q * lambda);
        integral += (1.0 + c * c) / 2.0 * slope * (b - a) / n;
      }
    }
    // dOmega = 2 pi sin(theta) dtheta = 8 pi lambda^2 q dq; Fc holds q F^2 dq per gram and mole.
    const double sigma = 8.0 * pi * lambda * lambda * xrl::re2_barn() * xrl::avogadro_per_barn() * integral;
    EXPECT_NEAR(sigma / mass_coherent(tissue, e), 1.0, 0.01) << "at " << e << " keV";
  }
}

}  // namespace
}  // namespace bsf
