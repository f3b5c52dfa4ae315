// Following an engine run through its log. The launcher starts every engine
// through a small shell wrapper that writes, around the engine's own console
// output (turned into UTF-8), a line with its process number when it starts
// and a line with the engine's exit status when it ends:
//
//   Korvane started 2026-12-08T11:43:42 in /home/user/work    (the front end)
//   Korvane is process 12345                                  (the wrapper)
//   ... the engine's console output ...
//   Korvane ended with exit status 0                          (the wrapper)
//
// From the log alone anyone can tell whether a run in the folder is going
// on, has finished, or has stopped and why, whether it was started by this
// front end, another one, or a session that has since ended.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bsf::ui {

// What a run's log says.
struct RunLog {
  bool started = false;        // the wrapper's process line is there
  long pid = 0;                // the wrapper's process number
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

// True while the process `pid` runs: it exists and is not a zombie waiting
// to be reaped (a detached process's new parent may take its time).
bool process_running(long pid);

// True while the process `pid` runs and, where the system shows command
// lines (/proc), its command line mentions `mention`: a wrapper started for
// this log, not an unrelated process that got the same number after a
// restart.
bool process_alive(long pid, std::string_view mention);

// A run started by this front end.
struct EngineRun {
  std::string engine;                      // "Korvane"
  std::filesystem::path log;               // its log
  std::filesystem::file_time_type start;   // the log's time of creation, on the file system's clock
  std::chrono::steady_clock::time_point launched;
};

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

// The name of an engine whose run in `dir` is going on (a process line, no
// end, past neither its loop nor its life), if any: the folder belongs to
// that run until it ends. Runs of other front ends and of earlier sessions
// count too.
std::optional<std::string> run_in_progress(const std::filesystem::path& dir);

// True when the result file in `dir` was written at or after `start`
// (file-system times, so that the clocks agree).
bool result_newer_than(const std::filesystem::path& dir, std::filesystem::file_time_type start);

}  // namespace bsf::ui
