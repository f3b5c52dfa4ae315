// The table-based backscatter estimate: ring sums over the field for each
// tabulated energy, the spectrum average, and the loading of the
// differential tables. All tables here are synthetic, chosen so that the
// expected factors follow from geometry or simple sums worked out
// independently of the production code.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <limits>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "estimate.h"
#include "free_format.h"

namespace bsf {
namespace {

namespace fs = std::filesystem;

constexpr double kPi = 3.14159265358979323846;

// Primary-fluence weight of ring k for a focus-surface distance f.
double fluence_weight(int k, double f)
{
  const double r = 0.1 * k - 0.05;
  return f * f / (f * f + r * r);
}

double fluence_weight_sum(int rings, double f)
{
  double s = 0.0;
  for (int k = 1; k <= rings; ++k) s += fluence_weight(k, f);
  return s;
}

// Share of the circle of radius r (centred in the field) lying inside the
// rectangle |x| <= a, |y| <= b, counted over many points of the circle: a
// yardstick that knows nothing of arctangents.
double circle_share_inside(double r, double a, double b)
{
  constexpr int kPoints = 400000;
  int inside = 0;
  for (int i = 0; i < kPoints; ++i) {
    const double t = 2.0 * kPi * (i + 0.5) / kPoints;
    if (std::abs(r * std::cos(t)) <= a && std::abs(r * std::sin(t)) <= b) ++inside;
  }
  return static_cast<double>(inside) / kPoints;
}

DifferentialBsfTable table_of(const std::function<double(int e, int k)>& f)
{
  DifferentialBsfTable t;
  for (int e = 1; e <= kGridEnergies; ++e)
    for (int k = 1; k <= kRingCount; ++k) t.value[e][k] = f(e, k);
  return t;
}

ExposureConditions field(int shape, double long_side, double short_side, double frd, double fsd)
{
  ExposureConditions c;
  c.FieldShape = static_cast<std::int16_t>(shape);
  c.FieldLong = long_side;
  c.FieldShort = short_side;
  c.FocusReceptorDistance = frd;
  c.FocusSurfaceDistance = fsd;
  return c;
}

// ---------------------------------------------------------------------------
// Grid and the highest energy needed.

TEST(EnergyGrid, OneKeVThenFiveKeVSteps)
{
  const auto g = energy_grid31();
  EXPECT_EQ(g[1], 1.0);
  EXPECT_EQ(g[2], 5.0);
  EXPECT_EQ(g[3], 10.0);
  EXPECT_EQ(g[17], 80.0);
  EXPECT_EQ(g[31], 150.0);
}

TEST(EnergyGrid, HighestIndexIsFirstGridEnergyAtOrAboveTheVoltage)
{
  const struct {
    double kv;
    int e_max;
  } cases[] = {{80.0, 17}, {80.7, 18}, {79.9, 17}, {75.0, 16}, {145.0, 30}, {146.0, 31},
               {150.0, 31}, {3.0, 2},  {1.0, 2},   {0.5, 2},   {200.0, 31}};
  for (const auto& c : cases) EXPECT_EQ(highest_grid_index(c.kv), c.e_max) << c.kv << " kV";
}

// ---------------------------------------------------------------------------
// Rectangular fields: one ring at a time. The probe table holds dBSF = e in
// ring K only, so BSF(e) - 1 = e * g_K * (share of ring K counted).

struct RectCase {
  const char* name;
  double long_side, short_side, frd, fsd;
  double a, b;  // half-sides expected at the entrance surface
  int ring;
  std::optional<double> share;  // empty: the ring's true share of circumference inside the field
};

void PrintTo(const RectCase& c, std::ostream* os) { *os << c.name << ", ring " << c.ring; }

class RectangularRing : public ::testing::TestWithParam<RectCase> {};

TEST_P(RectangularRing, CountsTheRingsShareInsideTheField)
{
  const RectCase& p = GetParam();
  const ExposureConditions c = field(1, p.long_side, p.short_side, p.frd, p.fsd);
  const auto probe = table_of([&](int e, int k) { return k == p.ring ? static_cast<double>(e) : 0.0; });
  const auto bsf = monoenergetic_bsf(c, probe, kGridEnergies);
  const double r = 0.1 * p.ring - 0.05;
  const double share = p.share ? *p.share : circle_share_inside(r, p.a, p.b);
  for (int e = 1; e <= kGridEnergies; ++e)
    EXPECT_NEAR(bsf[e], 1.0 + e * fluence_weight(p.ring, p.fsd) * share, 1e-4 * e) << "e = " << e;
}

INSTANTIATE_TEST_SUITE_P(
    Rings, RectangularRing,
    ::testing::Values(
        // Square 20 cm: whole rings to 10 cm, corner rings right after, none past the diagonal.
        RectCase{"SquareLastWholeRing", 20, 20, 100, 100, 10, 10, 100, 1.0},
        RectCase{"SquareFirstCornerRing", 20, 20, 100, 100, 10, 10, 101, {}},
        RectCase{"SquareLastCornerRing", 20, 20, 100, 100, 10, 10, 141, {}},
        RectCase{"SquareBeyondDiagonal", 20, 20, 100, 100, 10, 10, 142, 0.0},
        // 30 x 20 cm: edge rings between the half-sides, then corner rings.
        RectCase{"RectLastWholeRing", 30, 20, 100, 100, 15, 10, 100, 1.0},
        RectCase{"RectFirstEdgeRing", 30, 20, 100, 100, 15, 10, 101, {}},
        RectCase{"RectLastEdgeRing", 30, 20, 100, 100, 15, 10, 150, {}},
        RectCase{"RectFirstCornerRing", 30, 20, 100, 100, 15, 10, 151, {}},
        RectCase{"RectLastCornerRing", 30, 20, 100, 100, 15, 10, 180, {}},
        RectCase{"RectBeyondDiagonal", 30, 20, 100, 100, 15, 10, 181, 0.0},
        RectCase{"SidesGivenShortFirst", 20, 30, 100, 100, 15, 10, 120, {}},
        // Sizes at the receptor scale by 80/100 to the surface: 37.5 x 25 -> 30 x 20.
        RectCase{"ScaledToSurfaceWhole", 37.5, 25, 100, 80, 15, 10, 95, 1.0},
        RectCase{"ScaledToSurfaceEdge", 37.5, 25, 100, 80, 15, 10, 125, {}},
        RectCase{"ScaledToSurfaceCorner", 37.5, 25, 100, 80, 15, 10, 160, {}},
        // Sides above 40 cm count as 40 cm.
        RectCase{"LargeSidesClampedWhole", 60, 50, 100, 100, 20, 20, 200, 1.0},
        RectCase{"LargeSidesClampedCorner", 60, 50, 100, 100, 20, 20, 250, {}},
        RectCase{"LargeSidesClampedLastCorner", 60, 50, 100, 100, 20, 20, 282, {}},
        RectCase{"LargeSidesClampedBeyond", 60, 50, 100, 100, 20, 20, 283, 0.0},
        // Sides below 1 cm count as 1 cm.
        RectCase{"SmallSidesClampedWhole", 0.5, 0.2, 100, 100, 0.5, 0.5, 5, 1.0},
        RectCase{"SmallSidesClampedCorner", 0.5, 0.2, 100, 100, 0.5, 0.5, 6, {}},
        RectCase{"SmallSidesClampedLastCorner", 0.5, 0.2, 100, 100, 0.5, 0.5, 7, {}},
        RectCase{"SmallSidesClampedBeyond", 0.5, 0.2, 100, 100, 0.5, 0.5, 8, 0.0},
        // b = 10.08 cm: 100 whole rings; ring 101 (mid-radius 10.05 cm < b)
        // falls between the whole-ring and edge-ring rules and adds nothing.
        RectCase{"HalfSideJustPastRingLastWhole", 30, 20.16, 100, 100, 15, 10.08, 100, 1.0},
        RectCase{"HalfSideJustPastRingGap", 30, 20.16, 100, 100, 15, 10.08, 101, 0.0},
        RectCase{"HalfSideJustPastRingEdge", 30, 20.16, 100, 100, 15, 10.08, 102, {}}),
    [](const ::testing::TestParamInfo<RectCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Circular fields: dBSF(e, k) = c_e for every ring gives BSF(e) = 1 + c_e *
// (sum of g_k over the rings inside the field radius).

struct CircleCase {
  const char* name;
  double diameter, frd, fsd;
  int rings;
};

void PrintTo(const CircleCase& c, std::ostream* os) { *os << c.name; }

class CircularField : public ::testing::TestWithParam<CircleCase> {};

TEST_P(CircularField, SumsTheWholeRingsInsideTheRadius)
{
  const CircleCase& p = GetParam();
  const ExposureConditions c = field(2, p.diameter, 0.0, p.frd, p.fsd);
  const auto constant = table_of([](int e, int) { return 0.001 * e; });
  const auto bsf = monoenergetic_bsf(c, constant, kGridEnergies);
  const double g_sum = fluence_weight_sum(p.rings, p.fsd);
  for (int e = 1; e <= kGridEnergies; ++e) {
    if (p.rings == 0)
      EXPECT_EQ(bsf[e], 1.0) << "e = " << e;
    else
      EXPECT_NEAR(bsf[e], 1.0 + 0.001 * e * g_sum, 1e-12) << "e = " << e;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rings, CircularField,
    ::testing::Values(CircleCase{"TenCmAtReceptorIsEightAtSurface", 10, 100, 80, 40},
                      CircleCase{"TwentyFiveCm", 25, 100, 100, 125},
                      CircleCase{"DiameterAbove40Clamped", 60, 100, 80, 200},
                      CircleCase{"OneRing", 0.3, 100, 100, 1},
                      CircleCase{"UnderTwoMillimetresNoRing", 0.24, 100, 80, 0}),
    [](const ::testing::TestParamInfo<CircleCase>& info) { return std::string(info.param.name); });

TEST(MonoenergeticBsf, OnlyEnergiesUpToTheTopIndexAreComputed)
{
  const ExposureConditions c = field(2, 10, 0, 100, 80);
  const auto bsf = monoenergetic_bsf(c, table_of([](int e, int) { return 0.001 * e; }), 17);
  for (int e = 1; e <= 17; ++e) EXPECT_GT(bsf[e], 1.0) << e;
  for (int e = 18; e <= kGridEnergies; ++e) EXPECT_EQ(bsf[e], 0.0) << e;
}

TEST(MonoenergeticBsf, UnknownFieldShapeIsRejected)
{
  const DifferentialBsfTable t;
  for (int shape : {0, 3}) EXPECT_THROW(monoenergetic_bsf(field(shape, 10, 10, 100, 80), t, 31), std::invalid_argument);
}

// ---------------------------------------------------------------------------
// Spectrum average. Circular 10 cm field at 100/80 cm (40 whole rings);
// each quantity's table is dBSF = c_q * e^2, so its curve is
// BSF_q(e) = 1 + c_q * e^2 * G, G = sum of g_k over 40 rings: curved in
// energy, so a wrong interpolation shows.

constexpr double kSoftC = 0.001, kAirC = 0.002, kSkinC = 0.003;

class Estimate : public ::testing::Test {
 protected:
  Estimate()
  {
    c_ = field(2, 10, 0, 100, 80);
    for (int i = 1; i <= kSpectrumBins; ++i) att_.air[i] = att_.soft[i] = att_.skin[i] = 1.0;
    tables_.soft = table_of([](int e, int) { return kSoftC * e * e; });
    tables_.air = table_of([](int e, int) { return kAirC * e * e; });
    tables_.skin = table_of([](int e, int) { return kSkinC * e * e; });
  }
  static double curve(double cq, int e) { return 1.0 + cq * e * e * fluence_weight_sum(40, 80.0); }
  // The curve between grid points lo and lo + 1, a fraction t of the way up.
  static double between(double cq, int lo, double t)
  {
    return t == 0.0 ? curve(cq, lo) : curve(cq, lo) + t * (curve(cq, lo + 1) - curve(cq, lo));
  }
  void run(double kv)
  {
    c_.TubeVoltage = kv;
    c_.BsfSoftTissue = c_.BsfSkin = c_.BsfAirKerma = 99.0;  // stale results must not survive
    estimate_backscatter(c_, att_, tables_);
  }

  ExposureConditions c_;
  AttenuationTable att_;
  DifferentialTables tables_;
};

TEST_F(Estimate, SingleBinTakesTheCurveAtItsEnergy)
{
  const struct {
    double kv;
    int bin;
    int lo;    // grid index at or below the bin's energy
    double t;  // fraction of the way to the next grid point
  } cases[] = {
      {80.0, 160, 17, 0.0},   // top bin at 80 kV: the value at 80 keV, though nothing above 80 keV was computed
      {100.0, 160, 17, 0.0},  // a bin on a grid energy takes that value itself
      {150.0, 300, 31, 0.0},  // top bin at 150 kV: the value at 150 keV
      {150.0, 299, 30, 0.9},  // 149.5 keV
      {100.0, 165, 17, 0.5},  // 82.5 keV
      {100.0, 2, 1, 0.0},     // 1 keV
      {100.0, 6, 1, 0.5},     // 3 keV, between 1 and 5 keV
      {100.0, 3, 1, 0.125},   // 1.5 keV
      {80.7, 161, 17, 0.1},   // 80.5 keV: the point at 85 keV is computed for 80.7 kV
      {80.0, 159, 16, 0.9},   // 79.5 keV
  };
  for (const auto& k : cases) {
    c_.PhotonSpectrum = {};
    c_.PhotonSpectrum[k.bin] = 1.0;
    run(k.kv);
    SCOPED_TRACE(::testing::Message() << k.kv << " kV, bin " << k.bin);
    EXPECT_NEAR(c_.BsfSoftTissue, between(kSoftC, k.lo, k.t), 1e-12);
    EXPECT_NEAR(c_.BsfAirKerma, between(kAirC, k.lo, k.t), 1e-12);
    EXPECT_NEAR(c_.BsfSkin, between(kSkinC, k.lo, k.t), 1e-12);
  }
}

TEST_F(Estimate, BinOnAGridEnergyDoesNotTouchThePointAbove)
{
  // With the 85 keV point unusable, an 80 keV bin must still come out as
  // the 80 keV value rather than as a blend with weight zero on 85 keV.
  for (auto* t : {&tables_.soft, &tables_.air, &tables_.skin})
    for (int k = 1; k <= kRingCount; ++k) t->value[18][k] = std::numeric_limits<double>::infinity();
  c_.PhotonSpectrum[160] = 1.0;
  run(100.0);
  EXPECT_NEAR(c_.BsfSoftTissue, curve(kSoftC, 17), 1e-12);
  EXPECT_NEAR(c_.BsfAirKerma, curve(kAirC, 17), 1e-12);
  EXPECT_NEAR(c_.BsfSkin, curve(kSkinC, 17), 1e-12);
}

TEST_F(Estimate, EachFactorIsAveragedWithItsOwnMediumsDoseWeights)
{
  // Equal photon numbers at 30 keV (bin 60) and 60 keV (bin 120); the dose
  // weight is coefficient x energy x photons: air 1x30 : 1x60, soft tissue
  // 2x30 : 1x60, skin 4x30 : 1x60. Identical tables isolate the weights.
  tables_.air = tables_.skin = tables_.soft;
  att_.soft[60] = 2.0;
  att_.skin[60] = 4.0;
  c_.PhotonSpectrum[60] = c_.PhotonSpectrum[120] = 0.5;
  run(100.0);
  const double at30 = curve(kSoftC, 7), at60 = curve(kSoftC, 13);
  EXPECT_NEAR(c_.BsfAirKerma, at30 / 3.0 + at60 * 2.0 / 3.0, 1e-12);
  EXPECT_NEAR(c_.BsfSoftTissue, at30 / 2.0 + at60 / 2.0, 1e-12);
  EXPECT_NEAR(c_.BsfSkin, at30 * 2.0 / 3.0 + at60 / 3.0, 1e-12);
  EXPECT_GT(c_.BsfAirKerma - c_.BsfSoftTissue, 1e-3);
  EXPECT_GT(c_.BsfSoftTissue - c_.BsfSkin, 1e-3);
}

TEST_F(Estimate, ZeroWeightBinsAreSkipped)
{
  // The 1 and 5 keV points hold NaN; bins from 1 to 9.5 keV carry no
  // photons, so only a bin that is skipped can keep the NaN out. Air has no
  // absorption at 50 keV, so its average rests on 10 keV alone.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (auto* t : {&tables_.soft, &tables_.air, &tables_.skin})
    for (int e : {1, 2})
      for (int k = 1; k <= kRingCount; ++k) t->value[e][k] = nan;
  c_.PhotonSpectrum[20] = 0.5;   // 10 keV
  c_.PhotonSpectrum[100] = 0.5;  // 50 keV
  att_.air[100] = 0.0;
  run(100.0);
  // Weights 10 : 50 for soft tissue and skin.
  EXPECT_NEAR(c_.BsfSoftTissue, curve(kSoftC, 3) / 6.0 + curve(kSoftC, 11) * 5.0 / 6.0, 1e-12);
  EXPECT_NEAR(c_.BsfSkin, curve(kSkinC, 3) / 6.0 + curve(kSkinC, 11) * 5.0 / 6.0, 1e-12);
  EXPECT_NEAR(c_.BsfAirKerma, curve(kAirC, 3), 1e-12);
}

TEST_F(Estimate, BinsAboveTheTubeVoltageDoNotCount)
{
  c_.PhotonSpectrum[100] = 0.5;  // 50 keV
  c_.PhotonSpectrum[200] = 0.5;  // 100 keV, above 80 kV
  run(80.0);
  EXPECT_NEAR(c_.BsfSoftTissue, curve(kSoftC, 11), 1e-12);
  EXPECT_NEAR(c_.BsfAirKerma, curve(kAirC, 11), 1e-12);
  EXPECT_NEAR(c_.BsfSkin, curve(kSkinC, 11), 1e-12);
}

TEST_F(Estimate, FieldUnderTwoMillimetresGivesOne)
{
  c_.FieldLong = 0.24;  // 0.192 cm at the surface
  for (int i = 2; i <= 160; ++i) c_.PhotonSpectrum[i] = 1.0 / 159.0;
  run(80.0);
  EXPECT_DOUBLE_EQ(c_.BsfSoftTissue, 1.0);
  EXPECT_DOUBLE_EQ(c_.BsfAirKerma, 1.0);
  EXPECT_DOUBLE_EQ(c_.BsfSkin, 1.0);
}

TEST_F(Estimate, NoDoseInTheVoltageRangeIsAnError)
{
  c_.PhotonSpectrum[200] = 1.0;
  EXPECT_THROW(run(80.0), std::domain_error);  // all photons above the voltage
  c_.PhotonSpectrum = {};
  c_.PhotonSpectrum[1] = 1.0;
  EXPECT_THROW(run(0.9), std::domain_error);  // no bin from 1 keV up to the voltage
}

// ---------------------------------------------------------------------------
// Loading.

class TableFiles : public ::testing::Test {
 protected:
  TableFiles()
  {
    static int counter = 0;
    dir_ = fs::temp_directory_path() /
           ("estimate-tables-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    fs::create_directories(dir_);
  }
  ~TableFiles() override
  {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // The installed layout: header, then per ring its index and the 31
  // values, one record a line.
  static std::string table_text(const std::function<std::string(int e, int k)>& cell, int records = kRingCount)
  {
    std::ostringstream out;
    out << "Differential backscatter factors, energies 1 5 10 ... 150 keV\r\n";
    for (int k = 1; k <= records; ++k) {
      out << std::setw(4) << k;
      for (int e = 1; e <= kGridEnergies; ++e) out << "  " << cell(e, k);
      out << " \r\n";
    }
    return out.str();
  }
  static std::string exact(double v)
  {
    std::ostringstream s;
    s << std::setprecision(17) << v;
    return s.str();
  }
  fs::path write(const std::string& name, const std::string& text)
  {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return dir_ / name;
  }

  fs::path dir_;
};

// Shares of a backscatter factor, a few in a thousand, some a little below 0
// as Monte Carlo noise leaves them.
double noisy_value(int e, int k) { return k % 3 == 0 ? -(1e-6 * e + 1e-9 * k) : 1e-4 * e + 1e-6 * k; }

TEST_F(TableFiles, ReadsEveryRingAndEnergyIncludingNegativeNoise)
{
  // Records 2, 4, ... are split over two lines with commas; whatever follows
  // record 300 is never read.
  std::ostringstream text;
  text << "header 1 2 3\n";
  for (int k = 1; k <= kRingCount; ++k) {
    text << 0.1 * k;
    for (int e = 1; e <= kGridEnergies; ++e) {
      if (k == 1 && e == 1)
        text << " -2.5E-05";
      else
        text << (k % 2 == 0 ? "," : " ") << exact(noisy_value(e, k));
      if (k % 2 == 0 && e == 15) text << "\n";
    }
    text << "\n";
  }
  text << "trailing text that is not a number\n";
  const auto t = load_differential_table(write("dBSF-SoftDose-SoftPhantom.dat", text.str()));
  EXPECT_EQ(t.value[1][1], -2.5e-5);  // noise below 0 is kept
  for (int k = 1; k <= kRingCount; ++k)
    for (int e = 1; e <= kGridEnergies; ++e)
      if (k != 1 || e != 1) {
        ASSERT_EQ(t.value[e][k], noisy_value(e, k)) << "e " << e << ", ring " << k;
      }
}

TEST_F(TableFiles, FaultsNameFileAndLine)
{
  const struct {
    const char* what;
    std::string text;
    const char* fragment;
  } cases[] = {
      {"short", table_text([](int, int) { return "0.01"; }, 299), "line 301: the file ends before"},
      {"header only", "header\n", "line 2: the file ends before"},
      {"bad number", table_text([](int e, int k) { return k == 57 && e == 5 ? "1.0x" : "0.01"; }),
       "line 58: cannot read value 5 of 31 of ring 57 of 300 from \"1.0x\""},
      {"empty", "", "the file is empty"},
  };
  for (const auto& c : cases) {
    const fs::path p = write("dBSF-AirDose-SoftPhantom.dat", c.text);
    try {
      load_differential_table(p);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const DataFileError& e) {
      const std::string msg = e.what();
      EXPECT_EQ(msg.rfind("dBSF-AirDose-SoftPhantom.dat, ", 0), 0u) << c.what << ": " << msg;
      EXPECT_NE(msg.find(c.fragment), std::string::npos) << c.what << ": " << msg;
    }
  }
}

TEST_F(TableFiles, ThreeTablesLoadInOrderWhateverTheLetterCase)
{
  write("dbsf-softdose-softphantom.dat", table_text([](int e, int k) { return exact(1e-4 * e + 1e-7 * k); }));
  write("DBSF-AIRDOSE-SOFTPHANTOM.DAT", table_text([](int e, int k) { return exact(2e-4 * e + 1e-7 * k); }));
  write("dBSF-SkinDose-SoftPhantom.dat", table_text([](int e, int k) { return exact(3e-4 * e + 1e-7 * k); }));
  const DifferentialTables t = load_differential_tables(dir_);
  for (int e : {1, 17, 31})
    for (int k : {1, 150, 300}) {
      EXPECT_EQ(t.soft.value[e][k], 1e-4 * e + 1e-7 * k);
      EXPECT_EQ(t.air.value[e][k], 2e-4 * e + 1e-7 * k);
      EXPECT_EQ(t.skin.value[e][k], 3e-4 * e + 1e-7 * k);
    }
}

TEST_F(TableFiles, FirstMissingFileInLoadOrderIsNamed)
{
  const std::vector<std::string> names = {"dBSF-SoftDose-SoftPhantom.dat", "dBSF-AirDose-SoftPhantom.dat",
                                          "dBSF-SkinDose-SoftPhantom.dat"};
  const std::string good = table_text([](int, int) { return "0.01"; });
  // With files 0 ... present-1 in place, the next one is reported.
  for (std::size_t present = 0; present < names.size(); ++present) {
    for (const auto& n : names) fs::remove(dir_ / n);
    for (std::size_t i = 0; i < present; ++i) write(names[i], good);
    try {
      load_differential_tables(dir_);
      ADD_FAILURE() << names[present] << " missing: no error";
    } catch (const DataFileError& e) {
      EXPECT_NE(std::string(e.what()).find(names[present] + ": file not found"), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace bsf
