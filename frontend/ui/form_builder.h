// The windows are written as control tables: one row per control with its
// name, kind, position and caption, the way a form designer lists them. One
// small factory turns a table into widgets; the forms keep only behaviour.
#pragma once

#include <QFont>
#include <QHash>
#include <QRect>
#include <QString>
#include <QWidget>
#include <span>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace bsf::ui {

class PictureBox;

// The forms' texts are written in the source as UTF-8.
inline QString u8(const char* s) { return QString::fromUtf8(s); }

// A box's text as the number reader takes it: full-width digits, signs and
// points, as a Japanese input method types them ("１２．５"), become their
// ASCII forms (Unicode compatibility normalisation).
inline std::string number_text(const QString& text) { return text.normalized(QString::NormalizationForm_KC).toStdString(); }

// Positions are in twips, 1440 to the inch: 15 twips make one pixel at the
// logical 96 DPI. Each edge is rounded on its own, so that controls that
// touch in twips touch on the screen.
int twips_to_px(int twips);
QRect twips_rect(int left, int top, int width, int height);
QSize twips_size(int width, int height);

enum class Kind {
  Label,   // static text
  Text,    // single-line text box
  Combo,   // drop-down list, its items given separately
  Option,  // option (radio) button
  Check,   // check box
  Button,  // command button
  Frame,   // captioned group that holds option buttons
  Picture, // drawing area, filled in by the form
};

enum class Face {
  Meiryo,     // the forms' Japanese face (or the nearest installed one)
  Times,      // Times New Roman (or a metric twin)
};

struct ControlSpec {
  const char* name;
  Kind kind;
  int left, top, width, height;  // twips, within the parent
  const char* caption = "";      // caption, or a text box's default text
  const char* parent = nullptr;  // the frame it sits in
  const char* tooltip = nullptr;
  Face face = Face::Meiryo;
  int point_size = 9;
};

// The font of a face: the first installed family of a preference list, so
// that Japanese text never falls back to boxes.
QFont face_font(Face face, int point_size = 9);

// A top-level window built from its control table.
class Form : public QWidget {
 public:
  // With a `context`, the table's captions and tips go through the
  // translations of that context (the table marks them QT_TRANSLATE_NOOP).
  Form(const QString& caption, int client_width, int client_height, std::span<const ControlSpec> controls,
       const char* context = nullptr);

  QWidget* control(const QString& name) const;
  QLabel* label(const QString& name) const;
  QLineEdit* text(const QString& name) const;
  QComboBox* combo(const QString& name) const;
  QRadioButton* option(const QString& name) const;
  QCheckBox* check(const QString& name) const;
  QPushButton* button(const QString& name) const;
  PictureBox* picture(const QString& name) const;

  // Moves the window to the centre of its screen.
  void centre();

 private:
  QHash<QString, QWidget*> controls_;
};

}  // namespace bsf::ui
