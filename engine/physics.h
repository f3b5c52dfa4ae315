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
#include <type_traits>
#include <vector>

#include "constants.h"
#include "data_files.h"
#include "rng.h"

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
// numbers per Kahn attempt and one per S(q) test. The steps are written as
// small functions of the draws, so that the fast look-up can tabulate them
// for the energy at which a bin's histories start (FastLookup::compton).

// The threshold on the first draw of a Kahn attempt: below or at it, the
// low branch. kappa = 511 keV / E.
inline float kahn_threshold(float kappa) { return (kappa + 2.0f) / (9.0f * kappa + 2.0f); }

// A Kahn candidate from the second draw: the ratio eta of the photon
// energies before and after the event, and the value the third draw must
// stay below for the candidate to be accepted.
struct KahnCandidate {
  float eta;
  float accept_above;  // accepted when accept_above > r3
};

inline KahnCandidate kahn_candidate(float kappa, bool low_branch, float r2)
{
  if (low_branch) {
    const float eta = 1.0f + 2.0f * r2 / kappa;
    return {eta, 4.0f * (1.0f / eta - 1.0f / (eta * eta))};
  }
  const float eta = (kappa + 2.0f) / (kappa + 2.0f * (1.0f - r2));
  const float w = 1.0f + kappa * (1.0f - eta);
  return {eta, 0.5f * (w * w + 1.0f / eta)};
}

// The scattering angle in (0, pi] of an accepted candidate.
inline float compton_angle(float kappa, float eta)
{
  float cos_a = 1.0f - kappa * (eta - 1.0f);
  if (cos_a == 0.0f) return kPi / 2.0f;
  if (cos_a > 1.0f) cos_a = 1.0f;
  float angle = std::atan(sqrt_nonneg(1.0f - cos_a * cos_a) / cos_a);
  // Into (0, pi]; signbit also catches the -0 of an exact backward scatter.
  if (std::signbit(angle)) angle += kPi;
  return angle;
}

// The binding test of an angle at energy e: made when q < 10 1/A, where the
// next draw must not exceed S(q)/S(45).
struct BindingTest {
  bool made;
  float ratio;  // S(q)/S(45)
};

// The momentum transfer q = sin(theta/2)/lambda of the angle at energy e.
inline float momentum_transfer(float e, float angle) { return std::sin(angle / 2.0f) * e / kHc; }

// S(q)/S(45), S interpolated linearly in row j (the row above q).
inline float binding_ratio(const ScatterTable& st, float q, std::size_t j)
{
  const float s = st.s[j - 1] + (q - st.q[j - 1]) * (st.s[j] - st.s[j - 1]) / (st.q[j] - st.q[j - 1]);
  return s / st.s_max;
}

template <class Lookup>
BindingTest binding_test(float e, float angle, const Lookup& lookup)
{
  const float q = momentum_transfer(e, angle);
  if (!(q < kBindingLimitQ)) return {false, 0.0f};
  return {true, binding_ratio(lookup.scatter(), q, static_cast<std::size_t>(lookup.q_row(q)))};
}

// Whether the binding test rejects the angle, drawing its number when the
// test is made. A look-up that knows S(q_{j-1})/S(45) of each row can pass a
// draw at or below it without interpolating: S rises, the interpolated S is
// then at least the row's, and so is its ratio, rounded alike.
template <class Lookup, class Rng>
bool binding_rejects(float e, float angle, const Lookup& lookup, Rng& rng)
{
  const float q = momentum_transfer(e, angle);
  if (!(q < kBindingLimitQ)) return false;
  const std::size_t j = static_cast<std::size_t>(lookup.q_row(q));
  const float r = rng.draw();
  if constexpr (requires { lookup.row_ratio(j); })
    if (r <= lookup.row_ratio(j - 1)) return false;
  return !(binding_ratio(lookup.scatter(), q, j) >= r);
}

// The photon after an event at energy e scattered by `angle`.
inline Scatter compton_outcome(float e, float angle)
{
  const float cos_a = std::cos(angle);
  const float sin_a = std::sin(angle);
  return {e / (1.0f + (e / kElectronMass) * (1.0f - cos_a)), sin_a, cos_a};
}

// The candidate angle from the inversion's draw r at energy e; not
// reachable when its momentum transfer is beyond reach at this energy.
struct RayleighCandidate {
  bool reachable;
  float cos_a;
};

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

  // Compton scattering at energy e with the same draws and results as
  // sample_compton; at the bin's source energy from a table of outcomes.
  template <class Rng>
  Scatter compton(float e, Rng& rng);
  // Rayleigh scattering likewise, as sample_rayleigh.
  template <class Rng>
  Scatter rayleigh(float e, Rng& rng);
  DoseCoefficients primary_dose(float e) { return e == source_e_ ? source_dose_ : compute_dose(e); }
  DoseCoefficients dose(float e) { return compute_dose(e); }
  int q_row(float q) const { return q_index_.find(q); }
  int fc_row(float u) const { return fc_index_.find(u); }
  const ScatterTable& scatter() const { return st_.scatter; }
  // S(q_i)/S(45) of row i, as binding_ratio rounds it.
  float row_ratio(std::size_t i) const { return row_ratio_[i]; }

 private:
  TissueCoefficients compute_tissue(float e) const
  {
    const std::size_t i = static_cast<std::size_t>(tissue_index_.find(e));
    const float p = (std::log(e) - ln_e_[i - 1]) / (ln_e_[i] - ln_e_[i - 1]);
    const float coh = std::exp(ln_coh_[i - 1] + (ln_coh_[i] - ln_coh_[i - 1]) * p);
    const float inc = std::exp(ln_inc_[i - 1] + (ln_inc_[i] - ln_inc_[i - 1]) * p);
    const float pe = std::exp(ln_pe_[i - 1] + (ln_pe_[i] - ln_pe_[i - 1]) * p);
    const float total = pe + inc + coh;
    return {total, pe / total, (pe + coh) / total};
  }
  DoseCoefficients compute_dose(float e) const;

  const SoftTissueData& st_;
  const AbsorptionTable& ab_;
  int rows_;
  // Logarithms of the tissue table (1-based, as the table).
  std::array<float, TissueTable::kMaxRows + 1> ln_e_{}, ln_coh_{}, ln_inc_{}, ln_pe_{};
  // Logarithms of the absorption table.
  std::array<float, kEnergyBins + 1> ln_ea_{}, ln_air_{}, ln_soft_{}, ln_skin_{};
  RowIndex tissue_index_, absorption_index_, q_index_, fc_index_;
  std::array<float, ScatterTable::kRows + 1> row_ratio_{};

  float last_tissue_e_ = -1.0f;
  TissueCoefficients last_tissue_{};
  float source_e_ = -1.0f;
  TissueCoefficients source_tissue_{};
  DoseCoefficients source_dose_{};

  // A Compton event at the source energy is a function of its draws: of
  // the Kahn branch (the first draw against the threshold), of the integer
  // of the second draw, and then of the third draw and the binding draw
  // only through two comparisons. Its outcome, with the tissue coefficients
  // at the energy it leaves, is tabulated by branch and second draw as the
  // draws come, once per bin; the first Compton event of most histories
  // then costs no arctangent, sine, cosine, logarithm or exponential.
  // The candidate's acceptance value is filled at its first draw, the rest
  // (angle, binding test, outcome) at its first acceptance.
  // Touched at every attempt, kept small and filled for the whole bin at
  // once: the acceptance value of the candidate of each branch and second
  // draw (128 KiB).
  std::vector<float> accept_above_;
  // Touched at an acceptance: what the event does.
  struct ComptonEntry {
    BindingTest binding;
    Scatter outcome;
    TissueCoefficients tissue;  // at outcome.energy
    std::uint32_t generation = 0;
  };
  static constexpr std::size_t kCandidates = 16384;  // integers a draw can take
  static std::size_t slot(bool low_branch, std::int32_t v2)
  {
    return (low_branch ? kCandidates : 0) + static_cast<std::size_t>(v2);
  }
  const ComptonEntry& outcome(std::size_t slot, bool low_branch, float r2)
  {
    ComptonEntry& x = outcomes_[slot];
    if (x.generation != generation_) complete(x, low_branch, r2);
    return x;
  }
  void complete(ComptonEntry& x, bool low_branch, float r2);

  float source_kappa_ = 0.0f;
  float source_threshold_ = 0.0f;
  std::uint32_t generation_ = 0;  // of the source energy: older entries are stale
  std::vector<ComptonEntry> outcomes_;

  // A Rayleigh event at the source energy: the candidate of each integer
  // of the inversion's draw and its outcome.
  struct RayleighEntry {
    RayleighCandidate candidate;
    Scatter outcome;
    std::uint32_t generation = 0;
  };
  std::vector<RayleighEntry> rayleigh_;
};

template <class Lookup, class Rng>
Scatter sample_compton(float e, const Lookup& lookup, Rng& rng)
{
  const float kappa = kElectronMass / e;  // inverse photon energy in electron masses
  const float t = kahn_threshold(kappa);
  for (;;) {
    const float r1 = rng.draw();
    const float r2 = rng.draw();
    const float r3 = rng.draw();
    const KahnCandidate c = kahn_candidate(kappa, r1 <= t, r2);
    if (!(c.accept_above > r3)) continue;
    const float angle = compton_angle(kappa, c.eta);
    if (binding_rejects(e, angle, lookup, rng)) continue;
    return compton_outcome(e, angle);
  }
}

// The tables are indexed by the engine generator's integers, 0 ... 16383,
// whose uniform numbers they were filled with; any other generator samples
// without them.
template <class Rng>
inline constexpr bool kTablesFit = std::is_same_v<Rng, TabulatedLaggedFibonacci>;

template <class Rng>
Scatter FastLookup::compton(float e, Rng& rng)
{
  if (!kTablesFit<Rng> || e != source_e_) return sample_compton(e, *this, rng);
  for (;;) {
    const std::int32_t v1 = rng.step();
    const std::int32_t v2 = rng.step();
    const std::int32_t v3 = rng.step();
    const bool low = rng.uniform(v1) <= source_threshold_;
    const std::size_t k = slot(low, v2);
    if (!(accept_above_[k] > rng.uniform(v3))) continue;
    const ComptonEntry& c = outcome(k, low, rng.uniform(v2));
    if (c.binding.made && !(c.binding.ratio >= rng.draw())) continue;
    // The next flight looks up the new energy: its coefficients are at hand.
    last_tissue_e_ = c.outcome.energy;
    last_tissue_ = c.tissue;
    return c.outcome;
  }
}

// Scattering with the lookup's own way when it has one.
template <class Lookup, class Rng>
Scatter scatter_compton(float e, Lookup& lookup, Rng& rng)
{
  if constexpr (requires { lookup.compton(e, rng); }) return lookup.compton(e, rng);
  else return sample_compton(e, lookup, rng);
}

// Coherent (Rayleigh) scattering: q sampled from the cumulative distribution
// of F(q)^2 over q by linear inversion, then the Thomson factor
// (1 + cos^2)/2 as a rejection test. The energy is unchanged. Draws one
// number per inversion and one per Thomson test.

template <class Lookup>
RayleighCandidate rayleigh_candidate(float e, float r, const Lookup& lookup)
{
  const ScatterTable& st = lookup.scatter();
  const float u = r * st.fc_total;
  const std::size_t j = static_cast<std::size_t>(lookup.fc_row(u));
  const float q = st.q[j - 1] + (st.q[j] - st.q[j - 1]) * (u - st.fc[j - 1]) / (st.fc[j] - st.fc[j - 1]);
  const float sin_half = q * kHc / e;
  if (sin_half > 1.0f) return {false, 0.0f};
  return {true, 1.0f - 2.0f * (sin_half * sin_half)};
}

// The Thomson test: the draw r accepts when 2 r <= 1 + cos^2.
inline bool thomson_accepts(float cos_a, float r) { return 2.0f * r <= 1.0f + cos_a * cos_a; }

inline Scatter rayleigh_outcome(float e, float cos_a)
{
  if (cos_a > 1.0f) cos_a = 1.0f;
  return {e, sqrt_nonneg(1.0f - cos_a * cos_a), cos_a};
}

template <class Lookup, class Rng>
Scatter sample_rayleigh(float e, const Lookup& lookup, Rng& rng)
{
  for (;;) {
    const RayleighCandidate c = rayleigh_candidate(e, rng.draw(), lookup);
    if (!c.reachable) continue;
    if (thomson_accepts(c.cos_a, rng.draw())) return rayleigh_outcome(e, c.cos_a);
  }
}

template <class Rng>
Scatter FastLookup::rayleigh(float e, Rng& rng)
{
  if (!kTablesFit<Rng> || e != source_e_) return sample_rayleigh(e, *this, rng);
  for (;;) {
    const std::int32_t v = rng.step();
    RayleighEntry& c = rayleigh_[static_cast<std::size_t>(v)];
    if (c.generation != generation_) {
      c.candidate = rayleigh_candidate(e, rng.uniform(v), *this);
      c.outcome = rayleigh_outcome(e, c.candidate.cos_a);
      c.generation = generation_;
    }
    if (!c.candidate.reachable) continue;
    if (thomson_accepts(c.candidate.cos_a, rng.draw())) return c.outcome;
  }
}

// Scattering with the lookup's own way when it has one.
template <class Lookup, class Rng>
Scatter scatter_rayleigh(float e, Lookup& lookup, Rng& rng)
{
  if constexpr (requires { lookup.rayleigh(e, rng); }) return lookup.rayleigh(e, rng);
  else return sample_rayleigh(e, lookup, rng);
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
