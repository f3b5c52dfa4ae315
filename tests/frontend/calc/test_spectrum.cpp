// The tungsten-target spectrum model, its half-value layer and X_SPCTL.dat:
// spectra worked by hand on small synthetic tables, properties every beam
// from the installed attenuation data must have, and published half-value
// layers of standard beam qualities.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "data_tables.h"
#include "installed_tables.h"
#include "free_format.h"
#include "number_text.h"
#include "spectrum.h"

namespace bsf {
namespace {

namespace fs = std::filesystem;


const AttenuationTable& table() { return test::installed_attenuation(); }

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
// Spectra worked by hand.
//
// A table with no attenuation in tungsten, aluminium or copper and an air
// coefficient of 1 in every bin leaves only the bremsstrahlung sum, and at
// 1.5 kV that sum has three terms: bin 2 (E = 1 keV) gets the electron
// energies T = 1 and 1.5 keV, bin 3 (E = 1.5 keV) only T = 1.5 keV. With
// the Tucker-Barnes-Chakraborty emission per unit of energy loss
//
//   g(E, T) = (0.03658 + 2.9e-5 E) * P(E/T) * (1 + 511/T) / S(T)
//   P(x)    = 1 - 5.049 x + 10.847 x^2 - 10.516 x^3 + 3.842 x^4
//   S(T)    = 1036.1 exp(-0.04695 T) + 202.41
//
// the pieces are (worked once with python3, float64):
//
//   P(1)   = 1 - 5.049 + 10.847 - 10.516 + 3.842                = 0.124
//   P(2/3) = 1 - 3.366 + 4.8208889 - 3.1158519 + 0.7589136     = 0.097950617
//   S(1)   = 1036.1 * 0.95413510315 + 202.41                     = 1190.9893804
//   S(1.5) = 1036.1 * 0.93199763673 + 202.41                     = 1168.0527514
//   a = g(1, 1)     = 0.036609  * 0.124       * 512       / 1190.9893804 = 1.9515137836618e-3
//   b = g(1, 1.5)   = 0.036609  * 0.097950617 * 341.66667 / 1168.0527514 = 1.0489026850899e-3
//   c = g(1.5, 1.5) = 0.0366235 * 0.124       * 341.66667 / 1168.0527514 = 1.3283780332604e-3
//
// The energy fluence is a + b in bin 2 and c in bin 3; the photon number is
// the fluence over E, the air kerma the fluence times the air coefficient,
// each normalised to sum 1.

struct HandCase {
  const char* name;
  int waveform;
  double kv;
  double inherent, al, cu, angle;
  // Changes to the bare table (all attenuation 0, air 1).
  double tungsten2, tungsten3;  // mu_W in bins 2 and 3, 1/cm
  double aluminium2, aluminium3;
  double copper2, copper3;
  double air2, air3;
  // Expected, bins 2 and 3 (bin 3 unused at 1 kV).
  double photons2, photons3, kerma2, kerma3;
  double transmission1, transmission10, transmission300;  // % after 0.01, 0.1, 3 cm Al
  bool hvl_found;
  double hvl_cm;
  double tolerance;  // relative
};

AttenuationTable hand_table(const HandCase& h)
{
  AttenuationTable t;  // zero attenuation everywhere
  t.air.fill(1.0);
  t.tungsten[2] = h.tungsten2;
  t.tungsten[3] = h.tungsten3;
  t.aluminium[2] = h.aluminium2;
  t.aluminium[3] = h.aluminium3;
  t.copper[2] = h.copper2;
  t.copper[3] = h.copper3;
  t.air[2] = h.air2;
  t.air[3] = h.air3;
  return t;
}

void PrintTo(const HandCase& h, std::ostream* os) { *os << h.name; }

class HandWorkedSpectrum : public ::testing::TestWithParam<HandCase> {};

TEST_P(HandWorkedSpectrum, BinsTransmissionAndHalfValueLayer)
{
  const HandCase& h = GetParam();
  const SpectrumResult r =
      compute_spectrum(conditions(h.waveform, h.kv, h.inherent, h.al, h.cu, h.angle), hand_table(h));
  const double tol = h.tolerance;
  ASSERT_EQ(r.top_bin, static_cast<int>(2 * h.kv));
  EXPECT_NEAR(r.photons[2], h.photons2, tol * h.photons2);
  EXPECT_NEAR(r.kerma[2], h.kerma2, tol * h.kerma2);
  EXPECT_NEAR(r.photons[3], h.photons3, tol * h.photons3);
  EXPECT_NEAR(r.kerma[3], h.kerma3, tol * h.kerma3);
  EXPECT_EQ(r.photons[1], 0.0);
  EXPECT_EQ(r.kerma[1], 0.0);
  for (int i = r.top_bin + 1; i <= kSpectrumBins; ++i) {
    EXPECT_EQ(r.photons[i], 0.0) << "bin " << i;
    EXPECT_EQ(r.kerma[i], 0.0) << "bin " << i;
  }
  EXPECT_NEAR(r.transmission[1], h.transmission1, tol * h.transmission1);
  EXPECT_NEAR(r.transmission[10], h.transmission10, tol * h.transmission10);
  EXPECT_NEAR(r.transmission[300], h.transmission300, tol * h.transmission300);
  ASSERT_EQ(r.hvl_found, h.hvl_found);
  EXPECT_NEAR(r.hvl_cm, h.hvl_cm, tol * h.hvl_cm);
}

// The constant-potential result at 1.5 kV:
//   photons: (a + b) / ((a + b) + c/1.5) = 0.77210886778833,  c/1.5 / (...) = 0.22789113221167
//   kerma:   (a + b) / (a + b + c)       = 0.69312980030747,  c / (...)     = 0.30687019969253
constexpr double kPhotons2 = 0.7721088677883317, kPhotons3 = 0.2278911322116684;
constexpr double kKerma2 = 0.6931298003074727, kKerma3 = 0.30687019969252716;

INSTANTIATE_TEST_SUITE_P(
    Cases, HandWorkedSpectrum,
    ::testing::Values(
        // 1 kV, the lowest voltage with a bin: everything in bin 2 (1 keV).
        // Without aluminium attenuation nothing is ever halved.
        HandCase{"OneKilovoltOneBin", 1, 1.0, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 1, 1, 1.0, 0.0, 1.0, 0.0, 100, 100,
                 100, false, 0.0, 1e-12},
        HandCase{"ConstantPotential1p5kV", 1, 1.5, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 1, 1, kPhotons2, kPhotons3, kKerma2,
                 kKerma3, 100, 100, 100, false, 0.0, 1e-12},
        // 12-peak: 1.5 kV * sin(phase) is 1.4489 kV at 75 deg and 1.49977 kV
        // at 89 deg, so phases 75 ... 89 reach bin 2 only, through T = 1 keV
        // (a each); only phase 90 reaches bin 3. Fluence: bin 2 16a + b =
        // 0.032273123223679, bin 3 c.
        //   photons (16a + b) / (16a + b + c/1.5) = 0.97329252575105, rest 0.02670747424895
        //   kerma   (16a + b) / (16a + b + c)     = 0.9604667058444,  rest 0.0395332941556
        HandCase{"TwelvePeak1p5kV", 2, 1.5, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 1, 1, 0.9732925257510544,
                 0.026707474248945602, 0.9604667058444, 1 - 0.9604667058444, 100, 100, 100, false, 0.0, 1e-12},
        // Single-phase: phases 2 ... 40 stay below 1 kV (1.5 sin 40 deg =
        // 0.964), phases 42 ... 88 reach bin 2 only, phase 90 also bin 3.
        // Tube-current weights (sin(phase)/0.75)^1.5 with pi = 3.14159:
        // 42 deg 0.84270195161108, 44 deg 0.89138347203271, 46 deg
        // 0.93930971331050, 48 deg 0.98632008514179, 50 ... 88 deg 1 each
        // (20 phases): W = 23.659715222096. Fluence: bin 2 W a + (a + b),
        // bin 3 c.
        //   photons 0.98230890732863 : 0.01769109267137
        //   kerma   0.97369603394352 : 0.02630396605648
        HandCase{"SinglePhase1p5kV", 3, 1.5, 0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 1, 1, 0.9823089073286343,
                 0.017691092671365677, 0.9736960339435163, 0.026303966056483663, 100, 100, 100, false, 0.0, 1e-12},
        // Self-filtration in the target, mu_W = 2e6 /cm in bins 2 and 3, anode
        // 45 deg. An electron entering at V = 1.5 kV has slowed to T at the
        // mass depth (V^2 - T^2)/C(V), Thomson-Whiddington, with
        //   C(1.5) = 141766 + 12157*1.5 - 111.046*1.5^2 + 0.552536*1.5^3
        //            - 0.000970158*1.5^4 = 159753.50639758
        // and the photon leaves through cot(45 deg) times that depth over
        // rho_W = 19.3 g/cm3 of tungsten; cot(45 deg) with the model's pi =
        // 3.14159 is 1.0000013267958. Exponent per unit of V^2 - T^2:
        //   k = 2e6 * 1.0000013267958 / (19.3 * 159753.50639758) = 0.64866858220362
        // T = 1 keV: exp(-1.25 k) = exp(-0.81083572775452) = 0.44448644130044;
        // T = 1.5 keV emits at the surface and is not attenuated. Fluence:
        // bin 2 0.44448644130044 a + b, bin 3 c.
        //   photons 0.68393505609052 : 0.31606494390948
        //   kerma   0.5906009310223  : 0.4093990689777
        // The peak voltage is 1.5 sin(90 deg) = 1.5 (1 - 8.8e-13) with that pi,
        // which moves these by a few parts in 1e12: hence 1e-10.
        HandCase{"TungstenSelfFiltration", 1, 1.5, 0, 0, 0, 45, 2.0e6, 2.0e6, 0, 0, 0, 0, 1, 1, 0.6839350560905239,
                 0.3160649439094761, 0.5906009310223, 0.4093990689777, 100, 100, 100, false, 0.0, 1e-10},
        // Filters that differ between the bins: aluminium 10 and 5 /cm,
        // 0.05 cm inherent + 0.05 cm added; copper 0 and 20 /cm, 0.01 cm;
        // air 3 and 1 cm2/g. Bin 2 passes exp(-1) = 0.36787944117144, bin 3
        // exp(-0.5 - 0.2) = 0.49658530379141.
        //   photons: (a + b) e^-1 : c e^-0.7 / 1.5 = 0.71509457751229 : 0.28490542248771
        //   kerma:   3 (a + b) e^-1 : c e^-0.7     = 0.83388355008331 : 0.16611644991669
        // Behind j more steps of 0.01 cm Al the kerma left is
        //   100 (0.83388355008331 e^(-0.1 j) + 0.16611644991669 e^(-0.05 j)) %:
        // 91.254389345440 at j = 1, 40.752333436380 at j = 10,
        // 5.0815485534721e-6 at j = 300, 53.115459980743 at j = 7 and
        // 48.603921810876 at j = 8, so the layer, interpolated in ln P between
        // steps 7 and 8, is 0.01 (7 + ln(50/53.1155) / ln(48.6039/53.1155)) =
        // 0.076809647785379 cm (the exact root being 0.076804 cm).
        HandCase{"FiltersAndAirWeighting", 1, 1.5, 0.05, 0.05, 0.01, 12, 0, 0, 10, 5, 0, 20, 3, 1,
                 0.7150945775122857, 0.2849054224877142, 0.8338835500833054, 0.1661164499166947, 91.2543893454397,
                 40.75233343637983, 5.081548553472084e-06, true, 0.07680964778537948, 1e-12},
        // Aluminium 10 /cm and copper 30 /cm in both bins: a filter that
        // takes the same share of every bin leaves the normalised spectra
        // as unfiltered, and each further 0.01 cm of aluminium takes
        // exp(-0.1): 90.483741803596 %, 36.787944117144 % and 9.3576229688402e-12 %
        // after 1, 10 and 300 steps. The curve is a pure exponential, so the
        // interpolated layer is exact: ln 2 / 10 = 0.069314718055995 cm.
        // (Copper does not enter the half-value layer, which is in aluminium.)
        HandCase{"UniformFilters", 1, 1.5, 0.05, 0.05, 0.02, 12, 0, 0, 10, 10, 30, 30, 1, 1, kPhotons2, kPhotons3,
                 kKerma2, kKerma3, 90.48374180359595, 36.787944117144235, 9.357622968840174e-12, true,
                 0.06931471805599453, 1e-12}),
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

// One phase at 75 kV: the four lines together carry R_K per cent of the
// bremsstrahlung total, with
//   R_K = (sqrt(8.79856 * 75 - 595.149) - 4.55528) / 4.39928
//       = (sqrt(64.743) - 4.55528) / 4.39928 = (8.0463035 - 4.55528) / 4.39928
//       = 0.79354 %,
// and they share it as the tabulated relative intensities of tungsten's
// K lines go: K-alpha2 : K-alpha1 about 0.58, K-beta1 (with K-beta3) :
// K-alpha1 about 0.32, K-beta2 : K-alpha1 about 0.08. The shares 0.5048 :
// 0.2908 : 0.162 : 0.0424 give 0.576, 0.321 and 0.084.
TEST(KLines, SizeAndSharesAtOnePhase)
{
  const SpectrumResult r = compute_spectrum(conditions(1, 75, 0, 0, 0), table());
  const double a119 = line_excess(r, 119);
  EXPECT_NEAR(line_excess(r, 116) / a119, 0.576, 0.01);
  EXPECT_NEAR(line_excess(r, 134) / a119, 0.321, 0.01);
  double total = 0;
  for (int i = 2; i <= r.top_bin; ++i) total += q_units(r, i);
  const double lines = a119 / 0.5048;
  EXPECT_NEAR(100 * lines / (total - lines), 0.79354, 0.01 * 0.79354);
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
}

// ---------------------------------------------------------------------------
// Properties every beam from the installed table must have.

struct Filters {
  const char* name;
  double inherent, al, cu;
};

constexpr Filters kFilterSets[] = {
    {"InherentOnly", 0.25, 0.0, 0.0},
    {"AddedAl", 0.25, 0.1, 0.0},
    {"AddedAlAndCu", 0.25, 0.1, 0.02},
};

struct Beam {
  int waveform;
  double kv;
  Filters f;
};

std::string beam_name(const Beam& b)
{
  std::string kv = std::to_string(static_cast<int>(b.kv));
  return "Waveform" + std::to_string(b.waveform) + "_" + kv + "kV_" + b.f.name;
}

void PrintTo(const Beam& b, std::ostream* os) { *os << beam_name(b); }

ExposureConditions beam_conditions(const Beam& b, double extra_al = 0, double extra_cu = 0, double angle = 12)
{
  return conditions(b.waveform, b.kv, b.f.inherent, b.f.al + extra_al, b.f.cu + extra_cu, angle);
}

// Share of the photons below 30 keV (bins 2 ... 59).
double soft_share(const SpectrumResult& r)
{
  double s = 0;
  for (int i = 2; i < 60; ++i) s += r.photons[i];
  return s;
}

std::vector<Beam> all_beams()
{
  std::vector<Beam> beams;
  for (int w : {1, 2, 3})
    for (double kv : {40.0, 60.0, 75.0, 90.0, 120.0, 150.0})
      for (const Filters& f : kFilterSets) beams.push_back({w, kv, f});
  return beams;
}

class BeamProperties : public ::testing::TestWithParam<Beam> {};

// Both spectra are normalised over bins 2 ... top; nothing lies above the
// voltage nor in bin 1; a bin is either 0 or at least 1e-10; and the kerma
// behind more and more aluminium falls steadily from below 100 %.
TEST_P(BeamProperties, NormalisedNothingAboveTheVoltageSteadyTransmission)
{
  const Beam& b = GetParam();
  const SpectrumResult r = compute_spectrum(beam_conditions(b), table());
  EXPECT_EQ(r.top_bin, static_cast<int>(2 * b.kv));
  double photons = 0, kerma = 0;
  int cleared = 0;
  for (int i = 2; i <= r.top_bin; ++i) {
    photons += r.photons[i];
    kerma += r.kerma[i];
    if (r.photons[i] == 0.0) ++cleared;
    EXPECT_TRUE(r.photons[i] == 0.0 || r.photons[i] >= 1e-10) << "bin " << i << ": " << r.photons[i];
    EXPECT_GE(r.kerma[i], 0.0) << "bin " << i;
  }
  // Each cleared bin held less than 1e-10 of the sum.
  EXPECT_NEAR(photons, 1.0, 1e-10 * cleared + 1e-12);
  EXPECT_LE(photons, 1.0 + 1e-12);
  EXPECT_NEAR(kerma, 1.0, 1e-12);
  EXPECT_EQ(r.photons[1], 0.0);
  EXPECT_EQ(r.kerma[1], 0.0);
  for (int i = r.top_bin + 1; i <= kSpectrumBins; ++i) {
    EXPECT_EQ(r.photons[i], 0.0) << "bin " << i;
    EXPECT_EQ(r.kerma[i], 0.0) << "bin " << i;
  }
  EXPECT_LT(r.transmission[1], 100.0);
  EXPECT_GT(r.transmission[1], 0.0);
  for (int j = 2; j <= kHvlSteps; ++j) EXPECT_LT(r.transmission[j], r.transmission[j - 1]) << "step " << j;
  ASSERT_TRUE(r.hvl_found);
  EXPECT_EQ(r.hvl_cm, find_half_value_layer(r.transmission).cm);
}

// More aluminium or more copper takes more of the soft photons than of the
// hard ones: the beam hardens, its half-value layer grows and the share of
// photons below 30 keV shrinks.
TEST_P(BeamProperties, MoreAluminiumOrCopperHardensTheBeam)
{
  const Beam& b = GetParam();
  const SpectrumResult base = compute_spectrum(beam_conditions(b), table());
  const SpectrumResult more_al = compute_spectrum(beam_conditions(b, 0.1, 0), table());
  const SpectrumResult more_cu = compute_spectrum(beam_conditions(b, 0, 0.01), table());
  EXPECT_GT(more_al.hvl_cm, base.hvl_cm);
  EXPECT_GT(more_cu.hvl_cm, base.hvl_cm);
  ASSERT_GT(soft_share(base), 0.0);
  EXPECT_LT(soft_share(more_al), soft_share(base));
  EXPECT_LT(soft_share(more_cu), soft_share(base));
}

// A steeper (smaller) anode angle makes the photons cross more tungsten on
// their way out of the target, which takes the soft ones: a harder beam.
TEST_P(BeamProperties, SteeperAnodeHardensTheBeam)
{
  const Beam& b = GetParam();
  double previous = 0;
  for (double angle : {20.0, 16.0, 12.0, 10.0, 7.0}) {
    const double hvl = compute_spectrum(beam_conditions(b, 0, 0, angle), table()).hvl_cm;
    EXPECT_GT(hvl, previous) << angle << " deg";
    previous = hvl;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, BeamProperties, ::testing::ValuesIn(all_beams()),
                         [](const auto& info) { return beam_name(info.param); });

// A higher voltage adds photons above the old end point: a harder beam, at
// every step from 40 to 150 kV.
class VoltageSeries : public ::testing::TestWithParam<Beam> {};

TEST_P(VoltageSeries, HalfValueLayerRisesWithVoltage)
{
  Beam b = GetParam();
  double previous = 0;
  for (double kv = 40; kv <= 150; kv += 10) {
    b.kv = kv;
    const double hvl = compute_spectrum(beam_conditions(b), table()).hvl_cm;
    EXPECT_GT(hvl, previous) << kv << " kV";
    previous = hvl;
  }
}

std::vector<Beam> waveforms_and_filters()
{
  std::vector<Beam> beams;
  for (int w : {1, 2, 3})
    for (const Filters& f : kFilterSets) beams.push_back({w, 0, f});
  return beams;
}

INSTANTIATE_TEST_SUITE_P(Table, VoltageSeries, ::testing::ValuesIn(waveforms_and_filters()),
                         [](const auto& info) {
                           return "Waveform" + std::to_string(info.param.waveform) + "_" + info.param.f.name;
                         });

// A rippled voltage spends part of the time below the peak, emitting a
// softer spectrum: 12-peak a little (its ripple is a few per cent),
// single-phase (down to zero) much more than constant potential at the same
// peak voltage.
class RippleAtPeakVoltage : public ::testing::TestWithParam<Beam> {};

TEST_P(RippleAtPeakVoltage, RippleSoftensTheBeam)
{
  Beam b = GetParam();
  double hvl[4] = {};
  for (int w : {1, 2, 3}) {
    b.waveform = w;
    hvl[w] = compute_spectrum(beam_conditions(b), table()).hvl_cm;
  }
  EXPECT_LT(hvl[2], hvl[1]);
  EXPECT_LT(hvl[3], hvl[2]);
}

std::vector<Beam> voltages_and_filters()
{
  std::vector<Beam> beams;
  for (double kv : {40.0, 60.0, 75.0, 90.0, 120.0, 150.0})
    for (const Filters& f : kFilterSets) beams.push_back({0, kv, f});
  return beams;
}

INSTANTIATE_TEST_SUITE_P(Table, RippleAtPeakVoltage, ::testing::ValuesIn(voltages_and_filters()),
                         [](const auto& info) {
                           return std::to_string(static_cast<int>(info.param.kv)) + "kV_" + info.param.f.name;
                         });

// The K lines of tungsten, K-alpha2 58.0, K-alpha1 59.3, K-beta1 67.2 and
// K-beta2 69.1 keV (bins 116, 119, 134, 138), need electrons above the K
// edge at 69.5 keV. Well above it they stand out over the neighbouring
// bremsstrahlung bins of the filtered beam, whatever the waveform; at 60 kV
// no electron can ionise the K shell and no bin there stands out.
class KLinesOfFilteredBeam : public ::testing::TestWithParam<Beam> {};

TEST_P(KLinesOfFilteredBeam, StandAboveNeighboursOnlyAboveTheEdge)
{
  const Beam& b = GetParam();
  const SpectrumResult r = compute_spectrum(beam_conditions(b), table());
  for (int bin : {116, 119, 134, 138}) {
    if (b.kv > 80) {
      EXPECT_GT(r.photons[bin], r.photons[bin - 1]) << "bin " << bin;
      EXPECT_GT(r.photons[bin], r.photons[bin + 1]) << "bin " << bin;
    } else if (bin < r.top_bin) {
      // Near the end point the bremsstrahlung falls steeply; without a line
      // no bin there is a peak.
      EXPECT_FALSE(r.photons[bin] > r.photons[bin - 1] && r.photons[bin] > r.photons[bin + 1]) << "bin " << bin;
    }
  }
}

std::vector<Beam> line_beams()
{
  std::vector<Beam> beams;
  for (int w : {1, 2, 3})
    for (double kv : {60.0, 90.0, 100.0, 120.0, 150.0}) beams.push_back({w, kv, kFilterSets[1]});
  return beams;
}

INSTANTIATE_TEST_SUITE_P(Table, KLinesOfFilteredBeam, ::testing::ValuesIn(line_beams()),
                         [](const auto& info) { return beam_name(info.param); });

// ---------------------------------------------------------------------------
// Published half-value layers.
//
// IEC 61267 defines the RQR qualities by tube voltage and first half-value
// layer for a constant-potential tungsten tube whose total filtration is
// adjusted until that layer is reached. Starting from our inherent 2.5 mm
// Al, the added aluminium that reaches each layer must leave a total
// filtration of the few mm Al such tubes need (2.5 to 6 mm). The check is
// loose on purpose: the model's target (anode angle, fitted
// self-filtration, no window or oil) is not the laboratories' tube, and
// tubes of the same nominal filtration differ in half-value layer by 10 %
// or more. It catches gross faults, a beam far too soft or too hard or a
// filter in the wrong unit; the hand-worked cases catch the small ones.
// The homogeneity coefficient (first over second half-value layer) then
// tests the spectral shape beyond the one number the filtration was fitted
// to.

struct RqrQuality {
  const char* name;
  double kv;
  double hvl_mm;       // first half-value layer, mm Al
  double homogeneity;  // first / second half-value layer
};

// Thickness of aluminium (cm) that leaves `percent` of the kerma, from the
// transmission curve (100 % at no aluminium), interpolated in ln P.
double thickness_leaving(const std::array<double, kHvlSteps + 1>& p, double percent)
{
  double before = 100.0;
  for (int j = 1; j <= kHvlSteps; ++j) {
    if (p[j] < percent) return kHvlStepCm * (j - 1 + std::log(percent / before) / std::log(p[j] / before));
    before = p[j];
  }
  return NAN;
}

void PrintTo(const RqrQuality& q, std::ostream* os) { *os << q.name; }

class RqrQualities : public ::testing::TestWithParam<RqrQuality> {};

TEST_P(RqrQualities, ReachedWithPlausibleFiltration)
{
  const RqrQuality& q = GetParam();
  const double inherent = 0.25;
  const double target = 0.1 * q.hvl_mm;
  auto hvl = [&](double added) { return compute_spectrum(conditions(1, q.kv, inherent, added, 0), table()).hvl_cm; };
  // The half-value layer grows with the added aluminium: bisect.
  double lo = 0.0, hi = 2.0;
  ASSERT_LT(hvl(lo), target) << "2.5 mm Al alone already exceeds the layer";
  ASSERT_GT(hvl(hi), target);
  for (int k = 0; k < 40; ++k) {
    const double mid = 0.5 * (lo + hi);
    (hvl(mid) < target ? lo : hi) = mid;
  }
  const double added_mm = 10 * 0.5 * (lo + hi);
  const double total_mm = 10 * inherent + added_mm;
  const SpectrumResult r = compute_spectrum(conditions(1, q.kv, inherent, 0.1 * added_mm, 0), table());
  ASSERT_NEAR(10 * r.hvl_cm, q.hvl_mm, 1e-6);
  const double second = thickness_leaving(r.transmission, 25.0) - r.hvl_cm;
  const double homogeneity = r.hvl_cm / second;
  std::ostringstream found;
  found << q.name << ": " << q.kv << " kV, HVL " << q.hvl_mm << " mm Al with " << added_mm << " mm added, total "
        << total_mm << " mm Al; homogeneity " << homogeneity << " (IEC " << q.homogeneity << ")";
  SCOPED_TRACE(found.str());
  EXPECT_GE(total_mm, 2.5);
  EXPECT_LE(total_mm, 6.0);
  // Once the first layer is matched the second follows from the shape of
  // the spectrum; the model gives the standard's coefficients to about 0.01.
  EXPECT_NEAR(homogeneity, q.homogeneity, 0.03);
}

INSTANTIATE_TEST_SUITE_P(Iec61267, RqrQualities,
                         ::testing::Values(RqrQuality{"RQR3", 50, 1.78, 0.76}, RqrQuality{"RQR5", 70, 2.58, 0.71},
                                           RqrQuality{"RQR8", 100, 3.97, 0.68}, RqrQuality{"RQR9", 120, 5.00, 0.68},
                                           RqrQuality{"RQR10", 150, 6.57, 0.72}),
                         [](const auto& info) { return std::string(info.param.name); });

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

struct ModelCase {
  const char* name;
  int waveform;
  double kv;
  double inherent, al, cu, angle;
};

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
