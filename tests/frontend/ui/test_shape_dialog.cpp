// The shape dialog: opening, the sketch through the real button, OK writing
// joken.txt for each shape with the Monte Carlo form's labels, Cancel.
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
#include "picture_box.h"
#include "shape_dialog.h"
#include "ui_support.h"

using namespace bsf::ui;
using bsf::ui::test::App;

class ShapeDialog : public QObject {
  Q_OBJECT

  std::unique_ptr<App> app;

  Shell& shell() { return *app->shell; }
  Form5& form5() { return *shell().form5(); }
  Form13& dialog() { return *shell().form13(); }

 private slots:
  void init()
  {
    app = std::make_unique<App>();
    QVERIFY(shell().start());
    shell().form1()->button("Command1")->click();
    shell().form4()->button("Command2")->click();
    form5().button("Command3")->click();
    QVERIFY(shell().form13() && dialog().isVisible());
  }

  void cleanup()
  {
    const auto left = app->boxes.take();
    app.reset();
    QVERIFY2(left.empty(), qPrintable("unexpected message box: " + (left.empty() ? "" : left[0].text)));
  }

  void openingResetsShapeHistoriesAndSketch()
  {
    QTest::mouseClick(dialog().option("Option3"), Qt::LeftButton);
    QVERIFY(dialog().chosen_shape() == bsf::Phantom::Racetrack);
    // Only OK makes a shape the run's phantom.
    QCOMPARE(shell().state().PhantomShape, std::int16_t{1});
    test::type_into(dialog().combo("Combo1"), "10000000");
    test::type_into(dialog().text("Text4"), "33");
    dialog().button("Command6")->click();
    QVERIFY(!dialog().sketch().empty());
    dialog().hide();
    shell().state().ActiveForm = 1;

    form5().button("Command3")->click();
    QCOMPARE(shell().state().ActiveForm, std::int16_t{2});
    QVERIFY(dialog().option("Option1")->isChecked());
    QVERIFY(dialog().chosen_shape() == bsf::Phantom::Cylinder);
    QCOMPARE(dialog().combo("Combo1")->currentText(), QString("50000000"));
    QVERIFY(dialog().sketch().empty());
    QCOMPARE(dialog().text("Text4")->text(), QString("33"));  // typed sizes stay
    QVERIFY(dialog().isVisible());
  }

  void controlsAndDefaults()
  {
    QCOMPARE(dialog().option("Option1")->text(), QString("Clyndrical type"));
    QCOMPARE(dialog().option("Option2")->text(), QString("Elliptic cylinder type"));
    QCOMPARE(dialog().option("Option3")->text(), QString("Racetrack type"));
    const char* defaults[][2] = {{"Text1", "20"}, {"Text2", "30"}, {"Text3", "20"},
                                 {"Text4", "20"}, {"Text5", "20"}, {"Text6", "80"}};
    for (const auto& d : defaults) QCOMPARE(dialog().text(d[0])->text(), QString(d[1]));
    QStringList items;
    for (int i = 0; i < dialog().combo("Combo1")->count(); ++i) items << dialog().combo("Combo1")->itemText(i);
    QCOMPARE(items, (QStringList{"10000000", "30000000", "50000000", "100000000", "300000000", "500000000"}));
    QVERIFY(dialog().combo("Combo1")->isEditable());
  }

  void okWritesJokenForEachShape_data()
  {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QByteArray>("joken");
    QTest::addColumn<QString>("surface");
    QTest::newRow("cylinder") << "Option1"
                              << QByteArray("020.0\r\n020.0\r\n080.0\r\n100.0\r\n035.6\r\n043.2\r\n00050000000\r\n")
                              << u8("半径 20cm の円柱表面");
    QTest::newRow("elliptic cylinder")
        << "Option2" << QByteArray("030.0\r\n020.0\r\n020.0\r\n080.0\r\n100.0\r\n035.6\r\n043.2\r\n00050000000\r\n")
        << u8("30 : 20cmの楕円柱表面");
    QTest::newRow("racetrack")
        << "Option3"
        << QByteArray("020.0\r\n020.0\r\n080.0\r\n020.0\r\n080.0\r\n100.0\r\n035.6\r\n043.2\r\n00050000000\r\n")
        << u8("レーストラック型モデルの表面");
  }
  void okWritesJokenForEachShape()
  {
    QFETCH(QString, option);
    QFETCH(QByteArray, joken);
    QFETCH(QString, surface);
    QVERIFY(!form5().button("Command2")->isEnabled());
    QTest::mouseClick(dialog().option(option), Qt::LeftButton);
    dialog().button("Command1")->click();
    QCOMPARE(app->scratch.read("joken.txt"), joken);
    QCOMPARE(form5().label("Label14")->text(), surface);
    QVERIFY(form5().button("Command2")->isEnabled());
    QVERIFY(!dialog().isVisible());
  }

  void okTakesTheFormsCurrentTextsAndKeepsTheFieldSizes()
  {
    test::type_into(dialog().combo("Combo1"), "1e6");
    test::type_into(dialog().text("Text1"), "12.5");
    test::type_into(form5().text("Text23"), "15");
    test::retype(form5().text("Text9"), "70");
    test::retype(form5().text("Text8"), "110");
    test::retype(form5().text("Text10"), "30.5");
    test::retype(form5().text("Text11"), "25.4");  // typed, focus never left
    dialog().button("Command1")->click();
    QCOMPARE(app->scratch.read("joken.txt"),
             QByteArray("012.5\r\n015.0\r\n070.0\r\n110.0\r\n025.4\r\n030.5\r\n00001000000\r\n"));
    QCOMPARE(shell().state().FieldShort, 35.6);  // the joken sizes are separate
    QCOMPARE(shell().state().JokenFieldShort, 25.4);
    QCOMPARE(form5().label("Label14")->text(), u8("半径 12.5cm の円柱表面"));
  }

  // What the user types into the editable list is what the engine gets:
  // the list must not complete 1000000 to its 10000000.
  void typedHistoryNumberIsWrittenAsTyped_data()
  {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("one million, a prefix of an item") << "1000000" << QByteArray("00001000000");
    QTest::newRow("three million") << "3000000" << QByteArray("00003000000");
    QTest::newRow("three hundred thousand") << "300000" << QByteArray("00000300000");
    QTest::newRow("an item itself") << "10000000" << QByteArray("00010000000");
    QTest::newRow("exponent") << "1e6" << QByteArray("00001000000");
    QTest::newRow("the 32-bit limit") << "2147483647" << QByteArray("02147483647");
    QTest::newRow("thousands separators") << "1,000,000" << QByteArray("00001000000");
    QTest::newRow("full-width digits") << u8("１０００００００") << QByteArray("00010000000");
  }
  void typedHistoryNumberIsWrittenAsTyped()
  {
    QFETCH(QString, typed);
    QFETCH(QByteArray, line);
    if (typed.front().unicode() < 128) test::type_into(dialog().combo("Combo1"), typed);
    else test::type_with_input_method(dialog().combo("Combo1"), typed);
    QCOMPARE(dialog().combo("Combo1")->currentText(), typed);
    dialog().button("Command1")->click();
    QVERIFY(app->boxes.take().empty());
    const QList<QByteArray> lines = app->scratch.read("joken.txt").split('\n');
    QCOMPARE(lines.size(), 8);  // 7 lines and the empty rest after the last line end
    QCOMPARE(lines[6], line + "\r");
  }

  // Every value the engine would refuse is refused at OK, naming the field;
  // nothing is written and the calculate button keeps its state.
  void okRefusesWhatTheEngineRefuses_data()
  {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("box");  // "Combo1" the history number; "Form5 TextN" a box of the Monte Carlo form
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("says");
    QTest::newRow("radius not a number") << "Option1" << "Text1" << "abc" << u8("「Curvature radius」の「abc」は数値ではありません");
    QTest::newRow("radius 0") << "Option1" << "Text1" << "0" << u8("「Curvature radius」は 1 cm 以上 500 cm 以下");
    QTest::newRow("radius negative") << "Option1" << "Text1" << "-3" << u8("「Curvature radius」は");
    QTest::newRow("semi-axis too thin") << "Option2" << "Text3" << "0.02" << u8("「Vertical axis」は 1 cm 以上");
    QTest::newRow("length empty") << "Option3" << "Text6" << "" << u8("「Length」が空欄です");
    QTest::newRow("racetrack far shorter than the field") << "Option3" << "Text6" << "1"
                                                           << u8("照射野に比べてレーストラック型モデルが小さすぎます");
    QTest::newRow("histories -5") << "Option1" << "Combo1" << "-5" << u8("1 以上 2147483647 以下の整数");
    QTest::newRow("histories 0") << "Option1" << "Combo1" << "0" << u8("「Photon history」は");
    QTest::newRow("histories not whole") << "Option1" << "Combo1" << "1.5" << u8("整数");
    QTest::newRow("histories beyond 32 bits") << "Option1" << "Combo1" << "3e9" << "2147483647";
    QTest::newRow("histories not a number") << "Option1" << "Combo1" << "many" << u8("数値ではありません");
    QTest::newRow("histories with a stray comma") << "Option1" << "Combo1" << "1,5" << u8("「1,5」は数値ではありません");
    QTest::newRow("form's thickness not a number") << "Option1" << "Form5 Text23" << "abc" << u8("「被写体厚」の「abc」");
    QTest::newRow("form's distance not a number") << "Option1" << "Form5 Text9" << "abc" << u8("「焦点-入射表面間距離」の「abc」");
    QTest::newRow("form's field size 0") << "Option1" << "Form5 Text11" << "0" << u8("「単軸方向サイズ」は");
  }
  void okRefusesWhatTheEngineRefuses()
  {
    QFETCH(QString, option);
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, says);
    QTest::mouseClick(dialog().option(option), Qt::LeftButton);
    if (box == "Combo1") test::type_into(dialog().combo("Combo1"), typed);
    else if (box.startsWith("Form5 ")) test::retype(form5().text(box.mid(6)), typed);
    else test::type_into(dialog().text(box), typed);
    dialog().button("Command1")->click();
    const auto b = app->boxes.take();
    QCOMPARE(b.size(), std::size_t{1});
    QVERIFY2(b[0].text.contains(says), qPrintable(b[0].text));
    QCOMPARE(b[0].title, QString("Orbisan"));
    QCOMPARE(b[0].icon, QMessageBox::Warning);
    QVERIFY(!app->scratch.exists("joken.txt"));
    QVERIFY(!form5().button("Command2")->isEnabled());
    QVERIFY(form5().label("Label14")->text().isEmpty());
    QVERIFY(dialog().isVisible());
  }

  // A decimal tie in a size is rounded as the user reads it.
  void sizesAreRoundedAsTyped_data()
  {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("12.35") << "12.35" << QByteArray("012.4\r\n");
    QTest::newRow("43.25") << "43.25" << QByteArray("043.3\r\n");
    QTest::newRow("12.34") << "12.34" << QByteArray("012.3\r\n");
  }
  void sizesAreRoundedAsTyped()
  {
    QFETCH(QString, typed);
    QFETCH(QByteArray, line);
    test::type_into(dialog().text("Text1"), typed);
    dialog().button("Command1")->click();
    QVERIFY(app->scratch.read("joken.txt").startsWith(line));
  }

  // The sketch shows the beam of the Monte Carlo form as its boxes show it,
  // whatever the table-estimate form did to the shared state.
  void shapeCheckDrawsTheMonteCarloFormsField()
  {
    // "その他" on Form1 leaves the shared field sizes without a number.
    Form1& f1 = *shell().form1();
    QComboBox* c = f1.combo("Combo1");
    c->setCurrentIndex(c->findText(u8("その他")));
    emit c->activated(c->currentIndex());
    QVERIFY(std::isnan(shell().state().FieldShort));
    test::retype(form5().text("Text11"), "30.0");
    dialog().button("Command6")->click();
    const auto& items = dialog().sketch();
    // 30 cm at the receptor 100 cm from the focus: edges at x = ±150 mm.
    QVERIFY(std::any_of(items.begin(), items.end(), [](const SketchItem& i) {
      const auto* l = std::get_if<SketchLine>(&i);
      return l && l->x1 == 0 && l->y1 == 800 && l->x2 == 150 && l->y2 == -200;
    }));
  }

  void historyNumberBeyond32BitsIsRefused()
  {
    test::type_into(dialog().combo("Combo1"), "3e9");
    dialog().button("Command1")->click();
    const auto b = app->boxes.take();
    QCOMPARE(b.size(), std::size_t{1});
    QVERIFY(b[0].text.contains("2147483647"));
    QVERIFY(!app->scratch.exists("joken.txt"));
    QVERIFY(!form5().button("Command2")->isEnabled());
    QVERIFY(dialog().isVisible());
  }

  void cancelReturnsToTheMenu()
  {
    dialog().button("Command2")->click();
    QVERIFY(shell().form4()->isVisible());
    QVERIFY(!form5().isVisible());
    QVERIFY(!dialog().isVisible());
    QVERIFY(!app->scratch.exists("joken.txt"));
    QVERIFY(!form5().button("Command2")->isEnabled());  // keeps its state

    shell().form4()->button("Command2")->click();
    form5().button("Command3")->click();
    dialog().button("Command1")->click();
    form5().button("Command3")->click();
    dialog().button("Command2")->click();
    QVERIFY(form5().button("Command2")->isEnabled());  // still enabled after a later cancel
  }

  void shapeCheckWithDefaultsDrawsTheCylinderToScale()
  {
    dialog().button("Command6")->click();
    const auto& items = dialog().sketch();
    auto has_line = [&](double x1, double y1, double x2, double y2, int width, Rgb c) {
      return std::any_of(items.begin(), items.end(), [&](const SketchItem& i) {
        const auto* l = std::get_if<SketchLine>(&i);
        return l && l->x1 == x1 && l->y1 == y1 && l->x2 == x2 && l->y2 == y2 && l->width == width && l->colour == c;
      });
    };
    QVERIFY(has_line(-400, -200, 400, -200, 2, Rgb{0, 0, 0}));    // receptor plane
    QVERIFY(has_line(-350, -200, 350, -200, 3, Rgb{0, 0, 255}));  // back of the body, 20 cm
    QVERIFY(has_line(0, 800, 178, -200, 3, Rgb{255, 0, 0}));      // beam edges
    QVERIFY(has_line(0, 800, -178, -200, 3, Rgb{255, 0, 0}));
    const auto arc = std::find_if(items.begin(), items.end(),
                                  [](const SketchItem& i) { return std::holds_alternative<SketchArc>(i); });
    QVERIFY(arc != items.end());
    const SketchArc& a = std::get<SketchArc>(*arc);
    QCOMPARE(a.cx, 0.0);
    QCOMPARE(a.cy, -200.0);
    QCOMPARE(a.rx, 200.0);
    QCOMPARE(a.ry, 200.0);
    // Painted into the real picture box without trouble.
    QVERIFY(!dialog().picture("Picture4")->is_clear());
    const QImage img = dialog().picture("Picture4")->grab().toImage();
    QVERIFY(img.width() > 500);
    // y = -200 lies half way down. Beyond x = -350 the black receptor line
    // shows; further in, the blue back of the body is drawn over it; a
    // little above, between the grid lines, the picture is white.
    auto pixel = [&](double x, double y) {
      return QColor(img.pixel(int((x + 400) / 800 * img.width()), int((200 - y) / 800 * img.height())));
    };
    QVERIFY(pixel(-380, -200).lightness() < 60);
    const QColor back = pixel(-280, -200);
    QVERIFY2(back.blue() > 200 && back.red() < 60, qPrintable(back.name()));
    QCOMPARE(pixel(-280, -180), QColor(Qt::white));
  }

  void shapeCheckUsesTheFormsThicknessText()
  {
    form5().text("Text23")->setText("12");  // not stored yet
    dialog().button("Command6")->click();
    const auto& items = dialog().sketch();
    QVERIFY(std::any_of(items.begin(), items.end(), [](const SketchItem& i) {
      const auto* l = std::get_if<SketchLine>(&i);
      return l && l->x1 == -350 && l->y1 == -120 && l->width == 3;
    }));
  }

  void unwritableJokenIsReportedWithItsReasonAndKeepsTheDialog()
  {
    // A directory in the way of the file cannot be replaced by it, even by
    // a user with every permission.
    QVERIFY(QDir(app->scratch.qpath()).mkpath("joken.txt/blocked"));
    dialog().button("Command1")->click();
    const auto b = app->boxes.take();
    QCOMPARE(b.size(), std::size_t{1});
    QVERIFY2(b[0].text.contains("joken.txt"), qPrintable(b[0].text));
    QVERIFY2(b[0].text.contains(u8("同じ名前のフォルダ")), qPrintable(b[0].text));  // the real reason
    QVERIFY2(!b[0].text.contains("Success"), qPrintable(b[0].text));
    QVERIFY(!shell().ended());
    QVERIFY(dialog().isVisible());
    QVERIFY(!form5().button("Command2")->isEnabled());
    QCOMPARE(QDir(app->scratch.qpath()).entryList({"joken.txt.*"}, QDir::Files), QStringList{});  // no temporary left
  }
};

QTEST_MAIN(ShapeDialog)
#include "test_shape_dialog.moc"
