// What the window tests share: a scratch working directory with the data
// files, stand-in engines, a guard that records and closes every message
// box, and typing into a field the way a user does.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <vector>

#include "shell.h"

class QComboBox;
class QLineEdit;

namespace bsf::ui::test {

// A working directory with the installed data files.
class Scratch {
 public:
  Scratch();
  std::filesystem::path path() const { return dir_.path().toStdString(); }
  QString qpath() const { return dir_.path(); }
  // Copies the real engine `name` from the build's working directory.
  void install_engine(const QString& name) const;
  // Writes an executable shell script `name`.
  void write_script(const QString& name, const QString& body) const;
  void write(const QString& name, const QByteArray& text) const;
  QByteArray read(const QString& name) const;
  bool exists(const QString& name) const;

 private:
  QTemporaryDir dir_;
};

// Closes every message box as soon as it shows and keeps what it said, so
// that a box no test expects fails the test instead of hanging it.
class MessageBoxGuard : public QObject {
 public:
  struct Box {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    int buttons;  // how many buttons it had
  };

  MessageBoxGuard();
  // The boxes shown since the last call.
  std::vector<Box> take();
  // The button a box that asks is answered with, when it has one; else OK.
  QMessageBox::StandardButton answer = QMessageBox::Ok;

 private:
  void sweep();
  QTimer timer_;
  std::vector<Box> boxes_;
};

// A shell on a scratch directory, its windows, and the message-box guard.
// Engines start without a terminal (their output goes to a log). The end of
// the program is recorded instead of stopping the application's event loop,
// which would make every later message box return at once.
struct App {
  // `keep_settings`: the choices an earlier App left (a new session);
  // otherwise the defaults.
  explicit App(std::vector<Terminal> terminals = {}, bool keep_settings = false);
  ~App();
  Scratch scratch;
  MessageBoxGuard boxes;
  int end_status = -1;  // the status the program ended with; -1 while it runs
  std::unique_ptr<Shell> shell;
};

// Replaces the text of a field and takes the focus away from it, as a user
// who types and moves on.
void type_into(QLineEdit* box, const QString& text);

// Replaces the text of a field with real key events and leaves the focus
// in it, as a user who types and then clicks a button.
void retype(QLineEdit* box, const QString& text);

// Replaces the text of a field through the input method, as a Japanese
// input method commits full-width text, and takes the focus away from it.
void type_with_input_method(QWidget* field, const QString& text);

// Types into an editable list's own text with real key events, the way a
// user replaces what it shows.
void type_into(QComboBox* list, const QString& text);

// Lets deleteLater() and queued events run.
void settle();

}  // namespace bsf::ui::test
