#include "report.h"

#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "number_text.h"

namespace bsf::report {

namespace {

// The report's texts go through the translations (context "DoseReport");
// the source texts are the Japanese ones.
struct Text {
  Q_DECLARE_TR_FUNCTIONS(DoseReport)
};

// Japanese text needs a CJK face; the first one installed is taken.
QFont report_font(double point_size)
{
  QFont f;
  f.setFamilies({"IPAGothic", "IPAPGothic", "Noto Sans CJK JP", "VL Gothic", "TakaoGothic", "DejaVu Sans"});
  f.setPointSizeF(point_size);
  return f;
}

QString fixed(double v, const char* pattern) { return QString::fromStdString(format_pattern(v, pattern)); }

QString with_u(double v, const std::optional<double>& u, const char* pattern)
{
  return u ? fixed(v, pattern) + " ± " + fixed(*u, pattern) : fixed(v, pattern);
}

QString waveform_name(int w)
{
  switch (w) {
    case 2: return Text::tr("三相12ピーク");
    case 3: return Text::tr("単相全波");
    default: return Text::tr("定電圧・インバータ");
  }
}

// The line of report_lines() that names the beam's half-value layer: the
// spectrum plot follows it on the page.
constexpr int kBeamLine = 8;

QString hvl_text(const SpectrumResult& s)
{
  return s.hvl_found ? Text::tr("%1 mm Al").arg(fixed(10.0 * s.hvl_cm, "#0.000")) : Text::tr("29.9 mm Al を超える");
}

}  // namespace

QString method_text(const ExposureConditions& c, std::optional<std::int64_t> histories)
{
  const QString runs = histories ? Text::tr("、%1 ヒストリー").arg(QLocale(QLocale::Japanese).toString(static_cast<qlonglong>(*histories)))
                                 : QString();
  switch (phantom_of(c)) {
    case Phantom::Cylinder: return Text::tr("モンテカルロ法（円柱、半径 %1 cm%2）").arg(c.CylinderRadius).arg(runs);
    case Phantom::EllipticCylinder:
      return Text::tr("モンテカルロ法（楕円柱、横半径 %1 cm・縦半径 %2 cm%3）")
          .arg(c.EllipseHorizontal)
          .arg(c.EllipseVertical)
          .arg(runs);
    case Phantom::Racetrack:
      return Text::tr("モンテカルロ法（レーストラック形、a %1 cm・b %2 cm・長さ %3 cm%4）")
          .arg(c.RacetrackA)
          .arg(c.RacetrackB)
          .arg(c.RacetrackLength)
          .arg(runs);
    case Phantom::None: break;
  }
  return Text::tr("微分後方散乱係数法（入射表面：平面）");
}

double mean_energy_kev(const SpectrumResult& s)
{
  double n = 0.0, e = 0.0;
  for (int i = 1; i <= kSpectrumBins; ++i) {
    n += s.photons[static_cast<std::size_t>(i)];
    e += 0.5 * i * s.photons[static_cast<std::size_t>(i)];
  }
  return n > 0.0 ? e / n : 0.0;
}

void paint_spectrum_plot(QPainter& p, const QRectF& area, const SpectrumResult& s, double tube_voltage_kv)
{
  p.save();
  p.fillRect(area, Qt::white);
  const double unit = area.height() / 40.0;  // a text line's share of the plot
  QFont font = report_font(8);
  font.setPixelSize(std::max(8, static_cast<int>(1.6 * unit)));
  p.setFont(font);
  const QRectF plot = area.adjusted(6.0 * unit, 3.0 * unit, -2.0 * unit, -5.0 * unit);
  const double e_max = std::max(10.0, 10.0 * std::ceil(tube_voltage_kv / 10.0));
  auto x_of = [&](double e) { return plot.left() + plot.width() * e / e_max; };
  auto y_of = [&](double v) { return plot.bottom() - plot.height() * v; };

  // Axes, ticks every 10 keV (20 above 100 kV).
  p.setPen(QPen(Qt::black, 0));
  p.drawRect(plot);
  const double step = e_max > 100.0 ? 20.0 : 10.0;
  for (double e = 0.0; e <= e_max + 1e-9; e += step) {
    p.drawLine(QPointF(x_of(e), plot.bottom()), QPointF(x_of(e), plot.bottom() + 0.6 * unit));
    p.drawText(QRectF(x_of(e) - 3 * unit, plot.bottom() + 0.8 * unit, 6 * unit, 2 * unit), Qt::AlignHCenter,
               QString::number(e, 'f', 0));
  }
  p.drawText(QRectF(plot.left(), plot.bottom() + 2.6 * unit, plot.width(), 2 * unit), Qt::AlignHCenter,
             Text::tr("光子エネルギー (keV)"));
  p.save();
  p.translate(area.left() + 1.0 * unit, plot.center().y());
  p.rotate(-90);
  p.drawText(QRectF(-plot.height() / 2, 0, plot.height(), 2 * unit), Qt::AlignHCenter, Text::tr("相対値（最大値 = 1）"));
  p.restore();

  // The two curves, each scaled to its own peak.
  auto curve = [&](const std::array<double, kSpectrumBins + 1>& v, const QColor& colour) {
    double peak = 0.0;
    for (double x : v) peak = std::max(peak, x);
    if (!(peak > 0.0)) return;
    QPainterPath path;
    bool started = false;
    for (int i = 1; i <= kSpectrumBins && 0.5 * i <= e_max; ++i) {
      const QPointF q(x_of(0.5 * i), y_of(v[static_cast<std::size_t>(i)] / peak));
      if (!started) path.moveTo(q);
      else path.lineTo(q);
      started = true;
    }
    p.setPen(QPen(colour, std::max(1.0, 0.25 * unit)));
    p.drawPath(path);
  };
  curve(s.photons, QColor(0, 90, 200));
  curve(s.kerma, QColor(210, 60, 30));

  // The mean energy, dashed.
  const double mean = mean_energy_kev(s);
  p.setPen(QPen(Qt::darkGray, std::max(1.0, 0.15 * unit), Qt::DashLine));
  p.drawLine(QPointF(x_of(mean), plot.top()), QPointF(x_of(mean), plot.bottom()));

  // Legend and the beam's figures.
  const QString hvl = hvl_text(s);
  const QStringList legend = {Text::tr("— 光子数"), Text::tr("— 空気カーマ"),
                              Text::tr("--- 平均エネルギー %1 keV").arg(mean, 0, 'f', 1), Text::tr("半価層 %1").arg(hvl)};
  const QColor colours[] = {QColor(0, 90, 200), QColor(210, 60, 30), Qt::darkGray, Qt::black};
  for (int i = 0; i < legend.size(); ++i) {
    p.setPen(colours[i]);
    p.drawText(QRectF(plot.right() - 22 * unit, plot.top() + (0.5 + 2.0 * i) * unit, 21 * unit, 2 * unit),
               Qt::AlignRight, legend[i]);
  }
  p.restore();
}

QStringList report_lines(const DoseReport& r)
{
  const ExposureConditions& c = r.conditions;
  QStringList l;
  l << Text::tr("後方散乱係数と入射表面線量の報告")
    << Text::tr("作成日時: %1　プログラム: Orbisan %2").arg(r.date, r.version) << "" << Text::tr("■ 照射条件")
    << Text::tr("管電圧 %1 kV、高電圧整流方式 %2、ターゲット角度 %3 度")
           .arg(c.TubeVoltage)
           .arg(waveform_name(c.Waveform))
           .arg(c.AnodeAngle)
    << Text::tr("固有フィルタ %1 mm Al、付加フィルタ %2 mm Al + %3 mm Cu")
               .arg(fixed(10.0 * c.InherentFilter, "#0.0##"), fixed(10.0 * c.AddedFilterAl, "#0.000"),
                    fixed(10.0 * c.AddedFilterCu, "#0.0##")) +
           (r.matched_hvl_mm ? Text::tr("（付加アルミは測定半価層 %1 mm Al から求めた値）").arg(fixed(*r.matched_hvl_mm, "#0.000"))
                             : QString())
    << Text::tr("焦点-受像器間距離 %1 cm、焦点-入射表面間距離 %2 cm、被写体厚 %3 cm")
           .arg(c.FocusReceptorDistance)
           .arg(c.FocusSurfaceDistance)
           .arg(c.ObjectThickness)
    << (c.FieldShape == 2 ? Text::tr("照射野（受像面）: 直径 %1 cm").arg(c.FieldLong)
                          : Text::tr("照射野（受像面）: %1 × %2 cm").arg(c.FieldLong).arg(c.FieldShort))
    << Text::tr("半価層 %1、平均エネルギー %2 keV").arg(hvl_text(r.spectrum)).arg(mean_energy_kev(r.spectrum), 0, 'f', 1)
    << "" << Text::tr("■ 後方散乱係数（%1）").arg(r.method)
    << Text::tr("空気カーマに基づく BSF: %1").arg(with_u(r.factors.air_kerma, r.factors.u_air_kerma, "#0.000"))
    << Text::tr("軟部組織吸収線量に基づく BSF: %1").arg(with_u(r.factors.soft_tissue, r.factors.u_soft_tissue, "#0.000"))
    << Text::tr("皮膚組織吸収線量に基づく BSF: %1").arg(with_u(r.factors.skin, r.factors.u_skin, "#0.000"));
  if (r.doses && r.air_kerma) {
    const EntranceDoses& d = *r.doses;
    const AirKermaInput& in = *r.air_kerma;
    l << "" << Text::tr("■ 入射表面線量");
    if (in.source == AirKermaInput::Source::Measured)
      l << Text::tr("入射空気カーマ（後方散乱なし）の測定値 %1 mGy（焦点から %2 cm）")
               .arg(fixed(in.measured_mgy, "#0.000"))
               .arg(in.at_cm > 0 ? in.at_cm : c.FocusSurfaceDistance);
    else
      l << Text::tr("管出力 %1 µGy/mAs（100 cm）× %2 mAs").arg(fixed(in.output_ugy_per_mas, "#0.0##"), fixed(in.mas, "#0.0##"));
    if (in.relative_u) l << Text::tr("空気カーマの相対標準不確かさ %1 %").arg(fixed(100.0 * *in.relative_u, "#0.0"));
    l << Text::tr("入射表面での入射空気カーマ: %1 mGy").arg(with_u(d.incident_air_kerma_mgy, d.u_incident_air_kerma_mgy, "#0.000"))
      << Text::tr("入射表面空気カーマ (ESAK): %1 mGy").arg(with_u(d.esak_mgy, d.u_esak_mgy, "#0.000"))
      << Text::tr("入射表面の軟部組織吸収線量: %1 mGy").arg(with_u(d.soft_tissue_mgy, d.u_soft_tissue_mgy, "#0.000"))
      << Text::tr("入射表面の皮膚吸収線量: %1 mGy").arg(with_u(d.skin_mgy, d.u_skin_mgy, "#0.000"))
      << Text::tr("質量エネルギー吸収係数比（線質で平均）: 軟部組織/空気 %1、皮膚/空気 %2")
             .arg(fixed(d.f.soft, "#0.0000"), fixed(d.f.skin, "#0.0000"));
  }
  l << "" << Text::tr("■ 使用したデータファイル (SHA-256)");
  for (const auto& [name, hash] : r.data_files) l << name + "  " + QString::fromStdString(hash);
  l << "" << Text::tr("不確かさは標準不確かさ（k = 1）。");
  return l;
}

void write_report_pdf(const DoseReport& r, const QString& file)
{
  // Written beside the file and renamed over it when complete, so that a
  // failed write leaves no half a report (nor destroys an older one).
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly))
    throw ReportNotWritten(file, out.errorString());
  QPdfWriter pdf(&out);
  pdf.setPageSize(QPageSize(QPageSize::A4));
  pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
  pdf.setResolution(300);
  pdf.setTitle(Text::tr("後方散乱係数と入射表面線量の報告"));
  pdf.setCreator("Orbisan " + r.version);
  QPainter p(&pdf);
  if (!p.isActive()) throw ReportNotWritten(file, QStringLiteral("the PDF writer did not start"));
  const QRectF page(0, 0, pdf.width(), pdf.height());
  const QStringList lines = report_lines(r);
  QFont title = report_font(15);
  title.setBold(true);
  const QFont body = report_font(9.5);
  double y = 0.0;
  for (int i = 0; i < lines.size(); ++i) {
    p.setFont(i == 0 ? title : body);
    const QRectF box(0, y, page.width(), page.height() - y);
    const QRectF used = p.boundingRect(box, Qt::TextWordWrap, lines[i].isEmpty() ? " " : lines[i]);
    p.drawText(box, Qt::TextWordWrap, lines[i]);
    y += used.height() * (lines[i].isEmpty() ? 0.5 : 1.05);
    // The spectrum after the conditions' figures, before the factors.
    if (i == kBeamLine) {
      const QRectF plot(0, y + 0.01 * page.height(), page.width(), 0.30 * page.height());
      paint_spectrum_plot(p, plot, r.spectrum, r.conditions.TubeVoltage);
      y = plot.bottom() + 0.01 * page.height();
    }
  }
  if (!p.end() || !out.commit())
    throw ReportNotWritten(file, out.errorString());
}

}  // namespace bsf::report
