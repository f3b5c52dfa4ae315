// Starting a Monte Carlo engine for the chosen phantom: from the working
// directory, by its absolute path, with no arguments, in a terminal window
// of its own, without waiting for it.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <vector>

namespace bsf::ui {

// The engine program of a phantom shape code: 1 Mirabek (circular
// cylinder), 2 Teslund (elliptic cylinder), 4 Korvane (racetrack); empty for
// any other code.
QString engine_program(int phantom_shape);

// A terminal emulator and the arguments that put a command after it.
struct Terminal {
  QString program;      // looked up on PATH
  QStringList command;  // the arguments that precede the command's own argv
};

// What was started, for the form to tell the user.
struct EngineStart {
  QString program;   // absolute path of the engine
  QString terminal;  // the terminal emulator used; empty when none was found
  QString log_file;  // without a terminal: where the console output goes
};

// The engine could not be found or started.
class EngineStartError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EngineLauncher {
 public:
  // The usual terminal emulators, Debian's x-terminal-emulator first; none
  // when there is no display.
  static std::vector<Terminal> usual_terminals();

  explicit EngineLauncher(std::vector<Terminal> terminals = usual_terminals()) : terminals_(std::move(terminals)) {}

  // Starts the engine for `phantom_shape` in `working_dir` and returns at
  // once; nothing for a shape code without an engine. In a terminal the
  // console output passes through a filter that turns the engine's
  // Shift_JIS multiplication sign into UTF-8, and the window stays open
  // after a non-zero exit status until Enter, so that an error can be read.
  // Without a terminal the engine runs detached with standard input from
  // /dev/null and its output in "<engine>.log" in the working directory.
  // Throws EngineStartError when the engine is missing or cannot start.
  std::optional<EngineStart> launch(int phantom_shape, const QString& working_dir) const;

  // The shell command run in the terminal: "$1" is the engine's path, "$2"
  // the working directory.
  static QString terminal_script();

 private:
  std::vector<Terminal> terminals_;
};

}  // namespace bsf::ui
