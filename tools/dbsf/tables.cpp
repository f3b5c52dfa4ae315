#include "tables.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <thread>

namespace bsf::dbsf {

double grid_energy(int e) { return e == 1 ? 1.0 : 5.0 * (e - 1); }

BuildResult build_tables(const PhysicsTables& data, const BuildSettings& s,
                         const std::function<void(const std::string&)>& progress)
{
  const int nodes = static_cast<int>(s.node_radii.size());
  std::vector<double> node_theta;
  for (double r : s.node_radii) node_theta.push_back(std::atan(r / kSourceDistance));

  struct Unit {
    int e, node, batch;
  };
  std::vector<Unit> units;
  for (int e = s.first_energy; e <= s.last_energy; ++e)
    for (int n = 0; n < nodes; ++n)
      for (int b = 0; b < s.batches; ++b) units.push_back({e, n, b});
  std::vector<PencilResult> results(units.size());

  const auto t0 = std::chrono::steady_clock::now();
  std::atomic<std::size_t> next{0};
  std::mutex progress_mutex;
  auto worker = [&] {
    for (std::size_t i; (i = next++) < units.size();) {
      const Unit& u = units[i];
      results[i] = run_pencil(data, static_cast<float>(grid_energy(u.e)), node_theta[static_cast<std::size_t>(u.node)],
                              s.histories_per_batch, batch_seed(s.seed, u.e, u.node, u.batch));
      if (progress && u.node == nodes - 1 && u.batch == s.batches - 1) {
        std::lock_guard lock(progress_mutex);
        progress("energy " + std::to_string(grid_energy(u.e)) + " keV done");
      }
    }
  };
  std::vector<std::thread> pool;
  for (int t = 0; t < std::max(1, s.threads); ++t) pool.emplace_back(worker);
  for (auto& t : pool) t.join();

  BuildResult out;
  out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  out.histories = static_cast<std::int64_t>(units.size()) * s.histories_per_batch;
  out.batches.assign(static_cast<std::size_t>(s.batches), Table{});
  auto result_of = [&](int e, int n, int b) -> const PencilResult& {
    const std::size_t i = (static_cast<std::size_t>(e - s.first_energy) * nodes + n) * s.batches + b;
    return results[i];
  };
  for (int b = 0; b < s.batches; ++b) {
    Table& t = out.batches[static_cast<std::size_t>(b)];
    for (int e = s.first_energy; e <= s.last_energy; ++e)
      for (int k = 0; k < kRings; ++k) {
        // Ring k's tilt, and its place between the nodes.
        const double theta = std::atan((kRingWidth * (k + 1) - 0.05) / kSourceDistance);
        int n = 0;
        while (n + 2 < nodes && theta > node_theta[static_cast<std::size_t>(n + 1)]) ++n;
        double f = 0.0;
        if (nodes > 1) {
          f = (theta - node_theta[static_cast<std::size_t>(n)]) /
              (node_theta[static_cast<std::size_t>(n + 1)] - node_theta[static_cast<std::size_t>(n)]);
          f = std::clamp(f, 0.0, 1.0);
        }
        for (int m = 0; m < 3; ++m) {
          const double lo = result_of(e, n, b).ring[static_cast<std::size_t>(k)][static_cast<std::size_t>(m)];
          const double hi = nodes > 1 ? result_of(e, n + 1, b).ring[static_cast<std::size_t>(k)][static_cast<std::size_t>(m)] : lo;
          t[static_cast<std::size_t>(m)][static_cast<std::size_t>(e)][static_cast<std::size_t>(k)] = lo + (hi - lo) * f;
        }
      }
  }
  const double nb = s.batches;
  for (std::size_t m = 0; m < 3; ++m)
    for (std::size_t e = 1; e <= kEnergies; ++e)
      for (std::size_t k = 0; k < kRings; ++k) {
        double sum = 0.0, sum2 = 0.0;
        for (const Table& t : out.batches) {
          sum += t[m][e][k];
          sum2 += t[m][e][k] * t[m][e][k];
        }
        const double mean = sum / nb;
        out.mean[m][e][k] = mean;
        const double var = nb > 1 ? std::max(0.0, (sum2 - nb * mean * mean) / (nb - 1)) : 0.0;
        out.standard_error[m][e][k] = std::sqrt(var / nb);
      }
  return out;
}

std::string table_text(const Table& t, int medium, const std::string& header)
{
  std::string out = header + "\r\n";
  char buf[32];
  for (int k = 0; k < kRings; ++k) {
    std::snprintf(buf, sizeof buf, "%4d", k + 1);
    out += buf;
    for (int e = 1; e <= kEnergies; ++e) {
      std::snprintf(buf, sizeof buf, " %12.5E",
                    t[static_cast<std::size_t>(medium)][static_cast<std::size_t>(e)][static_cast<std::size_t>(k)]);
      out += buf;
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace bsf::dbsf
