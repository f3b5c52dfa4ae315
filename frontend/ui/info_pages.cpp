#include "info_pages.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <memory>
#include <numeric>
#include <vector>

#include "estimate.h"
#include "exposure.h"
#include "picture_box.h"
#include "problem_figures.h"
#include "shell.h"
#include "spectrum.h"

namespace bsf::ui {

namespace {

// ---------------------------------------------------------------------------
// Drawing.

// A plotting frame: maps data coordinates into a pixel rectangle.
struct Axes {
  QRectF plot;
  double x0, x1, y0, y1;
  QPointF map(double x, double y) const
  {
    return {plot.left() + (x - x0) / (x1 - x0) * plot.width(), plot.bottom() - (y - y0) / (y1 - y0) * plot.height()};
  }
};

QString number_text(double v, int decimals) { return QString::number(v, 'f', decimals); }

QString hvl_text(double hvl_cm, bool found)
{
  return found ? QStringLiteral("HVL %1 mm").arg(number_text(10.0 * hvl_cm, 2))
               : QStringLiteral("HVL > %1 mm").arg(number_text(10.0 * kHvlSteps * kHvlStepCm, 1));
}

// Frame, light grid, ticks and tick labels, the axis titles (the y title
// turned to read upwards) and the graph's caption centred above the frame,
// free to run past the frame's ends as far as the graph's `area` allows.
void draw_axes(QPainter& p, const QRectF& area, const Axes& a, double x_step, int x_decimals, double y_step,
               int y_decimals, const QString& x_title, const QString& y_title, const QString& caption)
{
  const QFont numbers = face_font(Face::Times, 9);
  const QFont words = face_font(Face::Meiryo, 9);
  const QFontMetricsF fm_numbers(numbers);

  p.setPen(QPen(QColor(225, 225, 225), 1.0));
  const auto steps = [](double from, double to, double step) {
    std::vector<double> v;
    for (int i = 0;; ++i) {
      const double x = from + i * step;
      if (x > to + step * 1e-6) break;
      v.push_back(x);
    }
    return v;
  };
  const std::vector<double> xs = steps(a.x0, a.x1, x_step);
  const std::vector<double> ys = steps(a.y0, a.y1, y_step);
  for (double x : xs) p.drawLine(a.map(x, a.y0), a.map(x, a.y1));
  for (double y : ys) p.drawLine(a.map(a.x0, y), a.map(a.x1, y));

  p.setPen(QPen(Qt::black, 1.0));
  p.setBrush(Qt::NoBrush);
  p.drawRect(a.plot);
  p.setFont(numbers);
  for (double x : xs) {
    const QPointF q = a.map(x, a.y0);
    p.drawLine(q, q + QPointF(0.0, -5.0));
    p.drawText(QRectF(q.x() - 20.0, q.y() + 2.0, 40.0, fm_numbers.height()), Qt::AlignHCenter | Qt::AlignTop,
               number_text(x, x_decimals));
  }
  for (double y : ys) {
    const QPointF q = a.map(a.x0, y);
    p.drawLine(q, q + QPointF(5.0, 0.0));
    p.drawText(QRectF(q.x() - 34.0, q.y() - fm_numbers.height() / 2.0, 30.0, fm_numbers.height()),
               Qt::AlignRight | Qt::AlignVCenter, number_text(y, y_decimals));
  }

  p.setFont(words);
  const QFontMetricsF fm_words(words);
  p.drawText(QRectF(a.plot.left(), a.plot.bottom() + fm_numbers.height() + 3.0, a.plot.width(), fm_words.height() + 2.0),
             Qt::AlignHCenter | Qt::AlignTop, x_title);
  const qreal caption_half = std::min(a.plot.center().x() - area.left(), area.right() - a.plot.center().x()) - 4.0;
  p.drawText(QRectF(a.plot.center().x() - caption_half, a.plot.top() - fm_words.height() - 6.0, 2.0 * caption_half,
                    fm_words.height() + 2.0),
             Qt::AlignHCenter | Qt::AlignBottom, caption);
  p.save();
  const qreal title_x = a.plot.left() - 34.0 - fm_words.height() / 2.0 - 4.0;
  p.translate(title_x, a.plot.center().y());
  p.rotate(-90.0);
  p.drawText(QRectF(-a.plot.height() / 2.0, -fm_words.height() / 2.0, a.plot.height(), fm_words.height() + 2.0),
             Qt::AlignCenter, y_title);
  p.restore();
}

QPainterPath curve_path(const Axes& a, const std::vector<PlotPoint>& points)
{
  QPainterPath path;
  if (points.empty()) return path;
  path.moveTo(a.map(points.front().x, points.front().y));
  for (const PlotPoint& q : points) path.lineTo(a.map(q.x, q.y));
  return path;
}

void draw_bsf_graph(QPainter& p, const QRectF& area, const ProblemFigures& f)
{
  const QFont label_font = face_font(Face::Times, 9);
  const QFontMetricsF fm(label_font);
  std::vector<QString> labels;
  qreal label_width = 0.0;
  for (const BsfCurve& c : f.bsf) {
    labels.push_back(QStringLiteral("%1 kV, %2").arg(number_text(c.tube_kv, 0), hvl_text(c.hvl_cm, c.hvl_found)));
    label_width = std::max(label_width, fm.horizontalAdvance(labels.back()));
  }

  // The factors lie between 1 and about 1.5; the axis keeps its usual
  // 1.0 ... 1.6 unless a curve goes higher.
  double top = 1.6;
  for (const BsfCurve& c : f.bsf)
    for (const PlotPoint& q : c.points) top = std::max(top, std::ceil(q.y * 10.0 - 1e-9) / 10.0);

  // Room for the tick labels and titles at the left and bottom, the caption
  // at the top and the curve labels at the right.
  const QRectF plot = area.adjusted(62.0, 30.0, -(label_width + 16.0), -44.0);
  const Axes a{plot, 0.0, kFieldMaxCm, 1.0, top};
  draw_axes(p, area, a, 5.0, 0, 0.1, 1, Form2::tr("円形照射野の直径 (cm)"),
            Form2::tr("軟部組織線量に基づく BSF"), Form2::tr("円形照射野の後方散乱係数（計算値）"));

  const std::array<QColor, 4> colours{QColor(170, 30, 30), QColor(200, 110, 0), QColor(30, 120, 50),
                                      QColor(30, 70, 170)};
  const auto colour = [&](std::size_t i) { return colours[i % colours.size()]; };
  for (std::size_t i = 0; i < f.bsf.size(); ++i) {
    p.setPen(QPen(colour(i), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve_path(a, f.bsf[i].points));
  }

  // Labels at the curves' right ends, pushed apart where the ends lie closer
  // than a line of text, with a short leader from each end to its label.
  std::vector<std::size_t> order(f.bsf.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::vector<qreal> end_y(f.bsf.size());
  for (std::size_t i = 0; i < f.bsf.size(); ++i)
    end_y[i] = f.bsf[i].points.empty() ? plot.bottom() : a.map(kFieldMaxCm, f.bsf[i].points.back().y).y();
  std::sort(order.begin(), order.end(), [&](std::size_t l, std::size_t r) { return end_y[l] < end_y[r]; });
  std::vector<qreal> label_y(f.bsf.size());
  const qreal gap = fm.height();
  for (std::size_t n = 0; n < order.size(); ++n) {
    label_y[order[n]] = end_y[order[n]];
    if (n > 0) label_y[order[n]] = std::max(label_y[order[n]], label_y[order[n - 1]] + gap);
  }
  for (std::size_t n = order.size(); n-- > 0;) {
    const qreal limit = n + 1 < order.size() ? label_y[order[n + 1]] - gap : plot.bottom() - gap / 2.0;
    label_y[order[n]] = std::min(label_y[order[n]], limit);
  }
  p.setFont(label_font);
  for (std::size_t i = 0; i < f.bsf.size(); ++i) {
    const qreal x = plot.right();
    p.setPen(QPen(colour(i), 1.0));
    p.drawLine(QPointF(x + 1.0, end_y[i]), QPointF(x + 6.0, label_y[i]));
    p.drawText(QRectF(x + 8.0, label_y[i] - fm.height() / 2.0, label_width + 4.0, fm.height()),
               Qt::AlignLeft | Qt::AlignVCenter, labels[i]);
  }

  // The conditions every curve shares, in the empty lower-right corner.
  const QFont note_font = face_font(Face::Meiryo, 9);
  const QFontMetricsF fm_note(note_font);
  p.setFont(note_font);
  p.setPen(Qt::black);
  const QString note = Form2::tr("総ろ過 Al %1 mm\n焦点–表面間距離 %2 cm")
                           .arg(number_text(10.0 * f.total_al_cm, 1), number_text(kFocusDistanceCm, 0));
  p.drawText(plot.adjusted(0.0, 0.0, -6.0, -10.0), Qt::AlignRight | Qt::AlignBottom, note);
}

void draw_spectrum_graph(QPainter& p, const QRectF& area, const ProblemFigures& f)
{
  const QRectF plot = area.adjusted(62.0, 30.0, -14.0, -44.0);
  const Axes a{plot, 0.0, 90.0, 0.0, 1.4};
  const QString caption =
      f.same_hvl ? Form2::tr("半価層 %1 mm Al の 60 kV と 80 kV のスペクトル").arg(number_text(10.0 * f.high.hvl_cm, 2))
                 : Form2::tr("60 kV と 80 kV のスペクトル（半価層は凡例のとおり）");
  draw_axes(p, area, a, 10.0, 0, 0.2, 1, Form2::tr("光子エネルギー (keV)"), Form2::tr("相対光子数"), caption);

  const QColor low_colour(30, 70, 170);
  const QColor high_colour(170, 30, 30);
  const std::array<std::pair<const SpectrumCurve*, QColor>, 2> curves{{{&f.high, high_colour}, {&f.low, low_colour}}};
  for (const auto& [s, c] : curves) {
    p.setPen(QPen(c, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve_path(a, s->points));
  }

  // Legend in the top-left corner, above the spectra.
  const QFont legend_font = face_font(Face::Times, 9);
  const QFontMetricsF fm(legend_font);
  p.setFont(legend_font);
  const qreal lx = plot.left() + 10.0;
  qreal ly = plot.top() + 6.0 + fm.height() / 2.0;
  for (const auto& [s, c] : curves) {
    p.setPen(QPen(c, 1.6));
    p.drawLine(QPointF(lx, ly), QPointF(lx + 22.0, ly));
    p.setPen(Qt::black);
    p.drawText(QRectF(lx + 28.0, ly - fm.height() / 2.0, plot.right() - lx - 30.0, fm.height()),
               Qt::AlignLeft | Qt::AlignVCenter,
               Form2::tr("%1 kV,  総ろ過 Al %2 mm,  %3")
                   .arg(number_text(s->tube_kv, 0), number_text(10.0 * s->total_al_cm, 2),
                        hvl_text(s->hvl_cm, s->hvl_found)));
    ly += fm.height() + 2.0;
  }

  // The characteristic lines stand out of the continuum as single bins; the
  // tallest of them is named. Nothing is marked when the beam has none (below
  // the tungsten K edge).
  for (const auto& [s, c] : curves) {
    const std::vector<PlotPoint>& q = s->points;
    std::size_t line = 0;
    for (std::size_t i = 1; i + 1 < q.size(); ++i) {
      const double base = std::max(q[i - 1].y, q[i + 1].y);
      if (q[i].y > 1.2 * base && (line == 0 || q[i].y > q[line].y)) line = i;
    }
    if (line == 0) continue;
    const QPointF tip = a.map(q[line].x, q[line].y);
    p.setPen(c);
    p.drawText(QRectF(tip.x() + 5.0, tip.y() - fm.height() / 2.0, 80.0, fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
               Form2::tr("W K線"));
  }
}

void draw_failure(QPainter& p, const QRectF& area, const QString& why)
{
  p.setFont(face_font(Face::Meiryo, 9));
  p.setPen(Qt::black);
  p.drawText(area.adjusted(20.0, 20.0, -20.0, -20.0), Qt::AlignCenter | Qt::TextWordWrap,
             Form2::tr("図を計算できませんでした。\n%1").arg(why));
}

void draw_problem_graphs(QPainter& p, const QRect& r, const ProblemFigures& f)
{
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const QRectF whole(r);
  if (!f.failure.empty()) {
    draw_failure(p, whole, QString::fromStdString(f.failure));
    return;
  }
  // The left graph carries its curve labels beside the frame and gets a
  // little more of the width.
  const qreal split = std::round(whole.width() * 0.52);
  draw_bsf_graph(p, QRectF(whole.left(), whole.top(), split, whole.height()), f);
  draw_spectrum_graph(p, QRectF(whole.left() + split, whole.top(), whole.width() - split, whole.height()), f);
}

// ---------------------------------------------------------------------------
// The first page: heading, the three problems, the two graphs between the
// second and the third, and the buttons.

constexpr int kTextLeft = 240;
constexpr int kIndent = 480;
constexpr int kTextWidth = 12075;
constexpr int kLine = 375;

const ControlSpec kForm2Controls[] = {
    {"Label1", Kind::Label, kTextLeft, 150, kTextWidth, 450, QT_TRANSLATE_NOOP("Form2", "従来の後方散乱係数の取得法の問題点"), nullptr, nullptr,
     Face::Meiryo, 11},
    {"Label2", Kind::Label, kTextLeft, 660, kTextWidth, kLine, QT_TRANSLATE_NOOP("Form2", "問題点 (1)")},
    {"Label3", Kind::Label, kIndent, 1035, kTextWidth - 240, kLine,
     QT_TRANSLATE_NOOP("Form2", "後方散乱係数は、X線の線質を表すアルミニウム半価層をパラメータとした左図のようなグラフから、")},
    {"Label4", Kind::Label, kIndent, 1410, kTextWidth - 240, kLine,
     QT_TRANSLATE_NOOP("Form2", "実際の照射野を等価正方形（またはそれと等価な円形照射野）に置き換えて読み取られてきました。")},
    {"Label5", Kind::Label, kIndent, 1785, kTextWidth - 240, kLine,
     QT_TRANSLATE_NOOP("Form2", "しかし、曲線と曲線の間は目分量で内挿するしかなく、読み取る人によって値がばらつきます。")},
    {"Label6", Kind::Label, kTextLeft, 2235, kTextWidth, kLine, QT_TRANSLATE_NOOP("Form2", "問題点 (2)")},
    {"Label7", Kind::Label, kIndent, 2610, kTextWidth - 240, kLine,
     QT_TRANSLATE_NOOP("Form2", "半価層が同じでも、管電圧とろ過が異なれば（右図：60 kV と 80 kV）X線のスペクトルは異なり、")},
    {"Label8", Kind::Label, kIndent, 2985, kTextWidth - 240, kLine,
     QT_TRANSLATE_NOOP("Form2", "後方散乱係数も異なります。半価層だけでは後方散乱係数は一つに決まりません。")},
    {"Picture2", Kind::Picture, kTextLeft, 3450, kTextWidth, 4050},
    {"Label9", Kind::Label, kTextLeft, 7620, kTextWidth, kLine, QT_TRANSLATE_NOOP("Form2", "問題点 (3)")},
    {"Label10", Kind::Label, kIndent, 7995, kTextWidth - 240, kLine,
     QT_TRANSLATE_NOOP("Form2", "これまでのグラフは、水の吸収線量に基づく後方散乱係数を示しています。")},
    {"Label11", Kind::Label, kIndent, 8370, kTextWidth - 240, kLine,
     QT_TRANSLATE_NOOP("Form2", "診断参考レベルで用いる入射表面の空気カーマを求めるのに、この係数を使うのは誤りです。")},
    {"Label12", Kind::Label, kIndent, 8745, kTextWidth - 240, kLine,
     QT_TRANSLATE_NOOP("Form2", "空気カーマには、空気カーマに基づく後方散乱係数を用いなければなりません。")},
    {"Label13", Kind::Label, kTextLeft, 9795, 8700, 420, QT_TRANSLATE_NOOP("Form2", "問題点 (3) については、次のページで詳しく説明します。")},
    {"Command1", Kind::Button, 9195, 9780, 1500, 450, QT_TRANSLATE_NOOP("Form2", "続き")},
    {"Command2", Kind::Button, 10815, 9780, 1500, 450, "Close"},
};

void embolden(QLabel* l)
{
  QFont f = l->font();
  f.setBold(true);
  l->setFont(f);
}

// ---------------------------------------------------------------------------
// The second page. Lines that carry symbols are rich text: the symbols in
// the serif face, italic capitals with upright subscripts (p primary,
// s scattered), the Japanese falling back to the Gothic face. The two
// definitions are set as fractions in a two-row table whose upper cell is
// underlined.

#define BSF_D(sub) "<i>D</i><sub>" sub "</sub>"
#define BSF_K(sub) "<i>K</i><sub>" sub "</sub>"
#define BSF_FRACTION(num, den)                                                                             \
  "<table cellspacing=\"0\" cellpadding=\"0\" style=\"border-collapse:collapse\"><tr>"                    \
  "<td rowspan=\"2\" valign=\"middle\">BSF&nbsp;=&nbsp;</td>"                                              \
  "<td align=\"center\" style=\"border-bottom:1px solid black; padding:0px 4px\">" num "</td></tr>" \
  "<tr><td align=\"center\" style=\"padding:0px 4px\">" den "</td></tr></table>"

const ControlSpec kForm3Controls[] = {
    {"Label1", Kind::Label, kTextLeft, 150, kTextWidth, 450, QT_TRANSLATE_NOOP("Form3", "問題点 (3) 続き"), nullptr, nullptr, Face::Meiryo, 11},
    {"Label2", Kind::Label, kIndent, 720, kTextWidth - 240, 390,
     QT_TRANSLATE_NOOP("Form3", "従来の後方散乱係数 BSF は、水の吸収線量に基づいて次のように定義されています。"), nullptr, nullptr,
     Face::Times},
    {"Label3", Kind::Label, 1920, 1140, 6000, 780, BSF_FRACTION(BSF_D("p") " + " BSF_D("s"), BSF_D("p")), nullptr,
     nullptr, Face::Times, 11},
    {"Label4", Kind::Label, kIndent, 2040, kTextWidth - 240, 390,
     QT_TRANSLATE_NOOP("Form3", "ここで、<i>D</i><sub>p</sub> は一次線による、<i>D</i><sub>s</sub> は後方散乱線による、入射表面中心の水の吸収線量です。"),
     nullptr, nullptr, Face::Times},
    {"Label5", Kind::Label, kIndent, 2580, kTextWidth - 240, 390,
     QT_TRANSLATE_NOOP("Form3", "一方、診断参考レベルは、後方散乱を含む入射表面中心の空気カーマで定められており、")},
    {"Label6", Kind::Label, kIndent, 2985, kTextWidth - 240, 390,
     QT_TRANSLATE_NOOP("Form3", "その値は、測定した一次線の空気カーマ <i>K</i><sub>p</sub> に後方散乱係数を掛けて求めます。"), nullptr, nullptr,
     Face::Times},
    {"Label7", Kind::Label, kIndent, 3525, kTextWidth - 240, 390,
     QT_TRANSLATE_NOOP("Form3", "しかし、<i>K</i><sub>p</sub> × (<i>D</i><sub>p</sub> + <i>D</i><sub>s</sub>) / <i>D</i><sub>p</sub> は、求める空気カーマ <i>K</i><sub>p</sub> + <i>K</i><sub>s</sub> "
     "にはなりません（<i>K</i><sub>s</sub> は後方散乱線による空気カーマ）。"),
     nullptr, nullptr, Face::Times},
    {"Label8", Kind::Label, kIndent, 3930, kTextWidth - 240, 390,
     QT_TRANSLATE_NOOP("Form3", "水と空気では光子の吸収の割合がエネルギーによって異なり、後方散乱線は一次線より低いエネルギーに")},
    {"Label9", Kind::Label, kIndent, 4335, kTextWidth - 240, 390,
     QT_TRANSLATE_NOOP("Form3", "偏るため、水の吸収線量の比は空気カーマの比に一致しないからです。")},
    {"Label10", Kind::Label, kIndent, 4875, kTextWidth - 240, 390,
     QT_TRANSLATE_NOOP("Form3", "空気カーマを求めるには、空気カーマに基づく次の後方散乱係数を用いなければなりません。")},
    {"Label11", Kind::Label, 1920, 5310, 6000, 780, BSF_FRACTION(BSF_K("p") " + " BSF_K("s"), BSF_K("p")), nullptr,
     nullptr, Face::Times, 11},
    {"Label12", Kind::Label, kIndent, 6210, kTextWidth - 240, 390,
     QT_TRANSLATE_NOOP("Form3", "そこで本プログラムは、入射表面中心における ① 空気カーマ、② 軟部組織吸収線量、③ 皮膚吸収線量")},
    {"Label13", Kind::Label, kIndent, 6615, kTextWidth - 240, 390,
     QT_TRANSLATE_NOOP("Form3", "に基づく後方散乱係数を、微分後方散乱係数法により計算します。")},
    {"Label14", Kind::Label, kIndent, 7155, kTextWidth - 240, 390,
     QT_TRANSLATE_NOOP("Form3", "このため、測定した <i>K</i><sub>p</sub> は、あらかじめ一次線による軟部組織吸収線量と皮膚吸収線量に換算しておきます。"),
     nullptr, nullptr, Face::Times},
    {"Label15", Kind::Label, kIndent, 7695, kTextWidth - 240, 390,
     QT_TRANSLATE_NOOP("Form3", "こうして、求めたい量ごとに正しい後方散乱係数を使い分けることができます。")},
    {"Command2", Kind::Button, 10785, 8895, 1500, 450, "Close"},
};

#undef BSF_FRACTION
#undef BSF_K
#undef BSF_D

}  // namespace

// ---------------------------------------------------------------------------

Form2::Form2(Shell& shell) : Form(tr("後方散乱係数"), 12555, 10410, kForm2Controls, "Form2"), shell_(shell)
{
  for (const char* name : {"Label1", "Label2", "Label6", "Label9"}) embolden(label(name));
  // The figures take about ten milliseconds to compute; they are computed
  // once, here, and every repaint draws the same numbers.
  auto figures =
      std::make_shared<const ProblemFigures>(compute_problem_figures(shell_.attenuation, shell_.differential));
  picture("Picture2")->set_drawing([figures](QPainter& p, const QRect& r) { draw_problem_graphs(p, r, *figures); });
  connect(button("Command1"), &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(button("Command2"), &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void Form2::Command1_Click()
{
  shell_.show_form3();
  hide();
}

void Form2::Command2_Click() { hide(); }

Form3::Form3(Shell& shell) : Form(tr("後方散乱係数"), 12525, 9555, kForm3Controls, "Form3"), shell_(shell)
{
  embolden(label("Label1"));
  for (const char* name : {"Label2", "Label3", "Label4", "Label6", "Label7", "Label11", "Label14"})
    label(name)->setTextFormat(Qt::RichText);
  connect(button("Command2"), &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void Form3::Command2_Click() { hide(); }

}  // namespace bsf::ui
