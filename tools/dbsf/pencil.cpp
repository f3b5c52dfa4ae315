#include "pencil.h"

#include <cmath>

#include "simulation.h"

namespace bsf::dbsf {

BuilderRng::BuilderRng(std::uint64_t seed)
{
  // splitmix64 fills the state, as the generator's authors recommend.
  for (auto& s : s_) {
    seed += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = seed;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    s = z ^ (z >> 31);
  }
}

std::uint64_t batch_seed(std::uint64_t base, int energy_index, int node, int batch)
{
  std::uint64_t z = base ^ (static_cast<std::uint64_t>(energy_index) << 32) ^
                    (static_cast<std::uint64_t>(node) << 16) ^ static_cast<std::uint64_t>(batch);
  z += 0x9E3779B97F4A7C15ULL;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

PencilResult run_pencil(const PhysicsTables& data, float e0, double tilt, std::int64_t histories,
                        std::uint64_t seed)
{
  FastLookup lookup(data.tissue, data.absorption);
  lookup.set_source_energy(e0);
  BuilderRng rng(seed);
  const FlatSlab slab;
  const bool tilted = tilt > 0.0;
  const Direction start{static_cast<float>(std::sin(tilt)), static_cast<float>(std::cos(tilt)), 0.0f, 1.0f};

  PencilResult r;
  auto score = [&](float e, const Point& p, const Direction& d) {
    if (!(d.cos_theta < 0.0f)) return;
    // Where the flight's line meets the entrance plane.
    const double t = -static_cast<double>(p.z) / d.cos_theta;
    const double xs = p.x + t * d.sin_theta * d.cos_phi;
    const double ys = p.y + t * d.sin_theta * d.sin_phi;
    const double rho = std::sqrt(xs * xs + ys * ys);
    const int k = static_cast<int>(rho / kRingWidth);
    if (k >= kRings) return;
    double kernel = 1.0;
    if (tilted && rho > 0.0) {
      const double c = -xs / rho;  // cos psi, psi from the -x direction
      kernel = 1.0 + 2.0 * c + 2.0 * (2.0 * c * c - 1.0);
    }
    const DoseCoefficients mu = lookup.dose(e);
    const double w = static_cast<double>(e) / std::fabs(d.cos_theta) * kernel;
    auto& ring = r.ring[static_cast<std::size_t>(k)];
    ring[0] += w * mu.air;
    ring[1] += w * mu.soft;
    ring[2] += w * mu.skin;
  };
  for (std::int64_t h = 0; h < histories; ++h)
    transport_photon(slab, lookup, rng, e0, Point{0.0f, 0.0f, 0.0f}, start, score);

  const DoseCoefficients mu0 = lookup.primary_dose(e0);
  const double norm[3] = {histories * static_cast<double>(e0) * mu0.air,
                          histories * static_cast<double>(e0) * mu0.soft,
                          histories * static_cast<double>(e0) * mu0.skin};
  for (auto& ring : r.ring)
    for (int m = 0; m < 3; ++m) ring[static_cast<std::size_t>(m)] /= norm[m];
  return r;
}

}  // namespace bsf::dbsf
