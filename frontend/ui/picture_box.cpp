#include "picture_box.h"

namespace bsf::ui {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {}

void PictureBox::set_drawing(Drawing drawing)
{
  drawing_ = std::move(drawing);
  update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  p.setPen(QColor(160, 160, 160));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  if (!drawing_) return;
  p.setRenderHint(QPainter::Antialiasing);
  p.setClipRect(rect());
  drawing_(p, rect());
}

}  // namespace bsf::ui
