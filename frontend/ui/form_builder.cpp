#include "form_builder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <cmath>
#include <stdexcept>

#include "language.h"
#include "picture_box.h"

namespace bsf::ui {

int twips_to_px(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

QRect twips_rect(int left, int top, int width, int height)
{
  const int x0 = twips_to_px(left);
  const int y0 = twips_to_px(top);
  return QRect(x0, y0, twips_to_px(left + width) - x0, twips_to_px(top + height) - y0);
}

QSize twips_size(int width, int height) { return {twips_to_px(width), twips_to_px(height)}; }

QFont face_font(Face face, int point_size)
{
  // The forms were drawn for Meiryo; IPA Gothic (fonts-ipafont-gothic) and
  // the Noto CJK faces have the same role on Linux. Times New Roman's
  // metric twin is Liberation Serif; the Japanese families stay in the list
  // as the fallback for any Japanese character in a Times text.
  static const QStringList meiryo{"Meiryo", "IPAGothic", "IPAPGothic", "Noto Sans CJK JP", "VL Gothic",
                                  "TakaoGothic"};
  static const QStringList times{"Times New Roman", "Liberation Serif", "DejaVu Serif", "IPAMincho",
                                 "IPAGothic"};
  // English text reads better in a proportional face: IPA's P Gothic (the
  // same package), with the Gothic faces behind it for any Japanese.
  static const QStringList latin{"IPAPGothic", "DejaVu Sans", "IPAGothic", "Noto Sans CJK JP"};
  QFont f;
  if (face == Face::Times) f.setFamilies(times);
  else f.setFamilies(current_language() == Language::English ? latin : meiryo);
  f.setPointSize(point_size);
  return f;
}

Form::Form(const QString& caption, int client_width, int client_height, std::span<const ControlSpec> controls,
           const char* context)
{
  auto text_of = [context](const char* source) {
    return context && *source ? QCoreApplication::translate(context, source) : QString::fromUtf8(source);
  };
  setWindowTitle(caption);
  setFixedSize(twips_size(client_width, client_height));
  setFont(face_font(Face::Meiryo));
  for (const ControlSpec& c : controls) {
    QWidget* parent = this;
    if (c.parent) {
      parent = control(c.parent);
      if (!parent) throw std::logic_error(std::string("control table: no frame ") + c.parent);
    }
    const QString caption_text = text_of(c.caption);
    QWidget* w = nullptr;
    switch (c.kind) {
      case Kind::Label: {
        auto* l = new QLabel(caption_text, parent);
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        w = l;
        break;
      }
      case Kind::Text:
        w = new QLineEdit(caption_text, parent);
        break;
      case Kind::Combo:
        w = new QComboBox(parent);
        break;
      case Kind::Option:
        w = new QRadioButton(caption_text, parent);
        break;
      case Kind::Check:
        w = new QCheckBox(caption_text, parent);
        break;
      case Kind::Button: {
        auto* b = new QPushButton(caption_text, parent);
        // Enter on a focused button presses it, as Space does; the forms'
        // Enter chain ends on their calculate buttons.
        b->setAutoDefault(true);
        w = b;
        break;
      }
      case Kind::Frame:
        w = new QGroupBox(caption_text, parent);
        break;
      case Kind::Picture:
        w = new PictureBox(parent);
        break;
    }
    w->setObjectName(QString::fromUtf8(c.name));
    w->setGeometry(twips_rect(c.left, c.top, c.width, c.height));
    w->setFont(face_font(c.face, c.point_size));
    if (c.tooltip) w->setToolTip(text_of(c.tooltip));
    controls_.insert(w->objectName(), w);
  }
}

QWidget* Form::control(const QString& name) const { return controls_.value(name, nullptr); }

namespace {
template <class T>
T* typed(const Form& f, const QString& name)
{
  T* w = dynamic_cast<T*>(f.control(name));
  if (!w) throw std::logic_error("form has no control " + name.toStdString() + " of that kind");
  return w;
}
}  // namespace

QLabel* Form::label(const QString& name) const { return typed<QLabel>(*this, name); }
QLineEdit* Form::text(const QString& name) const { return typed<QLineEdit>(*this, name); }
QComboBox* Form::combo(const QString& name) const { return typed<QComboBox>(*this, name); }
QRadioButton* Form::option(const QString& name) const { return typed<QRadioButton>(*this, name); }
QCheckBox* Form::check(const QString& name) const { return typed<QCheckBox>(*this, name); }
PictureBox* Form::picture(const QString& name) const { return typed<PictureBox>(*this, name); }
QPushButton* Form::button(const QString& name) const { return typed<QPushButton>(*this, name); }

void Form::centre()
{
  const QScreen* s = screen();
  if (!s) return;
  const QRect area = s->availableGeometry();
  const QRect frame = frameGeometry();
  move(area.center() - QPoint(frame.width() / 2, frame.height() / 2) + (pos() - frame.topLeft()));
}

}  // namespace bsf::ui
