// The data files the product installs (data/ of the source tree), loaded
// once per test program: the calculations checked against real physics data.
#pragma once

#include <filesystem>

#include "data_tables.h"
#include "estimate.h"

namespace bsf::test {

inline const std::filesystem::path kDataDir = std::filesystem::path(__FILE__).parent_path() / "../../../data";

inline const AttenuationTable& installed_attenuation()
{
  static const AttenuationTable t = load_attenuation_table(kDataDir);
  return t;
}

inline const DifferentialTables& installed_differential()
{
  static const DifferentialTables t = load_differential_tables(kDataDir);
  return t;
}

}  // namespace bsf::test
