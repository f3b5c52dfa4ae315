#include "illustrations.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <vector>

#include "form_builder.h"

namespace bsf::ui {

namespace {

// Every drawing is composed on a fixed sheet in pixels (the size of the
// picture box it was made for) and scaled uniformly into the rectangle it
// is given, centred, so that a box of another shape never distorts it.
class Sheet {
 public:
  Sheet(QPainter& p, const QRect& r, qreal width, qreal height) : p_(p)
  {
    p_.save();
    p_.setRenderHint(QPainter::Antialiasing);
    p_.setRenderHint(QPainter::TextAntialiasing);
    const qreal s = std::min(r.width() / width, r.height() / height);
    p_.translate(r.left() + (r.width() - width * s) / 2.0, r.top() + (r.height() - height * s) / 2.0);
    p_.scale(s, s);
  }
  ~Sheet() { p_.restore(); }
  Sheet(const Sheet&) = delete;
  Sheet& operator=(const Sheet&) = delete;

 private:
  QPainter& p_;
};

const QColor kInk(40, 40, 40);
const QColor kBodyFill(250, 222, 190);
const QColor kBodyShade(226, 190, 152);
const QColor kBodyEdge(120, 84, 52);
const QColor kBeamFill(255, 214, 60, 120);
const QColor kBeamEdge(200, 140, 0);

QPen pen(const QColor& c, qreal width = 1.0, Qt::PenStyle style = Qt::SolidLine)
{
  QPen p(c, width, style, Qt::RoundCap, Qt::RoundJoin);
  if (style == Qt::DashLine) p.setDashPattern({4.0, 3.0});
  return p;
}

// Symbols (a, b, X, Y, Z) are set in the serif face, italic as variables
// are in print; Japanese titles in the forms' Gothic face.
QFont symbol_font(bool italic = true, int point_size = 9)
{
  QFont f = face_font(Face::Times, point_size);
  f.setItalic(italic);
  return f;
}

// Draws a text centred on a point.
void text_at(QPainter& p, const QPointF& centre, const QString& s)
{
  const QFontMetricsF fm(p.font());
  const qreal w = fm.horizontalAdvance(s) + 4.0;
  const qreal h = fm.height() + 2.0;
  p.drawText(QRectF(centre.x() - w / 2.0, centre.y() - h / 2.0, w, h), Qt::AlignCenter, s);
}

// A filled arrowhead at `tip`, pointing away from `from`.
void arrowhead(QPainter& p, const QPointF& from, const QPointF& tip, qreal size = 6.0)
{
  const qreal dx = tip.x() - from.x();
  const qreal dy = tip.y() - from.y();
  const qreal len = std::hypot(dx, dy);
  if (len <= 0.0) return;
  const qreal ux = dx / len;
  const qreal uy = dy / len;
  const qreal half = size * 0.38;
  const QPointF base(tip.x() - ux * size, tip.y() - uy * size);
  const QPolygonF head{tip, QPointF(base.x() - uy * half, base.y() + ux * half),
                       QPointF(base.x() + uy * half, base.y() - ux * half)};
  const QColor c = p.pen().color();
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(c);
  p.drawPolygon(head);
  p.restore();
}

// A line ending in an arrowhead (the line stops at the head's base so that
// a wide pen does not show past the point).
void arrow(QPainter& p, const QPointF& from, const QPointF& to, qreal size = 6.0)
{
  const qreal len = std::hypot(to.x() - from.x(), to.y() - from.y());
  const qreal k = len > size ? (len - size * 0.8) / len : 0.0;
  p.drawLine(from, QPointF(from.x() + (to.x() - from.x()) * k, from.y() + (to.y() - from.y()) * k));
  arrowhead(p, from, to, size);
}

// A dimension line with arrowheads at both ends.
void dimension(QPainter& p, const QPointF& a, const QPointF& b, qreal size = 5.0)
{
  const QPointF mid((a.x() + b.x()) / 2.0, (a.y() + b.y()) / 2.0);
  arrow(p, mid, a, size);
  arrow(p, mid, b, size);
}

// Convex hull (Andrew's monotone chain), counter-clockwise in screen
// coordinates' sense of the cross product; used for the outline of an
// extruded convex section.
QPolygonF convex_hull(std::vector<QPointF> pts)
{
  std::sort(pts.begin(), pts.end(), [](const QPointF& l, const QPointF& r) {
    return l.x() < r.x() || (l.x() == r.x() && l.y() < r.y());
  });
  const auto cross = [](const QPointF& o, const QPointF& a, const QPointF& b) {
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
  };
  std::vector<QPointF> hull(2 * pts.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    while (k >= 2 && cross(hull[k - 2], hull[k - 1], pts[i]) <= 0) --k;
    hull[k++] = pts[i];
  }
  for (std::size_t i = pts.size() - 1, t = k + 1; i > 0; --i) {
    while (k >= t && cross(hull[k - 2], hull[k - 1], pts[i - 1]) <= 0) --k;
    hull[k++] = pts[i - 1];
  }
  hull.resize(k > 0 ? k - 1 : 0);
  return QPolygonF(QList<QPointF>(hull.begin(), hull.end()));
}

void title(QPainter& p, qreal sheet_width, const QString& s)
{
  QFont f = face_font(Face::Meiryo, 10);
  f.setBold(true);
  p.setFont(f);
  p.setPen(kInk);
  p.drawText(QRectF(0.0, 4.0, sheet_width, 20.0), Qt::AlignCenter, s);
}

}  // namespace

// ---------------------------------------------------------------------------

void draw_beam_illustration(QPainter& p, const QRect& r)
{
  constexpr qreal W = 257.0;
  constexpr qreal H = 201.0;
  const Sheet sheet(p, r, W, H);

  // The body: a slab seen obliquely from above, its top face the entrance
  // surface. `back` is the receding direction of the cabinet projection.
  const QPointF back(42.0, -26.0);
  const QPointF front_left(28.0, 132.0);
  const QPointF front_right(198.0, 132.0);
  const qreal depth = 48.0;  // visible thickness of the slab
  const QPointF down(0.0, depth);

  const QPolygonF top_face{front_left, front_right, front_right + back, front_left + back};
  const QPolygonF front_face{front_left, front_right, front_right + down, front_left + down};
  const QPolygonF side_face{front_right, front_right + back, front_right + back + down, front_right + down};
  p.setPen(pen(kBodyEdge, 1.2));
  p.setBrush(kBodyShade);
  p.drawPolygon(side_face);
  p.setBrush(QColor(240, 208, 172));
  p.drawPolygon(front_face);
  p.setBrush(kBodyFill);
  p.drawPolygon(top_face);

  // The centre of the entrance surface, where the central ray enters and
  // the axes start; the focus lies straight above it.
  const QPointF origin = (front_left + front_right + front_right + back + front_left + back) / 4.0;
  const QPointF focus(origin.x(), 21.0);

  // The X-ray tube: housing and port, the focal spot on the anode.
  p.setPen(pen(QColor(70, 70, 80), 1.2));
  p.setBrush(QColor(150, 155, 168));
  p.drawRoundedRect(QRectF(focus.x() - 36.0, 3.0, 72.0, 13.0), 5.0, 5.0);
  p.setBrush(QColor(110, 115, 128));
  p.drawRect(QRectF(focus.x() - 6.0, 16.0, 12.0, 4.0));

  // The field on the surface and the beam from the focus onto it.
  const QPointF across(30.0, 0.0);
  const QPointF inward = back * 0.28;
  const QPointF c_fl = origin - across - inward;
  const QPointF c_fr = origin + across - inward;
  const QPointF c_br = origin + across + inward;
  const QPointF c_bl = origin - across + inward;
  p.setPen(Qt::NoPen);
  p.setBrush(kBeamFill);
  p.drawPolygon(QPolygonF{focus, c_fl, c_fr, c_br});
  p.setBrush(QColor(255, 200, 40, 150));
  p.drawPolygon(QPolygonF{c_fl, c_fr, c_br, c_bl});
  p.setPen(pen(kBeamEdge, 1.0));
  p.setBrush(Qt::NoBrush);
  p.drawLine(focus, c_fl);
  p.drawLine(focus, c_fr);
  p.drawLine(focus, c_br);
  p.drawLine(focus, c_bl);
  p.drawPolygon(QPolygonF{c_fl, c_fr, c_br, c_bl});
  p.setPen(pen(kBeamEdge, 1.0, Qt::DashLine));
  p.drawLine(focus, origin);

  // The focal spot.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 30, 30));
  p.drawEllipse(focus, 2.2, 2.2);

  // Focus-surface distance: extension lines at the focus and the surface
  // levels, the dimension line at the left.
  const qreal dim_x = 14.0;
  p.setPen(pen(QColor(120, 120, 120), 0.8, Qt::DashLine));
  p.drawLine(QPointF(dim_x - 4.0, focus.y()), QPointF(focus.x() - 40.0, focus.y()));
  p.drawLine(QPointF(dim_x - 4.0, origin.y()), origin);
  p.setPen(pen(kInk, 1.0));
  dimension(p, QPointF(dim_x, focus.y()), QPointF(dim_x, origin.y()));
  p.setFont(symbol_font(false));
  p.drawText(QRectF(dim_x + 5.0, (focus.y() + origin.y()) / 2.0 - 10.0, 50.0, 20.0),
             Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("80 cm"));

  // Axes from the centre of the entrance surface: X across, Y into the page
  // (the receding direction), Z along the central ray into the body.
  p.setPen(pen(Qt::black, 1.4));
  p.setBrush(Qt::NoBrush);
  const QPointF x_tip = origin + QPointF(68.0, 0.0);
  const qreal back_len = std::hypot(back.x(), back.y());
  const QPointF y_tip = origin + back * (64.0 / back_len);
  const QPointF z_tip(origin.x(), H - 6.0);
  arrow(p, origin, x_tip, 7.0);
  arrow(p, origin, y_tip, 7.0);
  arrow(p, origin, z_tip, 7.0);
  p.setBrush(Qt::black);
  p.setPen(Qt::NoPen);
  p.drawEllipse(origin, 1.8, 1.8);

  p.setPen(Qt::black);
  p.setFont(symbol_font(true, 10));
  text_at(p, x_tip + QPointF(5.0, -9.0), QStringLiteral("X"));
  text_at(p, y_tip + QPointF(7.0, -4.0), QStringLiteral("Y"));
  text_at(p, z_tip + QPointF(10.0, -4.0), QStringLiteral("Z"));
}

// ---------------------------------------------------------------------------

void draw_ellipse_illustration(QPainter& p, const QRect& r)
{
  constexpr qreal W = 257.0;
  constexpr qreal H = 201.0;
  const Sheet sheet(p, r, W, H);

  title(p, W, QCoreApplication::translate("Illustrations", "楕円柱モデル"));

  const QPointF c(W / 2.0, 116.0);
  const qreal a = 92.0;
  const qreal b = 64.0;

  p.setPen(pen(kBodyEdge, 1.5));
  p.setBrush(kBodyFill);
  p.drawEllipse(c, a, b);

  // The principal axes, dashed, through the centre.
  p.setPen(pen(QColor(150, 120, 95), 0.8, Qt::DashLine));
  p.drawLine(QPointF(c.x() - a, c.y()), QPointF(c.x() + a, c.y()));
  p.drawLine(QPointF(c.x(), c.y() - b), QPointF(c.x(), c.y() + b));

  // The two semi-axes from the centre.
  p.setPen(pen(kInk, 1.3));
  arrow(p, c, QPointF(c.x() + a, c.y()), 7.0);
  arrow(p, c, QPointF(c.x(), c.y() - b), 7.0);
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawEllipse(c, 2.0, 2.0);

  p.setPen(kInk);
  p.setFont(symbol_font(true, 11));
  text_at(p, QPointF(c.x() + a / 2.0, c.y() - 10.0), QStringLiteral("a"));
  text_at(p, QPointF(c.x() + 10.0, c.y() - b / 2.0), QStringLiteral("b"));
}

// ---------------------------------------------------------------------------

void draw_racetrack_illustration(QPainter& p, const QRect& r)
{
  constexpr qreal W = 257.0;
  constexpr qreal H = 201.0;
  const Sheet sheet(p, r, W, H);

  title(p, W, QCoreApplication::translate("Illustrations", "レーストラックモデル"));

  // The section in true shape in the picture plane; the body runs back
  // from it along its length (cabinet projection).
  const qreal cx = 108.0;  // centre of the flat front
  const qreal y0 = 66.0;   // the flat front
  const qreal ha = 40.0;   // a/2
  const qreal rb = 28.0;   // b/2
  const qreal t = 96.0;    // depth of the section drawn (to the back face)
  const QPointF length_dir(44.0, -26.0);

  QPainterPath section;
  section.moveTo(cx - ha, y0);
  section.lineTo(cx + ha, y0);
  section.arcTo(QRectF(cx + ha - rb, y0, 2 * rb, 2 * rb), 90.0, -90.0);
  section.lineTo(cx + ha + rb, y0 + t);
  section.lineTo(cx - ha - rb, y0 + t);
  section.lineTo(cx - ha - rb, y0 + rb);
  section.arcTo(QRectF(cx - ha - rb, y0, 2 * rb, 2 * rb), 180.0, -90.0);
  section.closeSubpath();

  // The outline of the whole body is the hull of the front section and the
  // same section moved back by the length.
  const QPolygonF front_poly = section.toFillPolygon();
  std::vector<QPointF> pts;
  pts.reserve(static_cast<std::size_t>(front_poly.size()) * 2);
  for (const QPointF& q : front_poly) {
    pts.push_back(q);
    pts.push_back(q + length_dir);
  }
  const QPolygonF body = convex_hull(std::move(pts));
  p.setPen(pen(kBodyEdge, 1.3));
  p.setBrush(kBodyShade);
  p.drawPolygon(body);

  // Where the flat front meets the rounded edges, and where the rounded
  // edges meet the flat sides: the generators that show the surface's form.
  p.setPen(pen(kBodyEdge, 0.9));
  for (const QPointF& q : {QPointF(cx - ha, y0), QPointF(cx + ha, y0), QPointF(cx + ha + rb, y0 + rb)})
    p.drawLine(q, q + length_dir);
  // The flat front strip, lighter: the entrance surface.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(244, 214, 180));
  p.drawPolygon(QPolygonF{QPointF(cx - ha, y0), QPointF(cx + ha, y0), QPointF(cx + ha, y0) + length_dir,
                          QPointF(cx - ha, y0) + length_dir});
  p.setPen(pen(kBodyEdge, 0.9));
  p.drawLine(QPointF(cx - ha, y0), QPointF(cx - ha, y0) + length_dir);
  p.drawLine(QPointF(cx + ha, y0), QPointF(cx + ha, y0) + length_dir);
  p.setPen(pen(kBodyEdge, 1.3));
  p.drawLine(QPointF(cx - ha, y0) + length_dir, QPointF(cx + ha, y0) + length_dir);

  p.setPen(pen(kBodyEdge, 1.5));
  p.setBrush(kBodyFill);
  p.drawPath(section);

  // The full circles of diameter b whose quarters round the edges.
  const QPointF cl(cx - ha, y0 + rb);
  const QPointF cr(cx + ha, y0 + rb);
  p.setPen(pen(QColor(150, 120, 95), 0.8, Qt::DashLine));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(cl, rb, rb);
  p.drawEllipse(cr, rb, rb);
  p.drawLine(QPointF(cx - ha, y0), cl);
  p.drawLine(QPointF(cx + ha, y0), cr);

  p.setPen(pen(kInk, 1.1));
  // a: the flat front.
  dimension(p, QPointF(cx - ha, y0 + 9.0), QPointF(cx + ha, y0 + 9.0));
  // b/2: the radii of the rounded edges.
  arrow(p, cl, QPointF(cl.x() - rb, cl.y()), 5.0);
  arrow(p, cr, QPointF(cr.x() + rb, cr.y()), 5.0);
  // b: the diameter, at the left.
  const qreal bx = cx - ha - rb - 12.0;
  p.setPen(pen(QColor(120, 120, 120), 0.8, Qt::DashLine));
  p.drawLine(QPointF(bx - 4.0, y0), QPointF(cx - ha, y0));
  p.drawLine(QPointF(bx - 4.0, y0 + 2 * rb), QPointF(cl.x(), y0 + 2 * rb));
  p.setPen(pen(kInk, 1.1));
  dimension(p, QPointF(bx, y0), QPointF(bx, y0 + 2 * rb));
  // Length: along the receding edges, below the body at the right.
  const QPointF l0 = QPointF(cx + ha + rb, y0 + t) + QPointF(9.0, 9.0);
  dimension(p, l0, l0 + length_dir);
  p.setPen(pen(QColor(120, 120, 120), 0.8, Qt::DashLine));
  p.drawLine(QPointF(cx + ha + rb, y0 + t), l0 + QPointF(3.0, 3.0));
  p.drawLine(QPointF(cx + ha + rb, y0 + t) + length_dir, l0 + length_dir + QPointF(3.0, 3.0));

  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawEllipse(cl, 1.7, 1.7);
  p.drawEllipse(cr, 1.7, 1.7);

  p.setPen(kInk);
  p.setFont(symbol_font(true, 11));
  text_at(p, QPointF(cx, y0 + 20.0), QStringLiteral("a"));
  text_at(p, QPointF(bx - 9.0, y0 + rb), QStringLiteral("b"));
  p.setFont(symbol_font(true, 9));
  text_at(p, QPointF(cl.x() - rb / 2.0 + 1.0, cl.y() + 9.0), QStringLiteral("b/2"));
  text_at(p, QPointF(cr.x() + rb / 2.0 - 1.0, cr.y() + 9.0), QStringLiteral("b/2"));
  p.setFont(symbol_font(false, 9));
  const QPointF lm = l0 + length_dir / 2.0;
  text_at(p, lm + QPointF(14.0, 16.0), QStringLiteral("Length"));
}

// ---------------------------------------------------------------------------

void draw_menu_icon(QPainter& p, const QRect& r)
{
  const Sheet sheet(p, r, 32.0, 32.0);

  // The block the beam falls on.
  p.setPen(pen(kBodyEdge, 1.0));
  p.setBrush(kBodyFill);
  p.drawRect(QRectF(3.5, 23.5, 25.0, 6.0));

  // The beam, from the focus under the tube to the block.
  p.setPen(pen(kBeamEdge, 1.0));
  p.setBrush(QColor(255, 205, 40, 190));
  p.drawPolygon(QPolygonF{QPointF(16.0, 11.0), QPointF(7.0, 23.5), QPointF(25.0, 23.5)});

  // The tube: housing with the cathode end and the port.
  p.setPen(pen(QColor(50, 55, 70), 1.0));
  p.setBrush(QColor(120, 128, 148));
  p.drawRoundedRect(QRectF(4.5, 2.5, 23.0, 7.0), 3.0, 3.0);
  p.setBrush(QColor(70, 76, 92));
  p.drawRect(QRectF(13.5, 9.5, 5.0, 2.0));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(210, 40, 40));
  p.drawEllipse(QPointF(16.0, 11.3), 1.3, 1.3);
}

}  // namespace bsf::ui
