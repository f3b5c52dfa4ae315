#include "engine_launcher.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace bsf::ui {

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

QString EngineLauncher::terminal_script()
{
  // Terminals that hand the command to a server may start it elsewhere:
  // the engine reads its files from the working directory "$2". It writes
  // its multiplication sign as the Shift_JIS bytes 0x81 0x7E; sed in the C
  // locale, unbuffered, turns them into UTF-8 as the lines come. The
  // engine's input stays the terminal, for its Enter wait.
  return QStringLiteral(
      "cd \"$2\" || { printf ' Cannot enter %s.\\n Press Enter to close this window.\\n' \"$2\"; read -r _; exit 1; }\n"
      "\"$1\" | LC_ALL=C sed -u 's/\\x81\\x7e/\\xc3\\x97/g'\n"
      "status=${PIPESTATUS[0]}\n"
      "if [ \"$status\" -ne 0 ]; then\n"
      "  printf '\\n %s stopped with exit status %s (see the message above).\\n' \"${1##*/}\" \"$status\"\n"
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
  if (!info.exists())
    throw EngineStartError("The engine program " + name.toStdString() + " was not found in " +
                           QDir::toNativeSeparators(working_dir).toStdString() + ".");
  if (!info.isExecutable())
    throw EngineStartError("The engine program " + engine.toStdString() + " is not executable.");

  for (const Terminal& t : terminals_) {
    const QString path = QStandardPaths::findExecutable(t.program);
    if (path.isEmpty()) continue;
    QProcess p;
    p.setProgram(path);
    p.setArguments(t.command + QStringList{"bash", "-c", terminal_script(), "bash", engine, working_dir});
    p.setWorkingDirectory(working_dir);
    if (p.startDetached()) return EngineStart{engine, path, {}};
  }

  // No terminal: detached, input from /dev/null (the Enter wait ends at
  // once), output and errors appended to a log that starts with a header.
  const QString log = QDir(working_dir).absoluteFilePath(name + ".log");
  {
    QFile f(log);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
      throw EngineStartError("The log file " + log.toStdString() + " cannot be written: " +
                             f.errorString().toStdString());
    f.write((name + " started " + QDateTime::currentDateTime().toString(Qt::ISODate) + " in " + working_dir +
             "\n")
                .toUtf8());
  }
  QProcess p;
  p.setProgram(engine);
  p.setWorkingDirectory(working_dir);
  p.setStandardInputFile(QProcess::nullDevice());
  p.setStandardOutputFile(log, QIODevice::Append);
  p.setStandardErrorFile(log, QIODevice::Append);
  if (!p.startDetached())
    throw EngineStartError("The engine program " + engine.toStdString() + " could not be started: " +
                           p.errorString().toStdString());
  return EngineStart{engine, {}, log};
}

}  // namespace bsf::ui
