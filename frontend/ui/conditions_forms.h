// The two exposure-conditions forms: Form1 (table estimate, planar entrance
// surface) and Form5 (Monte Carlo calculation, curved entrance surface).
// They share their condition fields, presets, key handling and calculate and
// exit steps; each adds its own buttons and what its calculation runs.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QTimer>
#include <optional>
#include <vector>

#include "condition_checks.h"
#include "dose_form.h"
#include "engine_run.h"
#include "form_builder.h"

namespace bsf::ui {

class Shell;

class ConditionsForm : public Form {
  Q_DECLARE_TR_FUNCTIONS(ConditionsForm)

 public:
  // Load routine: data tables, default texts and fields, flags, empty
  // results. Runs once, when the window is created.
  virtual void load() = 0;

  // Event handlers common to both forms.
  void Option_Click(int waveform);
  void Combo1_Click();
  void Text_KeyDown(const QString& text_box, int key);
  void Text_LostFocus(const QString& text_box);
  void Command1_Click();  // "Exit"
  void Command2_Click();  // "この条件で計算する"

  // "入射表面線量の計算": the dose window, for the result shown.
  void CommandDose_Click();

  // The result this form shows, with the conditions it was computed with;
  // nothing before the first one and once its factors are emptied.
  const std::optional<ShownResult>& shown_result() const { return shown_; }

  // The dose window found the added aluminium `text` (mm) for the measured
  // half-value layer `hvl_mm`: it goes into the added-aluminium box as if
  // typed there, and the next result names the layer it came from.
  void fill_added_al(const QString& text, double hvl_mm);

  // The rows both forms share, with every left coordinate moved by `shift`.
  static std::vector<ControlSpec> condition_rows(int shift);

 protected:
  ConditionsForm(Shell& shell, int active_form, const QString& title, int client_width, int client_height,
                 const std::vector<ControlSpec>& controls);

  // Fills the defaults: texts, fields, preset, waveform, flags, results.
  void load_defaults();
  // Reads every condition field again from its text box, in form order,
  // and takes the waveform and field shape this form shows. False, after a
  // warning that names the field, when a box holds no number.
  bool read_form();
  // Warns of a problem and puts the focus on the box at fault, its text
  // selected, so that the user can correct it.
  void refuse(const ConditionProblem& problem);
  // The form's result labels emptied.
  void clear_factors();
  // The spectrum model: X_SPCTL.dat and the half-value layer.
  void compute_spectrum_step();
  // A factor with the pattern "#0.000", and its standard uncertainty when
  // known ("1.396 ± 0.004").
  void show_factor(const char* label, double value, std::optional<double> uncertainty = std::nullopt);

  // A new result is shown: kept, the dose button enabled, and the dose
  // window, when it works for this form, computes with it.
  void set_shown_result(ShownResult result);
  // The measured half-value layer the added aluminium box holds the match
  // of, while it holds what the dose window put there.
  std::optional<double> matched_hvl() const;

  // The form's own part of the calculate button, after the checks pass.
  virtual void calculate() = 0;
  // The files the exit button deletes.
  virtual std::vector<std::string> exit_files() const = 0;
  // The form's own preset handling after the common steps (focus, circle).
  virtual void after_preset(const QString& item) = 0;
  // The form's own last step of the exit button.
  virtual void on_exit() {}

  bool eventFilter(QObject* watched, QEvent* event) override;

  Shell& shell_;
  const int active_form_;
  // The field shape this form's preset list shows: 1 rectangular, 2
  // circular. Kept per form: the other form's presets do not change it.
  std::int16_t field_shape_ = 1;

 private:
  std::optional<ShownResult> shown_;
  std::optional<std::pair<QString, double>> hvl_fill_;  // the text put into Text3, and its layer
};

class Form1 : public ConditionsForm {
  Q_DECLARE_TR_FUNCTIONS(Form1)

 public:
  explicit Form1(Shell& shell);
  void load() override;
  void Combo1_KeyDown();

 protected:
  void calculate() override;
  std::vector<std::string> exit_files() const override { return {"X_SPCTL.dat"}; }
  void after_preset(const QString& item) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
};

class Form5 : public ConditionsForm {
  Q_DECLARE_TR_FUNCTIONS(Form5)

 public:
  explicit Form5(Shell& shell);
  void load() override;
  void Command3_Click();  // "入射表面の形状": the shape dialog
  void Command4_Click();  // "計算結果表示": the engine's result

  // The shape dialog's OK wrote joken.txt for this phantom: calculate may
  // run, and starts the engine of this shape whatever the dialog shows
  // later (until its next OK).
  void phantom_confirmed(Phantom phantom);
  Phantom confirmed_phantom() const { return confirmed_shape_; }

  // The run started last from this form, if any.
  const std::optional<EngineRun>& last_run() const { return run_; }

 protected:
  void calculate() override;
  // Its exchange files and the engines' logs, but never the log of a run
  // that goes on.
  std::vector<std::string> exit_files() const override;
  void on_exit() override;
  void after_preset(const QString& item) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void show_stopped(const RunStatus& status);
  // Shows the result of the last run (the JSON with its uncertainties, else
  // the text file) when it has written one; false otherwise.
  bool show_run_result();
  // The last run's state, a run past its loop without a result counting as
  // stopped.
  RunStatus settled_status() const;
  // The engine's own status of the last run, when it has written one.
  std::optional<EngineStatus> engine_status() const;
  // Every half second while a run goes on: the status line, and the result
  // when it has finished.
  void follow_run();
  QTimer follow_timer_;
  // True while the run started last from this form goes on.
  bool running() const;

  Phantom confirmed_shape_ = Phantom::None;  // until the shape dialog's first OK
  std::optional<EngineRun> run_;
  // What the last run was started with, for the result it brings.
  std::optional<ShownResult> run_basis_;
};

}  // namespace bsf::ui
