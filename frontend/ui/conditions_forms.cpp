#include "conditions_forms.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <chrono>
#include <cmath>
#include <limits>
#include <system_error>

#include "condition_checks.h"
#include "data_tables.h"
#include "estimate.h"
#include "exposure_defaults.h"
#include "report.h"
#include "free_format.h"
#include "joken_writer.h"
#include "language.h"
#include "number_text.h"
#include "result_file.h"
#include "shape_dialog.h"
#include "shell.h"
#include "spectrum.h"

namespace bsf::ui {

namespace fs = std::filesystem;

namespace {

// A condition text box, the value it holds and the field it stores into:
// the value read from the text times `scale` (the filters are typed in mm
// and held in cm).
struct ConditionField {
  const char* box;
  Condition which;
  double ExposureConditions::*field;
  double scale;
};

// In the order the calculate button reads them again.
constexpr ConditionField kFields[] = {
    {"Text1", Condition::AnodeAngle, &ExposureConditions::AnodeAngle, 1.0},
    {"Text2", Condition::InherentFilter, &ExposureConditions::InherentFilter, kCmPerMm},
    {"Text3", Condition::AddedFilterAl, &ExposureConditions::AddedFilterAl, kCmPerMm},
    {"Text4", Condition::AddedFilterCu, &ExposureConditions::AddedFilterCu, kCmPerMm},
    {"Text5", Condition::TubeVoltage, &ExposureConditions::TubeVoltage, 1.0},
    {"Text8", Condition::FocusReceptorDistance, &ExposureConditions::FocusReceptorDistance, 1.0},
    {"Text9", Condition::FocusSurfaceDistance, &ExposureConditions::FocusSurfaceDistance, 1.0},
    {"Text23", Condition::ObjectThickness, &ExposureConditions::ObjectThickness, 1.0},
    {"Text10", Condition::FieldLong, &ExposureConditions::FieldLong, 1.0},
    {"Text11", Condition::FieldShort, &ExposureConditions::FieldShort, 1.0},
};

// The option button of each waveform: 1 constant potential, 2 three-phase
// 12-peak, 3 single-phase full-wave.
constexpr const char* kWaveformOptions[] = {"Option1", "Option2", "Option3"};

const char* waveform_option(int waveform) { return kWaveformOptions[waveform - 1]; }

// The box that holds a condition (a circular field's diameter is typed
// into the long-side box).
const char* box_of(Condition which)
{
  if (which == Condition::FieldDiameter) return "Text10";
  for (const ConditionField& f : kFields)
    if (f.which == which) return f.box;
  return nullptr;
}

// Enter in the box on the left moves the focus to the control on the right.
constexpr std::pair<const char*, const char*> kEnterChain[] = {
    {"Text1", "Text2"}, {"Text2", "Text3"},   {"Text3", "Text4"},   {"Text4", "Text5"},
    {"Text5", "Text8"}, {"Text8", "Text23"},  {"Text23", "Text9"},  {"Text9", "Combo1"},
    {"Text10", "Text11"}, {"Text11", "Command2"},
};

// The usual film cassette sizes (縦 portrait, 横 landscape), long and short
// side at the image receptor, cm.
struct FieldSizePreset {
  const char* item;
  const char* long_text;
  const char* short_text;
};
constexpr FieldSizePreset kFieldSizePresets[] = {
    {QT_TRANSLATE_NOOP("ConditionsForm", "六切サイズ 縦"), "25.4", "20.3"}, {QT_TRANSLATE_NOOP("ConditionsForm", "六切サイズ 横"), "20.3", "25.4"}, {QT_TRANSLATE_NOOP("ConditionsForm", "四切サイズ 縦"), "30.5", "25.4"},
    {QT_TRANSLATE_NOOP("ConditionsForm", "四切サイズ 横"), "25.4", "30.5"}, {QT_TRANSLATE_NOOP("ConditionsForm", "大四サイズ 縦"), "35.6", "28.0"}, {QT_TRANSLATE_NOOP("ConditionsForm", "大四サイズ 横"), "28.0", "35.6"},
    {QT_TRANSLATE_NOOP("ConditionsForm", "大角サイズ"), "35.6", "35.6"},    {QT_TRANSLATE_NOOP("ConditionsForm", "半切サイズ 縦"), "43.2", "35.6"}, {QT_TRANSLATE_NOOP("ConditionsForm", "半切サイズ 横"), "35.6", "43.2"},
};
// Marked for the context "ConditionsForm": translated with ConditionsForm::tr
// in Form1 and Form5 too, whose own tr() has a context of its own.
constexpr const char* kOtherSize = QT_TRANSLATE_NOOP("ConditionsForm", "その他");
constexpr const char* kCircularField = QT_TRANSLATE_NOOP("ConditionsForm", "円形照射野");
constexpr const char* kLongAxisCaption = QT_TRANSLATE_NOOP("ConditionsForm", "　長軸方向サイズ");
constexpr const char* kDiameterCaption = QT_TRANSLATE_NOOP("ConditionsForm", "  照射野サイズ（直径）");

// The preset of the default field size, which the list shows when a form
// is loaded.
constexpr const char* default_preset()
{
  for (const FieldSizePreset& p : kFieldSizePresets)
    if (std::string_view(p.long_text) == default_text(Condition::FieldLong) &&
        std::string_view(p.short_text) == default_text(Condition::FieldShort))
      return p.item;
  throw std::logic_error("the default field size is not a preset");
}
constexpr const char* kDefaultPreset = default_preset();

// `what` is marked for translation in the context "ConditionsForm".
void require_finite(double v, const char* what)
{
  if (!std::isfinite(v))
    throw NumericFault(ConditionsForm::tr("%1の計算結果が数値になりませんでした。").arg(ConditionsForm::tr(what)).toStdString());
}

}  // namespace

// ---------------------------------------------------------------------------
// The rows both forms share (Form5 has them 120 twips further right).

std::vector<ControlSpec> ConditionsForm::condition_rows(int shift)
{
  std::vector<ControlSpec> rows = {
      // name        kind          left  top   width height caption
      {"Frame2", Kind::Frame, 480, 1320, 7335, 975, QT_TRANSLATE_NOOP("ConditionsForm", "  高電圧整流方式  ")},
      {"Option1", Kind::Option, 240, 480, 2775, 375, QT_TRANSLATE_NOOP("ConditionsForm", "定電圧・インバータ"), "Frame2"},
      {"Option2", Kind::Option, 3120, 480, 2295, 375, QT_TRANSLATE_NOOP("ConditionsForm", "三相12ピーク"), "Frame2"},
      {"Option3", Kind::Option, 5520, 480, 1695, 375, QT_TRANSLATE_NOOP("ConditionsForm", "単相全波"), "Frame2"},

      {"Label31", Kind::Label, 480, 2520, 2655, 375, QT_TRANSLATE_NOOP("ConditionsForm", " Ｘ線管ターゲット角度")},
      {"Text1", Kind::Text, 3120, 2520, 975, 375, default_text(Condition::AnodeAngle)},
      {"Label41", Kind::Label, 4080, 2520, 615, 375, QT_TRANSLATE_NOOP("ConditionsForm", "　度")},
      {"Label32", Kind::Label, 480, 3000, 2655, 375, QT_TRANSLATE_NOOP("ConditionsForm", " 固有フィルタ (Al当量)")},
      {"Text2", Kind::Text, 3120, 3000, 975, 375, default_text(Condition::InherentFilter)},
      {"Label42", Kind::Label, 4080, 3000, 615, 375, "mm"},
      {"Label33", Kind::Label, 480, 3360, 2655, 375, QT_TRANSLATE_NOOP("ConditionsForm", " 付加フィルタ (アルミ)")},
      {"Text3", Kind::Text, 3120, 3360, 975, 375, default_text(Condition::AddedFilterAl)},
      {"Label43", Kind::Label, 4080, 3360, 615, 375, "mm"},
      {"Label34", Kind::Label, 480, 3720, 2655, 375, QT_TRANSLATE_NOOP("ConditionsForm", " 付加フィルタ（ 銅 ）")},
      {"Text4", Kind::Text, 3120, 3720, 975, 375, default_text(Condition::AddedFilterCu)},
      {"Label44", Kind::Label, 4080, 3720, 615, 375, "mm"},
      {"Label35", Kind::Label, 480, 4320, 2655, 375, QT_TRANSLATE_NOOP("ConditionsForm", "　Ｘ線管電圧")},
      {"Text5", Kind::Text, 3120, 4320, 975, 375, default_text(Condition::TubeVoltage)},
      {"Label45", Kind::Label, 4080, 4320, 615, 375, "kV"},

      {"Label36", Kind::Label, 5040, 2520, 2655, 375, QT_TRANSLATE_NOOP("ConditionsForm", "　焦点-受像器間距離")},
      {"Text8", Kind::Text, 7680, 2520, 975, 375, default_text(Condition::FocusReceptorDistance)},
      {"Label46", Kind::Label, 8640, 2520, 615, 375, "cm"},
      {"Label37", Kind::Label, 5040, 2880, 2655, 375, QT_TRANSLATE_NOOP("ConditionsForm", "　被写体厚")},
      {"Text23", Kind::Text, 7680, 2880, 975, 375, default_text(Condition::ObjectThickness)},
      {"Label47", Kind::Label, 8640, 2880, 615, 375, "cm"},
      {"Label38", Kind::Label, 5040, 3240, 2655, 375, QT_TRANSLATE_NOOP("ConditionsForm", "　焦点-入射表面間距離")},
      {"Text9", Kind::Text, 7680, 3240, 975, 375, default_text(Condition::FocusSurfaceDistance)},
      {"Label48", Kind::Label, 8640, 3240, 615, 375, "cm"},
      {"Label21", Kind::Label, 5040, 3600, 2655, 375, QT_TRANSLATE_NOOP("ConditionsForm", " 受像面での照射野サイズ")},
      {"Combo1", Kind::Combo, 7680, 3600, 1575, 390},
      {"Label22", Kind::Label, 5040, 3960, 2655, 375, QT_TRANSLATE_NOOP("ConditionsForm", "　長軸方向サイズ")},
      {"Text10", Kind::Text, 7680, 3960, 975, 375, default_text(Condition::FieldLong)},
      {"Label49", Kind::Label, 8640, 3960, 615, 375, "cm"},
      {"Label23", Kind::Label, 5040, 4320, 2655, 375, QT_TRANSLATE_NOOP("ConditionsForm", "　単軸方向サイズ")},
      {"Text11", Kind::Text, 7680, 4320, 975, 375, default_text(Condition::FieldShort)},
      {"Label50", Kind::Label, 8640, 4320, 615, 375, "cm"},

      {"Label60", Kind::Label, 9840, 2160, 6375, 495, QT_TRANSLATE_NOOP("ConditionsForm", "後方散乱係数（Back-Scatter Factor）")},
      {"Label61", Kind::Label, 9840, 2760, 4575, 495, QT_TRANSLATE_NOOP("ConditionsForm", "軟部組織吸収線量に基づく BSF")},
      {"Label68", Kind::Label, 14400, 2760, 1815, 495},
      {"Label62", Kind::Label, 9840, 3240, 4575, 495, QT_TRANSLATE_NOOP("ConditionsForm", "皮膚組織吸収線量に基づく BSF")},
      {"Label69", Kind::Label, 14400, 3240, 1815, 495},
      {"Label63", Kind::Label, 9840, 3720, 4575, 495, QT_TRANSLATE_NOOP("ConditionsForm", "空気カーマに基づく BSF")},
      {"Label70", Kind::Label, 14400, 3720, 1815, 495},
      {"Label64", Kind::Label, 9840, 4320, 3855, 375, QT_TRANSLATE_NOOP("ConditionsForm", "参考データ    Al 半価層")},
      {"Label6", Kind::Label, 13680, 4320, 1575, 375},
      {"Label65", Kind::Label, 15240, 4320, 615, 375, "mm"},
  };
  for (ControlSpec& c : rows)
    if (!c.parent) c.left += shift;
  return rows;
}

ConditionsForm::ConditionsForm(Shell& shell, int active_form, const QString& title, int client_width,
                               int client_height, const std::vector<ControlSpec>& controls)
    : Form(u8("Orbisan"), client_width, client_height, controls, "ConditionsForm"), shell_(shell), active_form_(active_form)
{
  label("Label1")->setText(title);
  for (const char* v : {"Label68", "Label69", "Label70", "Label6"}) {
    label(v)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label(v)->setAlignment(Qt::AlignCenter);
  }

  QComboBox* combo1 = combo("Combo1");
  for (const FieldSizePreset& p : kFieldSizePresets) combo1->addItem(ConditionsForm::tr(p.item));
  combo1->addItem(ConditionsForm::tr(kOtherSize));
  combo1->setMaxVisibleItems(11);

  for (const ConditionField& f : kFields) text(f.box)->installEventFilter(this);
  // The wheel over a closed list would apply presets in passing and
  // overwrite typed sizes: it turns the list only when the list has focus.
  combo1->setFocusPolicy(Qt::StrongFocus);
  combo1->installEventFilter(this);
  for (int waveform = 1; waveform <= 3; ++waveform)
    connect(option(waveform_option(waveform)), &QRadioButton::clicked, this,
            [this, waveform] { Option_Click(waveform); });
  connect(combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
  connect(button("Command1"), &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(button("Command2"), &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(button("CommandDose"), &QPushButton::clicked, this, [this] { CommandDose_Click(); });
  button("CommandDose")->setEnabled(false);
}

void ConditionsForm::load_defaults()
{
  ExposureConditions& s = shell_.state();
  set_default_conditions(s, static_cast<std::int16_t>(active_form_));
  for (const ConditionField& f : kFields) text(f.box)->setText(default_text(f.which));
  combo("Combo1")->setCurrentText(ConditionsForm::tr(kDefaultPreset));
  field_shape_ = kDefaultFieldShape;
  option(waveform_option(static_cast<int>(default_value(Condition::Waveform))))->setChecked(true);
  clear_factors();
  label("Label6")->clear();
}

void ConditionsForm::clear_factors()
{
  for (const char* v : {"Label68", "Label69", "Label70"}) label(v)->clear();
  shown_.reset();
  button("CommandDose")->setEnabled(false);
  if (DoseForm* dose = shell_.dose_form(); dose && dose->origin() == this) dose->result_withdrawn();
}

void ConditionsForm::set_shown_result(ShownResult result)
{
  shown_ = std::move(result);
  button("CommandDose")->setEnabled(true);
  if (DoseForm* dose = shell_.dose_form(); dose && dose->origin() == this && dose->isVisible()) dose->open_for(*this);
}

std::optional<double> ConditionsForm::matched_hvl() const
{
  if (hvl_fill_ && text("Text3")->text() == hvl_fill_->first) return hvl_fill_->second;
  return std::nullopt;
}

void ConditionsForm::CommandDose_Click()
{
  if (!shown_) return;
  shell_.guarded([this] { shell_.show_dose_form().open_for(*this); });
}

void ConditionsForm::fill_added_al(const QString& added, double hvl_mm)
{
  text("Text3")->setText(added);
  Text_LostFocus(u8("Text3"));
  hvl_fill_ = {added, hvl_mm};
  // The user's next step is here: calculate with the new filtration.
  raise();
  activateWindow();
  text("Text3")->setFocus(Qt::OtherFocusReason);
  text("Text3")->selectAll();
}

void ConditionsForm::Option_Click(int waveform) { shell_.state().Waveform = static_cast<std::int16_t>(waveform); }

void ConditionsForm::Combo1_Click()
{
  ExposureConditions& s = shell_.state();
  const QString item = combo("Combo1")->currentText();
  for (const FieldSizePreset& p : kFieldSizePresets) {
    if (item != ConditionsForm::tr(p.item)) continue;
    text("Text10")->setText(u8(p.long_text));
    text("Text11")->setText(u8(p.short_text));
    s.FieldLong = read_number(p.long_text);
    s.FieldShort = read_number(p.short_text);
    break;
  }
  if (item == ConditionsForm::tr(kOtherSize)) {
    if (active_form_ == 1) {
      // The user types the sizes; until then the fields hold no number.
      text("Text10")->clear();
      text("Text11")->clear();
      s.FieldLong = std::numeric_limits<double>::quiet_NaN();
      s.FieldShort = std::numeric_limits<double>::quiet_NaN();
    } else {
      text("Text10")->setText("20");
      text("Text11")->setText("20");
      s.FieldLong = 20.0;
      s.FieldShort = 20.0;
    }
  }
  label("Label22")->setText(ConditionsForm::tr(kLongAxisCaption));
  s.FieldShape = 1;
  field_shape_ = 1;
  after_preset(item);
}

void ConditionsForm::Text_KeyDown(const QString& text_box, int key)
{
  if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
  for (const auto& [from, to] : kEnterChain) {
    if (text_box != u8(from)) continue;
    // The chain ends on the calculate button, which Form5 keeps disabled
    // until the shape dialog is confirmed: the focus then stays put.
    QWidget* next = control(u8(to));
    if (next->isEnabled()) next->setFocus(Qt::OtherFocusReason);
    return;
  }
}

void ConditionsForm::Text_LostFocus(const QString& text_box)
{
  for (const ConditionField& f : kFields)
    if (text_box == u8(f.box)) shell_.state().*f.field = f.scale * read_number(number_text(text(f.box)->text()));
}

bool ConditionsForm::read_form()
{
  ExposureConditions& s = shell_.state();
  // What this form shows, whatever the other form or a load routine did to
  // the shared state meanwhile.
  for (int waveform = 1; waveform <= 3; ++waveform)
    if (option(waveform_option(waveform))->isChecked()) s.Waveform = static_cast<std::int16_t>(waveform);
  s.FieldShape = field_shape_;
  for (const ConditionField& f : kFields) {
    Text_LostFocus(u8(f.box));
    // A circular field has no short side: its box holds "0", unused.
    if (f.which == Condition::FieldShort && field_shape_ == 2) continue;
    const QString typed = text(f.box)->text();
    const NumberReading r = parse_number(number_text(typed));
    if (r.ok()) continue;
    const Condition which = f.which == Condition::FieldLong && field_shape_ == 2 ? Condition::FieldDiameter : f.which;
    refuse(not_a_number(which, typed.toStdString(), r));
    return false;
  }
  return true;
}

void ConditionsForm::refuse(const ConditionProblem& problem)
{
  warn(this, problem_text(problem));
  if (const char* box = box_of(problem.which)) {
    text(box)->setFocus(Qt::OtherFocusReason);
    text(box)->selectAll();
  }
}

void ConditionsForm::Command2_Click()
{
  shell_.guarded([this] {
    if (!read_form()) return;
    ExposureConditions& s = shell_.state();
    // The half-value layer appears on the form that asked for it.
    s.ActiveForm = static_cast<std::int16_t>(active_form_);
    if (const auto problem = check_conditions(s)) {
      refuse(*problem);
      return;
    }
    // A file that cannot be written (a full disk, a folder without write
    // permission) stops this calculation, not the program: the user's
    // input stays, and the calculation can be repeated once it is fixed.
    try {
      calculate();
    } catch (const DataFileError& e) {
      if (e.kind() != DataFileError::Kind::CannotWrite) throw;
      warn(this, data_error_text(e) + tr("\n\n計算は行われていません。入力はそのまま残っています。"));
    } catch (const EngineStartError& e) {
      warn(this, tr("計算プログラムを起動できません。\n\n%1").arg(in_language(e.japanese(), e.what())));
    }
  });
}

void ConditionsForm::compute_spectrum_step()
{
  ExposureConditions& s = shell_.state();
  const SpectrumResult r = compute_spectrum(s, shell_.attenuation);
  for (double v : r.photons) require_finite(v, QT_TRANSLATE_NOOP("ConditionsForm", "X 線スペクトル"));
  require_finite(r.hvl_cm, QT_TRANSLATE_NOOP("ConditionsForm", "半価層"));
  s.PhotonSpectrum = r.photons;
  s.HalfValueLayer = r.hvl_cm;
  write_spectrum_file(shell_.working_dir(), r.photons);
  shell_.show_half_value_layer(QString::fromStdString(half_value_layer_text(r)));
}

void ConditionsForm::show_factor(const char* name, double value, std::optional<double> uncertainty)
{
  std::string text = format_pattern(value, "#0.000");
  if (uncertainty) text += " ± " + format_pattern(*uncertainty, "#0.000");
  label(u8(name))->setText(QString::fromStdString(text));
}

void ConditionsForm::Command1_Click()
{
  // A file that is missing or cannot be deleted is passed over.
  for (const std::string& name : exit_files()) {
    try {
      std::error_code ec;
      fs::remove(resolve_nocase(shell_.working_dir(), name), ec);
    } catch (const std::exception&) {
    }
  }
  shell_.show_form4();
  hide();
  if (DoseForm* dose = shell_.dose_form(); dose && dose->origin() == this) dose->hide();
  on_exit();
}

bool ConditionsForm::eventFilter(QObject* watched, QEvent* event)
{
  if (watched == combo("Combo1") && event->type() == QEvent::Wheel && !combo("Combo1")->hasFocus()) {
    event->ignore();
    return true;
  }
  auto* box = qobject_cast<QLineEdit*>(watched);
  if (box && event->type() == QEvent::KeyPress)
    Text_KeyDown(box->objectName(), static_cast<QKeyEvent*>(event)->key());
  else if (box && event->type() == QEvent::FocusOut)
    Text_LostFocus(box->objectName());
  return Form::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Form1: the table estimate for a planar entrance surface.

namespace {

std::vector<ControlSpec> form1_controls()
{
  std::vector<ControlSpec> c = ConditionsForm::condition_rows(0);
  const ControlSpec own[] = {
      {"Label1", Kind::Label, 480, 360, 15840, 615, "", nullptr, nullptr, Face::Meiryo, 14},
      {"Label20", Kind::Label, 9840, 1560, 4575, 495, QT_TRANSLATE_NOOP("ConditionsForm", "入射表面：平面")},
      {"Command2", Kind::Button, 5040, 5040, 4215, 735, QT_TRANSLATE_NOOP("ConditionsForm", "この条件で計算する"), nullptr, " Go ! "},
      {"Command1", Kind::Button, 12480, 5040, 1335, 735, "Exit", nullptr, "  ---  bye bye  ---  "},
      // In the free space between the calculate and exit buttons.
      {"CommandDose", Kind::Button, 9480, 5040, 2775, 735, QT_TRANSLATE_NOOP("ConditionsForm", "入射表面線量の計算"), nullptr,
       QT_TRANSLATE_NOOP("ConditionsForm", "この結果から入射表面線量を計算し、報告書を作ります")},
      {"Shape1", Kind::Frame, 1320, 6120, 14415, 1335},
      {"Label14", Kind::Label, 240, 180, 13935, 375, QT_TRANSLATE_NOOP("ConditionsForm", "”微分後方散乱係数法” については、下記の文献を参照して下さい"), "Shape1"},
      {"Label15", Kind::Label, 480, 600, 13695, 615,
       QT_TRANSLATE_NOOP("ConditionsForm", "表の作り方（平板軟部組織ファントムのモンテカルロ計算）と、モンテカルロ法による計算との一致の検証は、"
       "データ説明書（ソースの data/README.md、インストール先の share/doc/orbisan/data-provenance.md）に記載しています。"),
       "Shape1"},
  };
  c.insert(c.end(), std::begin(own), std::end(own));
  return c;
}

}  // namespace

Form1::Form1(Shell& shell)
    : ConditionsForm(shell, 1, tr("微分後方散乱係数法を用いた診断X線の後方散乱係数の計算"), 16800, 7905,
                     form1_controls())
{
  combo("Combo1")->addItem(ConditionsForm::tr(kCircularField));
  label("Label15")->setWordWrap(true);
}

void Form1::load()
{
  ExposureConditions& s = shell_.state();
  const fs::path& dir = shell_.working_dir();
  shell_.differential = load_differential_tables(dir);
  shell_.attenuation = load_attenuation_table(dir);
  load_defaults();
  s.ActiveForm = 1;
  s.PhantomShape = phantom_code(Phantom::None);
}

void Form1::calculate()
{
  compute_spectrum_step();
  ExposureConditions& s = shell_.state();
  estimate_backscatter(s, shell_.attenuation, shell_.differential);
  require_finite(s.BsfSoftTissue, QT_TRANSLATE_NOOP("ConditionsForm", "後方散乱係数"));
  require_finite(s.BsfAirKerma, QT_TRANSLATE_NOOP("ConditionsForm", "後方散乱係数"));
  require_finite(s.BsfSkin, QT_TRANSLATE_NOOP("ConditionsForm", "後方散乱係数"));
  show_factor("Label68", s.BsfSoftTissue);
  show_factor("Label70", s.BsfAirKerma);
  show_factor("Label69", s.BsfSkin);
  ShownResult shown{s, {s.BsfAirKerma, s.BsfSoftTissue, s.BsfSkin, std::nullopt, std::nullopt, std::nullopt}, matched_hvl(), {}, false};
  shown.conditions.PhantomShape = phantom_code(Phantom::None);  // a flat surface, whatever Form5 chose
  shown.method = report::method_text(shown.conditions);
  set_shown_result(std::move(shown));
}

void Form1::after_preset(const QString& item)
{
  if (item == ConditionsForm::tr(kCircularField)) {
    ExposureConditions& s = shell_.state();
    s.ActiveForm = 1;
    label("Label22")->setText(ConditionsForm::tr(kDiameterCaption));
    text("Text10")->setText("10.0");
    s.FieldLong = 10.0;
    text("Text11")->setText("0");
    s.FieldShort = 0.0;
    s.FieldShape = 2;
    field_shape_ = 2;
  }
  text("Text10")->setFocus(Qt::OtherFocusReason);
}

void Form1::Combo1_KeyDown() { text("Text10")->setFocus(Qt::OtherFocusReason); }

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
  if (watched == combo("Combo1") && event->type() == QEvent::KeyPress) {
    Combo1_KeyDown();
    return true;
  }
  return ConditionsForm::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event)
{
  event->accept();
  shell_.end_program();
}

// ---------------------------------------------------------------------------
// Form5: the Monte Carlo calculation for a curved entrance surface.

namespace {

std::vector<ControlSpec> form5_controls()
{
  std::vector<ControlSpec> c = ConditionsForm::condition_rows(120);
  const ControlSpec own[] = {
      {"Label1", Kind::Label, 600, 360, 15840, 615, "", nullptr, nullptr, Face::Meiryo, 14},
      {"Label20", Kind::Label, 9960, 1560, 1095, 495, QT_TRANSLATE_NOOP("ConditionsForm", "入射面：")},
      {"Label14", Kind::Label, 11055, 1560, 5400, 495},
      {"Command3", Kind::Button, 600, 5040, 3255, 735, QT_TRANSLATE_NOOP("ConditionsForm", "入射表面の形状")},
      {"Command2", Kind::Button, 4080, 5040, 3375, 735, QT_TRANSLATE_NOOP("ConditionsForm", "この条件で計算する"), nullptr, " Go ! "},
      {"Command4", Kind::Button, 7680, 5040, 3255, 735, QT_TRANSLATE_NOOP("ConditionsForm", "計算結果表示")},
      {"Command1", Kind::Button, 15000, 5040, 1335, 735, "Exit", nullptr, "  ---  bye bye  ---  "},
      // In the free space between the result and exit buttons.
      {"CommandDose", Kind::Button, 11160, 5040, 3615, 735, QT_TRANSLATE_NOOP("ConditionsForm", "入射表面線量の計算"), nullptr,
       QT_TRANSLATE_NOOP("ConditionsForm", "この結果から入射表面線量を計算し、報告書を作ります")},
      // Where the last run stands, in the free strip below the buttons.
      {"LabelStatus", Kind::Label, 600, 5820, 15735, 360},
  };
  c.insert(c.end(), std::begin(own), std::end(own));
  return c;
}

}  // namespace

Form5::Form5(Shell& shell)
    : ConditionsForm(shell, 2, tr("モンテカルロ法を用いた診断X線の後方散乱係数の計算"), 16815, 6195, form5_controls())
{
  connect(button("Command3"), &QPushButton::clicked, this, [this] { Command3_Click(); });
  connect(button("Command4"), &QPushButton::clicked, this, [this] { Command4_Click(); });
  follow_timer_.setInterval(500);
  connect(&follow_timer_, &QTimer::timeout, this, [this] { follow_run(); });
}

void Form5::load()
{
  ExposureConditions& s = shell_.state();
  shell_.attenuation = load_attenuation_table(shell_.working_dir());
  load_defaults();
  s.ActiveForm = 2;
  s.PhantomShape = phantom_code(Phantom::Cylinder);
  label("Label14")->clear();
  button("Command2")->setEnabled(false);
  button("Command4")->setEnabled(false);
}

void Form5::calculate()
{
  ExposureConditions& s = shell_.state();
  const fs::path& dir = shell_.working_dir();
  // One run at a time in a folder: a second engine would interleave its
  // log and its files with the first one's.
  std::optional<std::string> busy = run_in_progress(dir);
  if (!busy && running()) busy = run_->engine;
  if (busy) {
    warn(this, tr("計算プログラム %1 がこの作業フォルダで計算中です。\nその計算が終わるまで、新しい計算は始められません。")
                   .arg(QString::fromStdString(*busy)));
    return;
  }

  // The engine of the confirmed phantom, with the run conditions this form
  // shows now: joken.txt is written again, so that distances or field
  // sizes changed since the shape dialog's OK are the ones computed with.
  s.PhantomShape = phantom_code(confirmed_shape_);
  s.JokenFieldShort = s.FieldShort;
  s.JokenFieldLong = s.FieldLong;
  if (const auto problem = check_phantom(s)) {
    warn(this, problem_text(*problem) + tr("\n\n（「入射表面の形状」で確定した形状と、この画面の条件の組み合わせです）"));
    return;
  }
  compute_spectrum_step();
  write_joken(dir, s);
  clear_factors();
  ShownResult basis{s, {}, matched_hvl(), {}, true};

  // Let the form repaint before the engine's window opens. User input waits:
  // a second click or a close now would run in the middle of this one.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  const QStringList arguments = shell_.use_all_cores() ? QStringList{"--threads", "0"} : QStringList{};
  const auto started = shell_.launcher().launch(confirmed_shape_, QString::fromStdString(dir.string()), arguments);
  if (!started) return;
  run_ = started->run;
  run_basis_ = std::move(basis);
  button("Command4")->setEnabled(true);
  follow_run();
  follow_timer_.start();
  if (started->terminal.isEmpty() && shell_.first_detached_notice())
    warn(this, tr("端末ウィンドウが見つからないため、計算プログラムは画面なしで実行されます。\n"
                  "計算の経過とエラーは、作業フォルダの「計算プログラム名.log」に書かれます。"
                  "今回は次のファイルです。\n\n%1")
                   .arg(started->log_file));
}

void Form5::phantom_confirmed(Phantom phantom)
{
  confirmed_shape_ = phantom;
  button("Command2")->setEnabled(true);
}

bool Form5::running() const
{
  return run_ && run_status(*run_, std::chrono::steady_clock::now()).state == RunStatus::State::Running;
}

std::vector<std::string> Form5::exit_files() const
{
  std::vector<std::string> files = {"X_SPCTL.dat", "ResultBSF.txt", "joken.txt", "ResultBSF.json", "EngineStatus.json"};
  // A run that goes on keeps its log: the folder stays marked as busy, and
  // on the next visit the result button still follows the run.
  const fs::path& dir = shell_.working_dir();
  for (const Phantom p : kEnginePhantoms) {
    const std::string_view engine = engine_program(p);
    const fs::path log = run_log_path(dir, engine);
    const bool own = running() && run_->engine == engine;
    if (!own && !log_held(log)) files.push_back(log.filename().string());
  }
  return files;
}

void Form5::on_exit()
{
  // The files of a finished run are gone with the others: the result
  // button no longer has a run to report on.
  if (!running()) {
    run_.reset();
    run_basis_.reset();
    follow_timer_.stop();
  }
  // The shape dialog belongs to this form's visit: it goes with it, keeping
  // its texts for the next one.
  if (Form13* dialog = shell_.form13()) dialog->hide();
}

void Form5::after_preset(const QString& item)
{
  if (item == ConditionsForm::tr(kOtherSize)) text("Text10")->setFocus(Qt::OtherFocusReason);
}

void Form5::Command3_Click() { shell_.guarded([this] { shell_.show_form13().prepare_opening(); }); }

bool Form5::show_run_result()
{
  const fs::path& dir = shell_.working_dir();
  ExposureConditions& s = shell_.state();
  // Only a result written since the last run started is that run's result;
  // the JSON brings the uncertainties, the text file serves older runs.
  if (!run_ || written_since(dir, kResultJson, run_->json_before)) {
    if (const auto j = read_result_json(dir)) {
      s.BsfAirKerma = j->factors.air_kerma;
      s.BsfSoftTissue = j->factors.soft_tissue;
      s.BsfSkin = j->factors.skin;
      show_factor("Label68", s.BsfSoftTissue, j->uncertainties.soft_tissue);
      show_factor("Label70", s.BsfAirKerma, j->uncertainties.air_kerma);
      show_factor("Label69", s.BsfSkin, j->uncertainties.skin);
      if (run_ && run_basis_) {
        ShownResult shown = *run_basis_;
        shown.factors = {j->factors.air_kerma, j->factors.soft_tissue, j->factors.skin,
                         j->uncertainties.air_kerma, j->uncertainties.soft_tissue, j->uncertainties.skin};
        shown.method = report::method_text(shown.conditions, j->histories);
        set_shown_result(std::move(shown));
      }
      return true;
    }
  }
  if (run_ && !written_since(dir, kResultTxt, run_->result_before)) return false;
  std::optional<EngineResult> r;
  try {
    r = read_result_file(dir);
  } catch (const std::exception&) {  // any failure to read: not there yet
  }
  if (!r) return false;
  s.BsfAirKerma = r->air_kerma;
  s.BsfSoftTissue = r->soft_tissue;
  s.BsfSkin = r->skin;
  show_factor("Label68", s.BsfSoftTissue);
  show_factor("Label70", s.BsfAirKerma);
  show_factor("Label69", s.BsfSkin);
  if (run_ && run_basis_) {
    ShownResult shown = *run_basis_;
    shown.factors = {r->air_kerma, r->soft_tissue, r->skin, std::nullopt, std::nullopt, std::nullopt};
    shown.method = report::method_text(shown.conditions);
    set_shown_result(std::move(shown));
  }
  return true;
}

void Form5::Command4_Click()
{
  if (show_run_result()) return;
  if (run_) {
    const RunStatus status = settled_status();
    if (status.state != RunStatus::State::Running) {
      show_stopped(status);
      return;
    }
  }
  warn(this, tr(" まだ計算が終わっていません。しばらくお待ちください。 "));
}

RunStatus Form5::settled_status() const
{
  RunStatus status = run_status(*run_, std::chrono::steady_clock::now());
  // Past its loop without a result of this run: it stopped (no primary
  // score, a result that could not be written), whatever its window waits for.
  const fs::path& dir = shell_.working_dir();
  if (status.state == RunStatus::State::Finished && !written_since(dir, kResultTxt, run_->result_before)) {
    status.state = RunStatus::State::Stopped;
    if (const auto es = engine_status(); es && es->state == "failed") status.exit_status = es->exit_status;
  }
  return status;
}

std::optional<EngineStatus> Form5::engine_status() const
{
  const fs::path& dir = shell_.working_dir();
  if (!run_ || !written_since(dir, kEngineStatus, run_->status_before)) return std::nullopt;
  return read_engine_status(dir);
}

void Form5::follow_run()
{
  if (!run_) {
    follow_timer_.stop();
    return;
  }
  const RunStatus status = settled_status();
  const std::optional<EngineStatus> es = engine_status();
  label("LabelStatus")->setText(QString::fromStdString(status_line(run_->engine, status, es)));
  if (status.state == RunStatus::State::Running) return;
  follow_timer_.stop();
  // A finished run's factors appear without a further click.
  if (status.state == RunStatus::State::Finished) show_run_result();
}

void Form5::show_stopped(const RunStatus& status)
{
  QString text = tr("計算は結果を出さずに終わりました。\n") + QString::fromStdString(status.reason);
  if (!status.engine_message.empty()) {
    // The engine's own words, quoted as it printed them.
    text += tr("\n\n計算プログラムのメッセージ:\n");
    for (const std::string& line : status.engine_message) text += QString::fromStdString(line).trimmed() + "\n";
  }
  text += tr("\n出力の全体は次のファイルにあります。\n") + QString::fromStdString(run_->log.string());
  warn(this, text);
}

void Form5::closeEvent(QCloseEvent* event)
{
  // Closed by its frame: leave as by "Exit" (its files deleted, back to the
  // menu); the window is then unloaded, and its shape dialog with it.
  if (Form13* dialog = shell_.form13()) dialog->close();
  Command1_Click();
  event->accept();
}

}  // namespace bsf::ui
