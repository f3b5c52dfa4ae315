// Starting an engine from the Monte Carlo form and showing its result:
// stand-in engines for what is started and how, the real engine end to end.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <cmath>

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
  return "{ echo \"name:" + name + " args:$*\"; pwd; } > started.txt\n"
         "printf ' Field size = 43.2 \\201\\176 35.6 [cm2]\\r\\n'\n"
         "cat > /dev/null\n"
         "printf ' 1.2346\\r\\n 1.3000\\r\\n 1.4000\\r\\n' > ResultBSF.txt\n"
         "exit $(cat status 2>/dev/null || echo 0)\n";
}

// A stand-in engine that counts its starts in "starts", prints its run
// number and keeps running until the file "release" appears; then it
// writes the result in the file "result" (if there is one) and stops with
// the status in "status".
QString held_standin()
{
  return "echo x >> starts\n"
         "printf ' run %s\\r\\n' $(wc -l < starts)\n"
         "printf ' Field size = 43.2 \\201\\176 35.6 [cm2]\\r\\n'\n"
         // At most a minute, should a failed test never release it.
         "n=0; while [ ! -e release ] && [ $n -lt 3000 ]; do sleep 0.02; n=$((n+1)); done\n"
         "rm -f release\n"
         "[ -e result ] && cp result ResultBSF.txt\n"
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
    test::type_into(shell().form13()->combo("Combo1"), histories);
    shell().form13()->button("Command1")->click();
  }

  // Releases a held stand-in and waits until its log says it has ended.
  void release(const QString& engine = "Korvane")
  {
    app->scratch.write("release", "");
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.read(engine + ".log").contains(engine.toUtf8() + " ended with exit status"),
                             10000);
  }

  // A whole run of the held stand-in on the racetrack that writes `result`,
  // and the result button pressed after it ended.
  void run_to_result(const QByteArray& result)
  {
    open_form5();
    app->scratch.write_script("Korvane", held_standin());
    app->scratch.write("result", result);
    confirm_shape("Option3");
    form5().button("Command2")->click();
    app->boxes.take();  // the no-window notice
    release();
    form5().button("Command4")->click();
  }

  // The message boxes shown since the last call: exactly one, returned.
  QString one_box()
  {
    const auto b = app->boxes.take();
    if (b.size() != 1) return QString("%1 boxes").arg(b.size()) + (b.empty() ? "" : ": " + b[0].text);
    return b[0].text;
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
    QCOMPARE(started[0], ("name:" + engine + " args:--threads 0").toUtf8());  // all cores, the default
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

  void missingEngineIsReportedAndTheProgramGoesOn()
  {
    open_form5();
    confirm_shape("Option3");
    form5().button("Command2")->click();
    const QString box = one_box();
    QVERIFY2(box.contains(u8("計算プログラム Korvane がフォルダ")) && box.contains(u8("にありません")), qPrintable(box));
    QVERIFY(!shell().ended());
    QVERIFY(form5().isVisible());
    // Installed afterwards, it starts.
    app->scratch.write_script("Korvane", standin("Korvane"));
    form5().button("Command2")->click();
    app->boxes.take();
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.exists("started.txt"), 10000);
  }

  void resultButton()
  {
    open_form5();
    confirm_shape("Option3");
    app->scratch.write_script("Korvane", held_standin());
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
    release();
  }

  // A result file older than the current run is the previous run's: it is
  // never shown as this run's result, and the labels are emptied when a
  // run starts. The old file itself stays on disk.
  void previousResultIsNotShownForANewRun()
  {
    run_to_result(" 1.2346\r\n 1.3000\r\n 1.4000\r\n");
    QVERIFY(app->boxes.take().empty());
    QCOMPARE(form5().label("Label70")->text(), QString("1.235"));

    QFile::remove(QDir(app->scratch.qpath()).filePath("result"));
    form5().button("Command2")->click();
    QVERIFY(form5().label("Label70")->text().isEmpty());
    QVERIFY(form5().label("Label68")->text().isEmpty());
    QVERIFY(form5().label("Label69")->text().isEmpty());
    form5().button("Command4")->click();
    QCOMPARE(one_box(), u8(" まだ計算が終わっていません。しばらくお待ちください。 "));
    QVERIFY(form5().label("Label70")->text().isEmpty());
    QVERIFY(app->scratch.exists("ResultBSF.txt"));
    release();
  }

  // An engine that stops without a result: the result button says so, with
  // the engine's own message and where the whole log is, and never shows
  // an older result or "not finished" for ever.
  void engineThatStopsIsReportedWithItsMessage_data()
  {
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("engine_lines");  // printed to standard error
    QTest::addColumn<QString>("says");
    QTest::newRow("refused conditions") << 1
                                        << " Error: joken.txt: the history number is -5; it must be at least 1\\n"
                                           " The calculation was not started; no result file was written.\\n"
                                        << u8("計算の条件かデータファイルに問題があった");
    QTest::newRow("no primary photon") << 2 << "" << u8("一次光子がなく");
    QTest::newRow("killed") << 137 << "" << u8("強制終了されました（シグナル 9）");
  }
  void engineThatStopsIsReportedWithItsMessage()
  {
    QFETCH(int, status);
    QFETCH(QString, engine_lines);
    QFETCH(QString, says);
    open_form5();
    app->scratch.write("ResultBSF.txt", " 1.1111\r\n 1.1111\r\n 1.1111\r\n");  // an earlier run's
    QString body = "printf '" + engine_lines + "' >&2\n";
    if (status == 2)
      body += "printf ' Finish time = 12:00:00\\r\\n\\r\\n No primary photon crossed the scoring disc.\\r\\n"
              " No result file was written.\\r\\n\\r\\n  --- Calculation finished ---\\r\\n'\n";
    app->scratch.write_script("Teslund", body + QString("exit %1\n").arg(status));
    confirm_shape("Option2");
    form5().button("Command2")->click();
    app->boxes.take();
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.read("Teslund.log").contains("Teslund ended with exit status"), 10000);
    form5().button("Command4")->click();
    const QString box = one_box();
    QVERIFY2(box.contains(u8("計算は結果を出さずに終わりました")), qPrintable(box));
    QVERIFY2(box.contains(says), qPrintable(box));
    QVERIFY2(box.contains(QDir(app->scratch.qpath()).filePath("Teslund.log")), qPrintable(box));
    if (status == 1) QVERIFY2(box.contains("Error: joken.txt: the history number is -5"), qPrintable(box));
    if (status == 2) QVERIFY2(box.contains("No primary photon crossed the scoring disc."), qPrintable(box));
    QVERIFY(form5().label("Label70")->text().isEmpty());
  }

  // One engine at a time in a working folder.
  void secondCalculateWhileRunningStartsNoSecondEngine()
  {
    open_form5();
    app->scratch.write_script("Korvane", held_standin());
    confirm_shape("Option3");
    form5().button("Command2")->click();
    app->boxes.take();
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.read("Korvane.log").contains(" run 1"), 10000);
    QTest::mouseClick(form5().button("Command2"), Qt::LeftButton);
    const QString box = one_box();
    QVERIFY2(box.contains(u8("計算プログラム Korvane がこの作業フォルダで計算中です")), qPrintable(box));
    QTest::qWait(300);
    QCOMPARE(app->scratch.read("starts"), QByteArray("x\n"));
    release();
    // Once it has ended, the next run starts, with a log of its own.
    QTest::mouseClick(form5().button("Command2"), Qt::LeftButton);
    QVERIFY(app->boxes.take().empty());  // the no-window notice came with the first run only
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.read("Korvane.log").contains(" run 2"), 10000);
    QVERIFY(!app->scratch.read("Korvane.log").contains(" run 1"));
    release();
  }

  // A run past its loop that waits for Enter in its window has written all
  // it will write: the next run may start, and the first one's last lines
  // go to its own log, not into the next run's.
  void runWaitingForEnterGivesWayWithoutMixingLogs()
  {
    open_form5();
    app->scratch.write_script("Korvane",
                              "n=$(ls runs 2>/dev/null | wc -l); mkdir -p runs; touch runs/$n\n"
                              "printf ' run %s\\r\\n' $n\n"
                              "printf ' 1.2\\r\\n 1.3\\r\\n 1.4\\r\\n' > ResultBSF.txt\n"
                              "printf '  --- Calculation finished ---\\r\\n  ---    Hit Enter key     ---\\r\\n'\n"
                              "t=0; while [ ! -e enter$n ] && [ $t -lt 3000 ]; do sleep 0.02; t=$((t+1)); done\n"
                              "printf 'Stop - Program terminated.\\r\\n'\n");
    confirm_shape("Option3");
    form5().button("Command2")->click();
    app->boxes.take();
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.read("Korvane.log").contains("Hit Enter"), 10000);
    form5().button("Command2")->click();  // the first run waits for Enter
    QVERIFY(app->boxes.take().empty());
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.read("Korvane.log").contains(" run 1"), 10000);
    app->scratch.write("enter0", "");  // Enter in the first window
    QTest::qWait(500);
    const QByteArray log = app->scratch.read("Korvane.log");
    QVERIFY2(!log.contains(" run 0") && !log.contains("Korvane ended"), log.constData());
    app->scratch.write("enter1", "");
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.read("Korvane.log").contains("Korvane ended with exit status 0"), 10000);
  }

  // Leaving the form while a run goes on keeps that run's log: the folder
  // stays busy, and back on the form the result button follows the run.
  void exitDuringARunKeepsItsLog()
  {
    open_form5();
    app->scratch.write_script("Korvane", held_standin());
    app->scratch.write("result", " 1.2346\r\n 1.3000\r\n 1.4000\r\n");
    confirm_shape("Option3");
    form5().button("Command2")->click();
    app->boxes.take();
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.read("Korvane.log").contains(" run 1"), 10000);
    form5().button("Command1")->click();
    QVERIFY(app->scratch.exists("Korvane.log"));
    QVERIFY(!app->scratch.exists("joken.txt"));
    shell().form4()->button("Command2")->click();
    form5().button("Command2")->click();
    QVERIFY(one_box().contains(u8("計算中です")));
    release();
    form5().button("Command4")->click();
    QVERIFY(app->boxes.take().empty());
    QCOMPARE(form5().label("Label70")->text(), QString("1.235"));
    form5().button("Command1")->click();  // now it goes
    QVERIFY(!app->scratch.exists("Korvane.log"));
  }

  // A run started by another front end (or an earlier session) in the same
  // folder counts too: its log says it is going on.
  void runOfAnotherSessionInTheFolderIsRespected()
  {
    open_form5();
    app->scratch.write_script("Mirabek", standin("Mirabek"));
    // Another session's run: its wrapper holds the log.
    const QString log = QDir(app->scratch.qpath()).filePath("Korvane.log");
    app->scratch.write("Korvane.log", "Korvane started 2026-12-08T10:00:00 in x (run 1-1-1)\nKorvane is process 1\n");
    QProcess other;
    other.start("flock", {"-o", log, "sleep", "30"});  // the lock stays with flock itself
    QVERIFY(other.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(log_held(log.toStdString()), 5000);
    confirm_shape("Option1");
    form5().button("Command2")->click();
    QVERIFY(one_box().contains(u8("計算プログラム Korvane がこの作業フォルダで計算中です")));
    QVERIFY(!app->scratch.exists("started.txt"));
    // Once its wrapper is gone, however it went, the log holds nothing up,
    // even without an end line.
    other.kill();
    other.waitForFinished();
    form5().button("Command2")->click();
    app->boxes.take();
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.exists("started.txt"), 10000);
  }

  // Without a terminal: told once per session, the log in UTF-8, and the
  // logs go with the other files on Exit.
  void detachedRunsAreToldOnceAndLoggedInUtf8()
  {
    open_form5();
    for (const char* e : {"Mirabek", "Teslund", "Korvane"}) app->scratch.write_script(e, standin(e));
    confirm_shape("Option3");
    form5().button("Command2")->click();
    QVERIFY(one_box().contains(QDir(app->scratch.qpath()).filePath("Korvane.log")));
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.read("Korvane.log").contains("Korvane ended with exit status 0"), 10000);
    QVERIFY(app->scratch.read("Korvane.log").contains(" Field size = 43.2 \xc3\x97 35.6 [cm2]"));
    QVERIFY(!app->scratch.read("Korvane.log").contains("\x81\x7e"));
    confirm_shape("Option1");
    form5().button("Command2")->click();
    QVERIFY(app->boxes.take().empty());
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.read("Mirabek.log").contains("Mirabek ended with exit status 0"), 10000);
    form5().button("Command1")->click();
    for (const char* f : {"Korvane.log", "Mirabek.log", "ResultBSF.txt", "joken.txt", "X_SPCTL.dat"})
      QVERIFY2(!app->scratch.exists(f), f);
  }

  // Cancel or a closed dialog after an earlier OK: the confirmed phantom's
  // engine runs, on the joken.txt its OK wrote.
  void cancelAfterOkStartsTheConfirmedEngine_data()
  {
    QTest::addColumn<bool>("close_by_frame");
    QTest::newRow("Cancel") << false;
    QTest::newRow("frame closed") << true;
  }
  void cancelAfterOkStartsTheConfirmedEngine()
  {
    QFETCH(bool, close_by_frame);
    open_form5();
    for (const char* e : {"Mirabek", "Teslund", "Korvane"}) app->scratch.write_script(e, standin(e));
    confirm_shape("Option2");
    form5().button("Command3")->click();  // reopens on the cylinder
    QTest::mouseClick(shell().form13()->option("Option1"), Qt::LeftButton);
    if (close_by_frame) {
      shell().form13()->close();
      test::settle();
    } else {
      shell().form13()->button("Command2")->click();
      shell().form4()->button("Command2")->click();
    }
    QVERIFY(form5().button("Command2")->isEnabled());
    form5().button("Command2")->click();
    app->boxes.take();
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.exists("started.txt"), 10000);
    QVERIFY(app->scratch.read("started.txt").startsWith("name:Teslund "));
    QCOMPARE(app->scratch.read("joken.txt").count('\n'), 8);
    QCOMPARE(form5().label("Label14")->text(), u8("30 : 20cmの楕円柱表面"));
  }

  // Conditions changed on the form after OK are the ones the engine gets.
  void conditionsChangedAfterOkAreTheOnesRun()
  {
    open_form5();
    app->scratch.write_script("Mirabek", standin("Mirabek"));
    confirm_shape("Option1");
    test::retype(form5().text("Text9"), "70");
    test::retype(form5().text("Text11"), "25.4");
    form5().button("Command2")->click();
    app->boxes.take();
    QCOMPARE(app->scratch.read("joken.txt"),
             QByteArray("020.0\r\n020.0\r\n070.0\r\n100.0\r\n025.4\r\n043.2\r\n00050000000\r\n"));
  }

  // A field widened on the form after OK is checked against the confirmed
  // phantom again before anything is written or started.
  void conditionsChangedAfterOkAreCheckedAgain()
  {
    open_form5();
    app->scratch.write_script("Korvane", standin("Korvane"));
    form5().button("Command3")->click();
    QTest::mouseClick(shell().form13()->option("Option3"), Qt::LeftButton);
    test::type_into(shell().form13()->text("Text6"), "10");
    shell().form13()->button("Command1")->click();
    QVERIFY(app->boxes.take().empty());
    test::retype(form5().text("Text10"), "200");
    test::retype(form5().text("Text11"), "200");
    form5().button("Command2")->click();
    QVERIFY(one_box().contains(u8("照射野に比べてレーストラック型モデルが小さすぎます")));
    QTest::qWait(200);
    QVERIFY(!app->scratch.exists("started.txt"));
    QVERIFY(!app->scratch.exists("X_SPCTL.dat"));
  }

  // Factors are rounded as the user reads them in the file.
  void resultsRoundTheDecimalsOfTheFile()
  {
    run_to_result(" 1.4725\r\n 1.2345\r\n 1.0005\r\n");
    QVERIFY(app->boxes.take().empty());
    QCOMPARE(form5().label("Label70")->text(), QString("1.473"));
    QCOMPARE(form5().label("Label68")->text(), QString("1.235"));
    QCOMPARE(form5().label("Label69")->text(), QString("1.001"));
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
    // The log has what the window showed, and the end of the run.
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.read("Korvane.log").contains("Korvane ended with exit status 3"), 10000);
    QVERIFY(app->scratch.read("Korvane.log").contains(" Field size = 43.2 \xc3\x97 35.6 [cm2]"));
    const QList<QByteArray> started = app->scratch.read("started.txt").split('\n');
    QCOMPARE(QDir(QString::fromUtf8(started[1])).canonicalPath(), QDir(app->scratch.qpath()).canonicalPath());
    QVERIFY(form5().button("Command4")->isEnabled());
  }

  // A terminal that ends without running anything (a broken one) is passed
  // over: the engine runs detached, once. A terminal that hands the command
  // to a server and ends at once still runs it, and only there.
  void brokenTerminalFallsBackToDetached_data()
  {
    QTest::addColumn<QString>("terminal");
    QTest::addColumn<bool>("windowless");
    // Ends at once and would run the command only after the launcher has
    // given it up: that late wrapper must not run a second engine.
    QTest::newRow("broken, late") << "#!/bin/sh\n[ \"$1\" = -e ] && shift\n"
                                     "( sleep 4; \"$@\" </dev/null >/dev/null 2>&1 ) &\nexit 0\n"
                                  << true;
    QTest::newRow("server") << "#!/bin/sh\n[ \"$1\" = -e ] && shift\n"
                               "( sleep 0.5; \"$@\" </dev/null >/dev/null 2>&1 ) &\nexit 0\n"
                            << false;
  }
  void brokenTerminalFallsBackToDetached()
  {
    QFETCH(QString, terminal);
    QFETCH(bool, windowless);
    QTemporaryDir bin;
    const QString term = QDir(bin.path()).filePath("fake-terminal");
    {
      QFile f(term);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(terminal.toUtf8());
    }
    QFile::setPermissions(term, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    open_form5({Terminal{term, {"-e"}}});
    app->scratch.write_script("Korvane", "echo x >> starts\n" + standin("Korvane"));
    confirm_shape("Option3");
    form5().button("Command2")->click();
    const auto b = app->boxes.take();
    QCOMPARE(b.size(), std::size_t(windowless ? 1 : 0));  // the no-window notice
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.read("Korvane.log").contains("Korvane ended with exit status 0"), 10000);
    QTest::qWait(2500);  // a late start of the given-up attempt comes now
    QCOMPARE(app->scratch.read("starts"), QByteArray("x\n"));
  }

  void realEngineFromShapeDialogToResult_data()
  {
    QTest::addColumn<bool>("all_cores");
    QTest::newRow("all cores") << true;
    QTest::newRow("exact serial run") << false;
  }
  void realEngineFromShapeDialogToResult()
  {
    QFETCH(bool, all_cores);
    open_form5();
    app->scratch.install_engine("Korvane");
    form5().button("Command3")->click();
    QTest::mouseClick(shell().form13()->option("Option3"), Qt::LeftButton);
    if (!all_cores) QTest::mouseClick(shell().form13()->check("Check1"), Qt::LeftButton, {}, QPoint(8, 12));
    test::type_into(shell().form13()->combo("Combo1"), "400000");
    shell().form13()->button("Command1")->click();
    form5().button("Command2")->click();
    app->boxes.take();  // the log notice
    // The factors appear when the run has ended, without a click, each with
    // its uncertainty.
    QTRY_VERIFY_WITH_TIMEOUT(!form5().label("Label68")->text().isEmpty(), 60000);
    QVERIFY(app->boxes.take().empty());
    const QRegularExpression shown(QStringLiteral("^(\\d\\.\\d{3}) ± (\\d\\.\\d{3})$"));
    for (const char* l : {"Label68", "Label69", "Label70"}) {
      const auto m = shown.match(form5().label(l)->text());
      QVERIFY2(m.hasMatch(), qPrintable(QString("%1 shows %2").arg(l, form5().label(l)->text())));
      const double v = m.captured(1).toDouble(), u = m.captured(2).toDouble();
      QVERIFY2(u > 0.0 && std::fabs(v - 1.38) < 5 * u + 0.02, qPrintable(form5().label(l)->text()));
    }
    QVERIFY(form5().label("LabelStatus")->text().startsWith(u8("計算終了（Korvane）: ")));
    const QByteArray log = app->scratch.read("Korvane.log");
    QCOMPARE(log.contains("Parallel run"), all_cores);
    // The result button shows the same.
    const QString before = form5().label("Label70")->text();
    form5().button("Command4")->click();
    QVERIFY(app->boxes.take().empty());
    QCOMPARE(form5().label("Label70")->text(), before);
  }

  // The choice of all cores is kept across sessions.
  void allCoresChoiceIsKeptAcrossSessions()
  {
    open_form5();
    form5().button("Command3")->click();
    QVERIFY(shell().form13()->check("Check1")->isChecked());  // the default
    QTest::mouseClick(shell().form13()->check("Check1"), Qt::LeftButton, {}, QPoint(8, 12));
    app.reset();
    app = std::make_unique<App>(std::vector<Terminal>{}, true);
    QVERIFY(shell().start());
    shell().form1()->button("Command1")->click();
    shell().form4()->button("Command2")->click();
    form5().button("Command3")->click();
    QVERIFY(!shell().form13()->check("Check1")->isChecked());
    app->scratch.write_script("Mirabek", standin("Mirabek"));
    test::type_into(shell().form13()->combo("Combo1"), "50000000");
    shell().form13()->button("Command1")->click();
    form5().button("Command2")->click();
    app->boxes.take();
    QTRY_VERIFY_WITH_TIMEOUT(app->scratch.exists("started.txt"), 10000);
    QVERIFY(app->scratch.read("started.txt").startsWith("name:Mirabek args:\n"));  // the exact serial run
  }

  // The form follows a run through the engine's status: the share done and
  // the time left while it runs; the factors with their uncertainties as
  // soon as it has finished; a failure with the engine's own message.
  void statusLineFollowsTheRun()
  {
    open_form5();
    app->scratch.write_script(
        "Korvane",
        "status() { printf '{\"state\": \"%s\", \"histories_done\": %s, \"histories_total\": 1000, "
        "\"elapsed_seconds\": %s, \"threads\": 2, \"program\": \"Korvane\", \"pid\": 1, \"started\": \"x\"%s}\\n' "
        "\"$@\" > EngineStatus.json.tmp && mv EngineStatus.json.tmp EngineStatus.json; }\n"
        "status running 0 0 ''\n"
        "n=0; while [ ! -e step ] && [ $n -lt 3000 ]; do sleep 0.02; n=$((n+1)); done\n"
        "status running 250 30 ''\n"
        "n=0; while [ ! -e release ] && [ $n -lt 3000 ]; do sleep 0.02; n=$((n+1)); done\n"
        "if [ -e fail ]; then\n"
        "  status failed 1000 60 ', \"exit_status\": 2, \"message\": \"No primary photon crossed the scoring disc\"'\n"
        "  exit 2\n"
        "fi\n"
        "printf ' 1.2346\\r\\n 1.3000\\r\\n 1.4000\\r\\n' > ResultBSF.txt\n"
        "printf '{\"bsf_air_kerma\": 1.2346, \"bsf_soft_tissue\": 1.3, \"bsf_skin\": 1.4, \"u_air_kerma\": 0.0123, "
        "\"u_soft_tissue\": 0.004, \"u_skin\": 0.0004, \"histories\": 1000, \"primary_scores\": 10, "
        "\"threads\": 2, \"seconds\": 60, \"phantom\": \"racetrack\"}\\n' > ResultBSF.json\n"
        "status finished 1000 60 ', \"exit_status\": 0'\n");
    for (bool fails : {false, true}) {
      for (const char* f : {"step", "release", "fail"}) QFile::remove(QDir(app->scratch.qpath()).filePath(f));
      if (fails) app->scratch.write("fail", "");
      confirm_shape("Option3");
      form5().button("Command2")->click();
      app->boxes.take();
      QLabel* line = form5().label("LabelStatus");
      QTRY_VERIFY_WITH_TIMEOUT(line->text().startsWith(u8("計算中（Korvane、2 スレッド）: 0.0 %")), 10000);
      app->scratch.write("step", "");
      QTRY_VERIFY_WITH_TIMEOUT(line->text().contains(u8("25.0 %　250 / 1,000 ヒストリー　経過 30 秒　残り約 1 分 30 秒")),
                               10000);
      QVERIFY(form5().label("Label70")->text().isEmpty());
      app->scratch.write("release", "");
      if (!fails) {
        QTRY_COMPARE_WITH_TIMEOUT(form5().label("Label70")->text(), QString("1.235 ± 0.012"), 10000);
        QCOMPARE(form5().label("Label68")->text(), QString("1.300 ± 0.004"));
        QCOMPARE(form5().label("Label69")->text(), QString("1.400 ± 0.000"));
        QCOMPARE(line->text(), u8("計算終了（Korvane）: 1,000 ヒストリー、所要 1 分 0 秒"));
      } else {
        QTRY_VERIFY_WITH_TIMEOUT(line->text().startsWith(u8("計算停止（Korvane）: ")), 10000);
        QVERIFY2(line->text().contains("No primary photon crossed the scoring disc"), qPrintable(line->text()));
        QVERIFY(form5().label("Label70")->text().isEmpty());
      }
      QVERIFY(app->boxes.take().empty());  // followed without a message box
      QTRY_VERIFY_WITH_TIMEOUT(app->scratch.read("Korvane.log").contains("Korvane ended"), 10000);
    }
    // Exit takes the engine's files with the others.
    form5().button("Command1")->click();
    for (const char* f : {"ResultBSF.json", "EngineStatus.json"}) QVERIFY2(!app->scratch.exists(f), f);
  }
};

QTEST_MAIN(JobControl)
#include "test_job_control.moc"
