#include "info_pages.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <vector>

#include "picture_box.h"
#include "shell.h"

namespace bsf::ui {

namespace {

// ---------------------------------------------------------------------------
// The two graphs of the first page.
//
// Left: backscatter factors of the kind printed in the handbooks, for a
// water phantom and circular fields, one curve per aluminium half-value
// layer. The factor rises from 1 as the field grows, because more of the
// irradiated volume contributes scattered photons to the entrance point,
// and saturates once the field is wider than the photons' scattering range;
// harder beams scatter more and further, so their curves lie higher and
// saturate later. The curves are 1 + (B - 1)(1 - exp(-d / L)) with the
// saturation value B and the range L of each half-value layer.
//
// Right: the photon spectra of two beams with the same half-value layer,
// 60 kV and 80 kV. The bremsstrahlung is Kramers' thick-target spectrum,
// photon number per keV proportional to (E0 - E) / E, filtered by
// aluminium; the 60 kV beam needs the heavier filtration to reach the
// half-value layer of the 80 kV beam. Only the 80 kV beam excites the
// tungsten K shell (edge 69.5 keV): its K alpha and K beta lines appear at
// 59 and 67 keV.

struct BsfCurve {
  double hvl_mm;      // half-value layer, mm Al
  double saturation;  // the factor for a very large field
  double range_cm;    // field diameter over which the factor builds up
};

constexpr std::array<BsfCurve, 4> kBsfCurves{{
    {4.0, 1.43, 6.5},
    {3.0, 1.38, 5.5},
    {2.0, 1.31, 4.5},
    {1.0, 1.22, 3.5},
}};

double bsf_of_field(const BsfCurve& c, double diameter_cm)
{
  return 1.0 + (c.saturation - 1.0) * (1.0 - std::exp(-diameter_cm / c.range_cm));
}

// Mass attenuation coefficient of aluminium and mass energy-absorption
// coefficient of air (cm^2/g, NIST tables), interpolated in log-log.
struct CoefficientRow {
  double kev;
  double mu_al;
  double mu_en_air;
};

constexpr std::array<CoefficientRow, 10> kCoefficients{{
    {10.0, 26.23, 4.742},
    {15.0, 7.955, 1.334},
    {20.0, 3.441, 0.5389},
    {30.0, 1.128, 0.1537},
    {40.0, 0.5685, 0.06833},
    {50.0, 0.3681, 0.04098},
    {60.0, 0.2778, 0.03041},
    {80.0, 0.2018, 0.02407},
    {100.0, 0.1704, 0.02325},
    {150.0, 0.1378, 0.02496},
}};

constexpr double kAluminiumDensity = 2.699;  // g/cm^3

double log_interpolate(double kev, double CoefficientRow::*column)
{
  std::size_t i = 0;
  while (i + 2 < kCoefficients.size() && kCoefficients[i + 1].kev < kev) ++i;
  const CoefficientRow& lo = kCoefficients[i];
  const CoefficientRow& hi = kCoefficients[i + 1];
  const double t = std::log(kev / lo.kev) / std::log(hi.kev / lo.kev);
  return std::exp(std::log(lo.*column) + t * std::log(hi.*column / lo.*column));
}

double al_transmission(double kev, double mm_al)
{
  return std::exp(-log_interpolate(kev, &CoefficientRow::mu_al) * kAluminiumDensity * mm_al / 10.0);
}

// Photons below 10 keV are absorbed entirely by any tube filtration.
constexpr double kLowestKev = 10.0;
constexpr double kBinKev = 0.25;

// Relative photon number per keV of the bremsstrahlung behind `mm_al`.
double kramers(double kev, double tube_kv, double mm_al)
{
  if (kev >= tube_kv) return 0.0;
  return (tube_kv - kev) / kev * al_transmission(kev, mm_al);
}

// Air kerma behind a further `extra_mm` of aluminium, in arbitrary units.
double air_kerma(double tube_kv, double mm_al, double extra_mm)
{
  double sum = 0.0;
  for (double e = kLowestKev + kBinKev / 2.0; e < tube_kv; e += kBinKev)
    sum += kramers(e, tube_kv, mm_al) * e * log_interpolate(e, &CoefficientRow::mu_en_air) *
           al_transmission(e, extra_mm);
  return sum;
}

// The aluminium thickness that halves the air kerma, mm (bisection).
double half_value_layer(double tube_kv, double mm_al)
{
  const double half = air_kerma(tube_kv, mm_al, 0.0) / 2.0;
  double lo = 0.0;
  double hi = 20.0;
  for (int i = 0; i < 50; ++i) {
    const double mid = (lo + hi) / 2.0;
    (air_kerma(tube_kv, mm_al, mid) > half ? lo : hi) = mid;
  }
  return (lo + hi) / 2.0;
}

// The total filtration that gives a beam of `tube_kv` the half-value layer
// `hvl_mm` (the half-value layer grows monotonically with filtration).
double filtration_for(double tube_kv, double hvl_mm)
{
  double lo = 0.0;
  double hi = 30.0;
  for (int i = 0; i < 50; ++i) {
    const double mid = (lo + hi) / 2.0;
    (half_value_layer(tube_kv, mid) < hvl_mm ? lo : hi) = mid;
  }
  return (lo + hi) / 2.0;
}

struct Spectrum {
  double tube_kv = 0.0;
  double mm_al = 0.0;
  std::vector<QPointF> points;  // (keV, photon number relative to the continuum's maximum)
};

// Tungsten K lines: energy, and the height of the line's peak above the
// continuum as a multiple of the continuum there. The lines pass through
// the filtration like the continuum at their energy; they are drawn with a
// small width so that they read as peaks of the sampled curve.
struct KLine {
  double kev;
  double relative_height;
};
constexpr std::array<KLine, 2> kTungstenK{{{59.3, 1.0}, {67.2, 0.45}}};
constexpr double kTungstenKEdge = 69.5;  // keV
constexpr double kLineSigmaKev = 0.6;

Spectrum make_spectrum(double tube_kv, double mm_al)
{
  Spectrum s;
  s.tube_kv = tube_kv;
  s.mm_al = mm_al;
  double peak = 0.0;
  for (double e = kLowestKev; e <= tube_kv; e += kBinKev) peak = std::max(peak, kramers(e, tube_kv, mm_al));
  for (double e = kLowestKev; e <= tube_kv + 1e-9; e += kBinKev) {
    double n = kramers(e, tube_kv, mm_al);
    if (tube_kv > kTungstenKEdge)
      for (const KLine& k : kTungstenK)
        n += k.relative_height * kramers(k.kev, tube_kv, mm_al) *
             std::exp(-0.5 * std::pow((e - k.kev) / kLineSigmaKev, 2.0));
    s.points.emplace_back(e, n / peak);
  }
  return s;
}

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

// Frame, light grid, ticks and tick labels, the axis titles (the y title
// turned to read upwards) and the graph's caption above the frame.
void draw_axes(QPainter& p, const Axes& a, double x_step, int x_decimals, double y_step, int y_decimals,
               const QString& x_title, const QString& y_title, const QString& caption)
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
  p.drawText(QRectF(a.plot.left() - 10.0, a.plot.top() - fm_words.height() - 6.0, a.plot.width() + 20.0,
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

void draw_bsf_graph(QPainter& p, const QRectF& area)
{
  // Room for the tick labels and titles at the left and bottom, the caption
  // at the top and the curve labels at the right.
  const QRectF plot = area.adjusted(62.0, 30.0, -74.0, -44.0);
  const Axes a{plot, 0.0, 30.0, 1.0, 1.6};
  draw_axes(p, a, 5.0, 0, 0.1, 1, QStringLiteral("円形照射野の直径 (cm)"), QStringLiteral("後方散乱係数"),
            QStringLiteral("半価層をパラメータとした後方散乱係数 (水)"));

  const std::array<QColor, 4> colours{QColor(170, 30, 30), QColor(200, 110, 0), QColor(30, 120, 50),
                                      QColor(30, 70, 170)};
  const QFont label_font = face_font(Face::Times, 9);
  const QFontMetricsF fm(label_font);
  p.setFont(label_font);
  for (std::size_t i = 0; i < kBsfCurves.size(); ++i) {
    const BsfCurve& c = kBsfCurves[i];
    QPainterPath path(a.map(0.0, 1.0));
    for (double d = 0.25; d <= 30.0 + 1e-9; d += 0.25) path.lineTo(a.map(d, bsf_of_field(c, d)));
    p.setPen(QPen(colours[i], 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    const QPointF end = a.map(30.0, bsf_of_field(c, 30.0));
    p.drawText(QRectF(end.x() + 5.0, end.y() - fm.height() / 2.0, 70.0, fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("HVL %1 mm").arg(number_text(c.hvl_mm, 0)));
  }
}

void draw_spectrum_graph(QPainter& p, const QRectF& area)
{
  // The 80 kV beam with 3 mm of aluminium, a usual radiographic filtration,
  // and the 60 kV beam filtered to the same half-value layer.
  constexpr double kHighKv = 80.0;
  constexpr double kHighFilter = 3.0;
  constexpr double kLowKv = 60.0;
  static const double hvl = half_value_layer(kHighKv, kHighFilter);
  static const double low_filter = filtration_for(kLowKv, hvl);
  static const Spectrum low = make_spectrum(kLowKv, low_filter);
  static const Spectrum high = make_spectrum(kHighKv, kHighFilter);

  const QRectF plot = area.adjusted(62.0, 30.0, -14.0, -44.0);
  const Axes a{plot, 0.0, 90.0, 0.0, 1.4};
  draw_axes(p, a, 10.0, 0, 0.2, 1, QStringLiteral("光子エネルギー (keV)"), QStringLiteral("相対光子数"),
            QStringLiteral("半価層 %1 mm Al の 60 kV と 80 kV のスペクトル").arg(number_text(hvl, 1)));

  const QColor low_colour(30, 70, 170);
  const QColor high_colour(170, 30, 30);
  for (const Spectrum* s : {&low, &high}) {
    QPainterPath path(a.map(s->points.front().x(), s->points.front().y()));
    for (const QPointF& q : s->points) path.lineTo(a.map(q.x(), q.y()));
    p.setPen(QPen(s == &low ? low_colour : high_colour, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
  }

  // Legend in the top-left corner, above the spectra.
  const QFont legend_font = face_font(Face::Times, 9);
  const QFontMetricsF fm(legend_font);
  p.setFont(legend_font);
  const qreal lx = plot.left() + 10.0;
  qreal ly = plot.top() + 8.0 + fm.height() / 2.0;
  for (const Spectrum* s : {&low, &high}) {
    p.setPen(QPen(s == &low ? low_colour : high_colour, 1.6));
    p.drawLine(QPointF(lx, ly), QPointF(lx + 22.0, ly));
    p.setPen(Qt::black);
    p.drawText(QRectF(lx + 28.0, ly - fm.height() / 2.0, 160.0, fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("%1 kV (Al %2 mm)").arg(number_text(s->tube_kv, 0), number_text(s->mm_al, 1)));
    ly += fm.height() + 4.0;
  }

  // The tungsten K lines of the 80 kV beam.
  p.setPen(high_colour);
  const QPointF ka = a.map(kTungstenK[0].kev, 0.0);
  double ka_top = 0.0;
  for (const QPointF& q : high.points)
    if (std::abs(q.x() - kTungstenK[0].kev) < kBinKev) ka_top = std::max(ka_top, q.y());
  const QPointF ka_peak = a.map(kTungstenK[0].kev, ka_top);
  p.drawText(QRectF(ka.x() - 10.0, ka_peak.y() - fm.height() - 2.0, 80.0, fm.height()),
             Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("W K線"));
}

void draw_problem_graphs(QPainter& p, const QRect& r)
{
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const QRectF whole(r);
  const qreal half = whole.width() / 2.0;
  draw_bsf_graph(p, QRectF(whole.left(), whole.top(), half, whole.height()));
  draw_spectrum_graph(p, QRectF(whole.left() + half, whole.top(), half, whole.height()));
}

// ---------------------------------------------------------------------------
// The first page: heading, the three problems, the two graphs between the
// second and the third, and the buttons.

constexpr int kTextLeft = 240;
constexpr int kIndent = 480;
constexpr int kTextWidth = 12075;
constexpr int kLine = 375;

const ControlSpec kForm2Controls[] = {
    {"Label1", Kind::Label, kTextLeft, 150, kTextWidth, 450, "従来の後方散乱係数の取得法の問題点", nullptr, nullptr,
     Face::Meiryo, 11},
    {"Label2", Kind::Label, kTextLeft, 660, kTextWidth, kLine, "問題点 (1)"},
    {"Label3", Kind::Label, kIndent, 1035, kTextWidth - 240, kLine,
     "後方散乱係数は、X線の線質を表すアルミニウム半価層をパラメータとしたグラフ（左図）から、"},
    {"Label4", Kind::Label, kIndent, 1410, kTextWidth - 240, kLine,
     "実際の照射野を等価正方形（またはそれと等価な円形照射野）に置き換えて読み取られてきました。"},
    {"Label5", Kind::Label, kIndent, 1785, kTextWidth - 240, kLine,
     "しかし、曲線と曲線の間は目分量で内挿するしかなく、読み取る人によって値がばらつきます。"},
    {"Label6", Kind::Label, kTextLeft, 2235, kTextWidth, kLine, "問題点 (2)"},
    {"Label7", Kind::Label, kIndent, 2610, kTextWidth - 240, kLine,
     "半価層が同じでも、管電圧とろ過が異なれば（右図：60 kV と 80 kV）X線のスペクトルは異なり、"},
    {"Label8", Kind::Label, kIndent, 2985, kTextWidth - 240, kLine,
     "後方散乱係数も異なります。半価層だけでは後方散乱係数は一つに決まりません。"},
    {"Picture2", Kind::Picture, kTextLeft, 3450, kTextWidth, 4050},
    {"Label9", Kind::Label, kTextLeft, 7620, kTextWidth, kLine, "問題点 (3)"},
    {"Label10", Kind::Label, kIndent, 7995, kTextWidth - 240, kLine,
     "これまでのグラフは、水の吸収線量に基づく後方散乱係数を示しています。"},
    {"Label11", Kind::Label, kIndent, 8370, kTextWidth - 240, kLine,
     "診断参考レベルで用いる入射表面の空気カーマを求めるのに、この係数を使うのは誤りです。"},
    {"Label12", Kind::Label, kIndent, 8745, kTextWidth - 240, kLine,
     "空気カーマには、空気カーマに基づく後方散乱係数を用いなければなりません。"},
    {"Label13", Kind::Label, kTextLeft, 9795, 8700, 420, "問題点 (3) については、次のページで詳しく説明します。"},
    {"Command1", Kind::Button, 9195, 9780, 1500, 450, "続き"},
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
    {"Label1", Kind::Label, kTextLeft, 150, kTextWidth, 450, "問題点 (3) 続き", nullptr, nullptr, Face::Meiryo, 11},
    {"Label2", Kind::Label, kIndent, 720, kTextWidth - 240, 390,
     "従来の後方散乱係数 BSF は、水の吸収線量に基づいて次のように定義されています。", nullptr, nullptr,
     Face::Times},
    {"Label3", Kind::Label, 1920, 1140, 6000, 780, BSF_FRACTION(BSF_D("p") " + " BSF_D("s"), BSF_D("p")), nullptr,
     nullptr, Face::Times, 11},
    {"Label4", Kind::Label, kIndent, 2040, kTextWidth - 240, 390,
     "ここで、" BSF_D("p") " は一次線による、" BSF_D("s") " は後方散乱線による、入射表面中心の水の吸収線量です。",
     nullptr, nullptr, Face::Times},
    {"Label5", Kind::Label, kIndent, 2580, kTextWidth - 240, 390,
     "一方、診断参考レベルは、後方散乱を含む入射表面中心の空気カーマで定められており、"},
    {"Label6", Kind::Label, kIndent, 2985, kTextWidth - 240, 390,
     "その値は、測定した一次線の空気カーマ " BSF_K("p") " に後方散乱係数を掛けて求めます。", nullptr, nullptr,
     Face::Times},
    {"Label7", Kind::Label, kIndent, 3525, kTextWidth - 240, 390,
     "しかし、" BSF_K("p") " × (" BSF_D("p") " + " BSF_D("s") ") / " BSF_D("p") " は、求める空気カーマ " BSF_K("p") " + " BSF_K("s")
     " にはなりません（" BSF_K("s") " は後方散乱線による空気カーマ）。",
     nullptr, nullptr, Face::Times},
    {"Label8", Kind::Label, kIndent, 3930, kTextWidth - 240, 390,
     "水と空気では光子の吸収の割合がエネルギーによって異なり、後方散乱線は一次線より低いエネルギーに"},
    {"Label9", Kind::Label, kIndent, 4335, kTextWidth - 240, 390,
     "偏るため、水の吸収線量の比は空気カーマの比に一致しないからです。"},
    {"Label10", Kind::Label, kIndent, 4875, kTextWidth - 240, 390,
     "空気カーマを求めるには、空気カーマに基づく次の後方散乱係数を用いなければなりません。"},
    {"Label11", Kind::Label, 1920, 5310, 6000, 780, BSF_FRACTION(BSF_K("p") " + " BSF_K("s"), BSF_K("p")), nullptr,
     nullptr, Face::Times, 11},
    {"Label12", Kind::Label, kIndent, 6210, kTextWidth - 240, 390,
     "そこで本プログラムは、入射表面中心における ① 空気カーマ、② 軟部組織吸収線量、③ 皮膚吸収線量"},
    {"Label13", Kind::Label, kIndent, 6615, kTextWidth - 240, 390,
     "に基づく後方散乱係数を、微分後方散乱係数法により計算します。"},
    {"Label14", Kind::Label, kIndent, 7155, kTextWidth - 240, 390,
     "このため、測定した " BSF_K("p") " は、あらかじめ一次線による軟部組織吸収線量と皮膚吸収線量に換算しておきます。",
     nullptr, nullptr, Face::Times},
    {"Label15", Kind::Label, kIndent, 7695, kTextWidth - 240, 390,
     "こうして、求めたい量ごとに正しい後方散乱係数を使い分けることができます。"},
    {"Command2", Kind::Button, 10785, 8895, 1500, 450, "Close"},
};

#undef BSF_FRACTION
#undef BSF_K
#undef BSF_D

}  // namespace

// ---------------------------------------------------------------------------

Form2::Form2(Shell& shell) : Form(QStringLiteral("後方散乱係数"), 12555, 10410, kForm2Controls), shell_(shell)
{
  for (const char* name : {"Label1", "Label2", "Label6", "Label9"}) embolden(label(name));
  picture("Picture2")->set_drawing(draw_problem_graphs);
  connect(button("Command1"), &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(button("Command2"), &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void Form2::Command1_Click()
{
  shell_.show_form3();
  hide();
}

void Form2::Command2_Click() { hide(); }

Form3::Form3(Shell& shell) : Form(QStringLiteral("後方散乱係数"), 12525, 9555, kForm3Controls), shell_(shell)
{
  embolden(label("Label1"));
  for (const char* name : {"Label2", "Label3", "Label4", "Label6", "Label7", "Label11", "Label14"})
    label(name)->setTextFormat(Qt::RichText);
  connect(button("Command2"), &QPushButton::clicked, this, [this] { Command2_Click(); });
}

void Form3::Command2_Click() { hide(); }

}  // namespace bsf::ui
