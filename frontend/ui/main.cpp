// Orbisan: the desktop front end. It works in the current directory when
// that holds the data files (a build's bin folder), else in its own folder,
// else, installed, in a per-user folder filled with the installed data; the
// engines are started there.
#include <QApplication>
#include <QCommandLineParser>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "free_format.h"
#include "installation.h"
#include "language.h"
#include "shell.h"

namespace {

// ~/.local/share/orbisan/work, or where XDG_DATA_HOME says.
std::filesystem::path per_user_dir()
{
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  return std::filesystem::path(base.toStdString()) / "orbisan" / "work";
}

// Why there is no working folder, in a box and on the standard error (a
// start from a desktop menu shows the box, a start from a shell both).
void cannot_start(const QString& why)
{
  std::fprintf(stderr, "Orbisan: %s\n", qPrintable(why));
  bsf::ui::warn(nullptr, QCoreApplication::translate("Shell", "データファイルを用意できません。\n\n%1\n\nOrbisan を終了します。")
                             .arg(why));
}

}  // namespace

int main(int argc, char* argv[])
{
  QApplication app(argc, argv);
  // Where the user's choices (all cores or the exact serial run) are kept.
  QCoreApplication::setOrganizationName(QStringLiteral("Orbisan"));
  QCoreApplication::setApplicationName(QStringLiteral("Orbisan"));
  QCoreApplication::setApplicationVersion(QStringLiteral(ORBISAN_VERSION));
  // The program ends by the menu's END or by closing the first form, never
  // because the last visible window was hidden.
  QApplication::setQuitOnLastWindowClosed(false);

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Backscatter factors and entrance doses for diagnostic X-ray beams"));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption lang(QStringLiteral("lang"),
                                QStringLiteral("the language of the windows, en or ja (remembered for the next starts)"),
                                QStringLiteral("code"));
  parser.addOption(lang);
  parser.process(app);
  std::optional<bsf::ui::Language> chosen;
  if (parser.isSet(lang)) {
    chosen = bsf::ui::language_from_code(parser.value(lang));
    if (!chosen) {
      std::fprintf(stderr, "Orbisan: --lang takes en (English) or ja (Japanese), not \"%s\"\n",
                   qPrintable(parser.value(lang)));
      return 2;
    }
  }
  const bsf::ui::Language language = bsf::ui::choose_language(chosen, [](const char* v) { return std::getenv(v); });
  if (!bsf::ui::use_language(language))
    std::fprintf(stderr, "Orbisan: the English translations cannot be loaded; the windows stay Japanese\n");

  bsf::Workplace place;
  try {
    place = bsf::choose_workplace(std::filesystem::current_path(), bsf::program_dir(), per_user_dir());
  } catch (const bsf::WorkplaceError& e) {
    cannot_start(bsf::ui::in_language(e.japanese, e.what()));
    return 1;
  } catch (const bsf::DataFileError& e) {
    cannot_start(bsf::ui::data_error_text(e));
    return 1;
  }
  bsf::ui::Shell shell(place.work_dir, bsf::ui::EngineLauncher(bsf::ui::EngineLauncher::usual_terminals(),
                                                               QString::fromStdString(place.engine_dir.string())));
  if (!shell.start()) return 1;
  return QApplication::exec();
}
