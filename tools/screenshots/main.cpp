// Takes a PNG of every window of Orbisan as a user reaches it: Form1 after
// a calculation, the dose window, the menu, both information pages, the
// Monte Carlo form and the shape dialog with its sketch, plus the thickness
// warning, in Japanese or English. It works on a copy of the installed data
// in a scratch directory, so the product's working directory is left as it
// is.
//
//   orbisan-screenshots BIN_DIR OUT_DIR [ja|en]
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "conditions_forms.h"
#include "dose_form.h"
#include "language.h"
#include "info_pages.h"
#include "menu_form.h"
#include "shape_dialog.h"
#include "shell.h"

using namespace bsf::ui;

namespace {

void save(QWidget* w, const QString& out, const QString& name)
{
  w->show();
  w->raise();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  const QString file = QDir(out).filePath(name + ".png");
  if (!w->grab().save(file)) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
  else std::printf("%s\n", qPrintable(file));
}

}  // namespace

int main(int argc, char* argv[])
{
  QApplication app(argc, argv);
  const auto language = argc == 4 ? language_from_code(QString::fromLocal8Bit(argv[3])) : Language::Japanese;
  if ((argc != 3 && argc != 4) || !language) {
    std::fprintf(stderr, "usage: orbisan-screenshots BIN_DIR OUT_DIR [ja|en]\n");
    return 2;
  }
  if (!use_language(*language)) {
    std::fprintf(stderr, "orbisan-screenshots: the English translations cannot be loaded\n");
    return 1;
  }
  const QDir bin(QString::fromLocal8Bit(argv[1]));
  const QString out = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(out);
  QTemporaryDir scratch;
  for (const QString& f : bin.entryList({"*.dat"}, QDir::Files)) QFile::copy(bin.filePath(f), QDir(scratch.path()).filePath(f));

  // Message boxes are photographed and closed as they appear.
  int box_count = 0;
  QTimer boxes;
  QObject::connect(&boxes, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) {
        save(b, out, QString("message-%1").arg(++box_count));
        b->done(QMessageBox::Ok);
      }
  });
  boxes.start(50);

  Shell shell(scratch.path().toStdString(), EngineLauncher(std::vector<Terminal>{}));
  if (!shell.start()) return 1;
  Form1& f1 = *shell.form1();
  f1.button("Command2")->click();
  save(&f1, out, "form1");
  f1.button("CommandDose")->click();
  DoseForm& dose = *shell.dose_form();
  dose.text("TextKerma")->setText("2.1");
  dose.text("TextAt")->setText("100");
  dose.text("TextRelU")->setText("5");
  dose.button("CommandCalc")->click();
  save(&dose, out, "dose");
  dose.hide();
  f1.text("Text23")->setText("25");
  f1.button("Command2")->click();  // the thickness warning
  f1.text("Text23")->setText("20");

  f1.button("Command1")->click();
  Form4& menu = *shell.form4();
  save(&menu, out, "form4");
  menu.button("Command3")->click();
  save(shell.form2(), out, "form2");
  shell.form2()->button("Command1")->click();
  save(shell.form3(), out, "form3");
  shell.form3()->button("Command2")->click();

  menu.button("Command2")->click();
  Form5& f5 = *shell.form5();
  f5.button("Command3")->click();
  Form13& dialog = *shell.form13();
  dialog.option("Option3")->click();
  dialog.button("Command6")->click();
  save(&dialog, out, "form13-racetrack");
  dialog.option("Option1")->click();
  dialog.button("Command6")->click();
  save(&dialog, out, "form13-cylinder");
  dialog.button("Command1")->click();
  save(&f5, out, "form5");
  return 0;
}
