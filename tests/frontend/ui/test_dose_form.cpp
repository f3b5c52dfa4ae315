// The dose window through its widgets: opened from a shown result, the
// air kerma typed with real keys, the doses against the dose chain done by
// hand, inputs refused by name, the measured half-value layer filling the
// form's added-aluminium box, the report copied and saved as a PDF.
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <cmath>

#include "conditions_forms.h"
#include "dose_form.h"
#include "menu_form.h"
#include "number_text.h"
#include "patient_dose.h"
#include "picture_box.h"
#include "sha256.h"
#include "shape_dialog.h"
#include "ui_support.h"

using namespace bsf::ui;
using bsf::ui::test::App;

namespace {

QString mgy(double v) { return QString::fromStdString(bsf::format_pattern(v, "#0.000")) + " mGy"; }

// The number before " mGy" (or " ± ") in a result box.
double shown_value(const QLabel* l) { return l->text().section(' ', 0, 0).toDouble(); }

// Types into the file dialog that opens next, as a user does, and accepts it.
void save_as_when_asked(const QString& path)
{
  QTimer::singleShot(50, [path] {
    QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()), 5000);
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    QVERIFY(name);
    name->selectAll();
    QTest::keyClick(name, Qt::Key_Delete);
    QTest::keyClicks(name, path);
    QTest::keyClick(name, Qt::Key_Return);
  });
}

QString command_output(const QString& program, const QStringList& args)
{
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(20000)) return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

class DoseWindow : public QObject {
  Q_OBJECT

  std::unique_ptr<App> app;

  Shell& shell() { return *app->shell; }
  Form1& form1() { return *shell().form1(); }
  DoseForm& dose() { return *shell().dose_form(); }

  // Form1 calculated with its defaults, and the dose window opened on it.
  void open_on_form1()
  {
    QVERIFY(!form1().button("CommandDose")->isEnabled());
    form1().button("Command2")->click();
    QVERIFY(form1().button("CommandDose")->isEnabled());
    form1().button("CommandDose")->click();
    QVERIFY(shell().dose_form() && dose().isVisible());
  }
  void type(const char* box, const QString& text) { test::retype(dose().text(box), text); }
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

  // 2.1 mGy measured at 100 cm with the surface at 80 cm: K_i by the
  // inverse square law; ESAK and the tissue doses from the factors Form1
  // shows and the beam's tissue-to-air ratios; the air kerma's 5 %
  // uncertainty carried to every dose.
  void dosesFromAMeasuredAirKerma()
  {
    open_on_form1();
    type("TextKerma", "2.1");
    type("TextAt", "100");
    type("TextRelU", "5");
    QTest::mouseClick(dose().button("CommandCalc"), Qt::LeftButton);
    QVERIFY(boxes().empty());
    const bsf::ExposureConditions& s = shell().state();
    const double k = 2.1 * (100.0 / 80.0) * (100.0 / 80.0);
    const bsf::TissueToAir f = bsf::tissue_to_air(bsf::compute_spectrum(s, shell().attenuation), shell().attenuation);
    const std::pair<const char*, double> expected[] = {
        {"LabelKi", k},
        {"LabelEsak", k * s.BsfAirKerma},
        {"LabelSoft", k * f.soft * s.BsfSoftTissue},
        {"LabelSkin", k * f.skin * s.BsfSkin},
    };
    for (const auto& [box, v] : expected) {
      const QString shown = dose().label(box)->text();
      QCOMPARE(shown, QString::fromStdString(bsf::format_pattern(v, "#0.000")) + " ± " +
                          QString::fromStdString(bsf::format_pattern(0.05 * v, "#0.000")) + " mGy");
    }
    // The factors the doses were formed with are the ones Form1 shows.
    QVERIFY2(dose().label("LabelSource")->text().contains(form1().label("Label70")->text()),
             qPrintable(dose().label("LabelSource")->text()));
    QVERIFY(dose().label("LabelF")->text().contains(QString::fromStdString(bsf::format_pattern(f.soft, "#0.0000"))));
    QVERIFY(!dose().picture("PictureSpectrum")->is_clear());
  }

  // The tube output route: µGy/mAs at 100 cm times the mAs; without a given
  // uncertainty a table estimate's dose carries none.
  void dosesFromTheTubeOutput()
  {
    open_on_form1();
    QVERIFY(!dose().text("TextOutput")->isEnabled());
    QTest::mouseClick(dose().option("OptionOutput"), Qt::LeftButton);
    QVERIFY(dose().text("TextOutput")->isEnabled());
    QVERIFY(!dose().text("TextKerma")->isEnabled());
    type("TextOutput", "45");
    type("TextMas", "20");
    QTest::keyClick(dose().text("TextMas"), Qt::Key_Return);  // Enter computes
    QCOMPARE(dose().label("LabelKi")->text(), mgy(45e-3 * 20.0 * (100.0 / 80.0) * (100.0 / 80.0)));
    QVERIFY(!dose().label("LabelEsak")->text().contains(u8("±")));
  }

  // What no dose can be formed from is refused, naming the box and the
  // text; a decimal comma is not read as the number before it.
  void inputsThatAreNotUsableAreRefused_data()
  {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::newRow("decimal comma") << "TextKerma" << "2,1";
    QTest::newRow("unit typed") << "TextKerma" << "2.1mGy";
    QTest::newRow("empty") << "TextKerma" << "";
    QTest::newRow("negative") << "TextKerma" << "-1";
    QTest::newRow("zero distance") << "TextAt" << "0";
    QTest::newRow("letters") << "TextAt" << "abc";
    QTest::newRow("uncertainty above 99 %") << "TextRelU" << "150";
  }
  void inputsThatAreNotUsableAreRefused()
  {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    open_on_form1();
    type("TextKerma", "2.1");
    type(box.toUtf8().constData(), typed);
    dose().button("CommandCalc")->click();
    const auto b = boxes();
    QCOMPARE(b.size(), std::size_t{1});
    QVERIFY2(b[0].text.contains(u8("「") + typed + u8("」")), qPrintable(b[0].text));
    QVERIFY(dose().label("LabelEsak")->text().isEmpty());
    QCOMPARE(dose().focusWidget(), static_cast<QWidget*>(dose().text(box)));
    QVERIFY(dose().text(box)->selectedText() == typed);
  }

  // Full-width digits as a Japanese input method commits them are read.
  void fullWidthDigitsAreRead()
  {
    open_on_form1();
    test::type_with_input_method(dose().text("TextKerma"), u8("２．１"));
    dose().button("CommandCalc")->click();
    QCOMPARE(dose().label("LabelKi")->text(), mgy(2.1));
  }

  // The measured half-value layer gives the added aluminium; confirmed, it
  // goes into Form1's box; the next calculation there brings the window the
  // new beam, whose layer is the measured one, and the doses again.
  void measuredHalfValueLayerFillsForm1()
  {
    open_on_form1();
    type("TextKerma", "2.1");
    type("TextAt", "100");
    dose().button("CommandCalc")->click();
    const double esak_before = shown_value(dose().label("LabelEsak"));

    // Declined: nothing changes.
    app->boxes.answer = QMessageBox::No;
    type("TextHvl", "3.2");
    dose().button("CommandHvl")->click();
    QCOMPARE(boxes().size(), std::size_t{1});
    QCOMPARE(form1().text("Text3")->text(), QString("1.0"));

    app->boxes.answer = QMessageBox::Yes;
    dose().button("CommandHvl")->click();
    const auto asked = boxes();
    QCOMPARE(asked.size(), std::size_t{1});
    bsf::ExposureConditions c = shell().state();
    const bsf::FiltrationMatch m = bsf::added_al_for_hvl(c, shell().attenuation, 0.32, 3.0);
    const QString added = QString::fromStdString(bsf::format_pattern(10.0 * m.added_al_cm, "#0.000"));
    QVERIFY2(asked[0].text.contains(added), qPrintable(asked[0].text));
    QCOMPARE(form1().text("Text3")->text(), added);
    QVERIFY(dose().label("LabelEsak")->text().isEmpty());  // until the form computes again

    form1().button("Command2")->click();
    QCOMPARE(form1().label("Label6")->text(), QString("3.200"));
    QVERIFY(dose().label("LabelSource")->text().contains(added + " mm Al"));
    QVERIFY2(!dose().label("LabelEsak")->text().isEmpty(), "the typed air kerma is computed with the new result");
    QVERIFY(shown_value(dose().label("LabelEsak")) != esak_before);
    QCOMPARE(form1().shown_result()->matched_hvl_mm, std::optional<double>(3.2));
  }

  // A layer the beam cannot give names the reachable range; the box stays.
  void halfValueLayerOutOfReachIsRefused()
  {
    open_on_form1();
    type("TextHvl", "20");
    dose().button("CommandHvl")->click();
    const auto b = boxes();
    QCOMPARE(b.size(), std::size_t{1});
    QVERIFY2(b[0].text.contains(u8("で得られる半価層は")), qPrintable(b[0].text));
    QCOMPARE(form1().text("Text3")->text(), QString("1.0"));
  }

  // Copied and saved: the same report, with the SHA-256 of every data file
  // computed with; the PDF is one page, read back with pdftotext.
  void reportIsCopiedAndSaved()
  {
    open_on_form1();
    type("TextKerma", "2.1");
    type("TextAt", "100");
    dose().button("CommandCalc")->click();
    const QString att_hash = QString::fromStdString(bsf::file_sha256(app->scratch.path() / "Att_Coeff2020.dat"));

    dose().button("CommandCopy")->click();
    const QString copied = QGuiApplication::clipboard()->text();
    QVERIFY2(copied.contains("Att_Coeff2020.dat  " + att_hash), qPrintable(copied));
    QVERIFY(copied.contains(dose().label("LabelEsak")->text()));

    const QString pdf = app->scratch.qpath() + "/dose report.pdf";
    save_as_when_asked(pdf);
    dose().button("CommandSave")->click();
    QVERIFY(boxes().empty());
    QVERIFY2(QFile::exists(pdf), qPrintable(dose().label("LabelStatus")->text()));
    QVERIFY(dose().label("LabelStatus")->text().contains(pdf));
    const QString info = command_output("pdfinfo", {pdf});
    QVERIFY2(QRegularExpression("\nPages:\\s+1\n").match(info).hasMatch(), qPrintable(info));
    const QString text = command_output("pdftotext", {pdf, "-"});
    QVERIFY2(text.contains(att_hash), qPrintable(text));
    QVERIFY(text.contains("ESAK"));
  }

  // A report that cannot be written is said so, and no file is left.
  void unwritableReportIsReported()
  {
    open_on_form1();
    const QString pdf = app->scratch.qpath() + "/no such folder/report.pdf";
    save_as_when_asked(pdf);
    dose().button("CommandSave")->click();
    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
    const auto b = boxes();
    QCOMPARE(b.size(), std::size_t{1});
    QVERIFY2(b[0].text.startsWith(u8("報告書を保存できませんでした。")) && b[0].text.contains(pdf), qPrintable(b[0].text));
    QVERIFY(!QFile::exists(pdf));
    QCOMPARE(app->end_status, -1);  // the program goes on
    QVERIFY(dose().label("LabelStatus")->text().isEmpty());
  }

  // The window follows its form: a new calculation withdraws nothing on
  // Form1 (the new result replaces the old), Exit hides it, and on the next
  // visit the result the form still shows opens it again.
  void windowFollowsItsForm()
  {
    open_on_form1();
    type("TextKerma", "1");
    dose().button("CommandCalc")->click();
    test::type_into(form1().text("Text5"), "90");
    form1().button("Command2")->click();
    QVERIFY(dose().label("LabelSource")->text().contains("90 kV"));
    QVERIFY(!dose().label("LabelEsak")->text().isEmpty());
    form1().button("Command1")->click();
    QVERIFY(!dose().isVisible());
    shell().form4()->button("Command1")->click();  // back to the table estimate
    // The form still shows its factors, and the button still opens them.
    QVERIFY(!form1().label("Label70")->text().isEmpty());
    form1().button("CommandDose")->click();
    QVERIFY(dose().isVisible());
  }

  // A Monte Carlo result: the real engine on a short run; the doses carry
  // the factors' uncertainty, and the report names the cross-section file.
  void monteCarloResultCarriesItsUncertainty()
  {
    form1().button("Command1")->click();
    shell().form4()->button("Command2")->click();
    Form5& form5 = *shell().form5();
    QVERIFY(!form5.button("CommandDose")->isEnabled());
    app->scratch.install_engine("Korvane");
    form5.button("Command3")->click();
    QTest::mouseClick(shell().form13()->option("Option3"), Qt::LeftButton);
    test::type_into(shell().form13()->combo("Combo1"), "300000");
    shell().form13()->button("Command1")->click();
    form5.button("Command2")->click();
    boxes();  // the log notice
    QTRY_VERIFY_WITH_TIMEOUT(form5.button("CommandDose")->isEnabled(), 60000);
    form5.button("CommandDose")->click();
    QVERIFY(dose().label("LabelSource")->text().contains(u8("モンテカルロ法（レーストラック形")));
    type("TextKerma", "1");
    dose().button("CommandCalc")->click();
    const QString esak = dose().label("LabelEsak")->text();
    QVERIFY2(QRegularExpression(u8("^\\d\\.\\d{3} ± \\d\\.\\d{3} mGy$")).match(esak).hasMatch(), qPrintable(esak));
    QVERIFY(form5.shown_result()->factors.u_air_kerma.has_value());
    dose().button("CommandCopy")->click();
    QVERIFY(QGuiApplication::clipboard()->text().contains("ICRUSoft.dat  "));
    // A new run withdraws the doses until its result is in.
    app->scratch.write_script("Korvane", "sleep 2\n");
    form5.button("Command2")->click();
    boxes();
    QVERIFY(dose().label("LabelEsak")->text().isEmpty());
    QVERIFY(!dose().button("CommandCalc")->isEnabled());
    QVERIFY(!form5.button("CommandDose")->isEnabled());
  }
};

QTEST_MAIN(DoseWindow)
#include "test_dose_form.moc"
