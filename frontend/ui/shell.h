// The application shell: the one shared state, the data tables, the
// windows (each created on its first showing and kept while hidden), the
// navigation between them, and the end of the program.
#pragma once

#include <QCoreApplication>
#include <QPointer>
#include <QString>
#include <filesystem>
#include <functional>
#include <utility>

#include "engine_launcher.h"
#include "estimate.h"
#include "exposure.h"

class QWidget;

namespace bsf::ui {

class Form1;
class Form2;
class Form3;
class Form4;
class Form5;
class Form13;
class DoseForm;

class Shell {
  Q_DECLARE_TR_FUNCTIONS(Shell)

 public:
  // How the program stops: by default the application's event loop is told
  // to return `status`.
  using EndHook = std::function<void(int status)>;
  static void exit_event_loop(int status);

  // `working_dir` holds the data files and receives the exchange files;
  // the engines are started from there.
  explicit Shell(std::filesystem::path working_dir, EngineLauncher launcher = EngineLauncher{},
                 EndHook on_end = exit_event_loop);
  ~Shell();
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;

  // Program start: shows Form1. False when its load failed (the error has
  // been reported and the program has ended).
  bool start();

  ExposureConditions& state() { return state_; }
  const std::filesystem::path& working_dir() const { return dir_; }
  EngineLauncher& launcher() { return launcher_; }

  // Tables read by the load routines of the calculation forms.
  AttenuationTable attenuation;
  DifferentialTables differential;

  // Show: create the window if it does not exist (running its load
  // routine), then make it visible and active. Modeless.
  Form1& show_form1();
  Form2& show_form2();
  Form3& show_form3();
  Form4& show_form4();
  Form5& show_form5();
  Form13& show_form13();
  DoseForm& show_dose_form();

  // The windows that exist now (null before their first showing and after
  // being closed by the frame).
  Form1* form1() const;
  Form2* form2() const;
  Form3* form3() const;
  Form4* form4() const;
  Form5* form5() const;
  Form13* form13() const;
  DoseForm* dose_form() const;

  // End of the program: every window is hidden and the end hook runs. No
  // handler runs and no file is touched.
  void end_program(int status = 0);
  bool ended() const { return ended_; }

  // Runs an event's work. Any error it throws is an unhandled error of the
  // program: reported in a message box in words the user understands (in
  // Japanese only), then the program ends. Returns false in that case.
  bool guarded(const std::function<void()>& work);

  // Shows the half-value layer on the form that `ActiveForm` names.
  void show_half_value_layer(const QString& text);

  // Whether engines run on all cores (the parallel mode, "--threads 0") or
  // as the exact serial run; kept across sessions. On by default.
  bool use_all_cores() const;
  void set_use_all_cores(bool on);

  // True the first time it is asked in this session: the notice that an
  // engine runs without a window is given once, not at every run.
  bool first_detached_notice() { return !std::exchange(told_detached_, true); }

 private:
  template <class W>
  W& show(QPointer<W>& slot);

  std::filesystem::path dir_;
  EngineLauncher launcher_;
  EndHook on_end_;
  ExposureConditions state_;
  bool ended_ = false;
  bool told_detached_ = false;
  QPointer<Form1> form1_;
  QPointer<Form2> form2_;
  QPointer<Form3> form3_;
  QPointer<Form4> form4_;
  QPointer<Form5> form5_;
  QPointer<Form13> form13_;
  QPointer<DoseForm> dose_form_;
};

// A warning message box: warning icon, one OK button, the title "Orbisan".
void warn(QWidget* parent, const QString& text);

// A calculation that produced a value that is not a number or infinite.
// The message is Japanese, for the message box.
class NumericFault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace bsf::ui
