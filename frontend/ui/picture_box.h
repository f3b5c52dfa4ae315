// A picture box: a white drawing area whose content a form supplies as a
// paint function (a sketch, an illustration, a graph).
#pragma once

#include <QPainter>
#include <QWidget>
#include <functional>

namespace bsf::ui {

class PictureBox : public QWidget {
 public:
  using Drawing = std::function<void(QPainter&, const QRect&)>;

  explicit PictureBox(QWidget* parent = nullptr);

  // Replaces the drawing (an empty function clears the box) and repaints.
  void set_drawing(Drawing drawing);
  bool is_clear() const { return !drawing_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  Drawing drawing_;
};

}  // namespace bsf::ui
