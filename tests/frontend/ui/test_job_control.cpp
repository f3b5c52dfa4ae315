// Starting an engine from the Monte Carlo form and showing its result:
// stand-in engines for what is started and how, the real engine end to end.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "conditions_forms.h"
#include "menu_form.h"
#include "shape_dialog.h"
#include "ui_support.h"

using namespace bsf::ui;
using bsf::ui::test::App;

namespace {

// A stand-in engine: records how it was started, prints a console line with
// the Shift_JIS multiplication sign, waits for its input to end, writes a
// result file and stops with the status in the file "status" (0 if none).
QString standin(const QString& name)
{
  return "{ echo \"name:" + name + " args:$#\"; pwd; } > started.txt\n"
         "printf ' Field size = 43.2 \\201\\176 35.6 [cm2]\\r\\n'\n"
         "cat > /dev/null\n"
         "printf ' 1.2346\\r\\n 1.3000\\r\\n 1.4000\\r\\n' > ResultBSF.txt\n"
         "exit $(cat status 2>/dev/null || echo 0)\n";
}
}  // namespace

class JobControl : public QObject {
  Q_OBJECT

  std::unique_ptr<App> app;

  Shell& shell() { return *app->shell; }
  Form5& form5() { return *shell().form5(); }

  void open_form5(std::vector<Terminal> terminals = {})
  {
    app = std::make_unique<App>(std::move(terminals));
    QVERIFY(shell().start());
    shell().form1()->button("Command1")->click();
    shell().form4()->button("Command2")->click();
  }

  // The shape dialog confirmed with option `option` and `histories`.
  void confirm_shape(const char* option, const char* histories = "50000000")
  {
    form5().button("Command3")->click();
    QTest::mouseClick(shell().form13()->option(option), Qt::LeftButton);
    shell().form13()->combo("Combo1")->setCurrentText(histories);
    shell().form13()->button("Command1")->click();
  }

 private slots:
  void cleanup()
  {
    const auto left = app ? app->boxes.take() : std::vector<test::MessageBoxGuard::Box>{};
    app.reset();
    QVERIFY2(left.empty(), qPrintable("unexpected message box: " + (left.empty() ? "" : left[0].text)));
  }

  void eachShapeStartsItsEngineDetachedWithALog_data()
  {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("engine");
    QTest::newRow("cylinder") << "Option1" << "Mirabek";
    QTest::newRow("elliptic cylinder") << "Option2" << "Teslund";
    QTest::newRow("racetrack") << "Option3" << "Korvane";
  }
  void eachShapeStartsItsEngineDetachedWithALog()
  {
    QFETCH(QString, option);
    QFETCH(QString, engine);
    open_form5();
    for (const char* e : {"Mirabek", "Teslund", "Korvane"}) app->scratch.write_script(e, standin(e));
    confirm_shape(option.toUtf8().constData());
    QVERIFY(!form5().button("Command4")->isEnabled());
    form5().button("Command2")->click();
    QVERIFY(form5().button("Command4")->isEnabled());
    QVERIFY(app->scratch.exists("X_SPCTL.dat"));
    QCOMPARE(form5().label("Label6")->text(), QString("3.059"));

    // Told where the console output goes.
    const auto b = app->boxes.take();
    QCOMPARE(b.size(), std::size_t{1});
    const QString log = QDir(app->scratch.qpath()).filePath(engine + ".log");
    QVERIFY2(b[0].text.contains(log), qPrintable(b[0].text));

    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.exists("ResultBSF.txt"), 10000);
    const QList<QByteArray> started = app->scratch.read("started.txt").split('\n');
    QCOMPARE(started[0], ("name:" + engine + " args:0").toUtf8());
    QCOMPARE(QDir(QString::fromUtf8(started[1])).canonicalPath(), QDir(app->scratch.qpath()).canonicalPath());
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.read(engine + ".log").contains("Field size"), 10000);
    QVERIFY(app->scratch.read(engine + ".log").startsWith((engine + " started ").toUtf8()));
  }

  void refusedCalculationStartsNoEngine()
  {
    open_form5();
    app->scratch.write_script("Korvane", standin("Korvane"));
    confirm_shape("Option3");
    form5().text("Text23")->setText("20.1");
    form5().button("Command2")->click();
    const auto b = app->boxes.take();
    QCOMPARE(b.size(), std::size_t{1});
    QCOMPARE(b[0].text, u8("  被写体厚が (FFD-FSD) より大きくなっています  "));
    QTest::qWait(200);
    QVERIFY(!app->scratch.exists("started.txt"));
    QVERIFY(!app->scratch.exists("X_SPCTL.dat"));
    QVERIFY(!form5().button("Command4")->isEnabled());
  }

  void missingEngineIsReportedAndEndsTheProgram()
  {
    open_form5();
    confirm_shape("Option3");
    form5().button("Command2")->click();
    const auto b = app->boxes.take();
    QCOMPARE(b.size(), std::size_t{1});
    QVERIFY2(b[0].text.contains("Korvane") && b[0].text.contains("not found"), qPrintable(b[0].text));
    QVERIFY(shell().ended());
    QCOMPARE(app->end_status, 1);
  }

  void resultButton()
  {
    open_form5();
    confirm_shape("Option3");
    app->scratch.write_script("Korvane", "exit 0\n");
    form5().button("Command2")->click();
    app->boxes.take();  // the log notice
    const QString not_finished = u8(" まだ計算が終わっていません。しばらくお待ちください。 ");

    struct Case {
      const char* file;
      QByteArray text;
      bool shown;
    };
    const Case cases[] = {
        {nullptr, {}, false},  // no result file yet
        {"ResultBSF.txt", " 1.2346\r\n 1.3000\r\n", false},
        {"ResultBSF.txt", " 1.2346\r\n 1.3000\r\n 1.40", false},  // caught half-written
        {"resultBSF.txt", " 1.2346\r\n 1.3000\r\n 1.4000\r\n", true},
    };
    for (const Case& c : cases) {
      for (const QString& f : QDir(app->scratch.qpath()).entryList({"*.txt"}, QDir::Files, QDir::NoSort))
        if (f.toLower() == "resultbsf.txt") QFile::remove(QDir(app->scratch.qpath()).filePath(f));
      if (c.file) app->scratch.write(c.file, c.text);
      form5().button("Command4")->click();
      const auto b = app->boxes.take();
      QCOMPARE(b.size(), std::size_t(c.shown ? 0 : 1));
      if (!c.shown) {
        QCOMPARE(b[0].text, not_finished);
        QVERIFY(form5().label("Label68")->text().isEmpty());  // no partial values
        continue;
      }
      QCOMPARE(form5().label("Label70")->text(), QString("1.235"));
      QCOMPARE(form5().label("Label68")->text(), QString("1.300"));
      QCOMPARE(form5().label("Label69")->text(), QString("1.400"));
      QCOMPARE(shell().state().BsfAirKerma, 1.2346);
    }
    // A later failed read keeps what was shown.
    app->scratch.write("resultBSF.txt", " 1.5");
    form5().button("Command4")->click();
    QCOMPARE(app->boxes.take().size(), std::size_t{1});
    QCOMPARE(form5().label("Label68")->text(), QString("1.300"));
    // A second run does not remove the previous result.
    form5().button("Command2")->click();
    app->boxes.take();
    QVERIFY(app->scratch.exists("resultBSF.txt"));
  }

  void terminalGetsTheEngineWithConvertedSignAndHoldsAfterAnError()
  {
    // A stand-in terminal: runs the command after "-e", with no input,
    // keeping what the window would show.
    QTemporaryDir bin;
    const QString term = QDir(bin.path()).filePath("fake-terminal");
    {
      QFile f(term);
      QVERIFY(f.open(QIODevice::WriteOnly));
      // It starts the command from / (as a terminal server may), keeping
      // what the window would show in the working directory.
      f.write("#!/bin/sh\nout=\"$PWD/window.txt\"\ncd /\n[ \"$1\" = -e ] && shift\n"
              "\"$@\" </dev/null >\"$out\" 2>&1\n");
    }
    QFile::setPermissions(term, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    open_form5({Terminal{term, {"-e"}}});
    app->scratch.write_script("Korvane", standin("Korvane"));
    app->scratch.write("status", "3");
    confirm_shape("Option3");
    form5().button("Command2")->click();
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.read("window.txt").contains("Press Enter"), 10000);
    const QByteArray window = app->scratch.read("window.txt");
    QVERIFY2(window.contains(" Field size = 43.2 \xc3\x97 35.6 [cm2]"), window.constData());
    QVERIFY2(window.contains("Korvane stopped with exit status 3"), window.constData());
    const QList<QByteArray> started = app->scratch.read("started.txt").split('\n');
    QCOMPARE(QDir(QString::fromUtf8(started[1])).canonicalPath(), QDir(app->scratch.qpath()).canonicalPath());
    QVERIFY(form5().button("Command4")->isEnabled());
  }

  void realEngineFromShapeDialogToResult()
  {
    open_form5();
    app->scratch.install_engine("Korvane");
    confirm_shape("Option3", "400000");
    form5().button("Command2")->click();
    app->boxes.take();  // the log notice
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.exists("ResultBSF.txt"), 60000);
    form5().button("Command4")->click();
    QVERIFY(app->boxes.take().empty());
    for (const char* l : {"Label68", "Label69", "Label70"}) {
      const double v = form5().label(l)->text().toDouble();
      QVERIFY2(v > 1.2 && v < 1.6, qPrintable(QString("%1 shows %2").arg(l, form5().label(l)->text())));
      QCOMPARE(form5().label(l)->text().size(), 5);  // "#0.000"
    }
    QVERIFY(app->scratch.read("Korvane.log").contains("Back Scatter Factor"));
  }
};

QTEST_MAIN(JobControl)
#include "test_job_control.moc"
