// The history loop: the fast look-up path against the literal reference
// path, reproducibility, the share-out of histories over the spectrum, and
// the accumulation of the tallies.
#include <gtest/gtest.h>

#include <cstring>

#include "data_files.h"
#include "geometry.h"
#include "simulation.h"
#include "support.h"

namespace bsf {
namespace {

struct Fixture {
  SoftTissueData tissue = read_soft_tissue(test::fixture_dir());
  AbsorptionTable absorption = read_absorption(test::fixture_dir());
  Spectrum spectrum = read_spectrum(test::fixture_dir());
};

const Fixture& fixture()
{
  static const Fixture f;
  return f;
}

RunConditions default_conditions()
{
  RunConditions rc;
  rc.RacetrackA = 20.0f;
  rc.RacetrackB = 20.0f;
  rc.RacetrackLength = 80.0f;
  rc.EllipseHorizontal = 30.0f;
  rc.EllipseVertical = 20.0f;
  rc.CylinderRadius = 20.0f;
  rc.ObjectThickness = 20.0f;
  rc.FocusSurfaceDistance = 80.0f;
  rc.FocusReceptorDistance = 100.0f;
  rc.FieldShort = 35.6f;
  rc.FieldLong = 43.2f;
  return rc;
}

template <class Phantom, class Path>
std::pair<Tallies, typename Path::Rng> run_loop(const RunConditions& rc, std::int32_t histories,
                                             const Spectrum& spectrum)
{
  const Phantom phantom(rc);
  typename Path::Rng rng;
  HistoryLoop<Phantom, Path> loop(phantom, make_source(rc, phantom), fixture().tissue,
                                    fixture().absorption, rng);
  loop.run(spectrum, histories);
  return {loop.tallies(), rng};
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expect_identical(const Tallies& a, const Tallies& b)
{
  EXPECT_TRUE(same_bits(a.PrimaryAir, b.PrimaryAir));
  EXPECT_TRUE(same_bits(a.PrimarySoftTissue, b.PrimarySoftTissue));
  EXPECT_TRUE(same_bits(a.PrimarySkin, b.PrimarySkin));
  EXPECT_TRUE(same_bits(a.BackscatterAir, b.BackscatterAir));
  EXPECT_TRUE(same_bits(a.BackscatterSoftTissue, b.BackscatterSoftTissue));
  EXPECT_TRUE(same_bits(a.BackscatterSkin, b.BackscatterSkin));
}

// Two generators have made the same number of draws when their next draws
// agree (over a thousand draws a coincidence is out of the question).
template <class A, class B>
void expect_same_generator_state(A a, B b)
{
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(a.step(), b.step()) << "draw " << i;
}

// The fast path must give the same tallies to the last bit and leave the
// generator in the same state (the same number of draws) as the reference.
template <class Phantom>
void check_fast_equals_reference(RunConditions rc)
{
  const auto [ref, ref_rng] = run_loop<Phantom, ReferencePath>(rc, 300000, fixture().spectrum);
  const auto [fast, fast_rng] = run_loop<Phantom, FastPath>(rc, 300000, fixture().spectrum);
  ASSERT_GT(ref.PrimaryAir, 0.0);
  ASSERT_GT(ref.BackscatterAir, 0.0);
  expect_identical(ref, fast);
  expect_same_generator_state(ref_rng, fast_rng);
}

TEST(HistoryLoop, FastPathMatchesReferenceRacetrack)
{
  check_fast_equals_reference<Racetrack>(default_conditions());
}

TEST(HistoryLoop, FastPathMatchesReferenceEllipticCylinder)
{
  check_fast_equals_reference<EllipticCylinder>(default_conditions());
}

TEST(HistoryLoop, FastPathMatchesReferenceCylinder)
{
  // A narrow cylinder: the field is capped and many rays enter steeply.
  RunConditions rc = default_conditions();
  rc.CylinderRadius = 8.0f;
  check_fast_equals_reference<Cylinder>(rc);
}

TEST(HistoryLoop, FastPathMatchesReferenceAtTopOfTables)
{
  // A spectrum at 150 keV only: the absorption table's last row is reached
  // and its last interval is used.
  Spectrum top{};
  top.weight[kEnergyBins] = 1.0f;
  top.cutoff_bin = kEnergyBins + 1;
  const RunConditions rc = default_conditions();
  const auto [ref, ref_rng] = run_loop<Racetrack, ReferencePath>(rc, 100000, top);
  const auto [fast, fast_rng] = run_loop<Racetrack, FastPath>(rc, 100000, top);
  ASSERT_GT(ref.PrimaryAir, 0.0);
  expect_identical(ref, fast);
  EXPECT_TRUE(std::isfinite(ref.BackscatterAir));
}

TEST(HistoryLoop, SameInputGivesSameTallies)
{
  const RunConditions rc = default_conditions();
  const auto a = run_loop<EllipticCylinder, FastPath>(rc, 50000, fixture().spectrum).first;
  const auto b = run_loop<EllipticCylinder, FastPath>(rc, 50000, fixture().spectrum).first;
  expect_identical(a, b);
}

// With a field that lies wholly inside the scoring disc every history scores
// one identical primary contribution. Summed in single precision, a million
// such additions drift by about one per cent (each addition rounds to the float
// spacing of the growing sum); the tally must be exact.
TEST(HistoryLoop, PrimaryTallyIsExactOverManyScores)
{
  RunConditions rc = default_conditions();
  rc.FieldShort = 0.5f;
  rc.FieldLong = 0.5f;
  Spectrum line{};
  line.weight[120] = 1.0f;  // 60 keV
  const std::int32_t n = 1000000;
  const auto [t, rng] = run_loop<Racetrack, FastPath>(rc, n, line);
  const DoseCoefficients mu = dose_coefficients(fixture().absorption, 60.0f);
  EXPECT_EQ(t.PrimaryAir, static_cast<double>(n) * static_cast<double>(60.0f * mu.air));
  EXPECT_EQ(t.PrimarySkin, static_cast<double>(n) * static_cast<double>(60.0f * mu.skin));

  float naive = 0.0f;
  for (std::int32_t i = 0; i < n; ++i) naive += 60.0f * mu.air;
  EXPECT_GT(std::fabs(naive / t.PrimaryAir - 1.0), 0.005) << "a float sum would have been wrong";
}

TEST(TabulatedGenerator, DrawsTheLiteralSequence)
{
  LaggedFibonacci ring;
  TabulatedLaggedFibonacci fast;
  for (int i = 0; i < 1000000; ++i) {
    const std::int32_t v = ring.step();
    ASSERT_EQ(fast.step(), v) << "draw " << i;
    ASSERT_EQ(fast.uniform(v), LaggedFibonacci::to_uniform(v));
    if (v > 0) {
      ASSERT_EQ(fast.neg_log_uniform(v), ring.neg_log_uniform(v));
    }
    ASSERT_EQ(fast.azimuth(v).sin_psi, LaggedFibonacci::azimuth(v).sin_psi);
    ASSERT_EQ(fast.azimuth(v).cos_psi, LaggedFibonacci::azimuth(v).cos_psi);
  }
}

TEST(HistoryLoop, HistoriesPerBinTruncate)
{
  struct Case {
    float weight;
    std::int32_t count;
    std::int32_t expected;
  };
  const Case cases[] = {
      {0.5f, 3, 1},                     // 1.5 truncates
      {1.0f / 3.0f, 3, 1},              // exactly 1.0 in float
      {0.33333f, 3, 0},                 // just below 1: no history
      {1.0f, 2147483647, 2147483647},   // float rounding up to 2^31 stays in range
      {0.0f, 50000000, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(histories_in_bin(c.weight, c.count), c.expected) << c.weight << " x " << c.count;
}

TEST(HistoryLoop, BinsBelowFiveKeVAreNeverRun)
{
  Spectrum low{};
  for (int k = 1; k <= 9; ++k) low.weight[static_cast<std::size_t>(k)] = 1.0f / 9.0f;
  const RunConditions rc = default_conditions();
  const Racetrack phantom(rc);
  TabulatedLaggedFibonacci rng;
  HistoryLoop<Racetrack, FastPath> loop(phantom, make_source(rc, phantom), fixture().tissue,
                                          fixture().absorption, rng);
  int bins = 0;
  loop.run(low, 1000000, [&](int) { ++bins; });
  EXPECT_EQ(bins, 0);
  EXPECT_EQ(loop.tallies().PrimaryAir, 0.0);
  expect_same_generator_state(rng, LaggedFibonacci{});  // not a single number drawn
}

TEST(HistoryLoop, ProgressReportsEachSimulatedBinInOrder)
{
  Spectrum sp{};
  sp.weight[10] = 0.5f;
  sp.weight[11] = 0.0f;
  sp.weight[40] = 0.5f;
  const RunConditions rc = default_conditions();
  const Racetrack phantom(rc);
  TabulatedLaggedFibonacci rng;
  HistoryLoop<Racetrack, FastPath> loop(phantom, make_source(rc, phantom), fixture().tissue,
                                          fixture().absorption, rng);
  std::vector<int> bins;
  loop.run(sp, 10, [&](int k) { bins.push_back(k); });
  EXPECT_EQ(bins, (std::vector<int>{10, 40}));
}

TEST(HistoryLoop, HalfFieldsAtTheEntrancePlane)
{
  const RunConditions rc = default_conditions();
  const SourceSetup s = make_source(rc, Racetrack(rc));
  EXPECT_NEAR(s.HalfFieldX, 14.24f, 1e-5f);
  EXPECT_NEAR(s.HalfFieldY, 17.28f, 1e-5f);

  RunConditions narrow = rc;
  narrow.CylinderRadius = 10.0f;
  EXPECT_EQ(make_source(narrow, Cylinder(narrow)).HalfFieldX, 10.0f);
  EXPECT_NEAR(make_source(narrow, EllipticCylinder(narrow)).HalfFieldX, 14.24f, 1e-5f);
}

TEST(BackscatterFactors, RatioOfTotalToPrimary)
{
  Tallies t;
  t.PrimaryAir = 2.0;
  t.PrimarySoftTissue = 4.0;
  t.PrimarySkin = 8.0;
  t.BackscatterAir = 1.0;
  const BackscatterFactors f = backscatter_factors(t);
  EXPECT_EQ(f.air, 1.5);
  EXPECT_EQ(f.soft_tissue, 1.0);  // no backscatter: exactly 1
  EXPECT_EQ(f.skin, 1.0);
}

}  // namespace
}  // namespace bsf
