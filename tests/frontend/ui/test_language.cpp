// The windows in English: every text a user can see on every window is
// English (nothing Japanese left), messages included; the language chosen
// is remembered; Orbisan refuses a language it does not have.
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include "conditions_forms.h"
#include "dose_form.h"
#include "info_pages.h"
#include "language.h"
#include "menu_form.h"
#include "shape_dialog.h"
#include "ui_support.h"

using namespace bsf::ui;
using bsf::ui::test::App;

namespace {

const QRegularExpression kJapanese(QStringLiteral("[\\x{3000}-\\x{30ff}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));

// Every text of a window a user can see: its title, the captions, the
// boxes' texts, the lists' items and the tips.
QStringList visible_texts(QWidget* window)
{
  QStringList texts{window->windowTitle()};
  QList<QWidget*> widgets = window->findChildren<QWidget*>();
  widgets.prepend(window);
  for (QWidget* w : widgets) {
    const QString name = w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName();
    auto add = [&](const QString& t) {
      if (!t.isEmpty()) texts << name + ": " + t;
    };
    add(w->toolTip());
    if (auto* l = qobject_cast<QLabel*>(w)) add(l->text());
    if (auto* b = qobject_cast<QAbstractButton*>(w)) add(b->text());
    if (auto* g = qobject_cast<QGroupBox*>(w)) add(g->title());
    if (auto* e = qobject_cast<QLineEdit*>(w)) add(e->text());
    if (auto* c = qobject_cast<QComboBox*>(w))
      for (int i = 0; i < c->count(); ++i) add(c->itemText(i));
  }
  return texts;
}

QStringList japanese_in(QWidget* window)
{
  QStringList found;
  for (const QString& t : visible_texts(window))
    if (kJapanese.match(t).hasMatch()) found << t;
  return found;
}

}  // namespace

class EnglishWindows : public QObject {
  Q_OBJECT

  std::unique_ptr<App> app;
  Shell& shell() { return *app->shell; }

  void expect_english(QWidget* w, const char* which)
  {
    QVERIFY2(w, which);
    const QStringList left = japanese_in(w);
    QVERIFY2(left.isEmpty(), qPrintable(QString("%1 still shows: %2").arg(which, left.join(" | "))));
  }

 private slots:
  void init()
  {
    QVERIFY(use_language(Language::English));
    app = std::make_unique<App>();
    QVERIFY(app->shell->start());
  }
  void cleanup()
  {
    app.reset();
    use_language(Language::Japanese);
  }

  // Each window as a user reaches it, with results and messages shown.
  void everyWindowIsEnglish()
  {
    Form1& f1 = *shell().form1();
    expect_english(&f1, "Form1");
    f1.button("Command2")->click();
    QCOMPARE(f1.label("Label70")->text(), QString("1.402"));
    f1.button("CommandDose")->click();
    DoseForm& dose = *shell().dose_form();
    test::retype(dose.text("TextKerma"), "2.1");
    dose.button("CommandCalc")->click();
    QVERIFY(dose.label("LabelEsak")->text().endsWith(" mGy"));
    expect_english(&dose, "the dose window");
    test::retype(dose.text("TextKerma"), "2,1");
    dose.button("CommandCalc")->click();
    dose.hide();

    // A refused condition, in English.
    test::type_into(f1.text("Text5"), "200");
    f1.button("Command2")->click();
    test::type_into(f1.text("Text5"), "75");
    for (const auto& box : app->boxes.take())
      QVERIFY2(!kJapanese.match(box.text).hasMatch(), qPrintable("message box: " + box.text));

    f1.button("Command1")->click();
    Form4& menu = *shell().form4();
    expect_english(&menu, "the menu");
    menu.button("Command3")->click();
    expect_english(shell().form2(), "the first information page");
    shell().form2()->button("Command1")->click();
    expect_english(shell().form3(), "the second information page");
    shell().form3()->button("Command2")->click();
    menu.button("Command2")->click();
    Form5& f5 = *shell().form5();
    expect_english(&f5, "Form5");
    f5.button("Command3")->click();
    Form13& dialog = *shell().form13();
    dialog.button("Command1")->click();
    expect_english(&f5, "Form5 after the shape dialog");
    QCOMPARE(f5.label("Label14")->text(), QString("Cylinder, radius 20 cm"));
    f5.button("Command3")->click();
    expect_english(&dialog, "the shape dialog");
    dialog.button("Command2")->click();
    for (const auto& box : app->boxes.take())
      QVERIFY2(!kJapanese.match(box.text).hasMatch(), qPrintable("message box: " + box.text));
  }

  // The presets work by what they are, not by their caption's language.
  void presetsWorkInEnglish()
  {
    Form1& f1 = *shell().form1();
    QComboBox* c = f1.combo("Combo1");
    c->setCurrentIndex(c->findText("Circular"));
    emit c->activated(c->currentIndex());
    QCOMPARE(f1.label("Label22")->text(), QString(" Field diameter"));
    QCOMPARE(f1.text("Text10")->text(), QString("10.0"));
    c->setCurrentIndex(c->findText("8×10 wide"));
    emit c->activated(c->currentIndex());
    QCOMPARE(f1.text("Text10")->text(), QString("20.3"));
    QCOMPARE(f1.text("Text11")->text(), QString("25.4"));
  }
};

class LanguageChoice : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init() { QSettings().clear(); }

  // "--lang" wins and is remembered; without it the remembered choice
  // wins over the environment; with neither, the environment decides.
  void chosenLanguageIsRemembered()
  {
    auto env = [](const char* lang) {
      return [lang](const char* name) -> const char* { return std::string(name) == "LANG" ? lang : nullptr; };
    };
    QCOMPARE(choose_language(std::nullopt, env("C")), Language::Japanese);
    QCOMPARE(choose_language(std::nullopt, env("en_GB.UTF-8")), Language::English);
    QCOMPARE(choose_language(Language::English, env("ja_JP.UTF-8")), Language::English);
    QCOMPARE(choose_language(std::nullopt, env("ja_JP.UTF-8")), Language::English);
    QCOMPARE(choose_language(Language::Japanese, env("en_GB.UTF-8")), Language::Japanese);
    QCOMPARE(choose_language(std::nullopt, env("en_GB.UTF-8")), Language::Japanese);
  }

  // A language Orbisan does not have is refused before any window opens.
  void unknownLanguageIsRefused()
  {
    QProcess p;
    p.setProgram(QString(ORBISAN_BIN_DIR) + "/Orbisan");
    p.setArguments({"--lang", "fr"});
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(e);
    p.start();
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY2(p.readAllStandardError().contains("--lang takes en (English) or ja (Japanese), not \"fr\""),
             "the message names the choices");
  }
};

int main(int argc, char* argv[])
{
  QApplication app(argc, argv);
  int status = 0;
  {
    EnglishWindows t;
    status |= QTest::qExec(&t, argc, argv);
  }
  {
    LanguageChoice t;
    status |= QTest::qExec(&t, argc, argv);
  }
  return status;
}

#include "test_language.moc"
