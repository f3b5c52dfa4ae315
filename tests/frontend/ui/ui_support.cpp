#include "ui_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <stdexcept>

namespace bsf::ui::test {

Scratch::Scratch()
{
  if (!dir_.isValid()) throw std::runtime_error("no temporary directory");
  const QDir data(ORBISAN_DATA_DIR);
  for (const QString& f : data.entryList({"*.dat"}, QDir::Files))
    if (!QFile::copy(data.filePath(f), QDir(dir_.path()).filePath(f)))
      throw std::runtime_error("cannot copy " + f.toStdString());
}

void Scratch::install_engine(const QString& name) const
{
  const QString target = QDir(dir_.path()).filePath(name);
  if (!QFile::copy(QDir(ORBISAN_BIN_DIR).filePath(name), target))
    throw std::runtime_error("cannot copy the engine " + name.toStdString());
}

void Scratch::write_script(const QString& name, const QString& body) const
{
  write(name, ("#!/bin/sh\n" + body).toUtf8());
  QFile::setPermissions(QDir(dir_.path()).filePath(name),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup);
}

void Scratch::write(const QString& name, const QByteArray& text) const
{
  QFile f(QDir(dir_.path()).filePath(name));
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw std::runtime_error("cannot write " + name.toStdString());
  f.write(text);
}

QByteArray Scratch::read(const QString& name) const
{
  QFile f(QDir(dir_.path()).filePath(name));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

bool Scratch::exists(const QString& name) const { return QFile::exists(QDir(dir_.path()).filePath(name)); }

MessageBoxGuard::MessageBoxGuard()
{
  timer_.setInterval(5);
  connect(&timer_, &QTimer::timeout, this, [this] { sweep(); });
  timer_.start();
}

void MessageBoxGuard::sweep()
{
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(w);
    if (!box || !box->isVisible()) continue;
    boxes_.push_back({box->windowTitle(), box->text(), box->icon(), static_cast<int>(box->buttons().size())});
    if (QAbstractButton* b = box->button(answer)) b->click();
    else box->done(QMessageBox::Ok);
  }
}

std::vector<MessageBoxGuard::Box> MessageBoxGuard::take()
{
  std::vector<Box> out;
  out.swap(boxes_);
  return out;
}

App::App(std::vector<Terminal> terminals, bool keep_settings)
    : shell(std::make_unique<Shell>(scratch.path(), EngineLauncher(std::move(terminals)),
                                    [this](int status) { end_status = status; }))
{
  // The user's choices live in the tests' own settings, from their defaults.
  QStandardPaths::setTestModeEnabled(true);
  if (!keep_settings) QSettings().clear();
}

App::~App()
{
  shell.reset();
  settle();
}

void type_into(QLineEdit* box, const QString& text)
{
  box->selectAll();
  box->del();
  QTest::keyClicks(box, text);
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QCoreApplication::sendEvent(box, &out);
}

void retype(QLineEdit* box, const QString& text)
{
  box->setFocus();
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Delete);
  QTest::keyClicks(box, text);
}

void type_into(QComboBox* list, const QString& text)
{
  QLineEdit* edit = list->lineEdit();
  if (!edit) throw std::logic_error("the list is not editable");
  // With the focus really in it, as a user's typing has: only then does an
  // editable list hook up its completion.
  QWidget* window = list->window();
  window->activateWindow();
  if (!QTest::qWaitForWindowActive(window)) throw std::runtime_error("the window does not become active");
  list->setFocus(Qt::MouseFocusReason);
  if (!QTest::qWaitFor([&] { return edit->hasFocus(); }, 1000)) throw std::runtime_error("the list gets no focus");
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

void type_with_input_method(QWidget* field, const QString& text)
{
  auto* edit = qobject_cast<QLineEdit*>(field);
  if (auto* list = qobject_cast<QComboBox*>(field)) edit = list->lineEdit();
  if (!edit) throw std::logic_error("not a text field");
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QInputMethodEvent commit;
  commit.setCommitString(text);
  QCoreApplication::sendEvent(edit, &commit);
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QCoreApplication::sendEvent(edit, &out);
}

void settle()
{
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

}  // namespace bsf::ui::test
