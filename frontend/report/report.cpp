#include "report.h"

#include <QFile>
#include <QFont>
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

QString u8(const char* s) { return QString::fromUtf8(s); }

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
    case 2: return u8("三相12ピーク");
    case 3: return u8("単相全波");
    default: return u8("定電圧・インバータ");
  }
}

}  // namespace

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
             u8("光子エネルギー (keV)"));
  p.save();
  p.translate(area.left() + 1.0 * unit, plot.center().y());
  p.rotate(-90);
  p.drawText(QRectF(-plot.height() / 2, 0, plot.height(), 2 * unit), Qt::AlignHCenter, u8("相対値（最大値 = 1）"));
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
  const QString hvl = s.hvl_found ? fixed(10.0 * s.hvl_cm, "#0.000") + " mm Al" : u8("29.9 mm Al を超える");
  const QStringList legend = {u8("— 光子数"), u8("— 空気カーマ"),
                              u8("--- 平均エネルギー ") + QString::number(mean, 'f', 1) + " keV", u8("半価層 ") + hvl};
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
  l << u8("後方散乱係数と入射表面線量の報告") << u8("作成日時: ") + r.date + u8("　プログラム: Orbisan ") + r.version
    << "" << u8("■ 照射条件")
    << u8("管電圧 ") + QString::number(c.TubeVoltage) + u8(" kV、高電圧整流方式 ") + waveform_name(c.Waveform) +
           u8("、ターゲット角度 ") + QString::number(c.AnodeAngle) + u8(" 度")
    << u8("固有フィルタ ") + fixed(10.0 * c.InherentFilter, "#0.0##") + u8(" mm Al、付加フィルタ ") +
           fixed(10.0 * c.AddedFilterAl, "#0.000") + u8(" mm Al + ") + fixed(10.0 * c.AddedFilterCu, "#0.0##") +
           " mm Cu" +
           (r.matched_hvl_mm ? u8("（付加アルミは測定半価層 ") + fixed(*r.matched_hvl_mm, "#0.000") + u8(" mm Al から求めた値）")
                             : QString())
    << u8("焦点-受像器間距離 ") + QString::number(c.FocusReceptorDistance) + u8(" cm、焦点-入射表面間距離 ") +
           QString::number(c.FocusSurfaceDistance) + u8(" cm、被写体厚 ") + QString::number(c.ObjectThickness) + " cm"
    << (c.FieldShape == 2 ? u8("照射野（受像面）: 直径 ") + QString::number(c.FieldLong) + " cm"
                          : u8("照射野（受像面）: ") + QString::number(c.FieldLong) + " × " + QString::number(c.FieldShort) +
                                " cm")
    << u8("半価層 ") + (r.spectrum.hvl_found ? fixed(10.0 * r.spectrum.hvl_cm, "#0.000") + " mm Al" : u8("29.9 mm Al を超える")) +
           u8("、平均エネルギー ") + QString::number(mean_energy_kev(r.spectrum), 'f', 1) + " keV"
    << "" << u8("■ 後方散乱係数（") + r.method + u8("）")
    << u8("空気カーマに基づく BSF: ") + with_u(r.factors.air_kerma, r.factors.u_air_kerma, "#0.000")
    << u8("軟部組織吸収線量に基づく BSF: ") + with_u(r.factors.soft_tissue, r.factors.u_soft_tissue, "#0.000")
    << u8("皮膚組織吸収線量に基づく BSF: ") + with_u(r.factors.skin, r.factors.u_skin, "#0.000");
  if (r.doses && r.air_kerma) {
    const EntranceDoses& d = *r.doses;
    const AirKermaInput& in = *r.air_kerma;
    l << "" << u8("■ 入射表面線量");
    if (in.source == AirKermaInput::Source::Measured)
      l << u8("入射空気カーマ（後方散乱なし）の測定値 ") + fixed(in.measured_mgy, "#0.000") + u8(" mGy（焦点から ") +
               QString::number(in.at_cm > 0 ? in.at_cm : c.FocusSurfaceDistance) + " cm）";
    else
      l << u8("管出力 ") + fixed(in.output_ugy_per_mas, "#0.0##") + u8(" µGy/mAs（100 cm）× ") + fixed(in.mas, "#0.0##") +
               " mAs";
    if (in.relative_u) l << u8("空気カーマの相対標準不確かさ ") + fixed(100.0 * *in.relative_u, "#0.0") + " %";
    l << u8("入射表面での入射空気カーマ: ") + with_u(d.incident_air_kerma_mgy, d.u_incident_air_kerma_mgy, "#0.000") + " mGy"
      << u8("入射表面空気カーマ (ESAK): ") + with_u(d.esak_mgy, d.u_esak_mgy, "#0.000") + " mGy"
      << u8("入射表面の軟部組織吸収線量: ") + with_u(d.soft_tissue_mgy, d.u_soft_tissue_mgy, "#0.000") + " mGy"
      << u8("入射表面の皮膚吸収線量: ") + with_u(d.skin_mgy, d.u_skin_mgy, "#0.000") + " mGy"
      << u8("質量エネルギー吸収係数比（線質で平均）: 軟部組織/空気 ") + fixed(d.f.soft, "#0.0000") + u8("、皮膚/空気 ") +
             fixed(d.f.skin, "#0.0000");
  }
  l << "" << u8("■ 使用したデータファイル (SHA-256)");
  for (const auto& [name, hash] : r.data_files) l << name + "  " + QString::fromStdString(hash);
  l << "" << u8("不確かさは標準不確かさ（k = 1）。");
  return l;
}

void write_report_pdf(const DoseReport& r, const QString& file)
{
  // Written beside the file and renamed over it when complete, so that a
  // failed write leaves no half a report (nor destroys an older one).
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly))
    throw std::runtime_error(file.toStdString() + ": the report cannot be written: " + out.errorString().toStdString());
  QPdfWriter pdf(&out);
  pdf.setPageSize(QPageSize(QPageSize::A4));
  pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
  pdf.setResolution(300);
  pdf.setTitle(u8("後方散乱係数と入射表面線量の報告"));
  pdf.setCreator("Orbisan " + r.version);
  QPainter p(&pdf);
  if (!p.isActive()) throw std::runtime_error(file.toStdString() + ": the report cannot be written");
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
    if (lines[i].startsWith(u8("半価層 "))) {
      const QRectF plot(0, y + 0.01 * page.height(), page.width(), 0.30 * page.height());
      paint_spectrum_plot(p, plot, r.spectrum, r.conditions.TubeVoltage);
      y = plot.bottom() + 0.01 * page.height();
    }
  }
  if (!p.end() || !out.commit())
    throw std::runtime_error(file.toStdString() + ": the report cannot be written: " + out.errorString().toStdString());
}

}  // namespace bsf::report
