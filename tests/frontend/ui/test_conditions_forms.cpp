// The two conditions forms through their widgets: defaults, presets, the
// Enter chain, number reading as typed, the checks, the calculate buttons
// and the exit buttons.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cmath>

#include "conditions_forms.h"
#include "menu_form.h"
#include "ui_support.h"

using namespace bsf::ui;
using bsf::ui::test::App;

class ConditionsForms : public QObject {
  Q_OBJECT

  std::unique_ptr<App> app;

  Shell& shell() { return *app->shell; }
  Form1& form1() { return *shell().form1(); }
  Form5& form5()
  {
    if (!shell().form5()) {
      form1().button("Command1")->click();
      shell().form4()->button("Command2")->click();
    }
    return *shell().form5();
  }
  ConditionsForm& form(int which) { return which == 1 ? static_cast<ConditionsForm&>(form1()) : form5(); }
  void choose(ConditionsForm& f, const char* item)
  {
    QComboBox* c = f.combo("Combo1");
    const int i = c->findText(u8(item));
    QVERIFY2(i >= 0, item);
    c->setCurrentIndex(i);
    emit c->activated(i);
  }
  std::vector<test::MessageBoxGuard::Box> boxes() { return app->boxes.take(); }

 private slots:
  void init()
  {
    app = std::make_unique<App>();
    QVERIFY(app->shell->start());
  }

  void cleanup()
  {
    const auto left = boxes();
    app.reset();
    QVERIFY2(left.empty(), qPrintable("unexpected message box: " + (left.empty() ? "" : left[0].text)));
  }

  void defaults_data()
  {
    QTest::addColumn<int>("which");
    QTest::newRow("Form1") << 1;
    QTest::newRow("Form5") << 2;
  }
  void defaults()
  {
    QFETCH(int, which);
    ConditionsForm& f = form(which);
    const std::pair<const char*, const char*> texts[] = {
        {"Text1", "12"}, {"Text2", "2.5"}, {"Text3", "1.0"},  {"Text4", "0"},     {"Text5", "75"},
        {"Text8", "100"}, {"Text9", "80"}, {"Text23", "20"}, {"Text10", "43.2"}, {"Text11", "35.6"},
    };
    for (const auto& [box, text] : texts) QCOMPARE(f.text(box)->text(), QString(text));
    QCOMPARE(f.combo("Combo1")->currentText(), u8("半切サイズ 縦"));
    QCOMPARE(f.combo("Combo1")->count(), which == 1 ? 11 : 10);
    QVERIFY(f.option("Option1")->isChecked());
    for (const char* l : {"Label68", "Label69", "Label70", "Label6"}) QVERIFY(f.label(l)->text().isEmpty());
    const bsf::ExposureConditions& s = shell().state();
    QCOMPARE(s.AnodeAngle, 12.0);
    QCOMPARE(s.InherentFilter, 0.25);
    QCOMPARE(s.AddedFilterAl, 0.1);
    QCOMPARE(s.TubeVoltage, 75.0);
    QCOMPARE(s.FieldLong, 43.2);
    QCOMPARE(s.FieldShape, std::int16_t{1});
    QCOMPARE(s.Waveform, std::int16_t{1});
    QCOMPARE(s.ActiveForm, std::int16_t(which));
    QCOMPARE(s.PhantomShape, std::int16_t(which == 1 ? 0 : 1));
    QCOMPARE(f.button("Command2")->isEnabled(), which == 1);
    QCOMPARE(f.button("Command2")->toolTip(), QString(" Go ! "));
    QCOMPARE(f.button("Command1")->toolTip(), QString("  ---  bye bye  ---  "));
    if (which == 2) {
      QVERIFY(!f.button("Command4")->isEnabled());
      QVERIFY(f.label("Label14")->text().isEmpty());
    }
  }

  void presets_data()
  {
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("long_text");
    QTest::addColumn<QString>("short_text");
    const char* rows[][3] = {
        {"六切サイズ 縦", "25.4", "20.3"}, {"六切サイズ 横", "20.3", "25.4"}, {"四切サイズ 縦", "30.5", "25.4"},
        {"四切サイズ 横", "25.4", "30.5"}, {"大四サイズ 縦", "35.6", "28.0"}, {"大四サイズ 横", "28.0", "35.6"},
        {"大角サイズ", "35.6", "35.6"},    {"半切サイズ 縦", "43.2", "35.6"}, {"半切サイズ 横", "35.6", "43.2"},
    };
    for (int which : {1, 2})
      for (const auto& r : rows)
        QTest::newRow(qPrintable(QString("Form%1 %2").arg(which == 1 ? 1 : 5).arg(u8(r[0]))))
            << which << u8(r[0]) << QString(r[1]) << QString(r[2]);
  }
  void presets()
  {
    QFETCH(int, which);
    QFETCH(QString, item);
    QFETCH(QString, long_text);
    QFETCH(QString, short_text);
    ConditionsForm& f = form(which);
    f.text("Text1")->setFocus();
    choose(f, item.toUtf8().constData());
    QCOMPARE(f.text("Text10")->text(), long_text);
    QCOMPARE(f.text("Text11")->text(), short_text);
    QCOMPARE(shell().state().FieldLong, long_text.toDouble());
    QCOMPARE(shell().state().FieldShort, short_text.toDouble());
    QCOMPARE(shell().state().FieldShape, std::int16_t{1});
    // Form1 always moves on to the long side; Form5 leaves the focus alone.
    QCOMPARE(f.focusWidget(), which == 1 ? static_cast<QWidget*>(f.text("Text10")) : f.text("Text1"));
  }

  void otherSizeOnForm1EmptiesTheSizes()
  {
    choose(form1(), "その他");
    QVERIFY(form1().text("Text10")->text().isEmpty());
    QVERIFY(form1().text("Text11")->text().isEmpty());
    QVERIFY(std::isnan(shell().state().FieldLong));
    QVERIFY(std::isnan(shell().state().FieldShort));
    QCOMPARE(form1().focusWidget(), form1().text("Text10"));
    // A calculate without typing sizes is refused before anything is
    // written: the empty box is named.
    form1().button("Command2")->click();
    const auto b = boxes();
    QCOMPARE(b.size(), std::size_t{1});
    QVERIFY2(b[0].text.contains(u8("「長軸方向サイズ」が空欄です")), qPrintable(b[0].text));
    QVERIFY(!app->scratch.exists("X_SPCTL.dat"));
    QCOMPARE(form1().focusWidget(), form1().text("Text10"));
  }

  void otherSizeOnForm5SetsTwenty()
  {
    form5().text("Text1")->setFocus();
    choose(form5(), "その他");
    QCOMPARE(form5().text("Text10")->text(), QString("20"));
    QCOMPARE(form5().text("Text11")->text(), QString("20"));
    QCOMPARE(shell().state().FieldLong, 20.0);
    QCOMPARE(shell().state().FieldShort, 20.0);
    QCOMPARE(form5().focusWidget(), form5().text("Text10"));
  }

  void circularFieldAndBack()
  {
    Form1& f = form1();
    choose(f, "円形照射野");
    QCOMPARE(f.text("Text10")->text(), QString("10.0"));
    QCOMPARE(f.text("Text11")->text(), QString("0"));
    QCOMPARE(f.label("Label22")->text(), u8("  照射野サイズ（直径）"));
    QCOMPARE(shell().state().FieldShape, std::int16_t{2});
    QCOMPARE(shell().state().FieldLong, 10.0);
    QCOMPARE(shell().state().FieldShort, 0.0);
    f.button("Command2")->click();  // a circular field computes (Text11 0 is not used)
    QVERIFY(!f.label("Label68")->text().isEmpty());
    choose(f, "大角サイズ");
    QCOMPARE(f.label("Label22")->text(), u8("　長軸方向サイズ"));
    QCOMPARE(shell().state().FieldShape, std::int16_t{1});
  }

  void typedTextsAreReadAsNumbersWhenFocusLeaves_data()
  {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("stored");
    QTest::newRow("letters read 0") << "Text5" << "abc" << 0.0;
    QTest::newRow("unit after number") << "Text5" << "12cm" << 12.0;
    QTest::newRow("leading blank") << "Text9" << " 1.5" << 1.5;
    QTest::newRow("comma ends number") << "Text8" << "2,5" << 2.0;
    QTest::newRow("exponent") << "Text23" << "1.5e1" << 15.0;
    QTest::newRow("inherent mm to cm") << "Text2" << "2.5" << 0.25;
    QTest::newRow("copper 0") << "Text4" << "0" << 0.0;
    QTest::newRow("aluminium mm to cm") << "Text3" << "3" << 0.30000000000000004;
    QTest::newRow("long side") << "Text10" << "30" << 30.0;
    QTest::newRow("short side") << "Text11" << "-5" << -5.0;
  }
  void typedTextsAreReadAsNumbersWhenFocusLeaves()
  {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(double, stored);
    const std::pair<const char*, double bsf::ExposureConditions::*> fields[] = {
        {"Text1", &bsf::ExposureConditions::AnodeAngle},     {"Text2", &bsf::ExposureConditions::InherentFilter},
        {"Text3", &bsf::ExposureConditions::AddedFilterAl},  {"Text4", &bsf::ExposureConditions::AddedFilterCu},
        {"Text5", &bsf::ExposureConditions::TubeVoltage},    {"Text8", &bsf::ExposureConditions::FocusReceptorDistance},
        {"Text9", &bsf::ExposureConditions::FocusSurfaceDistance}, {"Text23", &bsf::ExposureConditions::ObjectThickness},
        {"Text10", &bsf::ExposureConditions::FieldLong},     {"Text11", &bsf::ExposureConditions::FieldShort},
    };
    const auto field = std::find_if(std::begin(fields), std::end(fields),
                                    [&](const auto& f) { return box == f.first; })->second;
    for (int which : {1, 2}) {
      ConditionsForm& f = form(which);
      shell().state().*field = -999.0;
      test::type_into(f.text(box), typed);
      QCOMPARE(shell().state().*field, stored);
    }
  }

  void enterChain_data()
  {
    QTest::addColumn<int>("which");
    QTest::newRow("Form1") << 1;
    QTest::newRow("Form5") << 2;
  }
  void enterChain()
  {
    QFETCH(int, which);
    ConditionsForm& f = form(which);
    const char* chain[] = {"Text1", "Text2", "Text3", "Text4", "Text5", "Text8", "Text23", "Text9", "Combo1"};
    f.text("Text1")->setFocus();
    for (std::size_t i = 0; i + 1 < std::size(chain); ++i) {
      QCOMPARE(f.focusWidget(), f.control(chain[i]));
      QTest::keyClick(f.focusWidget(), Qt::Key_Return);
    }
    QCOMPARE(f.focusWidget(), f.control("Combo1"));
    f.text("Text10")->setFocus();
    QTest::keyClick(f.text("Text10"), Qt::Key_Enter);
    QCOMPARE(f.focusWidget(), f.control("Text11"));
    QTest::keyClick(f.text("Text11"), Qt::Key_Return);
    // Form5's calculate button is disabled until the shape is confirmed:
    // the focus stays in the last box.
    QCOMPARE(f.focusWidget(), which == 1 ? f.control("Command2") : f.control("Text11"));
    // Other keys do not move the focus.
    f.text("Text5")->setFocus();
    QTest::keyClick(f.text("Text5"), Qt::Key_A);
    QCOMPARE(f.focusWidget(), f.control("Text5"));
  }

  void enterOnTheCalculateButtonCalculates()
  {
    form1().button("Command2")->setFocus();
    QTest::keyClick(form1().button("Command2"), Qt::Key_Return);
    QCOMPARE(form1().label("Label68")->text(), QString("1.401"));
  }

  void wheelOverAnUnfocusedListChangesNothing()
  {
    for (int which : {1, 2}) {
      ConditionsForm& f = form(which);
      f.text("Text10")->setFocus();
      QComboBox* c = f.combo("Combo1");
      QWheelEvent wheel(QPointF(5, 5), c->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      QCoreApplication::sendEvent(c, &wheel);
      QCOMPARE(c->currentText(), u8("半切サイズ 縦"));
      QCOMPARE(f.text("Text10")->text(), QString("43.2"));
    }
  }

  void anyKeyInForm1ComboMovesToLongSide()
  {
    form1().combo("Combo1")->setFocus();
    QTest::keyClick(form1().combo("Combo1"), Qt::Key_Down);
    QCOMPARE(form1().focusWidget(), form1().text("Text10"));
    QCOMPARE(form1().combo("Combo1")->currentText(), u8("半切サイズ 縦"));
  }

  void waveformOptions()
  {
    for (int which : {1, 2}) {
      ConditionsForm& f = form(which);
      QTest::mouseClick(f.option("Option3"), Qt::LeftButton);
      QCOMPARE(shell().state().Waveform, std::int16_t{3});
      QTest::mouseClick(f.option("Option2"), Qt::LeftButton);
      QCOMPARE(shell().state().Waveform, std::int16_t{2});
      QTest::mouseClick(f.option("Option1"), Qt::LeftButton);
      QCOMPARE(shell().state().Waveform, std::int16_t{1});
    }
  }

  void calculateOnForm1ShowsSpectrumAndFactors()
  {
    form1().button("Command2")->click();
    QCOMPARE(form1().label("Label6")->text(), QString("3.059"));
    QCOMPARE(form1().label("Label70")->text(), QString("1.402"));
    QCOMPARE(form1().label("Label68")->text(), QString("1.401"));
    QCOMPARE(form1().label("Label69")->text(), QString("1.400"));
    const QByteArray spectrum = app->scratch.read("X_SPCTL.dat");
    QCOMPARE(spectrum.count("\r\n"), 300);
    QVERIFY(spectrum.startsWith("0000.5, 0.00000\r\n"));
  }

  void thicknessRule_data()
  {
    QTest::addColumn<QString>("thickness");
    QTest::addColumn<bool>("refused");
    QTest::newRow("equal to FFD - FSD passes") << "20" << false;
    QTest::newRow("larger is refused") << "20.1" << true;
  }
  void thicknessRule()
  {
    QFETCH(QString, thickness);
    QFETCH(bool, refused);
    form1().text("Text23")->setText(thickness);  // no focus change: calculate reads it again
    form1().button("Command2")->click();
    const auto b = boxes();
    QCOMPARE(b.size(), std::size_t(refused ? 1 : 0));
    QCOMPARE(app->scratch.exists("X_SPCTL.dat"), !refused);
    QCOMPARE(form1().label("Label68")->text().isEmpty(), refused);
    if (refused) {
      QCOMPARE(b[0].text, u8("  被写体厚が (FFD-FSD) より大きくなっています  "));
      QCOMPARE(b[0].title, QString("Orbisan"));
      QCOMPARE(b[0].icon, QMessageBox::Warning);
      QCOMPARE(b[0].buttons, 1);
      QCOMPARE(shell().state().ObjectThickness, 20.1);  // stored, though refused
    }
  }

  // Every value outside what the physics and the data allow, and every
  // text that is not a number, is refused before anything is computed,
  // naming the field and the allowed range; the program goes on, the
  // typed text stays and the focus waits in the box at fault.
  void refusedBeforeComputing_data()
  {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("says");
    QTest::newRow("voltage above 150") << "Text5" << "151" << u8("「Ｘ線管電圧」は 20 kV 以上 150 kV 以下");
    QTest::newRow("1 kV, whose spectrum is empty") << "Text5" << "1" << u8("「Ｘ線管電圧」は 20 kV 以上");
    QTest::newRow("voltage not a number") << "Text5" << "abc" << u8("「Ｘ線管電圧」の「abc」は数値ではありません");
    QTest::newRow("voltage beyond double") << "Text5" << "1e400" << u8("大きすぎて数値として扱えません");
    QTest::newRow("angle 90") << "Text1" << "90" << u8("「Ｘ線管ターゲット角度」は 5 度 以上 30 度 以下");
    QTest::newRow("negative copper") << "Text4" << "-1" << u8("「付加フィルタ（ 銅 ）」は 0 mm 以上 5 mm 以下");
    QTest::newRow("1000 mm copper") << "Text4" << "1000" << u8("「付加フィルタ（ 銅 ）」は");
    QTest::newRow("copper not a number") << "Text4" << "abc" << u8("「付加フィルタ（ 銅 ）」の「abc」");
    QTest::newRow("empty inherent") << "Text2" << "" << u8("「固有フィルタ (Al当量)」が空欄です");
    QTest::newRow("focus distance 1e300") << "Text8" << "1e300" << u8("「焦点-受像器間距離」は 10 cm 以上 1000 cm 以下");
    QTest::newRow("surface distance 0") << "Text9" << "0" << u8("「焦点-入射表面間距離」は");
    QTest::newRow("field 5000 cm") << "Text10" << "5000" << u8("「長軸方向サイズ」は 0.1 cm 以上 200 cm 以下");
  }
  void refusedBeforeComputing()
  {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, says);
    for (int which : {1, 2}) {
      ConditionsForm& f = form(which);
      f.button("Command2")->setEnabled(true);
      test::type_into(f.text(box), typed);
      QTest::mouseClick(f.button("Command2"), Qt::LeftButton);
      const auto b = boxes();
      QCOMPARE(b.size(), std::size_t{1});
      QVERIFY2(b[0].text.contains(says), qPrintable(b[0].text));
      QVERIFY2(!b[0].text.contains(u8("0 より大きく")), qPrintable(b[0].text));
      QVERIFY(!shell().ended());
      QVERIFY(!app->scratch.exists("X_SPCTL.dat"));
      QVERIFY(f.label("Label6")->text().isEmpty());
      QCOMPARE(f.text(box)->text(), typed);
      QCOMPARE(f.focusWidget(), f.control(box));
      const std::pair<const char*, const char*> defaults[] = {{"Text1", "12"}, {"Text2", "2.5"}, {"Text4", "0"},
                                                              {"Text5", "75"}, {"Text8", "100"}, {"Text9", "80"},
                                                              {"Text10", "43.2"}};
      for (const auto& [name, text] : defaults)
        if (box == name) test::type_into(f.text(box), text);
    }
  }

  // Full-width digits, as a Japanese input method types them, are numbers.
  void fullWidthDigitsAreNumbers()
  {
    test::type_with_input_method(form1().text("Text5"), u8("８０．５"));
    QCOMPARE(shell().state().TubeVoltage, 80.5);
    QTest::mouseClick(form1().button("Command2"), Qt::LeftButton);
    QVERIFY(boxes().empty());
    QVERIFY(!form1().label("Label68")->text().isEmpty());
  }

  // The limits' own values compute.
  void limitsThemselvesCompute()
  {
    const std::pair<const char*, const char*> typed[] = {{"Text5", "20"}, {"Text4", "5"}, {"Text3", "30"},
                                                         {"Text1", "5"}};
    for (const auto& [box, text] : typed) test::type_into(form1().text(box), text);
    QTest::mouseClick(form1().button("Command2"), Qt::LeftButton);
    QVERIFY(boxes().empty());
    QVERIFY(!form1().label("Label68")->text().isEmpty());
    QVERIFY(form1().label("Label6")->text().toDouble() > 0.0);
  }

  // The Monte Carlo form's load resets the shared conditions; the
  // table-estimate form still computes with the waveform it shows.
  void form1ComputesWithItsOwnWaveformAfterForm5Loaded()
  {
    QTest::mouseClick(form1().option("Option3"), Qt::LeftButton);
    form5();  // Exit, menu, the Monte Carlo form loads
    QCOMPARE(shell().state().Waveform, std::int16_t{1});
    form5().button("Command1")->click();
    shell().form4()->button("Command1")->click();
    QVERIFY(form1().option("Option3")->isChecked());
    QTest::mouseClick(form1().button("Command2"), Qt::LeftButton);
    QVERIFY(boxes().empty());
    QCOMPARE(form1().label("Label6")->text(), QString("2.707"));  // single-phase, not 3.059
  }

  // A preset chosen on the Monte Carlo form does not change the field shape
  // the table-estimate form shows and computes with.
  void form1KeepsItsCircularFieldThroughForm5sPresets()
  {
    choose(form1(), "円形照射野");
    QTest::mouseClick(form1().button("Command2"), Qt::LeftButton);
    const QString circular = form1().label("Label70")->text();
    form1().label("Label70")->clear();
    choose(form5(), "大角サイズ");
    form5().button("Command1")->click();
    shell().form4()->button("Command1")->click();
    QTest::mouseClick(form1().button("Command2"), Qt::LeftButton);
    QVERIFY(boxes().empty());
    QCOMPARE(form1().label("Label70")->text(), circular);
    QCOMPARE(form1().label("Label22")->text(), u8("  照射野サイズ（直径）"));
  }

  // An exchange file that cannot be written stops the calculation with the
  // real reason; the program and the user's input stay.
  void unwritableSpectrumIsReportedWithItsReason()
  {
    QVERIFY(QDir(app->scratch.qpath()).mkpath("X_SPCTL.dat/blocked"));
    test::type_into(form1().text("Text5"), "80");
    QTest::mouseClick(form1().button("Command2"), Qt::LeftButton);
    const auto b = boxes();
    QCOMPARE(b.size(), std::size_t{1});
    QVERIFY2(b[0].text.contains("X_SPCTL.dat") && b[0].text.contains(u8("同じ名前のフォルダ")), qPrintable(b[0].text));
    QVERIFY2(!b[0].text.contains("Success") && !b[0].text.contains("cannot"), qPrintable(b[0].text));
    QVERIFY(!shell().ended());
    QVERIFY(form1().isVisible());
    QCOMPARE(form1().text("Text5")->text(), QString("80"));
  }

  void halfValueLayerAppearsOnTheFormThatAsked()
  {
    form5();  // its load sets ActiveForm to 2
    QCOMPARE(shell().state().ActiveForm, std::int16_t{2});
    form5().button("Command1")->click();
    shell().form4()->button("Command1")->click();
    form1().button("Command2")->click();
    QCOMPARE(form1().label("Label6")->text(), QString("3.059"));
    QVERIFY(form5().label("Label6")->text().isEmpty());
  }

  void exitDeletesExactlyItsFiles_data()
  {
    QTest::addColumn<int>("which");
    QTest::addColumn<QStringList>("deleted");
    QTest::newRow("Form1") << 1 << QStringList{"X_SPCTL.dat"};
    QTest::newRow("Form5") << 2 << QStringList{"X_SPCTL.dat", "resultbsf.TXT", "joken.txt"};
  }
  void exitDeletesExactlyItsFiles()
  {
    QFETCH(int, which);
    QFETCH(QStringList, deleted);
    ConditionsForm& f = form(which);
    const QStringList files{"X_SPCTL.dat", "resultbsf.TXT", "joken.txt", "notes.txt"};
    for (const QString& name : files) app->scratch.write(name, "x");
    f.button("Command1")->click();
    for (const QString& name : files) QCOMPARE(app->scratch.exists(name), !deleted.contains(name));
    // Missing files are passed over without a message.
    shell().form4()->button(which == 1 ? "Command1" : "Command2")->click();
    f.button("Command1")->click();
    QVERIFY(shell().form4()->isVisible());
  }
};

QTEST_MAIN(ConditionsForms)
#include "test_conditions_forms.moc"
