#include "dose_form.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <cmath>

#include "condition_checks.h"
#include "conditions_forms.h"
#include "data_tables.h"
#include "free_format.h"
#include "language.h"
#include "number_text.h"
#include "picture_box.h"
#include "sha256.h"
#include "shell.h"

namespace bsf::ui {

namespace {

// The window's texts go through the translations (context "DoseForm"); the
// source texts are the Japanese ones.
struct Text {
  Q_DECLARE_TR_FUNCTIONS(DoseForm)
};

// clang-format off
const ControlSpec kControls[] = {
    // name             kind          left   top    width  height caption
    {"Label1",          Kind::Label,   240,   180, 13020,   495, QT_TRANSLATE_NOOP("DoseForm", "入射表面線量の計算"), nullptr, nullptr, Face::Meiryo, 12},
    {"LabelSource",     Kind::Label,   240,   720, 13020,   735},

    {"FrameKerma",      Kind::Frame,   240,  1560,  6360,  2655, QT_TRANSLATE_NOOP("DoseForm", "  入射空気カーマ（後方散乱を含まない空気中の値）  ")},
    {"OptionMeasured",  Kind::Option,  240,   360,  2655,   375, QT_TRANSLATE_NOOP("DoseForm", "測定値"), "FrameKerma"},
    {"TextKerma",       Kind::Text,   2880,   360,  1095,   375, "", "FrameKerma"},
    {"LabelKermaUnit",  Kind::Label,  3960,   360,  2280,   375, "mGy", "FrameKerma"},
    {"LabelAt",         Kind::Label,   480,   780,  2415,   375, QT_TRANSLATE_NOOP("DoseForm", "測定点（焦点から）"), "FrameKerma"},
    {"TextAt",          Kind::Text,   2880,   780,  1095,   375, "", "FrameKerma",
     QT_TRANSLATE_NOOP("DoseForm", "空欄のときは入射表面（焦点-入射表面間距離）で測定した値です")},
    {"LabelAtUnit",     Kind::Label,  3960,   780,  2280,   375, QT_TRANSLATE_NOOP("DoseForm", "cm（空欄: 入射表面）"), "FrameKerma"},
    {"OptionOutput",    Kind::Option,  240,  1260,  2655,   375, QT_TRANSLATE_NOOP("DoseForm", "管出力（100 cm）"), "FrameKerma"},
    {"TextOutput",      Kind::Text,   2880,  1260,  1095,   375, "", "FrameKerma"},
    {"LabelOutputUnit", Kind::Label,  3960,  1260,  2280,   375, "µGy/mAs", "FrameKerma"},
    {"LabelMas",        Kind::Label,   480,  1680,  2415,   375, QT_TRANSLATE_NOOP("DoseForm", "撮影 mAs 値"), "FrameKerma"},
    {"TextMas",         Kind::Text,   2880,  1680,  1095,   375, "", "FrameKerma"},
    {"LabelMasUnit",    Kind::Label,  3960,  1680,  2280,   375, "mAs", "FrameKerma"},
    {"LabelRelU",       Kind::Label,   240,  2160,  2655,   375, QT_TRANSLATE_NOOP("DoseForm", "相対標準不確かさ"), "FrameKerma"},
    {"TextRelU",        Kind::Text,   2880,  2160,  1095,   375, "", "FrameKerma",
     QT_TRANSLATE_NOOP("DoseForm", "空気カーマの相対標準不確かさ（k = 1）。空欄のときは考慮しません")},
    {"LabelRelUUnit",   Kind::Label,  3960,  2160,  2280,   375, QT_TRANSLATE_NOOP("DoseForm", "%（任意）"), "FrameKerma"},

    {"CommandCalc",     Kind::Button,  240,  4320,  3255,   615, QT_TRANSLATE_NOOP("DoseForm", "線量を計算する")},

    {"LabelKiCaption",  Kind::Label,   240,  5100,  3735,   375, QT_TRANSLATE_NOOP("DoseForm", "入射表面での入射空気カーマ")},
    {"LabelKi",         Kind::Label,  3960,  5100,  2640,   375},
    {"LabelEsakCaption",Kind::Label,   240,  5520,  3735,   375, QT_TRANSLATE_NOOP("DoseForm", "入射表面空気カーマ (ESAK)")},
    {"LabelEsak",       Kind::Label,  3960,  5520,  2640,   375},
    {"LabelSoftCaption",Kind::Label,   240,  5940,  3735,   375, QT_TRANSLATE_NOOP("DoseForm", "入射表面の軟部組織吸収線量")},
    {"LabelSoft",       Kind::Label,  3960,  5940,  2640,   375},
    {"LabelSkinCaption",Kind::Label,   240,  6360,  3735,   375, QT_TRANSLATE_NOOP("DoseForm", "入射表面の皮膚吸収線量")},
    {"LabelSkin",       Kind::Label,  3960,  6360,  2640,   375},
    {"LabelF",          Kind::Label,   240,  6840,  6360,   615},

    {"PictureSpectrum", Kind::Picture, 6840, 1560,  6420,  3375},
    {"FrameHvl",        Kind::Frame,  6840,  5040,  6420,  2415, QT_TRANSLATE_NOOP("DoseForm", "  測定した半価層から付加フィルタを求める  ")},
    {"LabelHvl",        Kind::Label,   240,   420,  2175,   375, QT_TRANSLATE_NOOP("DoseForm", "Al 半価層（測定値）"), "FrameHvl"},
    {"TextHvl",         Kind::Text,   2400,   420,   975,   375, "", "FrameHvl"},
    {"LabelHvlUnit",    Kind::Label,  3375,   420,   495,   375, "mm", "FrameHvl"},
    {"CommandHvl",      Kind::Button, 3960,   360,  2220,   495, QT_TRANSLATE_NOOP("DoseForm", "付加フィルタを求める"), "FrameHvl"},
    {"LabelHvlResult",  Kind::Label,   240,   960,  5940,  1335, "", "FrameHvl"},

    {"CommandCopy",     Kind::Button,  240,  7680,  3255,   615, QT_TRANSLATE_NOOP("DoseForm", "クリップボードにコピー")},
    {"CommandSave",     Kind::Button, 3720,  7680,  3255,   615, QT_TRANSLATE_NOOP("DoseForm", "報告書を保存 (PDF)")},
    {"CommandClose",    Kind::Button, 11700, 7680,  1560,   615, QT_TRANSLATE_NOOP("DoseForm", "閉じる")},
    {"LabelStatus",     Kind::Label,   240,  8400, 13020,   375},
};
// clang-format on

// The result boxes, emptied together.
constexpr const char* kResultLabels[] = {"LabelKi", "LabelEsak", "LabelSoft", "LabelSkin"};

QString fixed(double v, const char* pattern) { return QString::fromStdString(format_pattern(v, pattern)); }

QString mgy(double v, const std::optional<double>& u)
{
  return (u ? fixed(v, "#0.000") + " ± " + fixed(*u, "#0.000") : fixed(v, "#0.000")) + " mGy";
}

// The data files a result was computed with: the coefficients and the
// differential tables; the Monte Carlo engines read the soft-tissue
// cross-sections too.
std::vector<const char*> data_files(bool monte_carlo)
{
  std::vector<const char*> files = {"Att_Coeff2020.dat", "dBSF-SoftDose-SoftPhantom.dat",
                                    "dBSF-AirDose-SoftPhantom.dat", "dBSF-SkinDose-SoftPhantom.dat"};
  if (monte_carlo) files.push_back("ICRUSoft.dat");
  return files;
}

}  // namespace

DoseForm::DoseForm(Shell& shell)
    : Form(Text::tr("Orbisan — 入射表面線量"), 13500, 8880, kControls, "DoseForm"), shell_(shell)
{
  for (const char* name : kResultLabels) {
    label(name)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label(name)->setAlignment(Qt::AlignCenter);
  }
  for (const char* name : {"LabelSource", "LabelF", "LabelHvlResult", "LabelStatus"}) label(name)->setWordWrap(true);
  label("LabelHvlResult")->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  option("OptionMeasured")->setChecked(true);
  Option_Click();

  connect(option("OptionMeasured"), &QRadioButton::toggled, this, [this] { Option_Click(); });
  connect(button("CommandCalc"), &QPushButton::clicked, this, [this] { CommandCalc_Click(); });
  connect(button("CommandHvl"), &QPushButton::clicked, this, [this] { CommandHvl_Click(); });
  connect(button("CommandCopy"), &QPushButton::clicked, this, [this] { CommandCopy_Click(); });
  connect(button("CommandSave"), &QPushButton::clicked, this, [this] { CommandSave_Click(); });
  connect(button("CommandClose"), &QPushButton::clicked, this, [this] { CommandClose_Click(); });
  // Enter in an input box computes, as the button does.
  for (const char* box : {"TextKerma", "TextAt", "TextOutput", "TextMas", "TextRelU"})
    connect(text(box), &QLineEdit::returnPressed, this, [this] { CommandCalc_Click(); });
  connect(text("TextHvl"), &QLineEdit::returnPressed, this, [this] { CommandHvl_Click(); });
}

void DoseForm::open_for(ConditionsForm& origin)
{
  origin_ = &origin;
  source_ = origin.shown_result();
  clear_doses();
  label("LabelHvlResult")->clear();
  label("LabelStatus")->clear();
  if (!source_) {
    result_withdrawn();
    return;
  }
  const ExposureConditions& c = source_->conditions;
  spectrum_ = compute_spectrum(c, shell_.attenuation);
  f_ = tissue_to_air(spectrum_, shell_.attenuation);
  const Factors& b = source_->factors;
  auto factor = [](double v, const std::optional<double>& u) {
    return u ? fixed(v, "#0.000") + " ± " + fixed(*u, "#0.000") : fixed(v, "#0.000");
  };
  const QString matched = source_->matched_hvl_mm
                             ? Text::tr("（測定半価層 %1 mm Al から）").arg(fixed(*source_->matched_hvl_mm, "#0.000"))
                             : QString();
  label("LabelSource")
      ->setText(Text::tr("%1: %2 kV、付加フィルタ %3 mm Al%4 + %5 mm Cu、焦点-入射表面間距離 %6 cm\n"
                         "後方散乱係数  空気カーマ %7、軟部組織 %8、皮膚 %9")
                    .arg(source_->method)
                    .arg(c.TubeVoltage)
                    .arg(fixed(10.0 * c.AddedFilterAl, "#0.000"), matched, fixed(10.0 * c.AddedFilterCu, "#0.0##"))
                    .arg(c.FocusSurfaceDistance)
                    .arg(factor(b.air_kerma, b.u_air_kerma), factor(b.soft_tissue, b.u_soft_tissue),
                         factor(b.skin, b.u_skin)));
  label("LabelF")->setText(Text::tr("この線質の質量エネルギー吸収係数比（空気カーマスペクトルで平均）\n"
                                    "軟部組織/空気 %1、皮膚/空気 %2")
                               .arg(fixed(f_.soft, "#0.0000"), fixed(f_.skin, "#0.0000")));
  const SpectrumResult spectrum = spectrum_;
  const double kv = c.TubeVoltage;
  picture("PictureSpectrum")->set_drawing([spectrum, kv](QPainter& p, const QRect& area) {
    report::paint_spectrum_plot(p, QRectF(area), spectrum, kv);
  });
  for (const char* name : {"CommandCalc", "CommandHvl", "CommandCopy", "CommandSave"}) button(name)->setEnabled(true);
  // Inputs typed before are computed with the new result at once.
  if (read_air_kerma(true)) show_doses();
}

void DoseForm::result_withdrawn()
{
  source_.reset();
  clear_doses();
  label("LabelSource")->setText(Text::tr("元の画面に計算結果がありません。元の画面で計算すると、その結果で線量を計算します。"));
  label("LabelF")->clear();
  picture("PictureSpectrum")->set_drawing({});
  for (const char* name : {"CommandCalc", "CommandHvl", "CommandCopy", "CommandSave"}) button(name)->setEnabled(false);
}

void DoseForm::Option_Click()
{
  const bool measured = option("OptionMeasured")->isChecked();
  for (const char* name : {"TextKerma", "TextAt"}) text(name)->setEnabled(measured);
  for (const char* name : {"TextOutput", "TextMas"}) text(name)->setEnabled(!measured);
}

std::optional<AirKermaInput> DoseForm::read_air_kerma(bool quiet)
{
  // Each box: its caption for a message, whether it may be empty, and the
  // largest value it takes.
  struct Box {
    const char* name;
    const char* caption;
    bool optional;
    double high;
  };
  auto value = [&](const Box& b) -> std::optional<double> {
    QLineEdit* box = text(b.name);
    const QString typed = box->text().trimmed();
    if (typed.isEmpty() && b.optional) return 0.0;
    double v = 0.0;
    bool ok = false;
    try {
      v = parse_strict(number_text(typed));
      ok = v > 0.0 && v <= b.high;
    } catch (const std::invalid_argument&) {
    }
    if (ok) return v;
    if (!quiet) {
      warn(this, Text::tr("%1 に「%2」と入力されています。\n0 より大きく %3 以下の数値を入れてください。")
                     .arg(Text::tr(b.caption), typed)
                     .arg(b.high));
      box->setFocus(Qt::OtherFocusReason);
      box->selectAll();
    }
    return std::nullopt;
  };
  AirKermaInput in;
  const Box kerma{"TextKerma", QT_TRANSLATE_NOOP("DoseForm", "入射空気カーマの測定値 (mGy)"), false, 1e6};
  const Box at{"TextAt", QT_TRANSLATE_NOOP("DoseForm", "測定点の焦点からの距離 (cm)"), true, 1e4};
  const Box output{"TextOutput", QT_TRANSLATE_NOOP("DoseForm", "管出力 (µGy/mAs)"), false, 1e6};
  const Box mas{"TextMas", QT_TRANSLATE_NOOP("DoseForm", "mAs 値"), false, 1e5};
  const Box rel_u{"TextRelU", QT_TRANSLATE_NOOP("DoseForm", "相対標準不確かさ (%)"), true, 99.0};
  if (option("OptionMeasured")->isChecked()) {
    const auto k = value(kerma);
    if (!k) return std::nullopt;
    const auto d = value(at);
    if (!d) return std::nullopt;
    in.measured_mgy = *k;
    in.at_cm = *d;
  } else {
    in.source = AirKermaInput::Source::TubeOutput;
    const auto o = value(output);
    if (!o) return std::nullopt;
    const auto m = value(mas);
    if (!m) return std::nullopt;
    in.output_ugy_per_mas = *o;
    in.mas = *m;
  }
  const auto u = value(rel_u);
  if (!u) return std::nullopt;
  if (!text("TextRelU")->text().trimmed().isEmpty()) in.relative_u = *u / 100.0;
  air_kerma_ = in;
  return in;
}

void DoseForm::CommandCalc_Click()
{
  if (!source_) return;
  if (!read_air_kerma(false)) {
    clear_doses();
    return;
  }
  show_doses();
}

void DoseForm::show_doses()
{
  doses_ = entrance_doses(source_->conditions.FocusSurfaceDistance, *air_kerma_, source_->factors, f_);
  const EntranceDoses& d = *doses_;
  label("LabelKi")->setText(mgy(d.incident_air_kerma_mgy, d.u_incident_air_kerma_mgy));
  label("LabelEsak")->setText(mgy(d.esak_mgy, d.u_esak_mgy));
  label("LabelSoft")->setText(mgy(d.soft_tissue_mgy, d.u_soft_tissue_mgy));
  label("LabelSkin")->setText(mgy(d.skin_mgy, d.u_skin_mgy));
  label("LabelStatus")->setText(d.u_esak_mgy ? Text::tr("± は標準不確かさ（k = 1）です。") : QString());
}

void DoseForm::clear_doses()
{
  doses_.reset();
  for (const char* name : kResultLabels) label(name)->clear();
}

void DoseForm::CommandHvl_Click()
{
  if (!source_ || !origin_) return;
  QLineEdit* box = text("TextHvl");
  const QString typed = box->text().trimmed();
  double hvl_mm = 0.0;
  try {
    hvl_mm = parse_strict(number_text(typed));
  } catch (const std::invalid_argument&) {
  }
  if (!(hvl_mm > 0.0)) {
    warn(this, Text::tr("Al 半価層に「%1」と入力されています。\n測定した半価層 (mm) を数値で入れてください。").arg(typed));
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
    return;
  }
  // The beam of the shown result, its added aluminium left to the search.
  ExposureConditions c = source_->conditions;
  const double max_cm = 0.1 * limit_of(Condition::AddedFilterAl).high;
  FiltrationMatch m;
  try {
    m = added_al_for_hvl(c, shell_.attenuation, 0.1 * hvl_mm, max_cm);
  } catch (const HvlOutOfReach& e) {
    label("LabelHvlResult")->setText(in_language(e.japanese(), e.what()));
    warn(this, in_language(e.japanese(), e.what()));
    return;
  }
  const QString added = fixed(10.0 * m.added_al_cm, "#0.000");
  label("LabelHvlResult")
      ->setText(Text::tr("管電圧 %1 kV、固有フィルタ %2 mm、付加フィルタ（銅）%3 mm のとき、半価層 %4 mm Al には"
                         "付加フィルタ（アルミ）%5 mm が必要です。")
                    .arg(c.TubeVoltage)
                    .arg(fixed(10.0 * c.InherentFilter, "#0.0##"), fixed(10.0 * c.AddedFilterCu, "#0.0##"),
                         fixed(hvl_mm, "#0.000"), added));
  QMessageBox ask(QMessageBox::Question, QStringLiteral("Orbisan"),
                  label("LabelHvlResult")->text() +
                      Text::tr("\n\n元の画面の「付加フィルタ (アルミ)」に %1 を入れますか？\n"
                               "後方散乱係数と線量は、元の画面で計算し直すと新しい線質の値になります。")
                          .arg(added),
                  QMessageBox::Yes | QMessageBox::No, this);
  ask.setDefaultButton(QMessageBox::Yes);
  if (ask.exec() != QMessageBox::Yes) return;
  origin_->fill_added_al(added, hvl_mm);
  clear_doses();
  label("LabelStatus")->setText(Text::tr("付加フィルタに %1 mm を入れました。元の画面で「この条件で計算する」を押すと、"
                                         "この画面も新しい結果で計算し直します。")
                                    .arg(added));
}

report::DoseReport DoseForm::make_report() const
{
  report::DoseReport r;
  r.method = source_->method;
  r.conditions = source_->conditions;
  r.matched_hvl_mm = source_->matched_hvl_mm;
  r.spectrum = spectrum_;
  r.factors = source_->factors;
  if (doses_) {
    r.air_kerma = air_kerma_;
    r.doses = doses_;
  }
  for (const char* name : data_files(source_->monte_carlo))
    r.data_files.emplace_back(QString::fromUtf8(name), file_sha256(resolve_nocase(shell_.working_dir(), name)));
  r.version = QStringLiteral(ORBISAN_VERSION);
  r.date = QDateTime::currentDateTime().toString(Qt::ISODate);
  return r;
}

// The report of what the window shows; nothing, after a warning, when a data
// file it names can no longer be read (a report must trace its tables).
std::optional<report::DoseReport> DoseForm::traced_report()
{
  try {
    return make_report();
  } catch (const DataFileError& e) {
    warn(this, Text::tr("データファイルを読めないため、報告を作れません。\n\n%1")
                   .arg(data_error_text(e)));
    return std::nullopt;
  }
}

void DoseForm::CommandCopy_Click()
{
  if (!source_) return;
  const auto r = traced_report();
  if (!r) return;
  QGuiApplication::clipboard()->setText(report::report_lines(*r).join("\n"));
  label("LabelStatus")->setText(Text::tr("報告の内容をクリップボードにコピーしました。"));
}

void DoseForm::CommandSave_Click()
{
  if (!source_) return;
  QFileDialog dialog(this, Text::tr("報告書を保存"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(Text::tr("PDF ファイル (*.pdf)"));
  dialog.setDefaultSuffix("pdf");
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  dialog.setDirectory(QDir(folder).exists() ? folder : QDir::homePath());
  dialog.selectFile(QStringLiteral("BSF-report-%1.pdf").arg(QDateTime::currentDateTime().toString("yyyyMMdd-HHmm")));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString file = dialog.selectedFiles().first();
  const auto r = traced_report();
  if (!r) return;
  try {
    report::write_report_pdf(*r, file);
  } catch (const report::ReportNotWritten& e) {
    // Not written (a folder without permission, a full disk): nothing else
    // is lost, and an older file of that name is left as it was.
    warn(this, Text::tr("報告書を保存できませんでした。\n\n%1\n（%2）").arg(QDir::toNativeSeparators(e.file()), e.reason()));
    return;
  }
  label("LabelStatus")->setText(Text::tr("報告書を保存しました: %1").arg(QDir::toNativeSeparators(file)));
}

void DoseForm::CommandClose_Click() { hide(); }

}  // namespace bsf::ui
