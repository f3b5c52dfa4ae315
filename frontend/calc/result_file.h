// The engine's result file ResultBSF.txt as the Monte Carlo form reads it.
#pragma once

#include <filesystem>
#include <optional>

namespace bsf {

struct EngineResult {
  double air_kerma;    // first value of the file
  double soft_tissue;  // second
  double skin;         // third
};

// Reads the three backscatter factors from the result file in `dir` (its
// name matched without regard to letter case). Nothing (no value at all) when
// the file is missing or incomplete: fewer than three numbers, a number that
// is not whole, or a last line without its line end, which is what a file
// caught while it is being written looks like.
std::optional<EngineResult> read_result_file(const std::filesystem::path& dir);

}  // namespace bsf
