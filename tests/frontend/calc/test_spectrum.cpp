// The tungsten-target spectrum model, its half-value layer and X_SPCTL.dat,
// with the installed attenuation data.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "data_tables.h"
#include "free_format.h"
#include "number_text.h"
#include "spectrum.h"

namespace bsf {
namespace {

namespace fs = std::filesystem;

const fs::path kDataDir = fs::path(__FILE__).parent_path() / "../../../data";

const AttenuationTable& table()
{
  static const AttenuationTable t = load_attenuation_table(kDataDir);
  return t;
}

ExposureConditions conditions(int waveform, double kv, double inherent = 0.25, double al = 0.1, double cu = 0.0,
                              double angle = 12.0)
{
  ExposureConditions c;
  set_default_conditions(c, 1);
  c.Waveform = static_cast<std::int16_t>(waveform);
  c.TubeVoltage = kv;
  c.InherentFilter = inherent;
  c.AddedFilterAl = al;
  c.AddedFilterCu = cu;
  c.AnodeAngle = angle;
  return c;
}

// ---------------------------------------------------------------------------
// The model written out step by step, term by term, with no factor moved out
// of a loop: the yardstick for the production code, which precomputes what
// does not depend on the electron energy.

struct Literal {
  std::array<double, 301> photons{};
  std::array<double, 301> kerma{};
  std::array<double, 301> transmission{};
  double hvl_cm = 0.0;
  bool hvl_found = false;
};

Literal literal_model(const ExposureConditions& c, const AttenuationTable& a)
{
  const double pi = 3.14159;
  Literal r;
  std::array<double, 301> ps{};
  std::array<double, 301> q{};
  const int n = static_cast<int>(std::floor(2 * c.TubeVoltage));
  const double cot = 1 / std::tan(pi * c.AnodeAngle / 180);
  std::vector<double> phis;
  if (c.Waveform == 1) phis = {90};
  if (c.Waveform == 2)
    for (double p = 75; p <= 90; p += 1) phis.push_back(p);
  if (c.Waveform == 3)
    for (double p = 2; p <= 90; p += 2) phis.push_back(p);
  for (double phi : phis) {
    const double v = c.TubeVoltage * std::sin(pi * phi / 180);
    double w = 1;
    if (c.Waveform == 3) w = std::pow(std::min(1.0, std::sin(pi * phi / 180) / 0.75), 1.5);
    const double ctw = 141766 + 12157 * v - 111.046 * std::pow(v, 2) + 0.552536 * std::pow(v, 3) -
                       0.000970158 * std::pow(v, 4);
    double rk = 0;
    if (v > 70) rk = (std::sqrt(8.79856 * v - 595.149) - 4.55528) / 4.39928;
    for (int i = 2; i <= 2 * v + 1e-6; ++i) {
      const double e = 0.5 * i;
      double sum = 0;
      for (double t = e; t <= v + 5e-7; t += 0.5) {
        const double x = e / t;
        const double b = (0.03658 + 2.9e-5 * e) *
                         (1 - 5.049 * x + 10.847 * std::pow(x, 2) - 10.516 * std::pow(x, 3) + 3.842 * std::pow(x, 4));
        const double s = 1036.1 * std::exp(-0.04695 * t) + 202.41;
        const double d = cot * (v * v - t * t) / (19.3 * ctw);
        sum += std::exp(-a.tungsten[i] * d) * b * (1 + 511 / t) / s;
      }
      q[i] = sum;
    }
    if (v > 70) {
      double sigma = 0;
      for (int i = 2; i <= std::floor(2 * v + 1e-6); ++i) sigma += q[i];
      const double amp = 0.01 * rk * sigma;
      q[119] += 0.5048 * amp;
      q[116] += 0.2908 * amp;
      q[134] += 0.162 * amp;
      q[138] += 0.0424 * amp;
    }
    for (int i = 2; i <= std::floor(2 * v + 1e-6); ++i) ps[i] += w * q[i];
  }
  std::array<double, 301> ks{};
  for (int i = 2; i <= n; ++i) {
    const double t = std::exp(-(c.InherentFilter + c.AddedFilterAl) * a.aluminium[i]) * std::exp(-c.AddedFilterCu * a.copper[i]);
    ks[i] = a.air[i] * t * ps[i];
    ps[i] = t * ps[i] / (0.5 * i);
  }
  double sigma = 0;
  for (int i = 2; i <= n; ++i) sigma += ps[i];
  for (int i = 2; i <= n; ++i) {
    ps[i] = ps[i] / sigma;
    if (ps[i] < 1e-10) ps[i] = 0;
  }
  double ksum = 0;
  for (int i = 2; i <= n; ++i) ksum += ks[i];
  double k0 = 0;
  for (int i = 2; i <= n; ++i) {
    ks[i] /= ksum;
    k0 += ks[i];
  }
  r.photons = ps;
  r.kerma = ks;
  for (int j = 1; j <= 300; ++j) {
    double s = 0;
    for (int i = 2; i <= n; ++i) {
      ks[i] = ks[i] * std::exp(-0.01 * a.aluminium[i]);
      s += ks[i];
    }
    r.transmission[j] = 100 * s / k0;
  }
  // The whole beam (100 %) brackets the first step.
  r.transmission[0] = 100;
  for (int k = 1; k <= 300; ++k) {
    if (r.transmission[k] < 50) {
      const double f = (std::log(50) - std::log(r.transmission[k - 1])) /
                       (std::log(r.transmission[k]) - std::log(r.transmission[k - 1]));
      r.hvl_cm = (k - 1 + f) * 0.01;
      r.hvl_found = true;
      break;
    }
  }
  return r;
}

void expect_close(double fast, double literal, const std::string& what)
{
  if (literal == 0.0) {
    EXPECT_EQ(fast, 0.0) << what;
  } else {
    EXPECT_NEAR(fast, literal, 1e-12 * std::fabs(literal)) << what;
  }
}

struct ModelCase {
  const char* name;
  int waveform;
  double kv;
  double inherent, al, cu, angle;
};

class MatchesLiteralModel : public ::testing::TestWithParam<ModelCase> {};

TEST_P(MatchesLiteralModel, SameSpectrumHalfValueLayerAndFile)
{
  const ModelCase& m = GetParam();
  const ExposureConditions c = conditions(m.waveform, m.kv, m.inherent, m.al, m.cu, m.angle);
  const SpectrumResult fast = compute_spectrum(c, table());
  const Literal ref = literal_model(c, table());
  for (int i = 1; i <= 300; ++i) {
    expect_close(fast.photons[i], ref.photons[i], "photons bin " + std::to_string(i));
    expect_close(fast.kerma[i], ref.kerma[i], "kerma bin " + std::to_string(i));
    expect_close(fast.transmission[i], ref.transmission[i], "transmission step " + std::to_string(i));
  }
  ASSERT_EQ(fast.hvl_found, ref.hvl_found);
  expect_close(fast.hvl_cm, ref.hvl_cm, "half-value layer");
  // What the user and the engine see must be identical to the digit.
  EXPECT_EQ(spectrum_file_text(fast.photons), spectrum_file_text(ref.photons));
  EXPECT_EQ(format_pattern(10 * fast.hvl_cm, "#0.000"), format_pattern(10 * ref.hvl_cm, "#0.000"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatchesLiteralModel,
    ::testing::Values(ModelCase{"Defaults75kV", 1, 75, 0.25, 0.1, 0, 12},
                      ModelCase{"ConstantPotential150kV", 1, 150, 0.25, 0.1, 0, 12},
                      ModelCase{"TwelvePeak72kV", 2, 72, 0.25, 0.1, 0, 12},
                      ModelCase{"SinglePhase150kV", 3, 150, 0.25, 0.1, 0, 12},
                      ModelCase{"SinglePhase80p7kVCopper", 3, 80.7, 0.2, 0.0, 0.01, 16},
                      ModelCase{"NoFilter40kVSteepAnode", 1, 40, 0.0, 0.0, 0.0, 7},
                      ModelCase{"TwelvePeak120kVCopper", 2, 120, 0.25, 0.3, 0.02, 10}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Which bins are filled.

struct RangeCase {
  const char* name;
  int waveform;
  double kv;
  int top_bin;        // N = floor(2 kV)
  int last_nonzero;   // highest bin with photons
};

class FilledBins : public ::testing::TestWithParam<RangeCase> {};

// Without filtration every bin from 2 up to the highest energy an electron
// can reach is populated; bin 1 and the bins above stay empty.
TEST_P(FilledBins, BinsTwoToTopFilledOthersEmpty)
{
  const RangeCase& rc = GetParam();
  const SpectrumResult r = compute_spectrum(conditions(rc.waveform, rc.kv, 0, 0, 0), table());
  EXPECT_EQ(r.top_bin, rc.top_bin);
  EXPECT_EQ(r.photons[1], 0.0);
  EXPECT_EQ(r.kerma[1], 0.0);
  for (int i = 2; i <= rc.last_nonzero; ++i) EXPECT_GT(r.photons[i], 0.0) << "bin " << i;
  for (int i = rc.last_nonzero + 1; i <= 300; ++i) {
    EXPECT_EQ(r.photons[i], 0.0) << "bin " << i;
    EXPECT_EQ(r.kerma[i], 0.0) << "bin " << i;
  }
}

// With pi taken as 3.14159, sin(90 deg) is 1 - 9e-13, so the peak phase
// voltage is a hair below the set voltage; the bin at the set voltage itself
// (T = E = V) is still filled.
INSTANTIATE_TEST_SUITE_P(Cases, FilledBins,
                         ::testing::Values(RangeCase{"ConstantPotential75kV", 1, 75, 150, 150},
                                           RangeCase{"NonInteger80p7kV", 1, 80.7, 161, 161},
                                           RangeCase{"NonInteger80p7kVSinglePhase", 3, 80.7, 161, 161},
                                           RangeCase{"ConstantPotential150kV", 1, 150, 300, 300},
                                           RangeCase{"TwelvePeak72kV", 2, 72, 144, 144},
                                           RangeCase{"Low20kV", 3, 20.3, 40, 40}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Waveforms: phase lists and tube-current weights.

TEST(WaveformPhases, ListsAndWeights)
{
  const auto one = waveform_phases(1);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].angle, 90.0);
  EXPECT_EQ(one[0].weight, 1.0);

  const auto two = waveform_phases(2);
  ASSERT_EQ(two.size(), 16u);
  for (std::size_t k = 0; k < two.size(); ++k) {
    EXPECT_EQ(two[k].angle, 75.0 + k);
    EXPECT_EQ(two[k].weight, 1.0);
  }

  const auto three = waveform_phases(3);
  ASSERT_EQ(three.size(), 45u);
  for (std::size_t k = 0; k < three.size(); ++k) {
    const double phi = 2.0 * (k + 1);
    EXPECT_EQ(three[k].angle, phi);
    if (phi >= 50) {
      EXPECT_EQ(three[k].weight, 1.0) << phi;  // sin(phase) >= 0.75: current saturated
    } else {
      EXPECT_NEAR(three[k].weight, std::pow(std::sin(3.14159 * phi / 180) / 0.75, 1.5), 1e-15) << phi;
    }
  }
  EXPECT_NEAR(three[0].weight, 0.0100377, 1e-6);   // phase 2
  EXPECT_NEAR(three[23].weight, 0.98632, 1e-5);    // phase 48, just below saturation

  EXPECT_THROW(waveform_phases(0), std::invalid_argument);
  EXPECT_THROW(waveform_phases(4), std::invalid_argument);
}

// ---------------------------------------------------------------------------
// K lines of tungsten at 58.0, 59.5, 67.0 and 69.0 keV.

// Bin i of an unfiltered spectrum, in units proportional to Q (undoing the
// division by the photon energy).
double q_units(const SpectrumResult& r, int i) { return r.photons[i] * 0.5 * i; }

// The line's share in a bin: the bin minus the mean of its two neighbours.
double line_excess(const SpectrumResult& r, int i)
{
  return q_units(r, i) - 0.5 * (q_units(r, i - 1) + q_units(r, i + 1));
}

struct LineCase {
  const char* name;
  int waveform;
  double kv;
  bool lines;
};

class KLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(KLines, PresentOnlyAboveSeventyKilovolts)
{
  const LineCase& lc = GetParam();
  const SpectrumResult r = compute_spectrum(conditions(lc.waveform, lc.kv, 0, 0, 0), table());
  for (int bin : {116, 119, 134}) {
    const double relative = line_excess(r, bin) / q_units(r, bin);
    if (lc.lines) {
      EXPECT_GT(relative, 0.01) << "bin " << bin;
    } else {
      EXPECT_LT(std::fabs(relative), 0.003) << "bin " << bin;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, KLines,
                         ::testing::Values(LineCase{"ConstantPotential75kV", 1, 75, true},
                                           LineCase{"ConstantPotential70kV", 1, 70, false},
                                           LineCase{"ConstantPotential70p1kV", 1, 70.1, true},
                                           LineCase{"TwelvePeak72kV", 2, 72, true},
                                           LineCase{"TwelvePeak71kV", 2, 71.0, true},
                                           LineCase{"TwelvePeak69p9kV", 2, 69.9, false},
                                           LineCase{"SinglePhase71kV", 3, 71, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// One phase: the lines carry 0.01*R_K of the bremsstrahlung total, shared
// 0.5048 : 0.2908 : 0.162 : 0.0424.
TEST(KLines, SizeAndSharesAtOnePhase)
{
  const double kv = 75;
  const SpectrumResult r = compute_spectrum(conditions(1, kv, 0, 0, 0), table());
  const double v = kv * std::sin(3.14159 / 2);
  const double rk = (std::sqrt(8.79856 * v - 595.149) - 4.55528) / 4.39928;
  const double a119 = line_excess(r, 119);
  EXPECT_NEAR(a119 / line_excess(r, 116), 0.5048 / 0.2908, 0.01 * 0.5048 / 0.2908);
  EXPECT_NEAR(a119 / line_excess(r, 134), 0.5048 / 0.162, 0.02 * 0.5048 / 0.162);
  double total = 0;
  for (int i = 2; i <= r.top_bin; ++i) total += q_units(r, i);
  const double lines = a119 / 0.5048;
  EXPECT_NEAR(lines / (total - lines), 0.01 * rk, 0.01 * 0.01 * rk);
}

// In the 12-peak waveform at 72 kV only phases 77 ... 90 (V > 70) add lines.
// Their amount, relative to the same waveform where every phase adds them,
// tells whether phases 75 and 76 were left out.
TEST(KLines, TwelvePeakPhasesBelowSeventyAddNone)
{
  const SpectrumResult r = compute_spectrum(conditions(2, 72, 0, 0, 0), table());
  double expected = 0;  // sum over phases of 0.01*R_K*Sigma, Sigma estimated from the constant-potential spectra
  double total = 0;
  for (int i = 2; i <= r.top_bin; ++i) total += q_units(r, i);
  const double lines = line_excess(r, 119) / 0.5048;
  // Per phase, the bremsstrahlung total grows roughly as V^2; weight the
  // lines of phases with V > 70 accordingly. (Counting phases 75 and 76,
  // whose R_K would be negative, changes the result by 3.5 %; giving every
  // phase the R_K of the peak voltage by 60 %.)
  double all_brems = 0;
  for (int phi = 75; phi <= 90; ++phi) {
    const double v = 72 * std::sin(3.14159 * phi / 180);
    all_brems += v * v;
    if (v > 70) expected += 0.01 * (std::sqrt(8.79856 * v - 595.149) - 4.55528) / 4.39928 * v * v;
  }
  expected /= all_brems;
  EXPECT_NEAR(lines / (total - lines), expected, 0.02 * expected);
}

// ---------------------------------------------------------------------------
// Filtration and normalisation.

struct FilterCase {
  const char* name;
  double inherent, al, cu;
};

class Filtration : public ::testing::TestWithParam<FilterCase> {};

// Against the unfiltered beam each bin is scaled by
// exp(-(inherent + Al)*mu_Al - Cu*mu_Cu), up to the common normalisation;
// the kerma spectrum is the photon spectrum times E*w_air.
TEST_P(Filtration, TransmissionFactorAndKermaWeighting)
{
  const FilterCase& fc = GetParam();
  const AttenuationTable& a = table();
  const SpectrumResult bare = compute_spectrum(conditions(1, 100, 0, 0, 0), a);
  const SpectrumResult r = compute_spectrum(conditions(1, 100, fc.inherent, fc.al, fc.cu), a);
  auto factor = [&](int i) { return std::exp(-(fc.inherent + fc.al) * a.aluminium[i] - fc.cu * a.copper[i]); };
  const int ref = 120;
  const double scale = r.photons[ref] / (bare.photons[ref] * factor(ref));
  const double kscale = r.kerma[ref] / (r.photons[ref] * 0.5 * ref * a.air[ref]);
  for (int i = 40; i <= 199; ++i) {
    ASSERT_GT(r.photons[i], 1e-9) << i;
    EXPECT_NEAR(r.photons[i] / (bare.photons[i] * factor(i)), scale, 1e-9 * scale) << "bin " << i;
    EXPECT_NEAR(r.kerma[i] / (r.photons[i] * 0.5 * i * a.air[i]), kscale, 1e-9 * kscale) << "bin " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, Filtration,
                         ::testing::Values(FilterCase{"InherentOnly", 0.25, 0.0, 0.0},
                                           FilterCase{"AddedAluminium", 0.25, 0.2, 0.0},
                                           FilterCase{"CopperOnly", 0.0, 0.0, 0.01},
                                           FilterCase{"AllThree", 0.1, 0.15, 0.02}),
                         [](const auto& info) { return std::string(info.param.name); });

class Normalisation : public ::testing::TestWithParam<ModelCase> {};

TEST_P(Normalisation, PhotonsAndKermaSumToOneWithTinyBinsCleared)
{
  const ModelCase& m = GetParam();
  const SpectrumResult r = compute_spectrum(conditions(m.waveform, m.kv, m.inherent, m.al, m.cu, m.angle), table());
  double photons = 0, kerma = 0;
  int cleared = 0;
  for (int i = 2; i <= r.top_bin; ++i) {
    photons += r.photons[i];
    kerma += r.kerma[i];
    if (r.photons[i] == 0.0) ++cleared;
    EXPECT_TRUE(r.photons[i] == 0.0 || r.photons[i] >= 1e-10) << "bin " << i;
  }
  EXPECT_NEAR(photons, 1.0, 1e-10 * cleared + 1e-12);
  EXPECT_NEAR(kerma, 1.0, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Cases, Normalisation,
                         ::testing::Values(ModelCase{"Defaults75kV", 1, 75, 0.25, 0.1, 0, 12},
                                           ModelCase{"SinglePhase150kV", 3, 150, 0.25, 0.1, 0, 12},
                                           ModelCase{"Unfiltered30kV", 2, 30, 0, 0, 0, 12},
                                           ModelCase{"HeavyCopper", 1, 120, 0.25, 0.1, 0.2, 12}),
                         [](const auto& info) { return std::string(info.param.name); });

// Strong filtration leaves low-energy bins far below 1e-10: they are zero,
// not tiny.
TEST(Normalisation, LowEnergyBinsOfFilteredBeamAreZero)
{
  const SpectrumResult r = compute_spectrum(conditions(1, 75), table());
  EXPECT_EQ(r.photons[2], 0.0);
  EXPECT_EQ(r.photons[10], 0.0);
  EXPECT_GT(r.photons[60], 1e-4);
}

// ---------------------------------------------------------------------------
// Half-value layer.

std::array<double, 301> exponential_transmission(double per_step)
{
  std::array<double, 301> p{};
  for (int j = 1; j <= 300; ++j) p[j] = 100 * std::exp(-per_step * j);
  return p;
}

struct HvlCase {
  const char* name;
  std::array<double, 301> p;
  bool found;
  double cm;
};

class HalfValueLayerSearch : public ::testing::TestWithParam<HvlCase> {};

TEST_P(HalfValueLayerSearch, BracketAndLogLinearInterpolation)
{
  const HvlCase& h = GetParam();
  const HalfValueLayer r = find_half_value_layer(h.p);
  EXPECT_EQ(r.found, h.found);
  if (h.found) {
    EXPECT_NEAR(r.cm, h.cm, 1e-12);
  }
}

std::array<double, 301> with(std::array<double, 301> p, std::initializer_list<std::pair<int, double>> points)
{
  for (auto [j, v] : points) p[j] = v;
  return p;
}

std::array<double, 301> constant(double v)
{
  std::array<double, 301> p{};
  for (int j = 1; j <= 300; ++j) p[j] = v;
  return p;
}

const double kLn2 = std::log(2.0);

INSTANTIATE_TEST_SUITE_P(
    Cases, HalfValueLayerSearch,
    ::testing::Values(
        // A pure exponential: the log-linear interpolation is exact.
        HvlCase{"Exponential", exponential_transmission(0.05), true, 0.01 * kLn2 / 0.05},
        HvlCase{"ExponentialNearEnd", exponential_transmission(kLn2 / 298.6), true, 2.986},
        // Bracket 60 -> 40 between steps 10 and 11.
        HvlCase{"BracketMidway", with(constant(100), {{10, 60}, {11, 40}, {12, 30}}), true,
                0.01 * (10 + std::log(50.0 / 60) / std::log(40.0 / 60))},
        // Exactly 50 is not below 50: the bracket is the next step.
        HvlCase{"ExactlyFiftyNotBelow", with(constant(100), {{5, 50}, {6, 25}}), true, 0.05},
        // Only the last step drops below 50.
        HvlCase{"LastStep", with(constant(60), {{300, 40}}), true,
                0.01 * (299 + std::log(50.0 / 60) / std::log(40.0 / 60))},
        // Never below 50 through step 300: no half-value layer within 2.99 cm.
        HvlCase{"NoBracket", exponential_transmission(kLn2 / 301), false, 0},
        HvlCase{"StaysAtFifty", constant(50), false, 0},
        // Already below 50 after the first step: bracketed by the 100 % of
        // the beam without aluminium, never extrapolated (which gave a
        // negative layer for an unfiltered soft beam).
        HvlCase{"BelowFiftyAtFirstStep", with(constant(10), {{1, 40}, {2, 20}}), true,
                0.01 * std::log(0.5) / std::log(0.4)},
        HvlCase{"FarBelowFiftyAtFirstStep", with(constant(1), {{1, 2}, {2, 1}}), true,
                0.01 * std::log(0.5) / std::log(0.02)}),
    [](const auto& info) { return std::string(info.param.name); });

// The result's half-value layer is the one found on its own transmission
// curve, and that curve falls steadily with thickness.
TEST(HalfValueLayer, ComputedFromTransmissionCurve)
{
  const SpectrumResult r = compute_spectrum(conditions(3, 90), table());
  for (int j = 2; j <= 300; ++j) EXPECT_LT(r.transmission[j], r.transmission[j - 1]);
  EXPECT_LT(r.transmission[1], 100.0);
  const HalfValueLayer h = find_half_value_layer(r.transmission);
  EXPECT_TRUE(r.hvl_found);
  EXPECT_EQ(r.hvl_cm, h.cm);
  const int k = static_cast<int>(r.hvl_cm / 0.01) + 1;
  EXPECT_GE(r.transmission[k - 1], 50.0);
  EXPECT_LT(r.transmission[k], 50.0);
}

// Aluminium of the real table halves any beam up to 150 keV within 1.9 cm,
// so a beam without a half-value layer below 3 cm needs a weakly absorbing
// aluminium: here 0.1 /cm at every energy, a half-value layer of 6.9 cm.
TEST(HalfValueLayer, NoneWithinThreeCentimetres)
{
  AttenuationTable weak = table();
  for (int i = 1; i <= 300; ++i) weak.aluminium[i] = 0.1;
  const SpectrumResult r = compute_spectrum(conditions(1, 100), weak);
  EXPECT_FALSE(r.hvl_found);
  EXPECT_EQ(r.hvl_cm, 0.0);
  EXPECT_NEAR(r.transmission[300], 100 * std::exp(-0.1 * 3.0), 1e-9);
  EXPECT_NEAR(r.transmission[1], 100 * std::exp(-0.1 * 0.01), 1e-9);
}

// Thick copper hardens the beam towards the hardest a 150 kV tube gives.
TEST(HalfValueLayer, ThickCopperStillHalvedWithinThreeCentimetres)
{
  const SpectrumResult r = compute_spectrum(conditions(1, 150, 0.25, 0.1, 1.0), table());
  ASSERT_TRUE(r.hvl_found);
  EXPECT_GT(r.hvl_cm, 1.3);
  EXPECT_LT(r.hvl_cm, std::log(2.0) / table().aluminium[300]);
}

// An unfiltered beam is mostly photons of a few keV, halved by a few
// micrometres of aluminium: a small layer, but a positive one.
TEST(HalfValueLayer, UnfilteredBeamHasASmallPositiveLayer)
{
  for (double kv : {20.0, 75.0, 150.0}) {
    const SpectrumResult r = compute_spectrum(conditions(1, kv, 0.0, 0.0, 0.0), table());
    ASSERT_TRUE(r.hvl_found) << kv;
    EXPECT_GT(r.hvl_cm, 0.0) << kv;
    EXPECT_LT(r.hvl_cm, 0.01) << kv;
  }
}

// Half-value layer grows with voltage and with filtration.
TEST(HalfValueLayer, HarderBeamsHaveThickerLayers)
{
  auto hvl = [](const ExposureConditions& c) { return compute_spectrum(c, table()).hvl_cm; };
  EXPECT_LT(hvl(conditions(1, 60)), hvl(conditions(1, 75)));
  EXPECT_LT(hvl(conditions(1, 75)), hvl(conditions(1, 120)));
  EXPECT_LT(hvl(conditions(1, 75)), hvl(conditions(1, 75, 0.25, 0.1, 0.01)));
  // A rippled single-phase beam is softer than constant potential.
  EXPECT_LT(hvl(conditions(3, 75)), hvl(conditions(2, 75)));
  EXPECT_LT(hvl(conditions(2, 75)), hvl(conditions(1, 75)));
}

// The forms' defaults (75 kV, constant potential, 12 deg, 2.5 + 1.0 mm Al)
// give a half-value layer typical of a diagnostic beam.
TEST(HalfValueLayer, DefaultConditionsArePlausible)
{
  ExposureConditions c;
  set_default_conditions(c, 1);
  const SpectrumResult r = compute_spectrum(c, table());
  ASSERT_TRUE(r.hvl_found);
  EXPECT_GT(10 * r.hvl_cm, 2.5);
  EXPECT_LT(10 * r.hvl_cm, 3.5);
  std::cout << "default half-value layer: " << format_pattern(10 * r.hvl_cm, "#0.000") << " mm Al ("
            << 10 * r.hvl_cm << ")\n";
}

// ---------------------------------------------------------------------------
// Conditions the model cannot compute.

TEST(ComputeSpectrum, RefusesConditionsOutsideTheModel)
{
  EXPECT_THROW(compute_spectrum(conditions(1, 150.5), table()), std::invalid_argument);
  EXPECT_THROW(compute_spectrum(conditions(4, 75), table()), std::invalid_argument);
  EXPECT_THROW(compute_spectrum(conditions(1, std::nan("")), table()), std::invalid_argument);
  // Below 1 kV no bin is filled and the normalisation would divide by zero.
  EXPECT_THROW(compute_spectrum(conditions(1, 0.9), table()), std::domain_error);
  EXPECT_THROW(compute_spectrum(conditions(1, 0), table()), std::domain_error);
}

// ---------------------------------------------------------------------------
// X_SPCTL.dat.

std::vector<std::string> crlf_lines(const std::string& text)
{
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start) + "<no CR LF>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

TEST(SpectrumFile, LayoutOfEveryLine)
{
  std::array<double, 301> p{};
  p[2] = 0.123456;   // rounds up
  p[3] = 0.0000049;  // rounds to zero
  p[4] = 0.0000051;
  p[150] = 1.0;
  p[299] = 0.999994;
  p[300] = 0.5;
  const std::string text = spectrum_file_text(p);
  EXPECT_EQ(text.size(), 300u * 17u);
  const auto lines = crlf_lines(text);
  ASSERT_EQ(lines.size(), 300u);
  EXPECT_EQ(lines[0], "0000.5, 0.00000");
  EXPECT_EQ(lines[1], "0001.0, 0.12346");
  EXPECT_EQ(lines[2], "0001.5, 0.00000");
  EXPECT_EQ(lines[3], "0002.0, 0.00001");
  EXPECT_EQ(lines[4], "0002.5, 0.00000");
  EXPECT_EQ(lines[19], "0010.0, 0.00000");
  EXPECT_EQ(lines[149], "0075.0, 1.00000");
  EXPECT_EQ(lines[298], "0149.5, 0.99999");
  EXPECT_EQ(lines[299], "0150.0, 0.50000");
  for (int i = 1; i <= 300; ++i) {
    const std::string& l = lines[static_cast<std::size_t>(i - 1)];
    ASSERT_EQ(l.size(), 15u) << l;
    EXPECT_EQ(l.substr(4, 4), i % 2 ? ".5, " : ".0, ") << l;
    EXPECT_EQ(std::stoi(l.substr(0, 4)), i / 2) << l;
  }
}

class SpectrumFileOfModel : public ::testing::TestWithParam<ModelCase> {};

// Whatever the voltage: 300 lines, the first "0000.5, 0.00000", every line
// above the voltage 0.00000, and the weights as the engine reads them sum
// to about 1.
TEST_P(SpectrumFileOfModel, ThreeHundredLinesZerosAboveVoltage)
{
  const ModelCase& m = GetParam();
  const SpectrumResult r = compute_spectrum(conditions(m.waveform, m.kv, m.inherent, m.al, m.cu, m.angle), table());
  const auto lines = crlf_lines(spectrum_file_text(r.photons));
  ASSERT_EQ(lines.size(), 300u);
  EXPECT_EQ(lines[0], "0000.5, 0.00000");
  double sum = 0;
  for (int i = 1; i <= 300; ++i) {
    const std::string& l = lines[static_cast<std::size_t>(i - 1)];
    if (i > r.top_bin) {
      EXPECT_EQ(l.substr(8), "0.00000") << l;
    }
    sum += std::stod(l.substr(8));
  }
  EXPECT_NEAR(sum, 1.0, 300 * 0.5e-5);
}

INSTANTIATE_TEST_SUITE_P(Cases, SpectrumFileOfModel,
                         ::testing::Values(ModelCase{"Defaults75kV", 1, 75, 0.25, 0.1, 0, 12},
                                           ModelCase{"ConstantPotential150kV", 1, 150, 0.25, 0.1, 0, 12},
                                           ModelCase{"NonInteger80p7kV", 3, 80.7, 0.25, 0.1, 0, 12},
                                           ModelCase{"Low25kVUnfiltered", 2, 25, 0, 0, 0, 12}),
                         [](const auto& info) { return std::string(info.param.name); });

class TempDir {
 public:
  TempDir()
  {
    path_ = fs::temp_directory_path() /
            ("bsf_spectrum_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

std::string read_bytes(const fs::path& file)
{
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(SpectrumFile, ReplacesOlderFileAndLeavesNothingElse)
{
  TempDir dir;
  {
    std::ofstream old(dir.path() / "X_SPCTL.dat", std::ios::binary);
    old << std::string(10000, 'x');
  }
  const SpectrumResult r = compute_spectrum(conditions(1, 75), table());
  write_spectrum_file(dir.path(), r.photons);
  EXPECT_EQ(read_bytes(dir.path() / "X_SPCTL.dat"), spectrum_file_text(r.photons));
  int files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1);
}

TEST(SpectrumFile, UnwritableDirectoryNamesTheFile)
{
  TempDir dir;
  const std::array<double, 301> p{};
  try {
    write_spectrum_file(dir.path() / "missing", p);
    FAIL() << "no error";
  } catch (const DataFileError& e) {
    EXPECT_NE(std::string(e.what()).find("X_SPCTL.dat"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace bsf
