#include "spectrum.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "joken_writer.h"
#include "number_text.h"

namespace bsf {

namespace {
// Allowance on 2V when the top bin of a phase is found: absorbs the rounding
// of sin(90 deg) with pi = 3.14159 (9e-13 relative), far below half a bin.
constexpr double kPeakAllowance = 1e-6;
}  // namespace

namespace {

constexpr double kPi = 3.14159;  // the value used in every degree conversion

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
        const double s = std::sin(kPi * p / 180.0);
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
  const std::vector<WaveformPhase> phases = waveform_phases(c.Waveform);

  SpectrumResult r;
  auto& ps = r.photons;
  const int n = std::max(0, static_cast<int>(std::floor(2.0 * c.TubeVoltage)));
  r.top_bin = n;

  const double cot_theta = 1.0 / std::tan(kPi * c.AnodeAngle / 180.0);

  // Factors of the integrand that depend on the electron energy T = 0.5*j
  // alone, the same in every phase: the relativistic factor over the
  // stopping term, (1 + 511/T)/S(T), and T squared for the depth term.
  std::array<double, kSpectrumBins + 1> per_t{};
  std::array<double, kSpectrumBins + 1> t_squared{};
  const int top_all = std::min(n, kSpectrumBins);
  for (int j = 1; j <= top_all; ++j) {
    const double t = 0.5 * j;
    per_t[j] = (1.0 + 511.0 / t) / (1036.1 * std::exp(-0.04695 * t) + 202.41);
    t_squared[j] = t * t;
  }

  std::array<double, kSpectrumBins + 1> q{};  // kept from phase to phase; only bins up to 2V are used
  for (const WaveformPhase& phase : phases) {
    // Instantaneous voltage. With pi rounded to 3.14159 the phase 90 gives a
    // voltage a hair (about 1e-12 relative) below the peak; the energy
    // limits below allow for that, so that the bin at the peak voltage
    // itself (an electron of energy V emitting a photon of energy V) is
    // filled.
    const double v = c.TubeVoltage * std::sin(kPi * phase.angle / 180.0);
    const double w = phase.weight;
    // Thomson-Whiddington constant of tungsten for electrons starting at V.
    const double ctw = 141766.0 + 12157.0 * v - 111.046 * v * v + 0.552536 * v * v * v - 0.000970158 * v * v * v * v;
    const double rk = v > 70.0 ? (std::sqrt(8.79856 * v - 595.149) - 4.55528) / 4.39928 : 0.0;
    const int top = static_cast<int>(std::floor(2.0 * v + kPeakAllowance));
    // An electron entering at V has slowed to T at the depth
    // (V^2 - T^2)/(rho_W*C_TW) (Thomson-Whiddington law); the photon leaves
    // the target through cot(theta) times that depth of tungsten.
    const double depth_scale = cot_theta / (19.3 * ctw);
    const double v_squared = v * v;
    for (int i = 2; i <= top; ++i) {
      const double e = 0.5 * i;
      const double linear = 0.03658 + 2.9e-5 * e;  // the linear factor uses the photon energy
      const double mu_depth = att.tungsten[i] * depth_scale;
      double sum = 0.0;
      // 0.5*j <= V  <=>  j <= top (j and 2V compared as integers).
      for (int j = i; j <= top; ++j) {
        const double x = e / (0.5 * j);
        const double shape = 1.0 + x * (-5.049 + x * (10.847 + x * (-10.516 + x * 3.842)));
        sum += std::exp(-mu_depth * (v_squared - t_squared[j])) * (linear * shape) * per_t[j];
      }
      q[i] = sum;
    }
    // The K lines appear once electrons can ionise the tungsten K shell
    // with some margin; they are fixed fractions of the bremsstrahlung.
    if (v > 70.0) {
      double total = 0.0;
      for (int i = 2; i <= top; ++i) total += q[i];
      const double a = 0.01 * rk * total;
      q[119] += 0.5048 * a;
      q[116] += 0.2908 * a;
      q[134] += 0.162 * a;
      q[138] += 0.0424 * a;
    }
    for (int i = 2; i <= top; ++i) ps[i] += w * q[i];
  }

  // Tube filtration; the kerma spectrum weights the energy fluence with the
  // mass energy absorption of air, the photon spectrum divides it by the
  // photon energy to count photons.
  auto& kerma = r.kerma;
  for (int i = 2; i <= n; ++i) {
    const double t = std::exp(-(c.InherentFilter + c.AddedFilterAl) * att.aluminium[i]) *
                     std::exp(-c.AddedFilterCu * att.copper[i]);
    kerma[i] = att.air[i] * t * ps[i];
    ps[i] = t * ps[i] / (0.5 * i);
  }

  double total = 0.0;
  for (int i = 2; i <= n; ++i) total += ps[i];
  if (!(total > 0.0) || !std::isfinite(total)) throw std::domain_error("numeric error: the photon spectrum is empty");
  for (int i = 2; i <= n; ++i) {
    ps[i] /= total;
    if (ps[i] < 1e-10) ps[i] = 0.0;
  }

  // Half-value layer: the air kerma left behind further aluminium in steps
  // of 0.01 cm.
  double ktotal = 0.0;
  for (int i = 2; i <= n; ++i) ktotal += kerma[i];
  if (!(ktotal > 0.0) || !std::isfinite(ktotal)) throw std::domain_error("numeric error: the air-kerma spectrum is empty");
  double k0 = 0.0;
  for (int i = 2; i <= n; ++i) {
    kerma[i] /= ktotal;
    k0 += kerma[i];
  }
  std::array<double, kSpectrumBins + 1> behind = kerma;
  std::array<double, kSpectrumBins + 1> step_transmission{};
  for (int i = 2; i <= n; ++i) step_transmission[i] = std::exp(-kHvlStepCm * att.aluminium[i]);
  for (int j = 1; j <= kHvlSteps; ++j) {
    double left = 0.0;
    for (int i = 2; i <= n; ++i) {
      behind[i] *= step_transmission[i];
      left += behind[i];
    }
    r.transmission[j] = 100.0 * left / k0;
  }
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
