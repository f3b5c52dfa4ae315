// The three differential backscatter tables from pencil runs at a few tilt
// nodes, in independent batches.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pencil.h"

namespace bsf::dbsf {

inline constexpr int kEnergies = 31;  // 1, 5, 10, ..., 150 keV
inline constexpr double kSourceDistance = 100.0;  // cm, the point source of the tables

struct BuildSettings {
  std::vector<double> node_radii{0.0, 10.0, 20.0, 30.0};  // cm at the source distance; {0} for a perpendicular beam
  std::int64_t histories_per_batch = 1000000;              // per energy, node and batch
  int batches = 20;
  int threads = 2;
  std::uint64_t seed = 20261208;
  int first_energy = 2;  // grid index; 1 (1 keV) is always 0
  int last_energy = kEnergies;
};

// dBSF(e, k) per medium (0 air, 1 soft tissue, 2 skin), e = 1 ... 31 (index
// 0 unused), k = 0 ... 299, for one batch.
using Table = std::array<std::array<std::array<double, kRings>, kEnergies + 1>, 3>;

struct BuildResult {
  std::vector<Table> batches;
  Table mean{};
  Table standard_error{};
  double seconds = 0.0;
  std::int64_t histories = 0;
};

double grid_energy(int e);  // keV of grid index e

// Runs every energy, node and batch on `threads` threads and interpolates
// each ring between the tilt nodes at theta_k = atan(r_k / 100 cm).
BuildResult build_tables(const PhysicsTables& data, const BuildSettings& s,
                         const std::function<void(const std::string&)>& progress = {});

// The text of one table file: a header line, then 300 records of the ring
// index and the 31 values.
std::string table_text(const Table& t, int medium, const std::string& header);

}  // namespace bsf::dbsf
