// The dose window: from the factors a calculation form shows to the
// patient's entrance doses. The incident air kerma (measured at a distance,
// or the tube output times the mAs) is carried to the entrance surface and
// multiplied by the factors and the beam's tissue-to-air ratios; the beam's
// spectrum is drawn; a measured half-value layer gives the added aluminium
// for the form; the result is copied or saved as a one-page PDF report.
#pragma once

#include <QPointer>
#include <optional>

#include "form_builder.h"
#include "patient_dose.h"
#include "report.h"
#include "spectrum.h"

namespace bsf::ui {

class ConditionsForm;
class Shell;

// The result a calculation form shows: the conditions it was computed with
// (not what the boxes hold now), its factors and how they were obtained.
struct ShownResult {
  ExposureConditions conditions;
  Factors factors;
  std::optional<double> matched_hvl_mm;  // the added aluminium came from this measured layer
  QString method;                        // in words, for the window and the report
  bool monte_carlo = false;
};

class DoseForm : public Form {
 public:
  explicit DoseForm(Shell& shell);

  // Takes the result `origin` shows now: its beam, its factors, and, when
  // air kerma inputs are there from before, the doses again.
  void open_for(ConditionsForm& origin);
  // The form this window works for (null when none or gone).
  ConditionsForm* origin() const { return origin_; }
  // The origin's result is no longer shown (a new calculation began, its
  // conditions changed): the doses are withdrawn until it shows one again.
  void result_withdrawn();

  // Event handlers.
  void Option_Click();         // measured air kerma or tube output
  void CommandCalc_Click();    // "線量を計算する"
  void CommandHvl_Click();     // "付加フィルタを求める"
  void CommandCopy_Click();    // "クリップボードにコピー"
  void CommandSave_Click();    // "報告書を保存 (PDF)"
  void CommandClose_Click();   // "閉じる"

  // The doses shown now, if any.
  const std::optional<EntranceDoses>& doses() const { return doses_; }

 private:
  // The air kerma inputs as typed; nothing, after a warning that names the
  // box at fault, when one is not usable (unless `quiet`).
  std::optional<AirKermaInput> read_air_kerma(bool quiet);
  void show_doses();
  void clear_doses();
  report::DoseReport make_report() const;
  std::optional<report::DoseReport> traced_report();

  Shell& shell_;
  QPointer<ConditionsForm> origin_;
  std::optional<ShownResult> source_;
  SpectrumResult spectrum_;
  TissueToAir f_;
  std::optional<AirKermaInput> air_kerma_;
  std::optional<EntranceDoses> doses_;
};

}  // namespace bsf::ui
