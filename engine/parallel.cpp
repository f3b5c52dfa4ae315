#include "parallel.h"

namespace bsf {

std::vector<UnitPlan> plan_units(const Spectrum& spectrum, std::int32_t history_count, int units)
{
  std::vector<std::pair<int, std::int64_t>> bins;  // (bin, first history), in bin order
  std::int64_t total = 0;
  std::vector<std::int32_t> counts;
  for (int k = kFirstSimulatedBin; k <= kEnergyBins; ++k) {
    const std::int32_t n = histories_in_bin(spectrum.weight[static_cast<std::size_t>(k)], history_count);
    if (n <= 0) continue;
    bins.push_back({k, total});
    counts.push_back(n);
    total += n;
  }
  std::vector<UnitPlan> plans(static_cast<std::size_t>(units));
  for (int u = 0; u < units; ++u) {
    const std::int64_t from = total * u / units;
    const std::int64_t to = total * (u + 1) / units;
    for (std::size_t b = 0; b < bins.size(); ++b) {
      const std::int64_t lo = std::max(from, bins[b].second);
      const std::int64_t hi = std::min(to, bins[b].second + counts[b]);
      if (hi > lo) plans[static_cast<std::size_t>(u)].push_back({bins[b].first, static_cast<std::int32_t>(hi - lo)});
    }
  }
  return plans;
}

std::vector<LaggedFibonacci> unit_streams(int units)
{
  std::vector<LaggedFibonacci> streams;
  const JumpAhead jump(kUnitSpacing);
  LaggedFibonacci g;
  for (int u = 0; u < units; ++u) {
    streams.push_back(g);
    g = jump.apply(g);
  }
  return streams;
}

}  // namespace bsf
