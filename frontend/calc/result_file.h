// What a Monte Carlo engine leaves in its working directory, as the front
// ends read it: the result (ResultBSF.txt, and ResultBSF.json with the
// uncertainties) and the live status of a run (EngineStatus.json).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

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

// ResultBSF.json: the factors with their standard uncertainties and the run.
struct EngineResultJson {
  EngineResult factors;
  EngineResult uncertainties;  // standard (k = 1), absolute
  std::int64_t histories = 0;
  std::int64_t primary_scores = 0;
  int threads = 1;
  double seconds = 0.0;
  std::string phantom;  // "racetrack", "elliptic_cylinder", "cylinder"
};

// Nothing when the file is missing, is not whole JSON, or lacks a key.
std::optional<EngineResultJson> read_result_json(const std::filesystem::path& dir);

// EngineStatus.json.
struct EngineStatus {
  std::string state;  // "running", "finished", "failed"
  std::int64_t histories_done = 0;
  std::int64_t histories_total = 0;
  double elapsed_seconds = 0.0;
  int threads = 1;
  std::string program;
  long pid = 0;
  std::string started;
  int exit_status = -1;  // when finished or failed
  std::string message;   // when failed: the engine's own
};

std::optional<EngineStatus> read_engine_status(const std::filesystem::path& dir);

}  // namespace bsf
