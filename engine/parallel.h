// The parallel mode: the histories of the spectrum, in the order the serial
// run takes them, split into a fixed number of work units, each with its own
// stream of the generator jumped far ahead of the others. Worker threads
// take the units one after another; the tallies are summed in unit order.
// The result therefore depends on the number of units, never on the number
// of threads or on which thread ran which unit: one thread and two give the
// same numbers to the last bit. It is statistically equivalent to the exact
// serial run, not identical to it.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

#include "simulation.h"

namespace bsf {

inline constexpr int kWorkUnits = 64;

// Draws between the starts of two units' streams. A history takes some 25
// draws, so even 2^31 histories give a unit fewer than 2^30; the 64 streams
// together span 2^46 draws of the generator's period of about 2^68.
inline constexpr std::uint64_t kUnitSpacing = std::uint64_t{1} << 40;

struct RunTotals {
  Tallies tallies;
  TallyMoments moments;
};

// A unit's share of the run: (bin, histories) in bin order.
using UnitPlan = std::vector<std::pair<int, std::int32_t>>;

// The histories of every bin (as the serial run counts them), laid end to
// end in bin order and cut into `units` consecutive shares of equal size.
std::vector<UnitPlan> plan_units(const Spectrum& spectrum, std::int32_t history_count, int units = kWorkUnits);

// The generator of each unit: the seeded stream, jumped u * kUnitSpacing.
std::vector<LaggedFibonacci> unit_streams(int units = kWorkUnits);

// How far a parallel run has come, for the progress lines and the status.
struct ParallelProgress {
  std::atomic<std::int64_t> histories{0};
  std::atomic<int> units{0};
};

// Runs the units on `threads` worker threads (at least one) and returns
// the totals summed in unit order. The calling thread meanwhile calls
// `tick` about ten times a second (progress lines, the status file).
template <class Phantom, class Tick>
RunTotals run_units(const Phantom& phantom, const SourceSetup& source, const SoftTissueData& tissue,
                    const AbsorptionTable& absorption, const std::vector<UnitPlan>& plans, int threads,
                    ParallelProgress& progress, Tick&& tick)
{
  const std::vector<LaggedFibonacci> streams = unit_streams(static_cast<int>(plans.size()));
  std::vector<RunTotals> results(plans.size());
  std::atomic<std::size_t> next{0};
  auto worker = [&] {
    for (std::size_t u; (u = next.fetch_add(1)) < plans.size();) {
      TabulatedLaggedFibonacci rng(streams[u]);
      HistoryLoop<Phantom, FastPath> loop(phantom, source, tissue, absorption, rng);
      for (const auto& [bin, n] : plans[u]) {
        loop.run_bin(bin, n);
        progress.histories.fetch_add(n, std::memory_order_relaxed);
      }
      results[u] = {loop.tallies(), loop.moments()};
      progress.units.fetch_add(1, std::memory_order_release);
    }
  };
  std::vector<std::jthread> pool;
  for (int t = 0; t < std::max(threads, 1); ++t) pool.emplace_back(worker);
  while (progress.units.load(std::memory_order_acquire) < static_cast<int>(plans.size())) {
    tick();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  pool.clear();  // joins
  tick();

  RunTotals total;
  for (const RunTotals& r : results) {
    total.tallies += r.tallies;
    total.moments += r.moments;
  }
  return total;
}

}  // namespace bsf
