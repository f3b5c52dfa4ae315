// Following an engine run through its log. The launcher starts every engine
// through a small shell wrapper. The wrapper opens the log, holds an
// exclusive lock on it (flock) for as long as it runs, and writes, around
// the engine's own console output (turned into UTF-8), a line with its
// process number when it starts and a line with the engine's exit status
// when it ends:
//
//   Korvane started 2026-12-08T11:43:42 (run 812-17...-1) in /home/user/work   (the front end)
//   Korvane is process 12345                                                  (the wrapper)
//   ... the engine's console output ...
//   Korvane ended with exit status 0                                          (the wrapper)
//
// From the log and its lock anyone can tell whether a run in the folder is
// going on, has finished, or has stopped and why, whether it was started
// by this front end, another one, or a session that has since ended: the
// system releases the lock when the wrapper ends, however it ends.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "result_file.h"

namespace bsf::ui {

// What a run's log says.
struct RunLog {
  bool started = false;        // the wrapper's process line is there
  long pid = 0;                // the wrapper's process number
  bool given_up = false;       // the front end gave this start up before a wrapper took the log
  bool loop_done = false;      // the engine printed its end-of-calculation lines
  bool ended = false;          // the wrapper's exit-status line is there
  int exit_status = -1;        // when ended
  // The engine's own account of why it stopped: its error lines, or the
  // lines it printed after its finish time (no primary score, a result that
  // could not be written). Empty when it printed none.
  std::vector<std::string> engine_message;
};

RunLog parse_run_log(std::string_view text, std::string_view engine);

// The log file of an engine in the working directory: "<engine>.log".
std::filesystem::path run_log_path(const std::filesystem::path& dir, std::string_view engine);

// The engines' names, for looking at every log of a folder.
inline constexpr const char* kEngineNames[] = {"Mirabek", "Teslund", "Korvane"};

// True while a wrapper holds the log's lock, that is while its run goes on.
bool log_held(const std::filesystem::path& log);

// Gives up a start whose wrapper has not taken the log: marks the log under
// its lock, so that a wrapper that comes late leaves the engine alone.
// False when a wrapper holds the log already: the start happened after all.
bool give_up_start(const std::filesystem::path& log, std::string_view engine);

// True while the process `pid` runs: it exists and is not a zombie waiting
// to be reaped (a detached process's new parent may take its time).
bool process_running(long pid);

// Which file a name stands for and its last change: a result file written
// by an engine (a new file renamed over the old one) always differs from
// the one that lay there before, whatever the resolution of the file
// system's clock.
struct FileStamp {
  unsigned long long device = 0, inode = 0;
  long long size = 0, modified_ns = 0;
  bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> file_stamp(const std::filesystem::path& file);

// The stamp of the file `name` in `dir` (matched without regard to letter
// case); nothing when there is none.
std::optional<FileStamp> stamp_of(const std::filesystem::path& dir, std::string_view name);

// The files an engine writes, which a run's record stamps at its start.
inline constexpr std::string_view kResultTxt = "ResultBSF.txt";
inline constexpr std::string_view kResultJson = "ResultBSF.json";
inline constexpr std::string_view kEngineStatus = "EngineStatus.json";

// A run started by this front end.
struct EngineRun {
  std::string engine;                       // "Korvane"
  std::filesystem::path log;                // its log
  // The engine's files as they were when the run started.
  std::optional<FileStamp> result_before, json_before, status_before;
  std::chrono::steady_clock::time_point launched;
};

// The record of a run starting now in `dir`.
EngineRun start_record(std::string engine, std::filesystem::path log, const std::filesystem::path& dir);

// How long a started run may take to write its process line (a terminal
// window opening) before it counts as not started.
inline constexpr std::chrono::seconds kStartGrace{30};

struct RunStatus {
  enum class State {
    Running,   // starting or in its history loop
    Finished,  // ended with status 0, or past its loop waiting for Enter
    Stopped,   // ended without a result, or vanished
  };
  State state = State::Running;
  int exit_status = -1;  // -1 when unknown
  // Why it stopped, in Japanese, for the form.
  std::string reason;
  std::vector<std::string> engine_message;
};

// The state of a run from its log and its process.
RunStatus run_status(const EngineRun& run, std::chrono::steady_clock::time_point now);

// The name of an engine whose run in `dir` is going on (its log held by a
// wrapper, the engine not yet past its loop), if any: the folder belongs to
// that run until it ends. Runs of other front ends and of earlier sessions
// count too.
std::optional<std::string> run_in_progress(const std::filesystem::path& dir);

// True when the file `name` in `dir` is another file, or the same file
// changed, than it was when the run started (`before`).
bool written_since(const std::filesystem::path& dir, std::string_view name, const std::optional<FileStamp>& before);

// The one line that tells the user where a run stands (Japanese): starting;
// running, with the share of histories done, the time since the start and
// an estimate of the time left, from the engine's own status when it has
// one of this run; finished; or stopped and why.
std::string status_line(std::string_view engine, const RunStatus& run, const std::optional<EngineStatus>& engine_status);

// "1 時間 2 分", "3 分 5 秒", "42 秒".
std::string duration_text(double seconds);

// 50000000 as "50,000,000".
std::string grouped(std::int64_t n);

}  // namespace bsf::ui
