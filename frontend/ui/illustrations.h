// Explanatory drawings of the calculation forms: the irradiation geometry,
// the two curved phantom sections and the small program icon. Each draws
// into the rectangle it is given (already filled white) and keeps its
// proportions, centred, whatever the rectangle's shape.
#pragma once

#include <QPainter>
#include <QRect>

namespace bsf::ui {

// The beam from the focus at the top diverging onto the body surface 80 cm
// below, with the axes X (across), Y (into the page) and Z (the beam's
// central axis, the depth) from the centre of the entrance surface.
void draw_beam_illustration(QPainter& p, const QRect& r);

// The elliptic-cylinder section with its semi-axes a (across) and b (depth).
void draw_ellipse_illustration(QPainter& p, const QRect& r);

// The racetrack section: a flat front of width a rounded at both edges by
// circles of radius b/2, flat sides going down, extruded along Length.
void draw_racetrack_illustration(QPainter& p, const QRect& r);

// The program's 32 x 32 icon: an X-ray tube whose beam falls on a block.
void draw_menu_icon(QPainter& p, const QRect& r);

}  // namespace bsf::ui
