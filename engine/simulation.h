// The history loop: the photon source, the transport through the phantom
// and the scoring on the entrance disc, written once for the three phantom
// shapes and for both coefficient look-ups (the reference and the fast one).
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>

#include "data_files.h"
#include "geometry.h"
#include "physics.h"
#include "rng.h"

namespace bsf {

// Radius^2 (cm^2) of the scoring disc on the entrance plane around the axis.
inline constexpr float kDiscRadius2 = 0.25f;

// Lowest spectrum bin that is simulated: bins 1-9 (below 5 keV) never are.
inline constexpr int kFirstSimulatedBin = 10;

// The six dose tallies. Each contribution is formed in single precision; the
// sums are double precision, because tens of millions of float additions
// would lose the small contributions against the large sum.
struct Tallies {
  double PrimaryAir = 0.0;
  double PrimarySoftTissue = 0.0;
  double PrimarySkin = 0.0;
  double BackscatterAir = 0.0;
  double BackscatterSoftTissue = 0.0;
  double BackscatterSkin = 0.0;
};

// The three backscatter factors, air dose, soft-tissue dose, skin dose:
// (backscatter + primary) / primary, medium by medium.
struct BackscatterFactors {
  double air;
  double soft_tissue;
  double skin;
};

BackscatterFactors backscatter_factors(const Tallies& t);

// Per-history second moments of the scores, medium by medium (air, soft
// tissue, skin): a history scores at most one primary crossing P_h and one
// backscattered photon S_h, and the sums of P_h^2, S_h^2 and P_h*S_h,
// together with the tallies (the sums of P_h and S_h) and the number of
// histories, give the variances and the covariance of the two sums.
struct TallyMoments {
  std::array<double, 3> pp{};  // sum of P_h^2
  std::array<double, 3> ss{};  // sum of S_h^2
  std::array<double, 3> ps{};  // sum of P_h * S_h
  std::int64_t histories = 0;       // histories run, scoring or not
  std::int64_t primary_scores = 0;  // histories whose photon crossed the disc

  TallyMoments& operator+=(const TallyMoments& o);
};

Tallies& operator+=(Tallies& a, const Tallies& b);

// Standard uncertainties (k = 1) of the three factors BSF = (P + S)/P =
// 1 + S/P, by first-order propagation for the ratio of the two correlated
// sums over N histories:
//   var(S/P) = (var S - 2 R cov(S, P) + R^2 var P) / P^2,  R = S/P,
// with var S = sum S_h^2 - (sum S_h)^2 / N and alike. The histories of a
// run are stratified by spectrum bin; treating them as independent draws
// from the whole spectrum counts the spread between bins as noise, which
// slightly overstates the uncertainty.
BackscatterFactors factor_uncertainties(const Tallies& t, const TallyMoments& m);

// The source: a point focus at (0, 0, -F) and the quadrant x > 0, y > 0 of
// the field on the entrance plane. By the symmetry of field and phantom the
// quadrant stands for the whole field, and the factors are ratios, so no
// factor of four enters anywhere.
struct SourceSetup {
  float F;           // focus-surface distance, cm
  float HalfFieldX;  // half field width at the entrance plane along x, cm
  float HalfFieldY;  // along y, cm
};

template <class Phantom>
SourceSetup make_source(const RunConditions& rc, const Phantom& phantom)
{
  SourceSetup s;
  s.F = rc.FocusSurfaceDistance;
  s.HalfFieldX = rc.FieldShort * rc.FocusSurfaceDistance * 0.5f / rc.FocusReceptorDistance;
  s.HalfFieldY = rc.FieldLong * rc.FocusSurfaceDistance * 0.5f / rc.FocusReceptorDistance;
  s.HalfFieldX = phantom.cap_half_field_x(s.HalfFieldX);
  return s;
}

// The share of source points whose rays the history loop accepts. Source
// points lie on the grid of draw steps (multiples of 1/16384.1 of the half
// field); every 64th step along each axis, 65536 points in all, stands for
// the grid. A point is accepted when both its coordinates are above 0 in
// single precision (a field too small for the grid underflows to 0 there)
// and, for a phantom that redraws its misses, when its ray reaches the
// phantom. A share near 0 would make the loop redraw for ever.
template <class Phantom>
double source_share(const Phantom& phantom, const SourceSetup& s)
{
  constexpr std::int32_t kStride = 64;
  long accepted = 0, total = 0;
  for (std::int32_t i = 1; i < LaggedFibonacci::kModulus; i += kStride) {
    const float x0 = LaggedFibonacci::to_uniform(i) * s.HalfFieldX;
    for (std::int32_t j = 1; j < LaggedFibonacci::kModulus; j += kStride) {
      const float y0 = LaggedFibonacci::to_uniform(j) * s.HalfFieldY;
      ++total;
      if (!(x0 * y0 > 0.0f)) continue;
      if (Phantom::kRedrawOnMiss && !phantom.entry(x0, y0, s.F)) continue;
      ++accepted;
    }
  }
  return static_cast<double>(accepted) / static_cast<double>(total);
}

// Number of histories of a bin: w * HistoryCount in single precision,
// truncated (and held within the 32-bit range).
inline std::int32_t histories_in_bin(float weight, std::int32_t history_count)
{
  const float n = weight * static_cast<float>(history_count);
  if (!(n < 2147483647.0f)) return n > 0.0f ? 2147483647 : 0;
  return static_cast<std::int32_t>(n);
}

// Follows one photon through the phantom by free flights and interactions
// until it is absorbed, falls below the cut-off or leaves the phantom. A
// flight that ends `Out` calls on_out(E, start point of the flight,
// direction) before the history ends. Shared by the engine's history loop
// and by the builder of the differential backscatter tables, so that both
// follow photons with the same physics and the same order of draws.
template <class Phantom, class Lookup, class Rng, class OnOut>
inline void transport_photon(const Phantom& phantom, Lookup& lookup, Rng& rng, float e, Point p,
                             Direction dir, OnOut&& on_out)
{
  for (;;) {
    if (e < kCutoffEnergy) return;
    const TissueCoefficients mu = lookup.tissue(e);

    // Two numbers per flight, drawn again while the first is 0 (u > 0
    // exactly when the integer drawn is above 0): the path length and the
    // kind of interaction.
    std::int32_t v1, v2;
    do {
      v1 = rng.step();
      v2 = rng.step();
    } while (v1 == 0);
    const float r2 = rng.uniform(v2);
    const float s = rng.neg_log_uniform(v1) / mu.mu_total;  // -ln(r1) / mu
    const float x1 = p.x + s * dir.sin_theta * dir.cos_phi;
    const float y1 = p.y + s * dir.sin_theta * dir.sin_phi;
    const float z1 = p.z + s * dir.cos_theta;

    switch (phantom.classify(x1, y1, z1)) {
      case Region::Lost:
        return;
      case Region::Out:
        on_out(e, p, dir);
        return;
      case Region::Inside:
        p = {x1, y1, z1};
        break;
    }

    if (r2 < mu.p_photo) return;  // photoelectric absorption
    const Scatter sc = r2 < mu.p_photo_coherent ? scatter_rayleigh(e, lookup, rng)
                                                : scatter_compton(e, lookup, rng);
    e = sc.energy;
    if (e < kCutoffEnergy) return;  // before the azimuth is drawn
    const auto psi = rng.azimuth(rng.step());  // psi = 2 pi r
    dir = rotate(dir, sc.sin_angle, sc.cos_angle, psi.sin_psi, psi.cos_psi);
  }
}

// The two ways through the loop. The reference path is the physics written
// out literally: every look-up searched from row 2 with the logarithms taken
// on the spot, every draw divided, every free path a logarithm. The fast path
// tabulates what is fixed and caches what repeats; it draws the same numbers
// and gives the same tallies to the last bit, which the tests check.
struct ReferencePath {
  using Rng = LaggedFibonacci;
  using Lookup = ReferenceLookup;
};
struct FastPath {
  using Rng = TabulatedLaggedFibonacci;
  using Lookup = FastLookup;
};

template <class Phantom, class Path>
class HistoryLoop {
 public:
  using Rng = typename Path::Rng;
  using Lookup = typename Path::Lookup;

  HistoryLoop(const Phantom& phantom, const SourceSetup& source, const SoftTissueData& tissue,
              const AbsorptionTable& absorption, Rng& rng)
      : phantom_(phantom), src_(source), lookup_(tissue, absorption), rng_(rng)
  {
  }

  // Runs the whole spectrum: for every bin k = 10 ... 300 with at least one
  // history, calls `on_bin(k)` (the progress line) and runs its histories.
  void run(const Spectrum& spectrum, std::int32_t history_count,
           const std::function<void(int)>& on_bin = {})
  {
    for (int k = kFirstSimulatedBin; k <= kEnergyBins; ++k) {
      const std::int32_t n = histories_in_bin(spectrum.weight[static_cast<std::size_t>(k)], history_count);
      if (n <= 0) continue;
      if (on_bin) on_bin(k);
      run_bin(k, n);
    }
  }

  // Runs n histories at the energy of bin k, 0.5*k keV.
  void run_bin(int k, std::int32_t n)
  {
    const float e0 = 0.5f * static_cast<float>(k);
    lookup_.set_source_energy(e0);
    for (std::int32_t h = 0; h < n; ++h) history(e0);
    moments_.histories += n;
  }

  const Tallies& tallies() const { return tallies_; }
  const TallyMoments& moments() const { return moments_; }
  // Histories run so far.
  std::int64_t histories() const { return moments_.histories; }

 private:
  // One history: a source point on the field quadrant, the entry point, the
  // primary score, then the transport until the photon is gone.
  void history(float e)
  {
    const float f = src_.F;
    float x0, y0;
    Point p;
    for (;;) {
      const float r1 = rng_.draw();
      const float r2 = rng_.draw();
      x0 = r1 * src_.HalfFieldX;
      y0 = r2 * src_.HalfFieldY;
      if (!(x0 * y0 > 0.0f)) continue;  // a draw of exactly 0
      const auto hit = phantom_.entry(x0, y0, f);
      if (hit) {
        p = *hit;
        break;
      }
      if constexpr (Phantom::kRedrawOnMiss) continue;
      else return;  // counts as a history and scores nothing
    }
    const float source_weight = f * f / (y0 * y0 + f * f + x0 * x0);

    // Start direction: from the focus towards (x0, y0, 0).
    const float rho0 = std::sqrt(x0 * x0 + y0 * y0);
    const float d = std::sqrt(rho0 * rho0 + f * f);
    Direction dir;
    dir.cos_phi = x0 / rho0;
    dir.sin_phi = y0 / rho0;
    dir.cos_theta = f / d;
    dir.sin_theta = rho0 / d;

    // Primary dose: the photon crosses the disc on its way in, before and
    // regardless of what it does in the phantom.
    history_p_ = {};
    history_s_ = {};
    if (x0 * x0 + y0 * y0 <= kDiscRadius2) {
      const DoseCoefficients mu = lookup_.primary_dose(e);
      history_p_ = {static_cast<double>(e * mu.air), static_cast<double>(e * mu.soft),
                    static_cast<double>(e * mu.skin)};
      tallies_.PrimaryAir += history_p_[0];
      tallies_.PrimarySoftTissue += history_p_[1];
      tallies_.PrimarySkin += history_p_[2];
      ++moments_.primary_scores;
    }

    transport(e, p, dir, source_weight);

    if (history_p_[0] == 0.0 && history_s_[0] == 0.0) return;
    for (std::size_t m = 0; m < 3; ++m) {
      moments_.pp[m] += history_p_[m] * history_p_[m];
      moments_.ss[m] += history_s_[m] * history_s_[m];
      moments_.ps[m] += history_p_[m] * history_s_[m];
    }
  }

  void transport(float e, Point p, Direction dir, float source_weight)
  {
    transport_photon(phantom_, lookup_, rng_, e, p, dir,
                     [&](float e_out, const Point& from, const Direction& d) {
                       score_backscatter(e_out, from, d, source_weight);
                     });
  }

  // A photon that left through the front: scored if its line, followed back
  // from the flight's start point, meets the entrance plane within the disc.
  // The weight 1/|cos theta| turns a crossing of the plane into fluence.
  void score_backscatter(float e, const Point& p, const Direction& dir, float source_weight)
  {
    if (!(dir.cos_theta < 0.0f)) return;  // moving away from the source
    const float t = -p.z / dir.cos_theta;
    const float xs = p.x + t * dir.sin_theta * dir.cos_phi;
    const float ys = p.y + t * dir.sin_theta * dir.sin_phi;
    if (xs * xs + ys * ys > kDiscRadius2) return;
    const DoseCoefficients mu = lookup_.dose(e);
    const float c = std::fabs(dir.cos_theta);
    // A history ends when its photon leaves, so this is its only score.
    history_s_ = {static_cast<double>(e * mu.air * source_weight / c),
                  static_cast<double>(e * mu.soft * source_weight / c),
                  static_cast<double>(e * mu.skin * source_weight / c)};
    tallies_.BackscatterAir += history_s_[0];
    tallies_.BackscatterSoftTissue += history_s_[1];
    tallies_.BackscatterSkin += history_s_[2];
  }

  const Phantom& phantom_;
  SourceSetup src_;
  Lookup lookup_;
  Rng& rng_;
  Tallies tallies_;
  TallyMoments moments_;
  // This history's scores, for the moments.
  std::array<double, 3> history_p_{}, history_s_{};
};

}  // namespace bsf
