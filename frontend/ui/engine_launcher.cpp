#include "engine_launcher.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <filesystem>

namespace bsf::ui {

namespace fs = std::filesystem;

std::vector<Terminal> EngineLauncher::usual_terminals()
{
  // A terminal emulator needs a display to open its window on; without one
  // it would start and vanish, taking the engine with it.
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) return {};
  // Debian policy makes x-terminal-emulator take "-e program args" like
  // xterm; the others are tried by name in case the alternative is unset.
  return {
      {"x-terminal-emulator", {"-e"}}, {"gnome-terminal", {"--"}}, {"konsole", {"-e"}},
      {"xfce4-terminal", {"-x"}},      {"mate-terminal", {"-x"}},  {"xterm", {"-e"}},
  };
}

QString EngineLauncher::run_script()
{
  // The wrapper opens the log once and holds its lock while it runs: the
  // lock tells anyone that the run goes on, and should a later run replace
  // the log while this one still runs (past its loop, waiting for Enter),
  // this run's last lines go to its own file, not into the next run's. It
  // runs the engine only if the log is still that of its own start (the
  // token in the first line) and that start was not given up. The process
  // line and the exit-status line around the engine's output let anyone
  // reading the log follow the run (engine_run.h). The engine writes its
  // multiplication sign as the Shift_JIS bytes 0x81 0x7E; sed in the C
  // locale, unbuffered, turns them into UTF-8 as the lines come. In a
  // terminal the engine's input stays the terminal, for its Enter wait, and
  // its output goes to the window as well as the log. Terminals that hand
  // the command to a server may start it elsewhere: the engine reads its
  // files from "$2".
  return QStringLiteral(
      "engine=$1 dir=$2 log=$3 mode=$4 token=$5\n"
      "shift 5\n"  // the engine's own arguments remain
      "name=${engine##*/}\n"
      "exec 3>>\"$log\" || exit 0\n"
      "flock -w 10 3 || exit 0\n"
      "head -n 1 /dev/fd/3 | grep -qF -- \"(run $token)\" || exit 0\n"
      "grep -qxF -- \"$name start given up\" /dev/fd/3 && exit 0\n"
      "printf '%s is process %s\\n' \"$name\" \"$$\" >&3\n"
      "if [ \"$mode\" = terminal ]; then show() { tee -a /dev/fd/3; }; else show() { cat >&3; }; fi\n"
      "if cd \"$dir\"; then\n"
      "  \"$engine\" \"$@\" 2>&1 3>&- | LC_ALL=C sed -u 's/\\x81\\x7e/\\xc3\\x97/g' | show\n"
      "  status=${PIPESTATUS[0]}\n"
      "else\n"
      "  printf ' Cannot enter the working folder %s.\\n' \"$dir\" | show\n"
      "  status=1\n"
      "fi\n"
      // On a line of its own, should the engine's last line lack its end.
      "printf '\\n%s ended with exit status %s\\n' \"$name\" \"$status\" >&3\n"
      "exec 3>&-\n"
      "if [ \"$mode\" = terminal ] && [ \"$status\" -ne 0 ]; then\n"
      "  printf '\\n %s stopped with exit status %s (see the message above).\\n' \"$name\" \"$status\"\n"
      "  printf ' Press Enter to close this window.\\n'\n"
      "  read -r _\n"
      "fi\n");
}

namespace {

// A new log for a run, replacing an older one whole (a wrapper still
// writing to the old one keeps its own file), and the run's record with the
// result file as it lies before the run.
EngineRun new_log(const QString& name, const QString& working_dir, const QString& log, const QString& token)
{
  const fs::path log_path = log.toStdString();
  std::error_code ec;
  fs::remove(log_path, ec);
  QFile f(log);
  if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
    throw EngineStartError("The log file " + log.toStdString() + " cannot be created: " + f.errorString().toStdString(),
                           "ログファイル " + log.toStdString() + " を作成できません。");
  // The token before the folder, which may hold any character, even a line end.
  f.write((name + " started " + QDateTime::currentDateTime().toString(Qt::ISODate) + " (run " + token + ") in " +
           working_dir + "\n")
              .toUtf8());
  f.close();
  return start_record(name.toStdString(), log_path, working_dir.toStdString());
}

// Waits until the wrapper in a terminal has written its process line.
// False when the terminal's process has ended and, a moment later (a
// terminal may hand the command to a server and end at once), no wrapper
// has taken the log: the start is then given up, under the log's lock, so
// that no wrapper can still run it. True as well when the terminal lives on
// without the line for a while (a slow start, which the run's start grace
// covers).
bool wait_for_wrapper(const EngineRun& run, qint64 terminal_pid)
{
  using clock = std::chrono::steady_clock;
  const auto begin = clock::now();
  std::optional<clock::time_point> ended;
  for (;;) {
    QFile f(QString::fromStdString(run.log.string()));
    if (f.open(QIODevice::ReadOnly) && parse_run_log(f.readAll().toStdString(), run.engine).started) return true;
    const auto now = clock::now();
    if (!ended && !process_running(terminal_pid)) ended = now;
    if (ended && now - *ended > std::chrono::seconds(3)) return !give_up_start(run.log, run.engine);
    if (!ended && now - begin > std::chrono::seconds(10)) return true;
    // The form repaints meanwhile; the user's input waits.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QThread::msleep(20);
  }
}

}  // namespace

std::optional<EngineStart> EngineLauncher::launch(Phantom phantom, const QString& working_dir,
                                                 const QStringList& arguments) const
{
  const QString name = QString::fromUtf8(engine_program(phantom));
  if (name.isEmpty()) return std::nullopt;
  // The engines of a build lie in its working folder; an installed
  // program's lie beside it, and are started by their absolute path.
  const QString engine_folder = engine_dir_.isEmpty() ? working_dir : engine_dir_;
  const QString engine = QDir(engine_folder).absoluteFilePath(name);
  const QFileInfo info(engine);
  const std::string folder = QDir::toNativeSeparators(engine_folder).toStdString();
  if (!info.exists())
    throw EngineStartError("The engine program " + name.toStdString() + " was not found in " + folder + ".",
                           "計算プログラム " + name.toStdString() + " がフォルダ " + folder + " にありません。");
  if (!info.isExecutable())
    throw EngineStartError("The engine program " + engine.toStdString() + " is not executable.",
                           "計算プログラム " + engine.toStdString() + " に実行の許可がありません。");

  // Every attempt at starting the engine has a token of its own in the
  // log's first line; the wrapper runs the engine only while the log still
  // carries its token and the attempt was not given up, so that a terminal
  // that starts it late cannot run a second engine beside the next one.
  const QString log = QDir(working_dir).absoluteFilePath(name + ".log");
  static int attempts = 0;
  auto next_token = [] {
    return QString("%1-%2-%3")
        .arg(QCoreApplication::applicationPid())
        .arg(QDateTime::currentMSecsSinceEpoch())
        .arg(++attempts);
  };
  QString token = next_token();
  EngineRun current = new_log(name, working_dir, log, token);

  for (const Terminal& t : terminals_) {
    const QString path = QStandardPaths::findExecutable(t.program);
    if (path.isEmpty()) continue;
    QProcess p;
    p.setProgram(path);
    p.setArguments(t.command +
                   QStringList{"bash", "-c", run_script(), "bash", engine, working_dir, log, "terminal", token} + arguments);
    p.setWorkingDirectory(working_dir);
    qint64 pid = 0;
    if (!p.startDetached(&pid)) continue;
    if (wait_for_wrapper(current, pid)) return EngineStart{engine, path, log, current};
    // The terminal went away without starting it (a broken or unusable
    // terminal): the next one, or none, with a new token.
    token = next_token();
    current = new_log(name, working_dir, log, token);
  }

  // No terminal: detached, input from /dev/null (the Enter wait ends at
  // once); anything the wrapper itself says goes to the log too.
  QProcess p;
  p.setProgram(QStringLiteral("bash"));
  p.setArguments(QStringList{"-c", run_script(), "bash", engine, working_dir, log, "detached", token} + arguments);
  p.setWorkingDirectory(working_dir);
  p.setStandardInputFile(QProcess::nullDevice());
  p.setStandardOutputFile(log, QIODevice::Append);
  p.setStandardErrorFile(log, QIODevice::Append);
  if (!p.startDetached())
    throw EngineStartError("The engine program " + engine.toStdString() + " could not be started: " +
                               p.errorString().toStdString(),
                           "計算プログラム " + engine.toStdString() + " を起動できませんでした。");
  return EngineStart{engine, {}, log, current};
}

}  // namespace bsf::ui
