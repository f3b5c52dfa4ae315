// Tests of the interaction physics: Compton and Rayleigh angle sampling with
// scripted random numbers, the direction update after a scattering, the row
// searches, and the coefficient look-ups.
//
// The sampling routines take any generator with draw(), so each case feeds
// the exact uniform numbers it needs and counts how many were used: the
// number of draws is part of the behaviour, because every later number of a
// run depends on it. The fast look-up is held to the reference look-up bit
// for bit over dense sweeps of energies, since a run must give the same
// results whichever path it takes.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <ostream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "data_files.h"
#include "physics.h"
#include "support.h"

namespace bsf {
namespace {

// ---------------------------------------------------------------------------
// Scripted numbers and a hand-made scattering-function table.

// Hands out the scripted uniform numbers in order and fails the test if the
// code under test asks for more than were scripted.
struct ScriptedRng {
  std::vector<float> values;
  std::size_t used = 0;
  float draw()
  {
    if (used >= values.size())
      throw std::runtime_error("asked for random number " + std::to_string(used + 1) +
                               " but only " + std::to_string(values.size()) + " were scripted");
    return values[used++];
  }
};

// A scattering-function table with simple closed forms, so that every
// interpolated value is known:
//   q(j)  = 0.25 (j - 1)      0 ... 11 1/A
//   Fc(j) = j - 1             0 ... 44, so a draw r inverts to q = 11 r
//   S(j)  = q(j)              S(q) / S(45) = q / 11
ScatterTable linear_table()
{
  ScatterTable t;
  for (int j = 1; j <= ScatterTable::kRows; ++j) {
    const auto jj = static_cast<std::size_t>(j);
    t.q[jj] = 0.25f * static_cast<float>(j - 1);
    t.fc[jj] = static_cast<float>(j - 1);
    t.s[jj] = t.q[jj];
  }
  t.fc_total = t.fc[ScatterTable::kRows];
  t.s_max = t.s[ScatterTable::kRows];
  return t;
}

struct TableLookup {
  ScatterTable table;
  const ScatterTable& scatter() const { return table; }
  int q_row(float q) const { return find_row_linear(table.q.data(), ScatterTable::kRows, q); }
  int fc_row(float u) const { return find_row_linear(table.fc.data(), ScatterTable::kRows, u); }
};

// ---------------------------------------------------------------------------
// Compton scattering (Kahn's method with the S(q) test)

struct ComptonCase {
  const char* name;
  float e;
  std::vector<float> script;
  std::size_t draws;  // how many of the scripted numbers are used
  double energy;      // E' (keV)
  double cos_angle;
};

void PrintTo(const ComptonCase& c, std::ostream* os) { *os << c.name; }

class ComptonSample : public ::testing::TestWithParam<ComptonCase> {};

TEST_P(ComptonSample, UsesTheRightNumbersAndGivesTheRightAngle)
{
  const ComptonCase& c = GetParam();
  const TableLookup lookup{linear_table()};
  ScriptedRng rng{c.script};
  const Scatter s = sample_compton(c.e, lookup, rng);
  EXPECT_EQ(rng.used, c.draws);
  EXPECT_NEAR(s.energy, c.energy, 2e-3);
  EXPECT_NEAR(s.cos_angle, c.cos_angle, 2e-5);
  // The sine and cosine are those of one angle between 0 and pi, and the
  // energy follows from that angle by the Compton formula.
  EXPECT_GE(s.sin_angle, 0.0f);
  EXPECT_NEAR(s.sin_angle * s.sin_angle + s.cos_angle * s.cos_angle, 1.0, 1e-6);
  EXPECT_NEAR(s.energy, c.e / (1.0 + (c.e / 511.0) * (1.0 - s.cos_angle)), 1e-3);
  EXPECT_LE(s.energy, c.e);
}

// At E = 60 keV: kappa = 511/60 = 8.5167 and t = (kappa + 2)/(9 kappa + 2) = 0.13371.
// r1 = 0.5 > t, r2 = 0.5: eta = (kappa + 2)/(kappa + 1) = 1.10508, acceptance
// value 0.45798; cos = 1 - kappa (eta - 1) = 0.10508, angle 1.46552 rad,
// q = sin(angle/2) * 60/12.4 = 3.2367 (below 10, so S(q) is tested:
// S/S(45) = 3.2367/11 = 0.29425 in the test table); E' = 60/eta = 54.2948.
// r1 <= t, r2 = 0.5: eta = 1 + 2 r2/kappa = 1.11742, acceptance value 0.37615,
// cos = 0 (a right angle), q = sin(pi/4) * 60/12.4 = 3.4215, E' = 53.6953.
const ComptonCase kComptonCases[] = {
    {"WorkedSampleAccepted", 60.0f, {0.5f, 0.5f, 0.3f, 0.2f}, 4, 54.294770, 0.1050788},
    {"WorkedSampleSqAcceptsJustBelowRatio", 60.0f, {0.5f, 0.5f, 0.3f, 0.29f}, 4, 54.294770, 0.1050788},
    // The S(q) test rejects (0.29425 < 0.3): three new numbers, the whole
    // sample is repeated; the second attempt takes the other branch.
    {"SqTestRejectsThenRepeats", 60.0f, {0.5f, 0.5f, 0.3f, 0.3f, 0.1f, 0.5f, 0.3f, 0.0f}, 8, 53.695271, 0.0},
    // The Kahn test rejects (0.45798 < 0.9): no S(q) number is drawn for it.
    {"KahnRejectsThenRepeats", 60.0f, {0.5f, 0.5f, 0.9f, 0.5f, 0.5f, 0.3f, 0.2f}, 7, 54.294770, 0.1050788},
    {"KahnRejectsTwice", 60.0f, {0.5f, 0.5f, 0.9f, 0.5f, 0.5f, 0.46f, 0.1f, 0.5f, 0.3f, 0.0f}, 10, 53.695271, 0.0},
    // The branch threshold t = 0.13371 lies between these two r1.
    {"BranchJustBelowThreshold", 60.0f, {0.1337f, 0.5f, 0.0f, 0.0f}, 4, 53.695271, 0.0},
    {"BranchJustAboveThreshold", 60.0f, {0.1338f, 0.5f, 0.0f, 0.0f}, 4, 54.294770, 0.1050788},
    // At 150 keV with r2 = 0.99 the photon is scattered almost backwards:
    // cos = -0.96844, q = 12.0 >= 10, accepted without drawing a fourth number.
    {"LargeMomentumTransferSkipsSqTest", 150.0f, {0.9f, 0.99f, 0.5f}, 3, 95.067818, -0.9684436},
    // Just below the limit (q = 9.51) the S(q) number is drawn.
    {"MomentumTransferBelowLimitDrawsSqNumber", 150.0f, {0.9f, 0.72f, 0.3f, 0.5f}, 4, 110.049322, -0.2367059},
    // At 255.5 keV kappa is exactly 2, and r2 = 1 gives eta = 2 and cos = -1
    // exactly: the angle formula yields atan(-0) = -0, which must become pi
    // (a photon sent straight back with half its energy), not a forward 0.
    {"ExactBackscatterIsAHalfTurn", 255.5f, {0.1f, 1.0f, 0.5f}, 3, 127.75, -1.0},
};

INSTANTIATE_TEST_SUITE_P(Cases, ComptonSample, ::testing::ValuesIn(kComptonCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ComptonSample, SqTestAcceptsWhenRatioEqualsDrawnNumber)
{
  // With S flat, S/S(45) is exactly 1, and a scripted r = 1 must still accept.
  TableLookup lookup{linear_table()};
  for (auto& s : lookup.table.s) s = 8.0f;
  lookup.table.s_max = 8.0f;
  ScriptedRng rng{{0.5f, 0.5f, 0.3f, 1.0f}};
  const Scatter s = sample_compton(60.0f, lookup, rng);
  EXPECT_EQ(rng.used, 4u);
  EXPECT_NEAR(s.energy, 54.294770, 2e-3);
}

TEST(ComptonSample, FixtureTableOverManyGeneratorNumbers)
{
  // With the fixture's scattering functions and a long stream of numbers:
  // every sample is a physical Compton scattering.
  const SoftTissueData st = read_soft_tissue(test::fixture_dir());
  const AbsorptionTable ab = read_absorption(test::fixture_dir());
  ReferenceLookup lookup(st, ab);
  struct Mt {
    std::mt19937 gen{12345};
    std::uniform_real_distribution<float> dist{0.0f, 1.0f};
    float draw() { return dist(gen); }
  } rng;
  for (float e : {5.0f, 20.0f, 60.0f, 150.0f}) {
    for (int n = 0; n < 2000; ++n) {
      const Scatter s = sample_compton(e, lookup, rng);
      ASSERT_TRUE(std::isfinite(s.energy) && std::isfinite(s.cos_angle) && std::isfinite(s.sin_angle));
      ASSERT_GE(s.cos_angle, -1.0f);
      ASSERT_LE(s.cos_angle, 1.0f);
      ASSERT_GE(s.sin_angle, 0.0f);
      // The smallest energy is that of a backward scattering.
      ASSERT_GE(s.energy, e / (1.0f + 2.0f * e / 511.0f) * 0.9999f) << "E = " << e;
      ASSERT_LE(s.energy, e) << "E = " << e;
    }
  }
}

// ---------------------------------------------------------------------------
// Rayleigh scattering

struct RayleighCase {
  const char* name;
  float e;
  std::vector<float> script;
  std::size_t draws;
  double cos_angle;
};

void PrintTo(const RayleighCase& c, std::ostream* os) { *os << c.name; }

class RayleighSample : public ::testing::TestWithParam<RayleighCase> {};

TEST_P(RayleighSample, KeepsEnergyAndRetriesAsNeeded)
{
  const RayleighCase& c = GetParam();
  const TableLookup lookup{linear_table()};
  ScriptedRng rng{c.script};
  const Scatter s = sample_rayleigh(c.e, lookup, rng);
  EXPECT_EQ(rng.used, c.draws);
  // Coherent scattering does not change the photon energy, not even by an ulp.
  EXPECT_EQ(std::bit_cast<std::uint32_t>(s.energy), std::bit_cast<std::uint32_t>(c.e));
  EXPECT_NEAR(s.cos_angle, c.cos_angle, 2e-6);
  EXPECT_NEAR(s.sin_angle, std::sqrt(1.0 - c.cos_angle * c.cos_angle), 2e-5);
  EXPECT_GE(s.sin_angle, 0.0f);
}

// In the test table a draw r gives q = 11 r; sin(angle/2) = q * 12.4 / E and
// cos = 1 - 2 sin^2(angle/2); the Thomson test accepts when 2r <= 1 + cos^2.
const RayleighCase kRayleighCases[] = {
    // r = 0.2 at 60 keV: sin(angle/2) = 0.45467, cos = 0.58656; 1.2 <= 1.34405.
    {"Accepted", 60.0f, {0.2f, 0.6f}, 2, 0.5865564},
    // r = 0.5 at 60 keV: sin(angle/2) = 1.137 > 1 -> retry without a Thomson number.
    {"SinHalfAngleAboveOneRetries", 60.0f, {0.5f, 0.2f, 0.6f}, 3, 0.5865564},
    {"SeveralRetriesAtLowEnergy", 10.0f, {0.5f, 0.9f, 0.05f, 0.4f}, 4, 0.069752},
    // Thomson rejection (1.4 > 1.34405) then q = 0: straight ahead.
    {"ThomsonRejectsThenForward", 60.0f, {0.2f, 0.7f, 0.0f, 0.99f}, 4, 1.0},
    // Straight ahead has 1 + cos^2 = 2: even a scripted r = 1 is accepted.
    {"ThomsonAcceptsAtEquality", 60.0f, {0.0f, 1.0f}, 2, 1.0},
    // At 150 keV a large q is reachable: cos = -0.62086.
    {"BackwardAtHighEnergy", 150.0f, {0.99f, 0.1f}, 2, -0.6208641},
    {"EnergyNotRepresentableExactly", 37.3f, {0.1f, 0.5f}, 2, 0.7325509},
};

INSTANTIATE_TEST_SUITE_P(Cases, RayleighSample, ::testing::ValuesIn(kRayleighCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RayleighSample, EnergyExactlyKeptOverFixtureSweep)
{
  const SoftTissueData st = read_soft_tissue(test::fixture_dir());
  const AbsorptionTable ab = read_absorption(test::fixture_dir());
  ReferenceLookup lookup(st, ab);
  std::mt19937 gen(777);
  struct Mt {
    std::mt19937& gen;
    std::uniform_real_distribution<float> dist{0.0f, 1.0f};
    float draw() { return dist(gen); }
  } rng{gen};
  for (int i = 10; i <= 300; i += 7) {
    const float e = 0.5f * static_cast<float>(i) + 0.1f;
    for (int n = 0; n < 50; ++n) {
      const Scatter s = sample_rayleigh(e, lookup, rng);
      ASSERT_EQ(std::bit_cast<std::uint32_t>(s.energy), std::bit_cast<std::uint32_t>(e));
      ASSERT_GE(s.cos_angle, -1.0f);
      ASSERT_LE(s.cos_angle, 1.0f);
      ASSERT_GE(s.sin_angle, 0.0f);
    }
  }
}

// ---------------------------------------------------------------------------
// Direction update after a scattering

struct RotateCase {
  const char* name;
  Direction old_dir;
  float sin_a, cos_a, sin_psi, cos_psi;
  Direction expected;
  bool exact;  // expected to the bit
};

void PrintTo(const RotateCase& c, std::ostream* os) { *os << c.name; }

class Rotate : public ::testing::TestWithParam<RotateCase> {};

TEST_P(Rotate, NewDirection)
{
  const RotateCase& c = GetParam();
  const Direction n = rotate(c.old_dir, c.sin_a, c.cos_a, c.sin_psi, c.cos_psi);
  if (c.exact) {
    EXPECT_EQ(n.sin_theta, c.expected.sin_theta);
    EXPECT_EQ(n.cos_theta, c.expected.cos_theta);
    EXPECT_EQ(n.sin_phi, c.expected.sin_phi);
    EXPECT_EQ(n.cos_phi, c.expected.cos_phi);
  } else {
    EXPECT_NEAR(n.sin_theta, c.expected.sin_theta, 4e-6);
    EXPECT_NEAR(n.cos_theta, c.expected.cos_theta, 4e-6);
    EXPECT_NEAR(n.sin_phi, c.expected.sin_phi, 4e-6);
    EXPECT_NEAR(n.cos_phi, c.expected.cos_phi, 4e-6);
  }
}

const RotateCase kRotateCases[] = {
    // Worked case: old direction cosines (0.6, 0, 0.8); a right-angle
    // scattering at psi = pi/2 gives (0, 1, 0).
    {"WorkedRightAngle", {0.6f, 0.8f, 0.0f, 1.0f}, 1.0f, 0.0f, 1.0f, 0.0f, {1.0f, 0.0f, 1.0f, 0.0f}, false},
    // The same, turned by 90 degrees about z: (0, 0.6, 0.8) -> (-1, 0, 0).
    {"WorkedTurnedAboutZ", {0.6f, 0.8f, 1.0f, 0.0f}, 1.0f, 0.0f, 1.0f, 0.0f, {1.0f, 0.0f, 0.0f, -1.0f}, false},
    // psi = pi, scattering angle with cos 0.8 in the plane of the old direction:
    // (0.6, 0, 0.8) -> (0.96, 0, 0.28).
    {"InPlaneAwayFromAxis", {0.6f, 0.8f, 0.0f, 1.0f}, 0.6f, 0.8f, 0.0f, -1.0f, {0.96f, 0.28f, 0.0f, 1.0f}, false},
    // Old direction exactly along +z or -z: the azimuth comes from psi alone,
    // sin phi' = sin psi and cos phi' = -cos psi.
    {"OldAlongPlusZ", {0.0f, 1.0f, 0.0f, 1.0f}, 0.6f, 0.8f, 0.28f, 0.96f, {0.6f, 0.8f, 0.28f, -0.96f}, false},
    {"OldAlongMinusZ", {0.0f, -1.0f, 0.0f, 1.0f}, 0.6f, 0.8f, 0.28f, 0.96f, {0.6f, -0.8f, 0.28f, -0.96f}, false},
    {"OldAlongPlusZOtherPhi", {0.0f, 1.0f, 1.0f, 0.0f}, 1.0f, 0.0f, -0.6f, -0.8f, {1.0f, 0.0f, -0.6f, 0.8f}, false},
    // New direction exactly along the z axis: sin phi' = 0, cos phi' = 1.
    {"OntoPlusZFromX", {1.0f, 0.0f, 0.0f, 1.0f}, 1.0f, 0.0f, 0.0f, 1.0f, {0.0f, 1.0f, 0.0f, 1.0f}, true},
    {"OntoMinusZFromX", {1.0f, 0.0f, 0.0f, 1.0f}, 1.0f, 0.0f, 0.0f, -1.0f, {0.0f, -1.0f, 0.0f, 1.0f}, true},
    {"BackwardsFromMinusZ", {0.0f, -1.0f, 0.6f, 0.8f}, 0.0f, -1.0f, 0.6f, 0.8f, {0.0f, 1.0f, 0.0f, 1.0f}, true},
    {"ForwardFromPlusZ", {0.0f, 1.0f, 0.6f, 0.8f}, 0.0f, 1.0f, 0.6f, 0.8f, {0.0f, 1.0f, 0.0f, 1.0f}, true},
    // Rounding takes cos theta' to 1 (0.36000001 + 0.64000005 rounds to 1).
    {"OntoPlusZFromOblique", {0.6f, 0.8f, 0.0f, 1.0f}, 0.6f, 0.8f, 0.0f, 1.0f, {0.0f, 1.0f, 0.0f, 1.0f}, true},
};

INSTANTIATE_TEST_SUITE_P(Cases, Rotate, ::testing::ValuesIn(kRotateCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Rotate, CosineStaysWithinPlusMinusOneNearTheAxis)
{
  // Scatterings that aim exactly along +z or -z in exact arithmetic: rounding
  // may push cos theta' past +-1, which must not give a NaN sine.
  int checked = 0;
  for (int i = 1; i < 2000; ++i) {
    const double theta = std::numbers::pi * i / 2000.0;
    const Direction d{static_cast<float>(std::sin(theta)), static_cast<float>(std::cos(theta)), 0.0f, 1.0f};
    // Forward onto +z: scattering angle theta at psi = 0 (towards the axis).
    const Direction fwd = rotate(d, d.sin_theta, d.cos_theta, 0.0f, 1.0f);
    // Backward onto -z: scattering angle pi - theta at psi = pi.
    const Direction back = rotate(d, d.sin_theta, -d.cos_theta, 0.0f, -1.0f);
    for (const Direction& n : {fwd, back}) {
      ASSERT_FALSE(std::isnan(n.sin_theta)) << "theta = " << theta;
      ASSERT_FALSE(std::isnan(n.cos_theta)) << "theta = " << theta;
      ASSERT_LE(n.cos_theta, 1.0f) << "theta = " << theta;
      ASSERT_GE(n.cos_theta, -1.0f) << "theta = " << theta;
      ASSERT_GE(n.sin_theta, 0.0f) << "theta = " << theta;
      ASSERT_LT(n.sin_theta, 1e-3f) << "theta = " << theta;
      ASSERT_FALSE(std::isnan(n.sin_phi) || std::isnan(n.cos_phi)) << "theta = " << theta;
      ++checked;
    }
    EXPECT_NEAR(fwd.cos_theta, 1.0f, 1e-6f);
    EXPECT_NEAR(back.cos_theta, -1.0f, 1e-6f);
  }
  EXPECT_EQ(checked, 2 * 1999);
}

TEST(Rotate, TurnsByTheScatteringAngleForAnyDirection)
{
  // The angle between the old and the new direction is the scattering angle
  // (their scalar product is cos a), and the new direction is a unit vector.
  std::mt19937 gen(2024);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int n = 0; n < 100000; ++n) {
    const double theta = std::acos(2.0 * u(gen) - 1.0);
    const double phi = 2.0 * std::numbers::pi * u(gen);
    const double a = std::acos(2.0 * u(gen) - 1.0);
    const double psi = 2.0 * std::numbers::pi * u(gen);
    Direction d{static_cast<float>(std::sin(theta)), static_cast<float>(std::cos(theta)),
                static_cast<float>(std::sin(phi)), static_cast<float>(std::cos(phi))};
    if (n % 50 == 0) d = {0.0f, n % 100 == 0 ? 1.0f : -1.0f, d.sin_phi, d.cos_phi};  // along the axis
    else if (d.sin_theta < 0.05f) continue;  // ill-conditioned near the axis
    const float sa = static_cast<float>(std::sin(a)), ca = static_cast<float>(std::cos(a));
    const Direction r = rotate(d, sa, ca, static_cast<float>(std::sin(psi)), static_cast<float>(std::cos(psi)));
    const double ox = d.sin_theta * d.cos_phi, oy = d.sin_theta * d.sin_phi, oz = d.cos_theta;
    const double nx = r.sin_theta * r.cos_phi, ny = r.sin_theta * r.sin_phi, nz = r.cos_theta;
    ASSERT_NEAR(ox * nx + oy * ny + oz * nz, ca, 2e-5) << "draw " << n;
    ASSERT_NEAR(nx * nx + ny * ny + nz * nz, 1.0, 5e-5) << "draw " << n;
    ASSERT_NEAR(r.sin_theta * r.sin_theta + r.cos_theta * r.cos_theta, 1.0, 1e-6) << "draw " << n;
    // The azimuth's sine and cosine are a pair too, except where dividing by
    // small polar sines magnifies rounding (the vector above stays a unit one).
    if (d.sin_theta * r.sin_theta > 0.1f || d.sin_theta == 0.0f) {
      ASSERT_NEAR(r.sin_phi * r.sin_phi + r.cos_phi * r.cos_phi, 1.0, 2e-5) << "draw " << n;
    }
  }
}

TEST(Rotate, AzimuthTurnsTheRightWayAboutTheOldDirection)
{
  // For the old direction along +x (theta = pi/2, phi = 0) a right-angle
  // scattering sweeps a circle in the y-z plane as psi runs round; psi = 0
  // gives +z, psi = pi/2 gives +y, psi = pi gives -z, psi = 3 pi/2 gives -y.
  const Direction d{1.0f, 0.0f, 0.0f, 1.0f};
  struct Case {
    float sin_psi, cos_psi;
    double x, y, z;
  } cases[] = {{0, 1, 0, 0, 1}, {1, 0, 0, 1, 0}, {0, -1, 0, 0, -1}, {-1, 0, 0, -1, 0}};
  for (const Case& c : cases) {
    const Direction r = rotate(d, 1.0f, 0.0f, c.sin_psi, c.cos_psi);
    EXPECT_NEAR(r.sin_theta * r.cos_phi, c.x, 1e-6);
    EXPECT_NEAR(r.sin_theta * r.sin_phi, c.y, 1e-6);
    EXPECT_NEAR(r.cos_theta, c.z, 1e-6);
  }
}

// ---------------------------------------------------------------------------
// Row searches

TEST(FindRowLinear, SmallestRowAboveTheValueOrTheLast)
{
  // 1-based column x[1..6] with a repeated value.
  const float x[] = {0.0f /* unused */, 1.0f, 2.0f, 2.0f, 2.0f, 3.0f, 5.0f};
  const int n = 6;
  struct Case {
    float v;
    int row;
  } cases[] = {
      {-10.0f, 2}, {0.5f, 2}, {1.0f, 2}, {1.5f, 2}, {1.999f, 2},
      {2.0f, 5},  // past all the repeated 2s
      {2.5f, 5},   {3.0f, 6}, {4.999f, 6},
      {5.0f, 6},   // at the last row: the last interval
      {7.0f, 6},   {std::numeric_limits<float>::infinity(), 6},
  };
  for (const Case& c : cases) EXPECT_EQ(find_row_linear(x, n, c.v), c.row) << "v = " << c.v;
}

struct ColumnCase {
  const char* name;
  std::vector<float> (*column)();  // x[0] unused, x[1..n]
  float lo, hi;
  int buckets;
};

std::vector<float> one_based(std::vector<float> v)
{
  v.insert(v.begin(), 0.0f);
  return v;
}

std::vector<float> fixture_tissue_energies()
{
  const SoftTissueData st = read_soft_tissue(test::fixture_dir());
  return {st.tissue.energy.begin(), st.tissue.energy.begin() + st.tissue.rows + 1};
}
std::vector<float> fixture_absorption_energies()
{
  const AbsorptionTable ab = read_absorption(test::fixture_dir());
  return {ab.energy.begin(), ab.energy.end()};
}
std::vector<float> fixture_q()
{
  const SoftTissueData st = read_soft_tissue(test::fixture_dir());
  return {st.scatter.q.begin(), st.scatter.q.end()};
}
std::vector<float> fixture_fc()
{
  const SoftTissueData st = read_soft_tissue(test::fixture_dir());
  return {st.scatter.fc.begin(), st.scatter.fc.end()};
}
std::vector<float> repeated_values()
{
  return one_based({1, 1, 1, 2, 2, 2, 2, 3, 5, 5, 8, 13, 13, 13, 21, 21});
}
std::vector<float> flat_then_rising()
{
  // A cumulative distribution that has reached its total early and stays there.
  std::vector<float> v;
  for (int i = 0; i < 20; ++i) v.push_back(static_cast<float>(i) * 5.0f);
  for (int i = 0; i < 25; ++i) v.push_back(100.0f);
  return one_based(v);
}
std::vector<float> close_rows()
{
  // Rows closer together than an ulp-scale bucket and rows far apart.
  return one_based({0.0f, 1e-6f, 2e-6f, 0.5f, std::nextafter(0.5f, 1.0f), 0.75f, 10.0f, 10.0f, 99.0f, 200.0f});
}
// A grid on which the bucket of a value is computed with rounding: some
// values a few ulps below a bucket's lower edge come out in that bucket. Rows
// placed just below every edge make the search start matter.
constexpr float kEdgeGridHi = 79.6551132f;
constexpr int kEdgeGridBuckets = 656;
std::vector<float> rows_just_below_bucket_edges()
{
  const float width = kEdgeGridHi / static_cast<float>(kEdgeGridBuckets);
  std::vector<float> v;
  for (int b = 1; b <= kEdgeGridBuckets; ++b)
    v.push_back(std::nextafter(width * static_cast<float>(b), -std::numeric_limits<float>::infinity()));
  return one_based(v);
}
std::vector<float> negative_range()
{
  return one_based({-5.0f, -3.5f, -3.5f, -1.0f, -0.25f, 0.0f, 0.0f, 2.0f, 4.75f, 5.0f});
}

void PrintTo(const ColumnCase& c, std::ostream* os) { *os << c.name; }

class RowIndexMatchesLinear : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(RowIndexMatchesLinear, ForEveryValue)
{
  const ColumnCase& c = GetParam();
  const std::vector<float> x = c.column();
  const int n = static_cast<int>(x.size()) - 1;
  ASSERT_GE(n, 2);
  const RowIndex index(x.data(), n, c.lo, c.hi, c.buckets);

  std::vector<float> values;
  auto add_around = [&](float v) {
    values.push_back(v);
    float up = v, down = v;
    for (int k = 0; k < 3; ++k) {
      up = std::nextafter(up, std::numeric_limits<float>::infinity());
      down = std::nextafter(down, -std::numeric_limits<float>::infinity());
      values.push_back(up);
      values.push_back(down);
    }
  };
  // Every table value, its neighbours and the midpoints between rows.
  for (int i = 1; i <= n; ++i) {
    add_around(x[static_cast<std::size_t>(i)]);
    if (i < n) add_around(0.5f * (x[static_cast<std::size_t>(i)] + x[static_cast<std::size_t>(i) + 1]));
  }
  // Every bucket edge, computed both in single and in double precision.
  const float width = (c.hi - c.lo) / static_cast<float>(c.buckets);
  for (int b = 0; b <= c.buckets + 1; ++b) {
    add_around(c.lo + width * static_cast<float>(b));
    add_around(static_cast<float>(c.lo + (static_cast<double>(c.hi) - c.lo) * b / c.buckets));
  }
  // Below the first row, above the last, and the extremes.
  const float first = x[1], last = x[static_cast<std::size_t>(n)];
  for (float v : {first - 1.0f, first - 1000.0f, last + 1.0f, last * 2.0f + 1.0f, c.lo, c.hi, 0.0f, -0.0f,
                  std::numeric_limits<float>::max(), std::numeric_limits<float>::lowest(),
                  std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()})
    add_around(v);
  // A dense sweep over and beyond the range.
  const double from = std::min<double>(first, c.lo) - 0.1 * (last - first + 1.0);
  const double to = std::max<double>(last, c.hi) + 0.3 * (last - first + 1.0);
  for (int k = 0; k <= 200000; ++k) values.push_back(static_cast<float>(from + (to - from) * k / 200000.0));

  for (float v : values) {
    ASSERT_EQ(index.find(v), find_row_linear(x.data(), n, v)) << "v = " << v << " (" << c.name << ")";
  }
}

const ColumnCase kColumnCases[] = {
    // The grids the fast look-up uses for the fixture's tables.
    {"TissueEnergies", fixture_tissue_energies, 0.0f, 160.0f, 640},
    {"AbsorptionEnergies", fixture_absorption_energies, 0.0f, 160.0f, 640},
    {"MomentumTransfer", fixture_q, 0.0f, 10.0f, 4096},
    {"CumulativeCoherent", fixture_fc, 0.0f, 100.0f, 4096},
    {"MomentumTransferCoarse", fixture_q, 0.0f, 10.0f, 256},
    {"CumulativeCoherentCoarse", fixture_fc, 0.0f, 100.0f, 256},
    // Columns with repeated values, coarse and fine grids.
    {"RepeatedCoarse", repeated_values, 0.0f, 21.0f, 7},
    {"RepeatedFine", repeated_values, 0.0f, 21.0f, 1000},
    {"RepeatedGridStopsShort", repeated_values, 0.0f, 10.0f, 13},
    {"FlatTailCoarse", flat_then_rising, 0.0f, 100.0f, 3},
    {"FlatTailFine", flat_then_rising, 0.0f, 100.0f, 256},
    {"CloseRows", close_rows, 0.0f, 200.0f, 640},
    {"CloseRowsGridStartsInside", close_rows, 0.5f, 50.0f, 97},
    {"NegativeRange", negative_range, -5.0f, 5.0f, 33},
    {"RowsJustBelowBucketEdges", rows_just_below_bucket_edges, 0.0f, kEdgeGridHi, kEdgeGridBuckets},
};

INSTANTIATE_TEST_SUITE_P(Columns, RowIndexMatchesLinear, ::testing::ValuesIn(kColumnCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Coefficient look-ups

bool same_bits(const TissueCoefficients& a, const TissueCoefficients& b)
{
  return std::bit_cast<std::uint32_t>(a.mu_total) == std::bit_cast<std::uint32_t>(b.mu_total) &&
         std::bit_cast<std::uint32_t>(a.p_photo) == std::bit_cast<std::uint32_t>(b.p_photo) &&
         std::bit_cast<std::uint32_t>(a.p_photo_coherent) == std::bit_cast<std::uint32_t>(b.p_photo_coherent);
}

bool same_bits(const DoseCoefficients& a, const DoseCoefficients& b)
{
  return std::bit_cast<std::uint32_t>(a.air) == std::bit_cast<std::uint32_t>(b.air) &&
         std::bit_cast<std::uint32_t>(a.soft) == std::bit_cast<std::uint32_t>(b.soft) &&
         std::bit_cast<std::uint32_t>(a.skin) == std::bit_cast<std::uint32_t>(b.skin);
}

std::string show(const TissueCoefficients& c)
{
  char buf[160];
  std::snprintf(buf, sizeof buf, "{%.9g, %.9g, %.9g}", c.mu_total, c.p_photo, c.p_photo_coherent);
  return buf;
}

std::string show(const DoseCoefficients& c)
{
  char buf[160];
  std::snprintf(buf, sizeof buf, "{%.9g, %.9g, %.9g}", c.air, c.soft, c.skin);
  return buf;
}

class FixtureLookup : public ::testing::Test {
 protected:
  static void SetUpTestSuite()
  {
    soft_ = new SoftTissueData(read_soft_tissue(test::fixture_dir()));
    absorption_ = new AbsorptionTable(read_absorption(test::fixture_dir()));
  }
  static void TearDownTestSuite()
  {
    delete soft_;
    delete absorption_;
    soft_ = nullptr;
    absorption_ = nullptr;
  }

  // Energies from the cut-off to the top of the spectrum: a dense sweep, the
  // bin energies, every table energy in range with its neighbours.
  static std::vector<float> sweep_energies()
  {
    std::vector<float> e;
    for (int k = 0; k <= 145000; ++k) e.push_back(5.0f + 0.001f * static_cast<float>(k));
    for (int i = 10; i <= kEnergyBins; ++i) e.push_back(0.5f * static_cast<float>(i));
    auto around = [&](float v) {
      if (v < 5.0f || v > 150.0f) return;
      e.push_back(v);
      e.push_back(std::nextafter(v, 0.0f));
      e.push_back(std::nextafter(v, 1000.0f));
    };
    for (int i = 1; i <= soft_->tissue.rows; ++i) around(soft_->tissue.energy[static_cast<std::size_t>(i)]);
    for (int j = 1; j <= kEnergyBins; ++j) around(absorption_->energy[static_cast<std::size_t>(j)]);
    e.push_back(150.0f);
    return e;
  }

  static SoftTissueData* soft_;
  static AbsorptionTable* absorption_;
};

SoftTissueData* FixtureLookup::soft_ = nullptr;
AbsorptionTable* FixtureLookup::absorption_ = nullptr;

TEST_F(FixtureLookup, FastTissueAndDoseEqualReferenceBitForBit)
{
  FastLookup fast(*soft_, *absorption_);
  for (float e : sweep_energies()) {
    const TissueCoefficients want_t = tissue_coefficients(soft_->tissue, e);
    const DoseCoefficients want_d = dose_coefficients(*absorption_, e);
    const TissueCoefficients got_t = fast.tissue(e);
    ASSERT_TRUE(same_bits(got_t, want_t)) << "E = " << e << ": " << show(got_t) << " vs " << show(want_t);
    const DoseCoefficients got_d = fast.dose(e);
    ASSERT_TRUE(same_bits(got_d, want_d)) << "E = " << e << ": " << show(got_d) << " vs " << show(want_d);
    const DoseCoefficients got_p = fast.primary_dose(e);
    ASSERT_TRUE(same_bits(got_p, want_d)) << "E = " << e << ": " << show(got_p) << " vs " << show(want_d);
    // memcmp as well, so padding-free layouts are compared as raw bytes.
    ASSERT_EQ(std::memcmp(&got_t, &want_t, sizeof got_t), 0) << "E = " << e;
    ASSERT_EQ(std::memcmp(&got_d, &want_d, sizeof got_d), 0) << "E = " << e;
  }
}

TEST_F(FixtureLookup, FastCachesNeverReturnAnotherEnergysValues)
{
  // Source energies announced bin by bin, with flights at other energies and
  // repeated energies in between, as in a run.
  FastLookup fast(*soft_, *absorption_);
  std::mt19937 gen(99);
  std::uniform_real_distribution<float> any(5.0f, 150.0f);
  for (int i = 10; i <= kEnergyBins; ++i) {
    const float src = 0.5f * static_cast<float>(i);
    fast.set_source_energy(src);
    const float others[] = {src, any(gen), any(gen), src, std::nextafter(src, 0.0f), src, any(gen)};
    for (float e : others) {
      for (int repeat = 0; repeat < 2; ++repeat) {
        ASSERT_TRUE(same_bits(fast.tissue(e), tissue_coefficients(soft_->tissue, e))) << "E = " << e << " src " << src;
        ASSERT_TRUE(same_bits(fast.primary_dose(e), dose_coefficients(*absorption_, e))) << "E = " << e;
        ASSERT_TRUE(same_bits(fast.dose(e), dose_coefficients(*absorption_, e))) << "E = " << e;
      }
    }
  }
}

TEST_F(FixtureLookup, FastScatterRowsEqualReference)
{
  FastLookup fast(*soft_, *absorption_);
  const ReferenceLookup ref(*soft_, *absorption_);
  const ScatterTable& s = soft_->scatter;
  for (int k = 0; k <= 200000; ++k) {
    const float q = 10.5f * static_cast<float>(k) / 200000.0f;
    ASSERT_EQ(fast.q_row(q), ref.q_row(q)) << "q = " << q;
    const float u = 100.5f * static_cast<float>(k) / 200000.0f;
    ASSERT_EQ(fast.fc_row(u), ref.fc_row(u)) << "u = " << u;
  }
  for (int j = 1; j <= ScatterTable::kRows; ++j) {
    const auto jj = static_cast<std::size_t>(j);
    for (float q : {s.q[jj], std::nextafter(s.q[jj], 0.0f), std::nextafter(s.q[jj], 100.0f)})
      ASSERT_EQ(fast.q_row(q), ref.q_row(q)) << "q = " << q;
    for (float u : {s.fc[jj], std::nextafter(s.fc[jj], 0.0f), std::nextafter(s.fc[jj], 1000.0f)})
      ASSERT_EQ(fast.fc_row(u), ref.fc_row(u)) << "u = " << u;
  }
  // The sampled angles are therefore the same whichever look-up is used.
  struct Mt {
    std::mt19937 gen{5};
    std::uniform_real_distribution<float> dist{0.0f, 1.0f};
    float draw() { return dist(gen); }
  } rng_fast, rng_ref;
  for (int n = 0; n < 20000; ++n) {
    const float e = 5.0f + static_cast<float>(n % 1450) * 0.1f;
    const Scatter a = sample_compton(e, fast, rng_fast);
    const Scatter b = sample_compton(e, ref, rng_ref);
    ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0) << "Compton, E = " << e;
    const Scatter c = sample_rayleigh(e, fast, rng_fast);
    const Scatter d = sample_rayleigh(e, ref, rng_ref);
    ASSERT_EQ(std::memcmp(&c, &d, sizeof c), 0) << "Rayleigh, E = " << e;
  }
}

// Log-log interpolation in double, for checking the single-precision result.
double loglog(double e, double e0, double e1, double m0, double m1)
{
  return std::exp(std::log(m0) + (std::log(m1) - std::log(m0)) * (std::log(e) - std::log(e0)) /
                                     (std::log(e1) - std::log(e0)));
}

TEST_F(FixtureLookup, TissueCoefficientsInterpolateLogLogInTheirOwnColumns)
{
  const TissueTable& t = soft_->tissue;
  for (int k = 0; k <= 290; ++k) {
    const float e = 5.0f + 0.5f * static_cast<float>(k) + 0.123f;
    std::size_t i = 2;
    while (!(t.energy[i] > e)) ++i;
    const double coh = loglog(e, t.energy[i - 1], t.energy[i], t.coherent[i - 1], t.coherent[i]);
    const double inc = loglog(e, t.energy[i - 1], t.energy[i], t.incoherent[i - 1], t.incoherent[i]);
    const double pe = loglog(e, t.energy[i - 1], t.energy[i], t.photoelectric[i - 1], t.photoelectric[i]);
    const double total = coh + inc + pe;
    const TissueCoefficients c = tissue_coefficients(t, e);
    EXPECT_NEAR(c.mu_total, total, 2e-5 * total) << "E = " << e;
    EXPECT_NEAR(c.p_photo, pe / total, 2e-5) << "E = " << e;
    EXPECT_NEAR(c.p_photo_coherent, (pe + coh) / total, 2e-5) << "E = " << e;
  }
}

TEST_F(FixtureLookup, DoseCoefficientsInterpolateLogLogInTheirOwnColumns)
{
  const AbsorptionTable& a = *absorption_;
  for (int k = 0; k <= 580; ++k) {
    const float e = 5.0f + 0.25f * static_cast<float>(k) + 0.0371f;
    std::size_t j = 2;
    while (j < kEnergyBins && !(a.energy[j] > e)) ++j;
    const DoseCoefficients c = dose_coefficients(a, e);
    const double air = loglog(e, a.energy[j - 1], a.energy[j], a.air[j - 1], a.air[j]);
    const double soft = loglog(e, a.energy[j - 1], a.energy[j], a.soft[j - 1], a.soft[j]);
    const double skin = loglog(e, a.energy[j - 1], a.energy[j], a.skin[j - 1], a.skin[j]);
    EXPECT_NEAR(c.air, air, 2e-5 * air) << "E = " << e;
    EXPECT_NEAR(c.soft, soft, 2e-5 * soft) << "E = " << e;
    EXPECT_NEAR(c.skin, skin, 2e-5 * skin) << "E = " << e;
  }
}

TEST_F(FixtureLookup, DoseAtAndAboveTheLastTableEnergyUsesTheLastInterval)
{
  const AbsorptionTable& a = *absorption_;
  ASSERT_EQ(a.energy[kEnergyBins], 150.0f);
  FastLookup fast(*soft_, a);
  const double e299 = a.energy[kEnergyBins - 1], e300 = a.energy[kEnergyBins];
  for (float e : {150.0f, std::nextafter(150.0f, 1000.0f), 150.25f, 155.0f, 200.0f}) {
    const DoseCoefficients ref = dose_coefficients(a, e);
    const DoseCoefficients got = fast.dose(e);
    ASSERT_TRUE(same_bits(got, ref)) << "E = " << e << ": " << show(got) << " vs " << show(ref);
    const double air = loglog(e, e299, e300, a.air[kEnergyBins - 1], a.air[kEnergyBins]);
    const double soft = loglog(e, e299, e300, a.soft[kEnergyBins - 1], a.soft[kEnergyBins]);
    const double skin = loglog(e, e299, e300, a.skin[kEnergyBins - 1], a.skin[kEnergyBins]);
    EXPECT_NEAR(ref.air, air, 2e-5 * air) << "E = " << e;
    EXPECT_NEAR(ref.soft, soft, 2e-5 * soft) << "E = " << e;
    EXPECT_NEAR(ref.skin, skin, 2e-5 * skin) << "E = " << e;
  }
  // At exactly the last energy: the last row's values.
  const DoseCoefficients top = dose_coefficients(a, 150.0f);
  EXPECT_FLOAT_EQ(top.air, a.air[kEnergyBins]);
  EXPECT_FLOAT_EQ(top.soft, a.soft[kEnergyBins]);
  EXPECT_FLOAT_EQ(top.skin, a.skin[kEnergyBins]);
}

TEST_F(FixtureLookup, TissueAtAndAboveTheLastRowUsesTheLastInterval)
{
  // A short tissue table ending below the top of the spectrum; the unused
  // rows hold NaN, so any read past the table shows in the result.
  SoftTissueData st = *soft_;
  TissueTable& t = st.tissue;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  t.energy.fill(nan);
  t.coherent.fill(nan);
  t.incoherent.fill(nan);
  t.photoelectric.fill(nan);
  t.rows = 3;
  const float e_rows[] = {10.0f, 50.0f, 100.0f};
  const float coh_rows[] = {0.5f, 0.05f, 0.02f};
  const float inc_rows[] = {0.16f, 0.18f, 0.17f};
  const float pe_rows[] = {5.0f, 0.04f, 0.005f};
  for (std::size_t i = 1; i <= 3; ++i) {
    t.energy[i] = e_rows[i - 1];
    t.coherent[i] = coh_rows[i - 1];
    t.incoherent[i] = inc_rows[i - 1];
    t.photoelectric[i] = pe_rows[i - 1];
  }
  FastLookup fast(st, *absorption_);
  for (float e : {50.0f, 75.0f, std::nextafter(100.0f, 0.0f), 100.0f, 120.0f, 150.0f}) {
    const TissueCoefficients ref = tissue_coefficients(t, e);
    const TissueCoefficients got = fast.tissue(e);
    ASSERT_TRUE(same_bits(got, ref)) << "E = " << e << ": " << show(got) << " vs " << show(ref);
    const double coh = loglog(e, 50, 100, 0.05f, 0.02f);
    const double inc = loglog(e, 50, 100, 0.18f, 0.17f);
    const double pe = loglog(e, 50, 100, 0.04f, 0.005f);
    const double total = coh + inc + pe;
    EXPECT_NEAR(ref.mu_total, total, 2e-5 * total) << "E = " << e;
    EXPECT_NEAR(ref.p_photo, pe / total, 2e-5) << "E = " << e;
    EXPECT_NEAR(ref.p_photo_coherent, (pe + coh) / total, 2e-5) << "E = " << e;
  }
}

}  // namespace
}  // namespace bsf
