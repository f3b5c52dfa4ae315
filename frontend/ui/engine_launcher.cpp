#include "engine_launcher.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <filesystem>

namespace bsf::ui {

namespace fs = std::filesystem;

QString engine_program(int phantom_shape)
{
  switch (phantom_shape) {
    case 1: return "Mirabek";
    case 2: return "Teslund";
    case 4: return "Korvane";
    default: return {};
  }
}

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
  // The process line and the exit-status line around the engine's output
  // let anyone reading the log follow the run (engine_run.h). The engine
  // writes its multiplication sign as the Shift_JIS bytes 0x81 0x7E; sed in
  // the C locale, unbuffered, turns them into UTF-8 as the lines come. In a
  // terminal the engine's input stays the terminal, for its Enter wait, and
  // its output goes to the window as well as the log; detached, standard
  // output already is the log. Terminals that hand the command to a server
  // may start it elsewhere: the engine reads its files from "$2".
  return QStringLiteral(
      "engine=$1 dir=$2 log=$3 mode=$4\n"
      "name=${engine##*/}\n"
      "printf '%s is process %s\\n' \"$name\" \"$$\" >> \"$log\"\n"
      "if [ \"$mode\" = terminal ]; then show() { tee -a \"$log\"; }; else show() { cat; }; fi\n"
      "if cd \"$dir\"; then\n"
      "  \"$engine\" 2>&1 | LC_ALL=C sed -u 's/\\x81\\x7e/\\xc3\\x97/g' | show\n"
      "  status=${PIPESTATUS[0]}\n"
      "else\n"
      "  printf ' Cannot enter the working folder %s.\\n' \"$dir\" | show\n"
      "  status=1\n"
      "fi\n"
      "printf '%s ended with exit status %s\\n' \"$name\" \"$status\" >> \"$log\"\n"
      "if [ \"$mode\" = terminal ] && [ \"$status\" -ne 0 ]; then\n"
      "  printf '\\n %s stopped with exit status %s (see the message above).\\n' \"$name\" \"$status\"\n"
      "  printf ' Press Enter to close this window.\\n'\n"
      "  read -r _\n"
      "fi\n");
}

std::optional<EngineStart> EngineLauncher::launch(int phantom_shape, const QString& working_dir) const
{
  const QString name = engine_program(phantom_shape);
  if (name.isEmpty()) return std::nullopt;
  const QString engine = QDir(working_dir).absoluteFilePath(name);
  const QFileInfo info(engine);
  const std::string folder = QDir::toNativeSeparators(working_dir).toStdString();
  if (!info.exists())
    throw EngineStartError("The engine program " + name.toStdString() + " was not found in " + folder + ".",
                           "計算プログラム " + name.toStdString() + " がフォルダ " + folder + " にありません。");
  if (!info.isExecutable())
    throw EngineStartError("The engine program " + engine.toStdString() + " is not executable.",
                           "計算プログラム " + engine.toStdString() + " に実行の許可がありません。");

  // A new log for this run, replacing an older one whole: its creation
  // time is the start of the run on the file system's clock, against which
  // the result file's time tells a new result from an old one.
  const QString log = QDir(working_dir).absoluteFilePath(name + ".log");
  const fs::path log_path = log.toStdString();
  {
    std::error_code ec;
    fs::remove(log_path, ec);
    QFile f(log);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
      throw EngineStartError("The log file " + log.toStdString() + " cannot be created: " + f.errorString().toStdString(),
                             "ログファイル " + log.toStdString() + " を作成できません。");
    f.write((name + " started " + QDateTime::currentDateTime().toString(Qt::ISODate) + " in " + working_dir + "\n")
                .toUtf8());
  }
  std::error_code ec;
  EngineRun run{name.toStdString(), log_path, fs::last_write_time(log_path, ec), std::chrono::steady_clock::now()};

  for (const Terminal& t : terminals_) {
    const QString path = QStandardPaths::findExecutable(t.program);
    if (path.isEmpty()) continue;
    QProcess p;
    p.setProgram(path);
    p.setArguments(t.command + QStringList{"bash", "-c", run_script(), "bash", engine, working_dir, log, "terminal"});
    p.setWorkingDirectory(working_dir);
    if (p.startDetached()) return EngineStart{engine, path, log, run};
  }

  // No terminal: detached, input from /dev/null (the Enter wait ends at
  // once), the wrapper's output and errors appended to the log.
  QProcess p;
  p.setProgram(QStringLiteral("bash"));
  p.setArguments({"-c", run_script(), "bash", engine, working_dir, log, "detached"});
  p.setWorkingDirectory(working_dir);
  p.setStandardInputFile(QProcess::nullDevice());
  p.setStandardOutputFile(log, QIODevice::Append);
  p.setStandardErrorFile(log, QIODevice::Append);
  if (!p.startDetached())
    throw EngineStartError("The engine program " + engine.toStdString() + " could not be started: " +
                               p.errorString().toStdString(),
                           "計算プログラム " + engine.toStdString() + " を起動できませんでした。");
  return EngineStart{engine, {}, log, run};
}

}  // namespace bsf::ui
