// The files a run writes besides its console: the result as JSON beside
// ResultBSF.txt, and the live status a front end follows. Both are small
// JSON objects, replaced atomically, so a reader never sees half a file.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "file_io.h"
#include "simulation.h"

namespace bsf {

inline constexpr std::string_view kResultJsonFile = "ResultBSF.json";
inline constexpr std::string_view kStatusFile = "EngineStatus.json";

// Replaces `dir / name` (or a file whose name differs only in letter case)
// with `text` through replace_file_nocase (file_io.h): a temporary of the
// same name and six letters or digits, renamed over it. Throws InputError
// naming the file, with the system's reason, when it fails.
void write_run_file(const std::filesystem::path& dir, std::string_view name, std::string_view text,
                    FileSync sync = FileSync::ToDisk);

// A JSON string literal of `s` (quotes, backslashes and control characters
// escaped) and the shortest text of a number that reads back the same.
std::string json_string(std::string_view s);
std::string json_number(double v);

// What ResultBSF.json holds.
struct ResultRecord {
  BackscatterFactors factors;
  BackscatterFactors uncertainties;  // standard, k = 1, absolute
  std::int64_t histories = 0;
  std::int64_t primary_scores = 0;
  int threads = 1;
  double seconds = 0.0;             // wall time of the history loop
  std::string_view phantom;         // "racetrack", "elliptic_cylinder", "cylinder"
};

std::string result_json(const ResultRecord& r);

// The live status of a run, EngineStatus.json: its state ("running",
// "finished" or "failed"), the histories done and to do, the seconds since
// the start, and on failure the exit status and the engine's own message.
// The program, its process id and its start time tell this run's file from
// an earlier run's. While running it is replaced at most once a second;
// the final state always. A status that cannot be written is passed over:
// it never stops a run.
class StatusFile {
 public:
  StatusFile(std::filesystem::path dir, std::string_view program, int threads);

  void running(std::int64_t done, std::int64_t total);
  void finished(std::int64_t done, std::int64_t total);
  void failed(int exit_status, std::string_view message, std::int64_t done, std::int64_t total);

 private:
  void write(std::string_view state, std::int64_t done, std::int64_t total, const std::string& extra);

  std::filesystem::path dir_;
  std::string program_;
  int threads_;
  long pid_;
  std::string started_;  // local time, ISO 8601
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_{};
  bool written_ = false;
};

}  // namespace bsf
