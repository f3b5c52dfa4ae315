#include "problem_figures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>

#include "patient_dose.h"
#include "spectrum.h"

namespace bsf {

namespace {

constexpr std::array<double, 4> kCurveVoltages{60.0, 80.0, 100.0, 120.0};

constexpr double kHighKv = 80.0;  // the reference beam, default filtration
constexpr double kLowKv = 60.0;   // filtered to the reference beam's half-value layer
// The most aluminium the 60 kV beam may be given, and how close its
// half-value layer must come to the reference beam's to count as the same.
constexpr double kMaxAddedAlCm = 2.0;
constexpr double kHvlToleranceCm = 0.001;

// The forms' default tube, waveform and filtration at `tube_kv`, with a
// circular field and the receptor on the entrance surface.
ExposureConditions graph_beam(double tube_kv)
{
  ExposureConditions c;
  set_default_conditions(c, 1);
  c.TubeVoltage = tube_kv;
  c.FieldShape = 2;
  c.FieldShort = 0.0;
  c.FieldLong = 0.0;
  c.FocusReceptorDistance = kFocusDistanceCm;
  c.FocusSurfaceDistance = kFocusDistanceCm;
  return c;
}

BsfCurve bsf_curve(double tube_kv, const AttenuationTable& att, const DifferentialTables& tables)
{
  ExposureConditions c = graph_beam(tube_kv);
  const SpectrumResult s = compute_spectrum(c, att);
  c.PhotonSpectrum = s.photons;
  BsfCurve curve{tube_kv, s.hvl_cm, s.hvl_found, {}};
  curve.points.reserve(kDiameterSteps + 1);
  for (int k = 0; k <= kDiameterSteps; ++k) {
    c.FieldLong = k / 5.0;
    estimate_backscatter(c, att, tables);
    curve.points.emplace_back(c.FieldLong, c.BsfSoftTissue);
  }
  return curve;
}

SpectrumCurve spectrum_curve(const ExposureConditions& c, const SpectrumResult& s)
{
  SpectrumCurve curve{c.TubeVoltage, c.InherentFilter + c.AddedFilterAl, s.hvl_cm, s.hvl_found, {}};
  const int top = std::min(s.top_bin, kSpectrumBins);
  const auto at = [&](int i) { return s.photons[static_cast<std::size_t>(i)]; };
  double peak = 0.0;
  for (int i = 2; i <= top; ++i) peak = std::max(peak, at(i));
  if (!(peak > 0.0)) return curve;
  // From the last empty bin below the spectrum (the low energies the
  // filtration removes) up to the tube voltage.
  int first = 2;
  while (first < top && at(first + 1) == 0.0) ++first;
  for (int i = first; i <= top; ++i) curve.points.emplace_back(0.5 * i, at(i) / peak);
  return curve;
}

// The 60 kV beam with the reference beam's half-value layer, its added
// aluminium found by the calculations' search; when even the most aluminium
// allowed (or none at all) misses the layer, the nearest end is taken and
// `matched` stays false.
struct MatchedBeam {
  ExposureConditions c;
  SpectrumResult s;
  bool matched = false;
};

MatchedBeam matched_low_beam(double target_cm, const AttenuationTable& att)
{
  MatchedBeam m{graph_beam(kLowKv), {}, false};
  try {
    const FiltrationMatch f = added_al_for_hvl(m.c, att, target_cm, kMaxAddedAlCm);
    m.c.AddedFilterAl = f.added_al_cm;
    m.s = f.spectrum;
  } catch (const HvlOutOfReach& e) {
    m.c.AddedFilterAl = target_cm < e.lowest_cm() ? 0.0 : kMaxAddedAlCm;
    m.s = compute_spectrum(m.c, att);
  }
  m.matched = m.s.hvl_found && std::abs(m.s.hvl_cm - target_cm) <= kHvlToleranceCm;
  return m;
}

}  // namespace

ProblemFigures compute_problem_figures(const AttenuationTable& att, const DifferentialTables& tables)
{
  ProblemFigures f;
  try {
    const ExposureConditions reference = graph_beam(kHighKv);
    f.total_al_cm = reference.InherentFilter + reference.AddedFilterAl;
    for (double kv : kCurveVoltages) f.bsf.push_back(bsf_curve(kv, att, tables));

    const SpectrumResult high = compute_spectrum(reference, att);
    f.high = spectrum_curve(reference, high);
    if (high.hvl_found) {
      const MatchedBeam low = matched_low_beam(high.hvl_cm, att);
      f.low = spectrum_curve(low.c, low.s);
      f.same_hvl = low.matched;
    } else {
      const ExposureConditions low = graph_beam(kLowKv);
      f.low = spectrum_curve(low, compute_spectrum(low, att));
    }
  } catch (const std::exception& e) {
    f.failure = e.what();
  }
  return f;
}

}  // namespace bsf
