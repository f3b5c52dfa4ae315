// Which window opens which, what persists while a window is hidden, what
// closing a window by its frame does, and how the program ends.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "conditions_forms.h"
#include "info_pages.h"
#include "menu_form.h"
#include "shape_dialog.h"
#include "ui_support.h"

using namespace bsf::ui;
using bsf::ui::test::App;

class Navigation : public QObject {
  Q_OBJECT

  std::unique_ptr<App> app;

 private slots:
  void init()
  {
    app = std::make_unique<App>();
    QVERIFY(app->shell->start());
  }

  void cleanup()
  {
    const auto boxes = app->boxes.take();
    app.reset();
    QVERIFY2(boxes.empty(), qPrintable("unexpected message box: " + (boxes.empty() ? "" : boxes[0].text)));
  }

  void startShowsOnlyForm1()
  {
    Shell& s = *app->shell;
    QVERIFY(s.form1() && s.form1()->isVisible());
    QCOMPARE(s.form1()->windowTitle(), QString("Orbisan"));
    QVERIFY(!s.form2() && !s.form3() && !s.form4() && !s.form5() && !s.form13());
  }

  void exitAndReturnKeepsFieldsWithoutReloading()
  {
    Shell& s = *app->shell;
    Form1* f1 = s.form1();
    test::type_into(f1->text("Text5"), "90");
    f1->combo("Combo1")->setCurrentText(QString::fromUtf8("大角サイズ"));
    f1->Combo1_Click();
    f1->button("Command2")->click();
    const QString bsf = f1->label("Label68")->text();
    QVERIFY(!bsf.isEmpty());

    f1->button("Command1")->click();
    QVERIFY(!f1->isVisible());
    QVERIFY(s.form4() && s.form4()->isVisible());

    s.form4()->button("Command1")->click();
    QCOMPARE(s.form1(), f1);  // the same window, not a new one
    QVERIFY(f1->isVisible());
    QVERIFY(!s.form4()->isVisible());
    QCOMPARE(f1->text("Text5")->text(), QString("90"));
    QCOMPARE(f1->text("Text10")->text(), QString("35.6"));
    QCOMPARE(f1->combo("Combo1")->currentText(), QString::fromUtf8("大角サイズ"));
    QCOMPARE(f1->label("Label68")->text(), bsf);
    QCOMPARE(s.state().TubeVoltage, 90.0);  // the load routine did not run again
  }

  void informationPages()
  {
    Shell& s = *app->shell;
    s.form1()->button("Command1")->click();
    Form4* menu = s.form4();
    menu->button("Command3")->click();
    QVERIFY(s.form2() && s.form2()->isVisible());
    QVERIFY(menu->isVisible());  // the menu stays
    QCOMPARE(s.form2()->windowTitle(), QString::fromUtf8("後方散乱係数"));

    s.form2()->button("Command1")->click();  // 続き
    QVERIFY(s.form3() && s.form3()->isVisible());
    QVERIFY(!s.form2()->isVisible());
    s.form3()->button("Command2")->click();  // Close
    QVERIFY(!s.form3()->isVisible());
    QVERIFY(menu->isVisible());

    menu->button("Command3")->click();
    s.form2()->button("Command2")->click();
    QVERIFY(!s.form2()->isVisible());
    QVERIFY(menu->isVisible());
  }

  void menuOpensMonteCarloFormAndBack()
  {
    Shell& s = *app->shell;
    s.form1()->button("Command1")->click();
    s.form4()->button("Command2")->click();
    QVERIFY(s.form5() && s.form5()->isVisible());
    QVERIFY(!s.form4()->isVisible());
    s.form5()->button("Command1")->click();
    QVERIFY(!s.form5()->isVisible());
    QVERIFY(s.form4()->isVisible());
  }

  void endTerminatesWithoutDeletingFiles()
  {
    Shell& s = *app->shell;
    s.form1()->button("Command2")->click();  // writes X_SPCTL.dat
    QVERIFY(app->scratch.exists("X_SPCTL.dat"));
    app->scratch.write("joken.txt", "x\r\n");
    s.form1()->button("Command1")->click();  // deletes X_SPCTL.dat
    app->scratch.write("X_SPCTL.dat", "y\r\n");
    s.form4()->button("Command4")->click();  // END
    QVERIFY(s.ended());
    QCOMPARE(app->end_status, 0);
    QVERIFY(!s.form4()->isVisible());
    QVERIFY(app->scratch.exists("X_SPCTL.dat"));
    QVERIFY(app->scratch.exists("joken.txt"));
  }

  void closingForm1EndsTheProgram()
  {
    app->shell->form1()->close();
    QVERIFY(app->shell->ended());
    QCOMPARE(app->end_status, 0);
  }

  void closingTheMenuEndsTheProgram()
  {
    Shell& s = *app->shell;
    s.form1()->button("Command1")->click();
    s.form4()->close();
    QVERIFY(s.ended());
  }

  void closingForm5ByItsFrameLeavesLikeExitAndUnloadsIt()
  {
    Shell& s = *app->shell;
    s.form1()->button("Command1")->click();
    s.form4()->button("Command2")->click();
    test::type_into(s.form5()->text("Text5"), "110");
    app->scratch.write("ResultBSF.txt", " 1.3000\r\n 1.3000\r\n 1.3000\r\n");
    app->scratch.write("joken.txt", "x\r\n");
    s.form5()->close();
    test::settle();
    QVERIFY(!s.form5());  // unloaded
    QVERIFY(s.form4()->isVisible());
    QVERIFY(!app->scratch.exists("ResultBSF.txt"));
    QVERIFY(!app->scratch.exists("joken.txt"));
    QVERIFY(!s.ended());

    s.form4()->button("Command2")->click();  // a new Form5, loaded again
    QCOMPARE(s.form5()->text("Text5")->text(), QString("75"));
    QCOMPARE(s.state().TubeVoltage, 75.0);
    QVERIFY(!s.form5()->button("Command2")->isEnabled());
  }

  void closingPagesOrDialogByFrameUnloadsOnlyThem()
  {
    Shell& s = *app->shell;
    s.form1()->button("Command1")->click();
    s.form4()->button("Command3")->click();
    s.form2()->close();
    test::settle();
    QVERIFY(!s.form2());
    QVERIFY(s.form4()->isVisible());
    QVERIFY(!s.ended());

    s.form4()->button("Command2")->click();
    s.form5()->button("Command3")->click();
    test::type_into(s.form13()->text("Text1"), "35");
    s.form13()->close();
    test::settle();
    QVERIFY(!s.form13());
    QVERIFY(s.form5()->isVisible());
    s.form5()->button("Command3")->click();  // a new dialog with its default texts
    QCOMPARE(s.form13()->text("Text1")->text(), QString("20"));
  }

  void windowsHaveTheirCaptionsAndClientSizes()
  {
    Shell& s = *app->shell;
    s.form1()->button("Command1")->click();
    s.form4()->button("Command3")->click();
    s.form2()->button("Command1")->click();
    s.form4()->button("Command2")->click();
    s.form5()->button("Command3")->click();
    struct Expect {
      QWidget* w;
      const char* caption;
      int width_twips, height_twips;
    };
    const Expect cases[] = {
        {s.form1(), "Orbisan", 16800, 7905},  {s.form4(), "Orbisan", 12120, 6405},
        {s.form5(), "Orbisan", 16815, 6195},  {s.form13(), "  入射表面の形状", 20565, 8115},
        {s.form2(), "後方散乱係数", 12555, 10410}, {s.form3(), "後方散乱係数", 12525, 9555},
    };
    for (const Expect& e : cases) {
      QCOMPARE(e.w->windowTitle(), QString::fromUtf8(e.caption));
      QCOMPARE(e.w->size(), QSize(qRound(e.width_twips / 15.0), qRound(e.height_twips / 15.0)));
    }
  }

  void missingDataFileAtLoadIsReportedAndEndsTheProgram()
  {
    app.reset();
    app = std::make_unique<App>();
    QFile::remove(app->scratch.qpath() + "/dBSF-SkinDose-SoftPhantom.dat");
    QVERIFY(!app->shell->start());
    QVERIFY(app->shell->ended());
    QCOMPARE(app->end_status, 1);
    const auto boxes = app->boxes.take();
    QCOMPARE(boxes.size(), std::size_t{1});
    QCOMPARE(boxes[0].title, QString("Orbisan"));
    QCOMPARE(boxes[0].icon, QMessageBox::Warning);
    QCOMPARE(boxes[0].buttons, 1);
    QVERIFY2(boxes[0].text.contains("dBSF-SkinDose-SoftPhantom.dat"), qPrintable(boxes[0].text));
  }
};

QTEST_MAIN(Navigation)
#include "test_navigation.moc"
