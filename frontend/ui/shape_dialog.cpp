#include "shape_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <cmath>

#include "condition_checks.h"
#include "conditions_forms.h"
#include "exposure_defaults.h"
#include "free_format.h"
#include "illustrations.h"
#include "language.h"
#include "joken_writer.h"
#include "number_text.h"
#include "picture_box.h"
#include "shell.h"

namespace bsf::ui {

namespace {

constexpr const char* kDefaultHistories = default_text(Condition::HistoryCount);

const ControlSpec kControls[] = {
    // name      kind           left   top   width height caption
    {"Frame1", Kind::Frame, 600, 120, 11415, 1095, " Select surface type "},
    // "Clyndrical" is kept as users know the dialog; do not correct it.
    {"Option1", Kind::Option, 360, 480, 2775, 375, "Clyndrical type", "Frame1"},
    {"Option2", Kind::Option, 4080, 480, 3135, 375, "Elliptic cylinder type", "Frame1"},
    {"Option3", Kind::Option, 8160, 480, 3015, 375, "Racetrack type", "Frame1"},
    {"Label3", Kind::Label, 720, 1680, 2295, 375, "Curvature radius"},
    {"Text1", Kind::Text, 1560, 2040, 1095, 465, default_text(Condition::CylinderRadius)},
    {"Label4", Kind::Label, 2760, 2160, 495, 375, "cm"},
    {"Label7", Kind::Label, 5040, 1320, 2295, 375, "Horizontal axis"},
    {"Text2", Kind::Text, 5640, 1680, 1095, 465, default_text(Condition::EllipseHorizontal)},
    {"Label6", Kind::Label, 6840, 1800, 495, 375, "cm"},
    {"Label5", Kind::Label, 5280, 2280, 2055, 375, "Vertical axis"},
    {"Text3", Kind::Text, 5640, 2640, 1095, 465, default_text(Condition::EllipseVertical)},
    {"Label8", Kind::Label, 6840, 2760, 495, 375, "cm"},
    {"Label10", Kind::Label, 9600, 1440, 600, 375, "a ="},
    {"Text4", Kind::Text, 10200, 1440, 1095, 465, default_text(Condition::RacetrackA)},
    {"Label2", Kind::Label, 11400, 1560, 495, 375, "cm"},
    {"Label11", Kind::Label, 9600, 2040, 600, 375, "b ="},
    {"Text5", Kind::Text, 10200, 2040, 1095, 465, default_text(Condition::RacetrackB)},
    {"Label9", Kind::Label, 11400, 2160, 495, 375, "cm"},
    {"Label13", Kind::Label, 9000, 2760, 1200, 375, "Length ="},
    {"Text6", Kind::Text, 10200, 2640, 1095, 465, default_text(Condition::RacetrackLength)},
    {"Label12", Kind::Label, 11400, 2760, 495, 375, "cm"},
    {"Picture2", Kind::Picture, 240, 3360, 3855, 3015},
    {"Picture1", Kind::Picture, 4320, 3360, 3855, 3015},
    {"Picture3", Kind::Picture, 8400, 3360, 3855, 3015},
    {"Picture4", Kind::Picture, 12480, 120, 7815, 7815},
    {"Label1", Kind::Label, 600, 7200, 3975, 315, "Photon history of MC calculation =", nullptr, nullptr, Face::Times},
    {"Combo1", Kind::Combo, 4800, 7080, 1935, 435, "", nullptr, nullptr, Face::Times},
    {"Command6", Kind::Button, 7920, 6600, 3855, 465, "Shape Check "},
    // Free space between the illustrations and the history number.
    {"Check1", Kind::Check, 600, 6600, 6975, 375, "Use all CPU cores (parallel run)"},
    {"Command1", Kind::Button, 7920, 7320, 2055, 585, "OK"},
    {"Command2", Kind::Button, 10440, 7320, 1335, 585, "Cancel"},
};

constexpr const char* kHistoryItems[] = {"10000000", "30000000", "50000000", "100000000", "300000000", "500000000"};

QColor colour(const Rgb& c) { return QColor(c.r, c.g, c.b); }

}  // namespace

void paint_sketch(QPainter& p, const QRect& area, const std::vector<SketchItem>& items)
{
  const double sx = area.width() / (kSketchRight - kSketchLeft);
  const double sy = area.height() / (kSketchTop - kSketchBottom);
  auto at = [&](double x, double y) {
    return QPointF(area.left() + (x - kSketchLeft) * sx, area.top() + (kSketchTop - y) * sy);
  };
  p.save();
  p.setClipRect(area);
  p.setFont(face_font(Face::Times, 9));
  for (const SketchItem& item : items) {
    if (const auto* l = std::get_if<SketchLine>(&item)) {
      p.setPen(QPen(colour(l->colour), l->width, Qt::SolidLine, Qt::FlatCap));
      p.drawLine(at(l->x1, l->y1), at(l->x2, l->y2));
    } else if (const auto* a = std::get_if<SketchArc>(&item)) {
      // As a polyline in user coordinates, so that the direction of the
      // angles stays that of the y-up system.
      QPainterPath path;
      constexpr int kSteps = 96;
      for (int i = 0; i <= kSteps; ++i) {
        const double t = a->start + (a->end - a->start) * i / kSteps;
        const QPointF q = at(a->cx + a->rx * std::cos(t), a->cy + a->ry * std::sin(t));
        if (i == 0) path.moveTo(q);
        else path.lineTo(q);
      }
      p.setPen(QPen(colour(a->colour), a->width));
      p.setBrush(Qt::NoBrush);
      p.drawPath(path);
    } else if (const auto* t = std::get_if<SketchText>(&item)) {
      p.setPen(Qt::black);
      const QPointF q = at(t->x, t->y);
      p.drawText(QRectF(q, QSizeF(area.width(), area.height())), Qt::AlignLeft | Qt::AlignTop,
                 QString::fromStdString(t->text));
    }
  }
  p.restore();
}

Form13::Form13(Shell& shell) : Form(tr("  入射表面の形状"), 20565, 8115, kControls), shell_(shell)
{
  QComboBox* c = combo("Combo1");
  c->setEditable(true);
  c->setInsertPolicy(QComboBox::NoInsert);
  for (const char* item : kHistoryItems) c->addItem(item);
  // A typed history number is taken as typed: an editable list would
  // otherwise complete 1000000 to the listed 10000000.
  c->setCompleter(nullptr);
  picture("Picture2")->set_drawing(draw_beam_illustration);
  picture("Picture1")->set_drawing(draw_ellipse_illustration);
  picture("Picture3")->set_drawing(draw_racetrack_illustration);

  connect(button("Command6"), &QPushButton::clicked, this, [this] { Command6_Click(); });
  check("Check1")->setChecked(shell_.use_all_cores());
  check("Check1")->setToolTip(u8("On: the engine runs on every core (statistically equivalent, several times faster).\n"
                                 "Off: the exact serial run, reproducible bit for bit."));
  connect(check("Check1"), &QCheckBox::toggled, this, [this](bool on) { shell_.set_use_all_cores(on); });
  connect(button("Command1"), &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(button("Command2"), &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void Form13::prepare_opening()
{
  shell_.state().ActiveForm = 2;
  option("Option1")->setChecked(true);
  combo("Combo1")->setCurrentText(kDefaultHistories);
  sketch_.clear();
  picture("Picture4")->set_drawing({});
}

Phantom Form13::chosen_shape() const
{
  if (option("Option3")->isChecked()) return Phantom::Racetrack;
  return option("Option2")->isChecked() ? Phantom::EllipticCylinder : Phantom::Cylinder;
}

namespace {

double read_box(const Form& f, const char* name) { return read_number(number_text(f.text(name)->text())); }

// A size box of the dialog, the value it holds and the field it sets.
struct SizeBox {
  const char* box;
  Condition which;
  double ExposureConditions::*field;
};

std::vector<SizeBox> size_boxes(Phantom phantom)
{
  switch (phantom) {
    case Phantom::Cylinder: return {{"Text1", Condition::CylinderRadius, &ExposureConditions::CylinderRadius}};
    case Phantom::EllipticCylinder:
      return {{"Text2", Condition::EllipseHorizontal, &ExposureConditions::EllipseHorizontal},
              {"Text3", Condition::EllipseVertical, &ExposureConditions::EllipseVertical}};
    case Phantom::Racetrack:
      return {{"Text4", Condition::RacetrackA, &ExposureConditions::RacetrackA},
              {"Text5", Condition::RacetrackB, &ExposureConditions::RacetrackB},
              {"Text6", Condition::RacetrackLength, &ExposureConditions::RacetrackLength}};
    case Phantom::None: break;
  }
  return {};
}

// The Monte Carlo form's boxes that go into joken.txt at OK.
struct FormBox {
  const char* box;
  Condition which;
  double ExposureConditions::*field;
};
constexpr FormBox kForm5Boxes[] = {
    {"Text23", Condition::ObjectThickness, &ExposureConditions::ObjectThickness},
    {"Text9", Condition::FocusSurfaceDistance, &ExposureConditions::FocusSurfaceDistance},
    {"Text8", Condition::FocusReceptorDistance, &ExposureConditions::FocusReceptorDistance},
    {"Text11", Condition::FieldShort, &ExposureConditions::JokenFieldShort},
    {"Text10", Condition::FieldLong, &ExposureConditions::JokenFieldLong},
};

}  // namespace

void Form13::Command6_Click()
{
  const ExposureConditions& s = shell_.state();
  const Form5* form5 = shell_.form5();
  // The beam of the form that opened the dialog, as its boxes show it now.
  auto form5_box = [&](const char* box, double stored) { return form5 ? read_box(*form5, box) : stored; };
  const SketchInputs in{chosen_shape(),
                        read_box(*this, "Text1"),
                        read_box(*this, "Text2"),
                        read_box(*this, "Text3"),
                        read_box(*this, "Text4"),
                        read_box(*this, "Text5"),
                        form5_box("Text23", s.ObjectThickness),
                        form5_box("Text8", s.FocusReceptorDistance),
                        form5_box("Text9", s.FocusSurfaceDistance),
                        form5_box("Text11", s.FieldShort)};
  sketch_ = shape_sketch(in);
  picture("Picture4")->set_drawing(
      [items = sketch_](QPainter& p, const QRect& r) { paint_sketch(p, r, items); });
}

bool Form13::read_values(Form5& form5, ExposureConditions& out)
{
  auto refuse = [&](const ConditionProblem& p, QLineEdit* box, const QString& before) {
    warn(this, before + problem_text(p));
    if (box) {
      box->window()->activateWindow();
      box->setFocus(Qt::OtherFocusReason);
      box->selectAll();
    }
    return false;
  };
  // Each value must be a number within its limits; nothing is stored or
  // written until all of them are.
  auto take = [&](QLineEdit* box, const QString& typed, Condition which, double& value, const QString& before) {
    std::string digits = number_text(typed);
    if (which == Condition::HistoryCount && digits.find(',') != std::string::npos) {
      // A history number with thousands separators (1,000,000) is taken
      // whole; any other comma would end the number where the user does
      // not expect it (1,000,000 read as 1).
      static const QRegularExpression grouped(QStringLiteral("^\\s*\\d{1,3}(,\\d{3})+\\s*$"));
      if (!grouped.match(QString::fromStdString(digits)).hasMatch())
        return refuse(not_a_number(which, typed.toStdString(), {}), box, before);
      std::erase(digits, ',');
    }
    const NumberReading r = parse_number(digits);
    if (!r.ok()) return refuse(not_a_number(which, typed.toStdString(), r), box, before);
    if (const auto p = check_value(which, r.value)) return refuse(*p, box, before);
    value = r.value;
    return true;
  };

  double histories = 0.0;
  if (!take(combo("Combo1")->lineEdit(), combo("Combo1")->currentText(), Condition::HistoryCount, histories, {}))
    return false;
  out.HistoryCount = static_cast<std::int32_t>(histories);
  for (const SizeBox& b : size_boxes(chosen_shape()))
    if (!take(text(b.box), text(b.box)->text(), b.which, out.*b.field, {})) return false;
  const QString on_form5 = tr("モンテカルロ計算の画面の条件を直してから OK を押してください。\n\n");
  for (const FormBox& b : kForm5Boxes)
    if (!take(form5.text(b.box), form5.text(b.box)->text(), b.which, out.*b.field, on_form5)) return false;
  // The phantom against the beam, as the engine will check it.
  out.PhantomShape = phantom_code(chosen_shape());
  if (const auto p = check_phantom(out)) {
    QLineEdit* box = nullptr;
    for (const SizeBox& b : size_boxes(chosen_shape()))
      if (b.which == p->which) box = text(b.box);
    return refuse(*p, box, {});
  }
  return true;
}

void Form13::Command1_Click()
{
  Form5* form5 = shell_.form5();
  if (!form5) {  // the Monte Carlo form was closed: nothing to confirm for
    hide();
    return;
  }
  shell_.guarded([&] {
    ExposureConditions values = shell_.state();
    if (!read_values(*form5, values)) return;
    const Phantom shape = chosen_shape();
    values.PhantomShape = phantom_code(shape);
    try {
      write_joken(shell_.working_dir(), values);
    } catch (const DataFileError& e) {
      if (e.kind() != DataFileError::Kind::CannotWrite) throw;
      // The dialog stays open with its values; the last confirmed phantom
      // and its file stay in force.
      warn(this, data_error_text(e) + tr("\n\n形状は確定されていません。"));
      return;
    }
    shell_.state() = values;
    QLabel* surface = form5->label("Label14");
    switch (shape) {
      case Phantom::Cylinder: surface->setText(tr("半径 %1cm の円柱表面").arg(text("Text1")->text())); break;
      case Phantom::EllipticCylinder: surface->setText(tr("%1 : %2cmの楕円柱表面").arg(text("Text2")->text(), text("Text3")->text())); break;
      case Phantom::Racetrack:
      case Phantom::None: surface->setText(tr("レーストラック型モデルの表面")); break;
    }
    form5->phantom_confirmed(shape);
    hide();
  });
}

void Form13::Command2_Click()
{
  shell_.show_form4();
  if (Form5* form5 = shell_.form5()) form5->hide();
  hide();
}

}  // namespace bsf::ui
