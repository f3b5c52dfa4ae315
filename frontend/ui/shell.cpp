#include "shell.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <iostream>
#include <type_traits>

#include "conditions_forms.h"
#include "dose_form.h"
#include "free_format.h"
#include "info_pages.h"
#include "language.h"
#include "menu_form.h"
#include "shape_dialog.h"

namespace bsf::ui {

void warn(QWidget* parent, const QString& text)
{
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Orbisan"), text, QMessageBox::Ok, parent);
  box.exec();
}

void Shell::exit_event_loop(int status) { QCoreApplication::exit(status); }

Shell::Shell(std::filesystem::path working_dir, EngineLauncher launcher, EndHook on_end)
    : dir_(std::move(working_dir)), launcher_(std::move(launcher)), on_end_(std::move(on_end))
{
}

Shell::~Shell()
{
  delete dose_form_.data();
  delete form13_.data();
  delete form2_.data();
  delete form3_.data();
  delete form4_.data();
  delete form5_.data();
  delete form1_.data();
}

bool Shell::start()
{
  show_form1();
  return !ended_;
}

Form1* Shell::form1() const { return form1_; }
Form2* Shell::form2() const { return form2_; }
Form3* Shell::form3() const { return form3_; }
Form4* Shell::form4() const { return form4_; }
Form5* Shell::form5() const { return form5_; }
Form13* Shell::form13() const { return form13_; }
DoseForm* Shell::dose_form() const { return dose_form_; }

template <class W>
W& Shell::show(QPointer<W>& slot)
{
  if (!slot) {
    slot = new W(*this);
    // Closing a window by its frame unloads it: the next showing builds it
    // anew and runs its load routine again.
    slot->setAttribute(Qt::WA_DeleteOnClose);
    if constexpr (std::is_base_of_v<ConditionsForm, W>) guarded([&] { slot->load(); });
    slot->centre();
  }
  if (!ended_) {
    slot->show();
    slot->raise();
    slot->activateWindow();
  }
  return *slot;
}

Form1& Shell::show_form1() { return show(form1_); }
Form2& Shell::show_form2() { return show(form2_); }
Form3& Shell::show_form3() { return show(form3_); }
Form4& Shell::show_form4() { return show(form4_); }
Form5& Shell::show_form5() { return show(form5_); }
Form13& Shell::show_form13() { return show(form13_); }
DoseForm& Shell::show_dose_form() { return show(dose_form_); }

void Shell::end_program(int status)
{
  ended_ = true;
  for (QWidget* w : std::initializer_list<QWidget*>{form1_, form2_, form3_, form4_, form5_, form13_, dose_form_})
    if (w) w->hide();
  if (on_end_) on_end_(status);
}

bool Shell::guarded(const std::function<void()>& work)
{
  QString what;
  try {
    work();
    return true;
  } catch (const DataFileError& e) {
    what = tr("データファイルを読み書きできません。\n\n%1").arg(data_error_text(e));
  } catch (const EngineStartError& e) {
    what = tr("計算プログラムを起動できません。\n\n%1").arg(in_language(e.japanese(), e.what()));
  } catch (const NumericFault& e) {
    what = tr("計算中に数値の異常が起きました。\n\n%1").arg(QString::fromUtf8(e.what()));
  } catch (const std::exception& e) {
    // The technical account goes to the terminal, for a bug report; the
    // box stays in the user's language.
    std::cerr << "Orbisan: unexpected error: " << e.what() << "\n";
    what = tr("予期しないエラーが起きました。");
  }
  warn(nullptr, what + tr("\n\nOrbisan を終了します。"));
  end_program(1);
  return false;
}

namespace {
constexpr const char* kAllCoresKey = "engine/useAllCores";
}  // namespace

bool Shell::use_all_cores() const { return QSettings().value(kAllCoresKey, true).toBool(); }

void Shell::set_use_all_cores(bool on) { QSettings().setValue(kAllCoresKey, on); }

void Shell::show_half_value_layer(const QString& text)
{
  Form* target = state_.ActiveForm == 1 ? static_cast<Form*>(form1()) : static_cast<Form*>(form5());
  if (target) target->label("Label6")->setText(text);
}

}  // namespace bsf::ui
