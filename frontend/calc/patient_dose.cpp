#include "patient_dose.h"

#include <cmath>
#include <cstdio>

namespace bsf {

namespace {

// The half-value layer of a beam as a number that also orders beams whose
// layer is beyond the search's 2.99 cm: they count as thicker than any found.
double layer_cm(const SpectrumResult& s) { return s.hvl_found ? s.hvl_cm : kHvlSteps * kHvlStepCm; }

std::string mm(double cm)
{
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", 10.0 * cm);
  return buf;
}

// "equals H to 0.001 mm": within half a unit of the third decimal in mm.
constexpr double kHvlToleranceCm = 0.5e-4;

}  // namespace

FiltrationMatch added_al_for_hvl(ExposureConditions c, const AttenuationTable& att, double hvl_cm,
                                 double max_added_al_cm)
{
  auto beam_with = [&](double added_cm) {
    c.AddedFilterAl = added_cm;
    return compute_spectrum(c, att);
  };
  FiltrationMatch lo{0.0, beam_with(0.0)};
  FiltrationMatch hi{max_added_al_cm, beam_with(max_added_al_cm)};
  const double lowest = layer_cm(lo.spectrum);
  const double highest = hi.spectrum.hvl_found ? hi.spectrum.hvl_cm : (kHvlSteps - 1) * kHvlStepCm;
  if (!(hvl_cm >= lowest - kHvlToleranceCm && hvl_cm <= highest + kHvlToleranceCm)) {
    const std::string range_en = mm(lowest) + " to " + mm(highest) + " mm Al";
    throw HvlOutOfReach("the half-value layer " + mm(hvl_cm) + " mm Al is out of reach of this beam: with 0 to " +
                            mm(max_added_al_cm) + " mm of added aluminium it gives " + range_en,
                        "半価層 " + mm(hvl_cm) + " mm Al はこの条件の X 線では得られません。付加フィルタ (アルミ) 0 〜 " +
                            mm(max_added_al_cm) + " mm で得られる半価層は " + mm(lowest) + " 〜 " + mm(highest) +
                            " mm Al です。",
                        lowest, highest);
  }
  if (std::fabs(layer_cm(lo.spectrum) - hvl_cm) <= kHvlToleranceCm) return lo;
  if (std::fabs(layer_cm(hi.spectrum) - hvl_cm) <= kHvlToleranceCm) return hi;
  // Bisection on the aluminium: the layer rises with it.
  for (int i = 0; i < 100; ++i) {
    const double mid = 0.5 * (lo.added_al_cm + hi.added_al_cm);
    FiltrationMatch m{mid, beam_with(mid)};
    const double layer = layer_cm(m.spectrum);
    if (std::fabs(layer - hvl_cm) <= kHvlToleranceCm && m.spectrum.hvl_found) return m;
    (layer < hvl_cm ? lo : hi) = std::move(m);
  }
  // The layer cannot be split finer than the arithmetic allows: the nearer end.
  return std::fabs(layer_cm(lo.spectrum) - hvl_cm) <= std::fabs(layer_cm(hi.spectrum) - hvl_cm) ? lo : hi;
}

void check_air_kerma_input(const AirKermaInput& in)
{
  auto positive = [](double v) { return std::isfinite(v) && v > 0.0; };
  if (in.source == AirKermaInput::Source::Measured) {
    if (!positive(in.measured_mgy))
      throw std::invalid_argument("the measured incident air kerma must be a positive number of mGy");
    if (!(in.at_cm == 0.0 || positive(in.at_cm)))
      throw std::invalid_argument("the measuring distance must be a positive number of cm");
  } else {
    if (!positive(in.output_ugy_per_mas))
      throw std::invalid_argument("the tube output must be a positive number of uGy/mAs");
    if (!positive(in.mas)) throw std::invalid_argument("the mAs must be a positive number");
  }
  if (in.relative_u && !(std::isfinite(*in.relative_u) && *in.relative_u >= 0.0 && *in.relative_u < 1.0))
    throw std::invalid_argument("the relative uncertainty of the air kerma must lie between 0 and 1");
}

TissueToAir tissue_to_air(const SpectrumResult& s, const AttenuationTable& att)
{
  double k = 0.0, soft = 0.0, skin = 0.0;
  for (int i = 1; i <= kSpectrumBins; ++i) {
    const std::size_t b = static_cast<std::size_t>(i);
    if (!(s.kerma[b] > 0.0)) continue;
    k += s.kerma[b];
    soft += s.kerma[b] * att.soft[b] / att.air[b];
    skin += s.kerma[b] * att.skin[b] / att.air[b];
  }
  if (!(k > 0.0)) return {};
  return {soft / k, skin / k};
}

EntranceDoses entrance_doses(double focus_surface_cm, const AirKermaInput& in, const Factors& factors,
                             const TissueToAir& f)
{
  check_air_kerma_input(in);
  EntranceDoses d;
  d.f = f;
  // Free in air at the entrance surface, by the inverse square law from
  // where it was measured (or from the 100 cm of the tube output).
  if (in.source == AirKermaInput::Source::Measured) {
    const double at = in.at_cm > 0.0 ? in.at_cm : focus_surface_cm;
    d.incident_air_kerma_mgy = in.measured_mgy * (at / focus_surface_cm) * (at / focus_surface_cm);
  } else {
    d.incident_air_kerma_mgy = in.output_ugy_per_mas * in.mas * 1e-3 * (100.0 / focus_surface_cm) * (100.0 / focus_surface_cm);
  }
  d.esak_mgy = d.incident_air_kerma_mgy * factors.air_kerma;
  d.soft_tissue_mgy = d.incident_air_kerma_mgy * f.soft * factors.soft_tissue;
  d.skin_mgy = d.incident_air_kerma_mgy * f.skin * factors.skin;

  // Relative uncertainties add in quadrature: the air kerma's and the factor's.
  const double k_rel = in.relative_u.value_or(0.0);
  auto combined = [&](double dose, double factor, const std::optional<double>& u_factor) -> std::optional<double> {
    if (!in.relative_u && !u_factor) return std::nullopt;
    const double f_rel = u_factor ? *u_factor / factor : 0.0;
    return dose * std::sqrt(k_rel * k_rel + f_rel * f_rel);
  };
  if (in.relative_u) d.u_incident_air_kerma_mgy = d.incident_air_kerma_mgy * k_rel;
  d.u_esak_mgy = combined(d.esak_mgy, factors.air_kerma, factors.u_air_kerma);
  d.u_soft_tissue_mgy = combined(d.soft_tissue_mgy, factors.soft_tissue, factors.u_soft_tissue);
  d.u_skin_mgy = combined(d.skin_mgy, factors.skin, factors.u_skin);
  return d;
}

}  // namespace bsf
