// Which window opens which, what persists while a window is hidden, what
// closing a window by its frame does, and how the program ends.
#include <QComboBox>
#include <QGroupBox>
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

  void monteCarloFormKeepsItsStateAcrossExit()
  {
    Shell& s = *app->shell;
    s.form1()->button("Command1")->click();
    s.form4()->button("Command2")->click();
    Form5* f5 = s.form5();
    test::type_into(f5->text("Text9"), "65");
    f5->button("Command3")->click();
    s.form13()->button("Command1")->click();
    f5->button("Command3")->click();
    f5->button("Command1")->click();  // Exit, with the shape dialog open
    QVERIFY(!s.form13()->isVisible());
    s.form4()->button("Command2")->click();
    QCOMPARE(s.form5(), f5);
    QCOMPARE(f5->text("Text9")->text(), QString("65"));
    QVERIFY(f5->button("Command2")->isEnabled());
    QCOMPARE(f5->label("Label14")->text(), QString::fromUtf8("半径 20cm の円柱表面"));
  }

  void controlsSitWhereTheTablesPutThem()
  {
    Shell& s = *app->shell;
    s.form1()->button("Command1")->click();
    s.form4()->button("Command2")->click();
    s.form5()->button("Command3")->click();
    struct Expect {
      Form* form;
      const char* control;
      int left, top, width, height;  // twips within its parent
    };
    const Expect cases[] = {
        {s.form1(), "Text1", 3120, 2520, 975, 375},     {s.form5(), "Text1", 3240, 2520, 975, 375},
        {s.form1(), "Frame2", 480, 1320, 7335, 975},    {s.form5(), "Frame2", 600, 1320, 7335, 975},
        {s.form1(), "Option2", 3120, 480, 2295, 375},   {s.form5(), "Option2", 3120, 480, 2295, 375},
        {s.form1(), "Combo1", 7680, 3600, 1575, 390},   {s.form5(), "Label68", 14520, 2760, 1815, 495},
        {s.form1(), "Label6", 13680, 4320, 1575, 375},  {s.form1(), "Command2", 5040, 5040, 4215, 735},
        {s.form5(), "Command3", 600, 5040, 3255, 735},  {s.form5(), "Command1", 15000, 5040, 1335, 735},
        {s.form1(), "Shape1", 1320, 6120, 14415, 1335}, {s.form4(), "Command4", 8160, 5160, 1815, 735},
        {s.form4(), "Picture1", 5760, 5520, 480, 480},  {s.form13(), "Picture4", 12480, 120, 7815, 7815},
        {s.form13(), "Option3", 8160, 480, 3015, 375},  {s.form13(), "Combo1", 4800, 7080, 1935, 435},
    };
    for (const Expect& e : cases)
      QCOMPARE(e.form->control(e.control)->geometry(), twips_rect(e.left, e.top, e.width, e.height));
  }

  void captionsAndToolTips()
  {
    Shell& s = *app->shell;
    s.form1()->button("Command1")->click();
    s.form4()->button("Command2")->click();
    s.form5()->button("Command3")->click();
    const std::tuple<Form*, const char*, const char*> captions[] = {
        {s.form4(), "Command1", "微分後方散乱係数を用いた計算（入射表面：平面）"},
        {s.form4(), "Command2", "モンテカルロ法による計算（入射表面：非平面）"},
        {s.form4(), "Command3", "備 考 ： 従来の後方散乱係数の取得法の問題点"},
        {s.form4(), "Command4", "END"},
        {s.form1(), "Command2", "この条件で計算する"},
        {s.form5(), "Command4", "計算結果表示"},
        {s.form5(), "Command3", "入射表面の形状"},
        {s.form13(), "Command6", "Shape Check "},
    };
    for (const auto& [form, name, caption] : captions)
      QCOMPARE(qobject_cast<QPushButton*>(form->control(name))->text(), QString::fromUtf8(caption));
    QCOMPARE(s.form4()->control("Picture1")->toolTip(), QString::fromUtf8("   さわるな   "));
    QCOMPARE(qobject_cast<QGroupBox*>(s.form1()->control("Frame2"))->title(), QString::fromUtf8("  高電圧整流方式  "));
    QCOMPARE(qobject_cast<QGroupBox*>(s.form13()->control("Frame1"))->title(), QString(" Select surface type "));
    QCOMPARE(s.form1()->label("Label20")->text(), QString::fromUtf8("入射表面：平面"));
    QCOMPARE(s.form5()->label("Label20")->text(), QString::fromUtf8("入射面："));
    QCOMPARE(s.form1()->label("Label14")->text(),
             QString::fromUtf8("”微分後方散乱係数法” については、下記の文献を参照して下さい"));
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
