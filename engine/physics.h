// Photon interaction physics of the engine: coefficient look-up in the
// tissue and absorption tables, and the sampling of coherent (Rayleigh) and
// incoherent (Compton) scattering with tabulated binding corrections.
//
// Everything is single precision, evaluated in the written order: the
// results of a run are reproducible bit for bit only as long as every
// expression here keeps its float literals, its float library calls and its
// order of operations.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "constants.h"
#include "data_files.h"

namespace bsf {

// Direction held as the sines and cosines of the polar angle theta (from +z)
// and the azimuth phi (from +x towards +y).
struct Direction {
  float sin_theta;
  float cos_theta;
  float sin_phi;
  float cos_phi;
};

// Square root of an argument that is non-negative in exact arithmetic but may
// come out as a tiny negative number from rounding (a point on a surface, a
// cosine of -1): such an argument is taken as 0.
inline float sqrt_nonneg(float x) { return std::sqrt(x > 0.0f ? x : 0.0f); }

// ---------------------------------------------------------------------------
// Row search: the smallest row i >= 2 of a rising (or non-decreasing) column
// x[1..n] with x[i] > v, or n when v lies at or above the last row (the last
// interval is then used for extrapolation).

inline int find_row_linear(const float* x, int n, float v)
{
  int i = 2;
  while (i < n && !(x[i] > v)) ++i;
  return i;
}

// The same search, started from a row taken from a uniform bucket grid over
// the column's range, so that only a row or two is stepped over. It returns
// exactly the row of find_row_linear for every v.
class RowIndex {
 public:
  RowIndex() = default;
  RowIndex(const float* x, int n, float lo, float hi, int buckets);
  int find(float v) const
  {
    int b = 0;
    if (v > lo_) {
      const float f = (v - lo_) * inv_width_;
      b = f < static_cast<float>(buckets_) ? static_cast<int>(f) : buckets_;
    }
    int i = start_[static_cast<std::size_t>(b)];
    while (i < n_ && !(x_[i] > v)) ++i;
    return i;
  }

 private:
  const float* x_ = nullptr;
  int n_ = 0;
  float lo_ = 0.0f;
  float inv_width_ = 0.0f;
  int buckets_ = 0;
  std::vector<int> start_;  // start row per bucket, never past the answer
};

// ---------------------------------------------------------------------------
// Coefficients at a photon energy.

// Interaction coefficients of soft tissue at E, as the transport uses them.
struct TissueCoefficients {
  float mu_total;          // 1/cm, inverse mean free path
  float p_photo;           // photoelectric share
  float p_photo_coherent;  // photoelectric plus coherent share
};

// Mass energy-absorption coefficients of the three scoring media at E.
struct DoseCoefficients {
  float air;
  float soft;
  float skin;
};

// Log-log interpolation in the tissue table, written out as the physics
// defines it: search from row 2, logarithms of the table values taken on
// every call.
TissueCoefficients tissue_coefficients(const TissueTable& t, float e);

// Log-log interpolation in the absorption table, likewise.
DoseCoefficients dose_coefficients(const AbsorptionTable& a, float e);

// The reference look-up: the two functions above, with linear searches in
// the scattering-function table. Slow and obviously right; the fast look-up
// must reproduce it bit for bit.
class ReferenceLookup {
 public:
  ReferenceLookup(const SoftTissueData& st, const AbsorptionTable& ab) : st_(st), ab_(ab) {}
  void set_source_energy(float) {}
  TissueCoefficients tissue(float e) { return tissue_coefficients(st_.tissue, e); }
  DoseCoefficients primary_dose(float e) { return dose_coefficients(ab_, e); }
  DoseCoefficients dose(float e) { return dose_coefficients(ab_, e); }
  int q_row(float q) const { return find_row_linear(st_.scatter.q.data(), ScatterTable::kRows, q); }
  int fc_row(float u) const { return find_row_linear(st_.scatter.fc.data(), ScatterTable::kRows, u); }
  const ScatterTable& scatter() const { return st_.scatter; }

 private:
  const SoftTissueData& st_;
  const AbsorptionTable& ab_;
};

// The fast look-up: the same arithmetic on logarithms taken once at load,
// bucketed row searches, and caches of the last results. A photon's energy
// repeats often (every history of a bin starts at the same energy, coherent
// scattering keeps it), and a repeated energy gives the same coefficients.
class FastLookup {
 public:
  FastLookup(const SoftTissueData& st, const AbsorptionTable& ab);

  // Announces the energy at which the histories of the next bin start.
  void set_source_energy(float e);

  TissueCoefficients tissue(float e)
  {
    if (e == last_tissue_e_) return last_tissue_;
    if (e == source_e_) return source_tissue_;
    last_tissue_e_ = e;
    last_tissue_ = compute_tissue(e);
    return last_tissue_;
  }
  DoseCoefficients primary_dose(float e) { return e == source_e_ ? source_dose_ : compute_dose(e); }
  DoseCoefficients dose(float e) { return compute_dose(e); }
  int q_row(float q) const { return q_index_.find(q); }
  int fc_row(float u) const { return fc_index_.find(u); }
  const ScatterTable& scatter() const { return st_.scatter; }

 private:
  TissueCoefficients compute_tissue(float e) const;
  DoseCoefficients compute_dose(float e) const;

  const SoftTissueData& st_;
  const AbsorptionTable& ab_;
  int rows_;
  // Logarithms of the tissue table (1-based, as the table).
  std::array<float, TissueTable::kMaxRows + 1> ln_e_{}, ln_coh_{}, ln_inc_{}, ln_pe_{};
  // Logarithms of the absorption table.
  std::array<float, kEnergyBins + 1> ln_ea_{}, ln_air_{}, ln_soft_{}, ln_skin_{};
  RowIndex tissue_index_, absorption_index_, q_index_, fc_index_;

  float last_tissue_e_ = -1.0f;
  TissueCoefficients last_tissue_{};
  float source_e_ = -1.0f;
  TissueCoefficients source_tissue_{};
  DoseCoefficients source_dose_{};
};

// ---------------------------------------------------------------------------
// Scattering.

// Outcome of one scattering event: the new energy (keV) and the sine and
// cosine of the scattering angle.
struct Scatter {
  float energy;
  float sin_angle;
  float cos_angle;
};

// Incoherent (Compton) scattering by Kahn's rejection method from the
// Klein-Nishina cross-section, with the incoherent scattering function S(q)
// of soft tissue as a further rejection test for electron binding (skipped
// for q >= 10 1/A, where S has reached its free-electron limit). Draws three
// numbers per Kahn attempt and one per S(q) test.
template <class Lookup, class Rng>
Scatter sample_compton(float e, const Lookup& lookup, Rng& rng)
{
  const ScatterTable& st = lookup.scatter();
  const float kappa = kElectronMass / e;  // inverse photon energy in electron masses
  const float t = (kappa + 2.0f) / (9.0f * kappa + 2.0f);
  float angle;
  for (;;) {
    const float r1 = rng.draw();
    const float r2 = rng.draw();
    const float r3 = rng.draw();
    float eta;  // ratio of the photon energies before and after the event
    bool accept;
    if (r1 <= t) {
      eta = 1.0f + 2.0f * r2 / kappa;
      accept = 4.0f * (1.0f / eta - 1.0f / (eta * eta)) > r3;
    } else {
      eta = (kappa + 2.0f) / (kappa + 2.0f * (1.0f - r2));
      const float w = 1.0f + kappa * (1.0f - eta);
      accept = 0.5f * (w * w + 1.0f / eta) > r3;
    }
    if (!accept) continue;

    float cos_a = 1.0f - kappa * (eta - 1.0f);
    if (cos_a == 0.0f) {
      angle = kPi / 2.0f;
    } else {
      if (cos_a > 1.0f) cos_a = 1.0f;
      angle = std::atan(sqrt_nonneg(1.0f - cos_a * cos_a) / cos_a);
      // Into (0, pi]; signbit also catches the -0 of an exact backward scatter.
      if (std::signbit(angle)) angle += kPi;
    }

    const float q = std::sin(angle / 2.0f) * e / kHc;
    if (q < kBindingLimitQ) {
      const int j = lookup.q_row(q);
      const std::size_t jj = static_cast<std::size_t>(j);
      const float s = st.s[jj - 1] + (q - st.q[jj - 1]) * (st.s[jj] - st.s[jj - 1]) /
                                         (st.q[jj] - st.q[jj - 1]);
      const float r = rng.draw();
      if (!(s / st.s_max >= r)) continue;
    }
    break;
  }
  const float cos_a = std::cos(angle);
  const float sin_a = std::sin(angle);
  return {e / (1.0f + (e / kElectronMass) * (1.0f - cos_a)), sin_a, cos_a};
}

// Coherent (Rayleigh) scattering: q sampled from the cumulative distribution
// of F(q)^2 over q by linear inversion, then the Thomson factor
// (1 + cos^2)/2 as a rejection test. The energy is unchanged. Draws one
// number per inversion and one per Thomson test.
template <class Lookup, class Rng>
Scatter sample_rayleigh(float e, const Lookup& lookup, Rng& rng)
{
  const ScatterTable& st = lookup.scatter();
  float cos_a;
  for (;;) {
    const float u = rng.draw() * st.fc_total;
    const std::size_t j = static_cast<std::size_t>(lookup.fc_row(u));
    const float q = st.q[j - 1] + (st.q[j] - st.q[j - 1]) * (u - st.fc[j - 1]) /
                                      (st.fc[j] - st.fc[j - 1]);
    const float sin_half = q * kHc / e;
    if (sin_half > 1.0f) continue;  // momentum transfer beyond reach at this energy
    cos_a = 1.0f - 2.0f * (sin_half * sin_half);
    const float r = rng.draw();
    if (2.0f * r <= 1.0f + cos_a * cos_a) break;
  }
  if (cos_a > 1.0f) cos_a = 1.0f;
  return {e, sqrt_nonneg(1.0f - cos_a * cos_a), cos_a};
}

// Turns the direction `d` by the scattering angle (sin_a, cos_a) at the
// azimuth psi about the old direction.
inline Direction rotate(const Direction& d, float sin_a, float cos_a, float sin_psi, float cos_psi)
{
  Direction n;
  n.cos_theta = sin_a * cos_psi * d.sin_theta + cos_a * d.cos_theta;
  if (n.cos_theta > 1.0f) n.cos_theta = 1.0f;
  if (n.cos_theta < -1.0f) n.cos_theta = -1.0f;
  n.sin_theta = std::sqrt(1.0f - n.cos_theta * n.cos_theta);
  if (n.sin_theta == 0.0f) {
    n.sin_phi = 0.0f;
    n.cos_phi = 1.0f;
    return n;
  }
  const float s_delta = sin_a * sin_psi / n.sin_theta;
  if (d.sin_theta == 0.0f) {
    n.sin_phi = sin_psi;
    n.cos_phi = -cos_psi;
  } else {
    const float c_delta = (cos_a - n.cos_theta * d.cos_theta) / (n.sin_theta * d.sin_theta);
    n.sin_phi = c_delta * d.sin_phi + s_delta * d.cos_phi;
    n.cos_phi = c_delta * d.cos_phi - s_delta * d.sin_phi;
  }
  return n;
}

}  // namespace bsf
