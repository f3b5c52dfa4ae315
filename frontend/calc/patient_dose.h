// From a backscatter factor to the patient's entrance dose: the beam that
// matches a measured half-value layer, and the incident air kerma carried
// to the entrance surface and through the factors and the tissue-to-air
// ratios of the beam's own spectrum.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "exposure.h"
#include "spectrum.h"

namespace bsf {

// ---------------------------------------------------------------------------
// The beam of a measured half-value layer.

// A half-value layer the conditions cannot give with any added aluminium
// from 0 to the limit: the message gives the reachable range.
class HvlOutOfReach : public std::runtime_error {
 public:
  HvlOutOfReach(const std::string& english, std::string japanese, double lowest_cm, double highest_cm)
      : std::runtime_error(english), japanese_(std::move(japanese)), lowest_cm_(lowest_cm), highest_cm_(highest_cm)
  {
  }
  const std::string& japanese() const { return japanese_; }
  double lowest_cm() const { return lowest_cm_; }    // with no added aluminium
  double highest_cm() const { return highest_cm_; }  // with the most, or the search's reach

 private:
  std::string japanese_;
  double lowest_cm_, highest_cm_;
};

struct FiltrationMatch {
  double added_al_cm = 0.0;  // the added aluminium found
  SpectrumResult spectrum;   // the beam with it
};

// The added aluminium (cm, from 0 to `max_added_al_cm`) for which the
// spectrum model's half-value layer of `c` equals `hvl_cm` to 0.001 mm. The
// layer grows steadily with the filtration, so the aluminium is bracketed
// and bisected. Throws HvlOutOfReach when `hvl_cm` lies below the layer
// without added aluminium or above the most the search reaches.
FiltrationMatch added_al_for_hvl(ExposureConditions c, const AttenuationTable& att, double hvl_cm,
                                 double max_added_al_cm);

// ---------------------------------------------------------------------------
// The dose chain.

// The incident air kerma free in air, without backscatter: measured at a
// distance from the focus, or from the tube output at 100 cm times the mAs.
struct AirKermaInput {
  enum class Source { Measured, TubeOutput };
  Source source = Source::Measured;
  double measured_mgy = 0.0;
  double at_cm = 0.0;  // the measuring distance from the focus; 0: at the entrance surface
  double output_ugy_per_mas = 0.0;
  double mas = 0.0;
  std::optional<double> relative_u;  // the user's relative standard uncertainty of the air kerma
};

// Refuses what cannot be carried to the surface (non-positive or
// non-finite values); std::invalid_argument names the input.
void check_air_kerma_input(const AirKermaInput& in);

// The ratio of the mass energy-absorption coefficients of a medium to air,
// averaged over the air-kerma spectrum K(i) of the filtered beam:
// f = sum K(i) mu_m(i)/mu_air(i) / sum K(i).
struct TissueToAir {
  double soft = 0.0;
  double skin = 0.0;
};
TissueToAir tissue_to_air(const SpectrumResult& s, const AttenuationTable& att);

// The factors a dose is formed with, and their standard uncertainties when
// known (a Monte Carlo result).
struct Factors {
  double air_kerma = 0.0;
  double soft_tissue = 0.0;
  double skin = 0.0;
  std::optional<double> u_air_kerma, u_soft_tissue, u_skin;
};

struct EntranceDoses {
  double incident_air_kerma_mgy = 0.0;  // at the entrance surface, no backscatter
  double esak_mgy = 0.0;                // entrance surface air kerma
  double soft_tissue_mgy = 0.0;
  double skin_mgy = 0.0;
  TissueToAir f;
  // Standard uncertainties, where known: the air kerma's own (the user's),
  // the factors' (Monte Carlo), or both combined in quadrature.
  std::optional<double> u_incident_air_kerma_mgy, u_esak_mgy, u_soft_tissue_mgy, u_skin_mgy;
};

// K_i = the incident air kerma carried to the focus-surface distance by the
// inverse square law; ESAK = K_i x BSF(air kerma); the entrance soft-tissue
// and skin doses K_i x f x BSF of their medium.
EntranceDoses entrance_doses(double focus_surface_cm, const AirKermaInput& in, const Factors& factors,
                             const TissueToAir& f);

}  // namespace bsf
