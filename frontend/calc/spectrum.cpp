#include "spectrum.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "joken_writer.h"
#include "number_text.h"

namespace bsf {

namespace {

// The model's pi, 3.14159, in every conversion from degrees; the spectra
// and the factors tabulated with them were computed with it.
constexpr double kPi = 3.14159;

double radians(double degrees) { return kPi * degrees / 180.0; }

// Bin i of the grid stands for the photon (or electron) energy 0.5*i keV.
constexpr double kBinWidthKeV = 0.5;

double bin_energy(int i) { return kBinWidthKeV * i; }

// Allowance on 2V when the top bin of a phase is found: absorbs the rounding
// of sin(90 deg) with pi = 3.14159 (9e-13 relative), far below half a bin.
constexpr double kPeakAllowance = 1e-6;

// ---------------------------------------------------------------------------
// Bremsstrahlung (Tucker, Barnes and Chakraborty, Med. Phys. 18 (1991) 211).
// The photons of energy E from an electron that enters the tungsten at the
// tube voltage V are summed over the electron energy T as it slows down, in
// steps of one bin from T = E to T = V:
//
//   Q(E) = sum_T  B(E, T) * (1 + m c^2 / T) / S(T) * exp(-mu_W(E) * d(T) * cot(theta))
//
// B the emission per unit of energy loss, (1 + m c^2 / T) the relativistic
// factor, S the stopping power of tungsten, d the depth at which the
// electron has slowed to T and theta the anode angle: the photon leaves the
// target through d*cot(theta) of tungsten. Q is in arbitrary units: only
// its shape matters, as the spectrum is normalised.

constexpr double kElectronRestEnergyKeV = 511.0;  // m c^2
constexpr double kTungstenDensity = 19.3;         // g/cm^3

// The stopping power of tungsten as the model fits it,
// S(T) = 1036.1 exp(-0.04695 T / keV) + 202.41, T in keV.
constexpr double kStoppingScale = 1036.1;
constexpr double kStoppingDecayPerKeV = 0.04695;
constexpr double kStoppingFloor = 202.41;

double stopping_power(double t_kev) { return kStoppingScale * std::exp(-kStoppingDecayPerKeV * t_kev) + kStoppingFloor; }

// The emission B(E, T) = (A + A_E E) * P(E/T): a factor linear in the photon
// energy E (keV) times a quartic in x = E/T, which falls from 1 at x = 0 to
// 0.124 at x = 1, where the photon takes the electron's whole energy.
constexpr double kEmissionConstant = 0.03658;
constexpr double kEmissionPerKeV = 2.9e-5;
constexpr double kShape1 = -5.049;
constexpr double kShape2 = 10.847;
constexpr double kShape3 = -10.516;
constexpr double kShape4 = 3.842;

double emission_linear(double e_kev) { return kEmissionConstant + kEmissionPerKeV * e_kev; }
double emission_shape(double x) { return 1.0 + x * (kShape1 + x * (kShape2 + x * (kShape3 + x * kShape4))); }

// The Thomson-Whiddington law: an electron entering tungsten with energy V
// has energy T at the mass depth (V^2 - T^2)/C, with C (keV^2 cm^2/g) for
// electrons entering at V kV fitted by the model as a quartic in V.
constexpr double kWhiddington0 = 141766.0;
constexpr double kWhiddington1 = 12157.0;
constexpr double kWhiddington2 = 111.046;
constexpr double kWhiddington3 = 0.552536;
constexpr double kWhiddington4 = 0.000970158;

double thomson_whiddington(double v)
{
  return kWhiddington0 + kWhiddington1 * v - kWhiddington2 * v * v + kWhiddington3 * v * v * v -
         kWhiddington4 * v * v * v * v;
}

// The factors of the sum that depend on the electron energy T = 0.5*j keV
// alone, the same in every phase: the relativistic factor over the stopping
// power, and T^2 for the depth.
struct ElectronTerms {
  std::array<double, kSpectrumBins + 1> per_t{};      // (1 + m c^2 / T) / S(T)
  std::array<double, kSpectrumBins + 1> t_squared{};  // keV^2
};

ElectronTerms electron_terms(int top_bin)
{
  ElectronTerms terms;
  for (int j = 1; j <= std::min(top_bin, kSpectrumBins); ++j) {
    const double t = bin_energy(j);
    terms.per_t[j] = (1.0 + kElectronRestEnergyKeV / t) / stopping_power(t);
    terms.t_squared[j] = t * t;
  }
  return terms;
}

// Q(E) of one phase, electrons entering at v kV, into q[2 ... top], top the
// bin of v.
void bremsstrahlung(double v, int top, double cot_theta, const ElectronTerms& terms, const AttenuationTable& att,
                    std::array<double, kSpectrumBins + 1>& q)
{
  // The photon leaves through cot(theta) * (V^2 - T^2) / (rho_W C) cm of
  // tungsten: mu_W(E) times this scale times (V^2 - T^2).
  const double depth_scale = cot_theta / (kTungstenDensity * thomson_whiddington(v));
  const double v_squared = v * v;
  for (int i = 2; i <= top; ++i) {
    const double e = bin_energy(i);
    const double linear = emission_linear(e);
    const double mu_depth = att.tungsten[i] * depth_scale;
    double sum = 0.0;
    // T = 0.5*j <= V  <=>  j <= top (j and 2V compared as integers).
    for (int j = i; j <= top; ++j) {
      const double shape = emission_shape(e / bin_energy(j));
      sum += std::exp(-mu_depth * (v_squared - terms.t_squared[j])) * (linear * shape) * terms.per_t[j];
    }
    q[i] = sum;
  }
}

// ---------------------------------------------------------------------------
// Characteristic K lines of tungsten. The model lets them in above 70 kV,
// clear of the K edge at 69.5 keV, as a share R_K / 100 of the phase's
// bremsstrahlung total, R_K = (sqrt(8.79856 V - 595.149) - 4.55528) / 4.39928
// rising with V (in kV), divided among the four lines in fixed shares.

constexpr double kKLineThresholdKv = 70.0;
constexpr double kKRatioSlope = 8.79856;
constexpr double kKRatioOffset = 595.149;
constexpr double kKRatioShift = 4.55528;
constexpr double kKRatioScale = 4.39928;

struct KLine {
  int bin;       // the 0.5 keV bin the line falls into
  double share;  // of the four lines' sum
};

// K-alpha1 59.3 keV, K-alpha2 58.0 keV, K-beta1 67.2 keV, K-beta2 69.1 keV.
constexpr KLine kKLines[] = {{119, 0.5048}, {116, 0.2908}, {134, 0.162}, {138, 0.0424}};

// Adds the K lines of a phase at v kV to q, whose bins 2 ... top hold its
// bremsstrahlung.
void add_k_lines(double v, int top, std::array<double, kSpectrumBins + 1>& q)
{
  if (!(v > kKLineThresholdKv)) return;
  const double r_k = (std::sqrt(kKRatioSlope * v - kKRatioOffset) - kKRatioShift) / kKRatioScale;
  double total = 0.0;
  for (int i = 2; i <= top; ++i) total += q[i];
  const double lines = 0.01 * r_k * total;
  for (const KLine& k : kKLines) q[k.bin] += k.share * lines;
}

// ---------------------------------------------------------------------------
// The rest of the beam's way.

// The energy fluence emitted over the waveform, bins 2 ... 2V: the phases'
// spectra weighted with their tube current.
std::array<double, kSpectrumBins + 1> emitted_spectrum(const ExposureConditions& c, const AttenuationTable& att,
                                                       int top_bin)
{
  const double cot_theta = 1.0 / std::tan(radians(c.AnodeAngle));
  const ElectronTerms terms = electron_terms(top_bin);
  std::array<double, kSpectrumBins + 1> emitted{};
  std::array<double, kSpectrumBins + 1> q{};
  for (const WaveformPhase& phase : waveform_phases(c.Waveform)) {
    // Instantaneous voltage. With pi rounded to 3.14159 the phase 90 gives a
    // voltage a hair (about 1e-12 relative) below the peak; the top bin
    // allows for that, so that the bin at the peak voltage itself (an
    // electron of energy V emitting a photon of energy V) is filled.
    const double v = c.TubeVoltage * std::sin(radians(phase.angle));
    const int top = static_cast<int>(std::floor(2.0 * v + kPeakAllowance));
    bremsstrahlung(v, top, cot_theta, terms, att, q);
    add_k_lines(v, top, q);
    for (int i = 2; i <= top; ++i) emitted[i] += phase.weight * q[i];
  }
  return emitted;
}

// Tube filtration: the inherent and added aluminium and the copper, each
// attenuating exp(-mu(E) t) with mu in 1/cm and t in cm. Turns the emitted
// energy fluence into the photon spectrum (divided by the photon energy)
// and the air-kerma spectrum (weighted with the mass energy absorption of
// air), both not yet normalised.
void filter(const ExposureConditions& c, const AttenuationTable& att, int top_bin,
            std::array<double, kSpectrumBins + 1>& photons, std::array<double, kSpectrumBins + 1>& kerma)
{
  for (int i = 2; i <= top_bin; ++i) {
    const double t = std::exp(-(c.InherentFilter + c.AddedFilterAl) * att.aluminium[i]) *
                     std::exp(-c.AddedFilterCu * att.copper[i]);
    kerma[i] = att.air[i] * t * photons[i];
    photons[i] = t * photons[i] / bin_energy(i);
  }
}

// Below this relative number of photons a bin is written as 0, so that the
// engine draws no histories for the few photons a filter lets through.
constexpr double kLeastPhotons = 1e-10;

// Scales bins 2 ... top_bin to sum 1; returns the sum afterwards (1 up to
// rounding). Throws std::domain_error naming `what` when there is nothing
// to scale.
double normalise(std::array<double, kSpectrumBins + 1>& s, int top_bin, const char* what)
{
  double total = 0.0;
  for (int i = 2; i <= top_bin; ++i) total += s[i];
  if (!(total > 0.0) || !std::isfinite(total)) throw std::domain_error(std::string("numeric error: the ") + what + " is empty");
  double scaled = 0.0;
  for (int i = 2; i <= top_bin; ++i) {
    s[i] /= total;
    scaled += s[i];
  }
  return scaled;
}

// The percentage of air kerma left behind j steps of aluminium, j = 1 ...
// kHvlSteps: every bin of the kerma spectrum attenuated step by step.
std::array<double, kHvlSteps + 1> aluminium_transmission(const std::array<double, kSpectrumBins + 1>& kerma,
                                                         double kerma_total, int top_bin, const AttenuationTable& att)
{
  std::array<double, kHvlSteps + 1> transmission{};
  std::array<double, kSpectrumBins + 1> behind = kerma;
  std::array<double, kSpectrumBins + 1> step_transmission{};
  for (int i = 2; i <= top_bin; ++i) step_transmission[i] = std::exp(-kHvlStepCm * att.aluminium[i]);
  for (int j = 1; j <= kHvlSteps; ++j) {
    double left = 0.0;
    for (int i = 2; i <= top_bin; ++i) {
      behind[i] *= step_transmission[i];
      left += behind[i];
    }
    transmission[j] = 100.0 * left / kerma_total;
  }
  return transmission;
}

}  // namespace

std::vector<WaveformPhase> waveform_phases(int waveform)
{
  std::vector<WaveformPhase> phases;
  switch (waveform) {
    case 1: phases.push_back({90.0, 1.0}); break;
    case 2:
      for (int p = 75; p <= 90; ++p) phases.push_back({static_cast<double>(p), 1.0});
      break;
    case 3:
      // The tube current follows the rising voltage up to 3/4 of the peak
      // and is saturated above it.
      for (int p = 2; p <= 90; p += 2) {
        const double s = std::sin(radians(p));
        phases.push_back({static_cast<double>(p), std::pow(std::min(1.0, s / 0.75), 1.5)});
      }
      break;
    default: throw std::invalid_argument("waveform must be 1, 2 or 3");
  }
  return phases;
}

HalfValueLayer find_half_value_layer(const std::array<double, kHvlSteps + 1>& p)
{
  // Without added aluminium the whole beam is there: 100 % is the bracket
  // below step 1, so that a beam halved within the first step (an
  // unfiltered, very soft beam) gets a layer between 0 and 0.01 cm instead
  // of one extrapolated from steps 1 and 2, which can come out negative.
  auto at = [&](int k) { return k == 0 ? 100.0 : p[k]; };
  for (int k = 1; k <= kHvlSteps; ++k) {
    if (!(p[k] < 50.0)) continue;
    HalfValueLayer h;
    h.found = true;
    double f = 0.0;
    if (p[k] != at(k - 1)) f = (std::log(50.0) - std::log(at(k - 1))) / (std::log(p[k]) - std::log(at(k - 1)));
    h.cm = (k - 1 + f) * kHvlStepCm;
    return h;
  }
  return {};
}

SpectrumResult compute_spectrum(const ExposureConditions& c, const AttenuationTable& att)
{
  if (!(c.TubeVoltage <= 150.0)) throw std::invalid_argument("tube voltage above 150 kV");
  SpectrumResult r;
  r.top_bin = std::max(0, static_cast<int>(std::floor(2.0 * c.TubeVoltage)));
  const int n = r.top_bin;

  r.photons = emitted_spectrum(c, att, n);
  filter(c, att, n, r.photons, r.kerma);
  normalise(r.photons, n, "photon spectrum");
  for (int i = 2; i <= n; ++i)
    if (r.photons[i] < kLeastPhotons) r.photons[i] = 0.0;

  // Half-value layer: the air kerma left behind further aluminium.
  const double kerma_total = normalise(r.kerma, n, "air-kerma spectrum");
  r.transmission = aluminium_transmission(r.kerma, kerma_total, n, att);
  const HalfValueLayer h = find_half_value_layer(r.transmission);
  r.hvl_cm = h.cm;
  r.hvl_found = h.found;
  return r;
}

std::string spectrum_file_text(const std::array<double, kSpectrumBins + 1>& photons)
{
  std::string text;
  text.reserve(kSpectrumBins * 17);
  for (int i = 1; i <= kSpectrumBins; ++i)
    text += format_pattern(0.5 * i, "0000.0") + ", " + format_pattern(photons[i], "0.00000") + "\r\n";
  return text;
}

void write_spectrum_file(const std::filesystem::path& dir, const std::array<double, kSpectrumBins + 1>& photons)
{
  replace_file(dir, "X_SPCTL.dat", spectrum_file_text(photons));
}

std::string half_value_layer_text(const SpectrumResult& s)
{
  return s.hvl_found ? format_pattern(10.0 * s.hvl_cm, "#0.000") : "above 29.9";
}

}  // namespace bsf
