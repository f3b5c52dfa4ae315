// The two graphs of the first explanation page (why backscatter factors
// read from the published graphs are not good enough), computed with the
// program's own spectrum model and differential-backscatter estimate.
//
// Left: the backscatter factor at the centre of a circular field against
// the field diameter, one curve per tube voltage with the default tube
// filtration, each labelled with the half-value layer of its beam: the kind
// of graph the handbooks print. The factor rises from 1 as the field grows,
// because more of the irradiated volume sends scattered photons back to the
// entrance point, and levels off once the field is wider than the range of
// the scattered photons; harder beams scatter further, so their curves rise
// later and higher. The factor drawn is the soft-tissue-dose one, the
// program's nearest counterpart to the water-dose factors of the published
// graphs.
//
// Right: the photon spectra of an 80 kV beam with the default filtration
// and of a 60 kV beam given the aluminium that brings it to the same
// half-value layer. The same half-value layer does not make the same beam.
#pragma once

#include <string>
#include <vector>

#include "estimate.h"
#include "exposure.h"

namespace bsf {

// The estimate counts whole 1-mm rings of the entrance surface, so the
// factor only changes when the diameter passes a multiple of 2 mm; sampling
// at exactly those diameters draws the curve without a sawtooth.
constexpr int kDiameterSteps = 150;  // diameters k/5 cm, k = 0 ... 150
constexpr double kFieldMaxCm = kDiameterSteps / 5.0;

// The focus-to-surface distance of the left graph (the primary fluence
// falls off across the field with the inverse square of the distance from
// the focus). The image receptor is put on the surface, so that the field
// diameter given is the diameter at the surface.
constexpr double kFocusDistanceCm = 100.0;

// A point of a plotted curve.
struct PlotPoint {
  double x = 0.0;
  double y = 0.0;
};

struct BsfCurve {
  double tube_kv = 0.0;
  double hvl_cm = 0.0;
  bool hvl_found = false;
  std::vector<PlotPoint> points;  // (diameter cm, backscatter factor)
};

struct SpectrumCurve {
  double tube_kv = 0.0;
  double total_al_cm = 0.0;  // inherent plus added aluminium
  double hvl_cm = 0.0;
  bool hvl_found = false;
  std::vector<PlotPoint> points;  // (keV, photon number relative to the spectrum's maximum)
};

struct ProblemFigures {
  double total_al_cm = 0.0;  // the filtration of the left graph's beams
  std::vector<BsfCurve> bsf;
  SpectrumCurve high;  // 80 kV
  SpectrumCurve low;   // 60 kV
  bool same_hvl = false;
  std::string failure;  // why the figures could not be computed; empty when they were
};

// Both graphs' curves for the tables given; a calculation that fails is
// reported in `failure`, not thrown.
ProblemFigures compute_problem_figures(const AttenuationTable& att, const DifferentialTables& tables);

}  // namespace bsf
