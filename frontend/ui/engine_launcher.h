// Starting a Monte Carlo engine for the chosen phantom: by its absolute path,
// in the working directory, with no arguments, in a terminal window
// of its own (or detached when there is none), without waiting for it, and
// with its console kept in a log that tells how the run went (engine_run.h).
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <vector>

#include "engine_run.h"
#include "exposure.h"

namespace bsf::ui {

// The engine program of a phantom shape code: 1 Mirabek (circular
// cylinder), 2 Teslund (elliptic cylinder), 4 Korvane (racetrack); empty for
// any other code.


// A terminal emulator and the arguments that put a command after it.
struct Terminal {
  QString program;      // looked up on PATH
  QStringList command;  // the arguments that precede the command's own argv
};

// What was started, for the form to tell the user and to follow the run.
struct EngineStart {
  QString program;   // absolute path of the engine
  QString terminal;  // the terminal emulator used; empty when none was found
  QString log_file;  // where the console output goes, in either case
  EngineRun run;
};

// The engine could not be found or started. what() is English; japanese()
// says the same for the windows.
class EngineStartError : public std::runtime_error {
 public:
  EngineStartError(const std::string& english, std::string japanese)
      : std::runtime_error(english), japanese_(std::move(japanese))
  {
  }
  const std::string& japanese() const { return japanese_; }

 private:
  std::string japanese_;
};

class EngineLauncher {
 public:
  // The usual terminal emulators, Debian's x-terminal-emulator first; none
  // when there is no display.
  static std::vector<Terminal> usual_terminals();

  // `engine_dir`: where the engine programs are; empty for the working
  // folder of each launch.
  explicit EngineLauncher(std::vector<Terminal> terminals = usual_terminals(), QString engine_dir = {})
      : terminals_(std::move(terminals)), engine_dir_(std::move(engine_dir))
  {
  }

  // Starts the engine of `phantom` in `working_dir` and returns at
  // once; nothing for Phantom::None. The console output
  // passes through a filter that turns the engine's Shift_JIS
  // multiplication sign into UTF-8 and goes to "<engine>.log" in the working
  // directory, a new file for every run (an older log is replaced whole, so
  // that an engine still writing to it cannot interleave). In a terminal it
  // also shows in the window, which stays open after a non-zero exit status
  // until Enter, so that an error can be read. Without a terminal the
  // engine runs detached with standard input from /dev/null. Throws
  // EngineStartError when the engine is missing or cannot start, or the
  // log cannot be created. A terminal that ends without starting the
  // engine (a broken one) is passed over for the next, or for none.
  // `arguments` go to the engine ("--threads 0" for all cores; none for the
  // exact serial run).
  std::optional<EngineStart> launch(Phantom phantom, const QString& working_dir,
                                    const QStringList& arguments = {}) const;

  // The shell command that runs the engine: "$1" is the engine's path, "$2"
  // the working directory, "$3" the log, "$4" "terminal" or "detached", "$5"
  // the token of this attempt, which the log's first line must carry; the
  // rest are the engine's arguments.
  static QString run_script();

 private:
  std::vector<Terminal> terminals_;
  QString engine_dir_;
};

}  // namespace bsf::ui
