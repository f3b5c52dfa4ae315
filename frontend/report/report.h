// The dose report: one A4 page with the conditions, the factors (with their
// uncertainties), the entrance doses, the beam's spectrum and the digests of
// the data files used, so that a dose audit can be traced. Drawn with Qt's
// own PDF writer; the same page, in words, for the clipboard. Needs Qt Gui
// only, so that the command line can write it too.
#pragma once

#include <QRectF>
#include <QString>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "exposure.h"
#include "patient_dose.h"
#include "spectrum.h"

class QPainter;

namespace bsf::report {

struct DoseReport {
  QString method;               // how the factors were obtained, in words
  ExposureConditions conditions;
  std::optional<double> matched_hvl_mm;  // the added aluminium was found for this measured layer
  SpectrumResult spectrum;
  Factors factors;
  std::optional<AirKermaInput> air_kerma;  // with `doses`
  std::optional<EntranceDoses> doses;
  std::vector<std::pair<QString, std::string>> data_files;  // name, SHA-256
  QString version;  // the program's
  QString date;     // ISO 8601, local time
};

// How the factors were obtained, in words: the table estimate for a flat
// surface, or the Monte Carlo run on the phantom of `c` (its dimensions, and
// the histories when known).
QString method_text(const ExposureConditions& c, std::optional<std::int64_t> histories = std::nullopt);

// The photon fluence weighted mean energy of the beam, keV.
double mean_energy_kev(const SpectrumResult& s);

// The beam's spectrum as a plot: the photon number and the air kerma per
// 0.5 keV bin against the photon energy, each scaled to its peak, with the
// mean energy marked and the half-value layer named. The window and the
// report draw it with this one function.
void paint_spectrum_plot(QPainter& p, const QRectF& area, const SpectrumResult& s, double tube_voltage_kv);

// The report's lines of text (Japanese), for the page and the clipboard.
QStringList report_lines(const DoseReport& r);

// A report that could not be written: the file and the system's reason.
class ReportNotWritten : public std::runtime_error {
 public:
  ReportNotWritten(const QString& file, const QString& reason)
      : std::runtime_error(file.toStdString() + ": the report cannot be written: " + reason.toStdString()),
        file_(file), reason_(reason)
  {
  }
  const QString& file() const { return file_; }
  const QString& reason() const { return reason_; }

 private:
  QString file_, reason_;
};

// Writes the report as a one-page PDF, whole or not at all (an older file
// of that name is then left as it was); throws ReportNotWritten.
void write_report_pdf(const DoseReport& r, const QString& file);

}  // namespace bsf::report
