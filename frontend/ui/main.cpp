// Orbisan: the desktop front end. Its working directory is the current
// directory, where the data files lie, the exchange files are written and
// the engines are started.
#include <QApplication>
#include <filesystem>

#include "shell.h"

int main(int argc, char* argv[])
{
  QApplication app(argc, argv);
  // Where the user's choices (all cores or the exact serial run) are kept.
  QCoreApplication::setOrganizationName(QStringLiteral("Orbisan"));
  QCoreApplication::setApplicationName(QStringLiteral("Orbisan"));
  // The program ends by the menu's END or by closing the first form, never
  // because the last visible window was hidden.
  QApplication::setQuitOnLastWindowClosed(false);
  bsf::ui::Shell shell(std::filesystem::current_path());
  if (!shell.start()) return 1;
  return QApplication::exec();
}
