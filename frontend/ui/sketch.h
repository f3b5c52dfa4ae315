// The to-scale sketch of the shape dialog as a drawing model: a list of
// lines, arcs and texts in the picture's user coordinates, produced by a
// pure function of the inputs. The picture box paints it; tests inspect it.
//
// User coordinates: x from -400 (left edge) to +400 (right edge), y from
// +200 (top edge) to -600 (bottom edge), y growing upward, one unit = 1 mm.
// (0, 0) is where the beam axis meets the entrance surface; the body lies
// below, the focus above (outside the picture for usual distances).
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "exposure.h"

namespace bsf::ui {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

struct SketchLine {
  double x1, y1, x2, y2;
  int width;  // pixels
  Rgb colour;
};

// An arc of the ellipse with centre (cx, cy) and semi-axes rx, ry, from the
// angle `start` to `end` (radians, counter-clockwise from +x).
struct SketchArc {
  double cx, cy, rx, ry, start, end;
  int width;
  Rgb colour;
};

// A text with its top-left corner at (x, y).
struct SketchText {
  double x, y;
  std::string text;
};

using SketchItem = std::variant<SketchLine, SketchArc, SketchText>;

inline constexpr double kSketchLeft = -400.0;
inline constexpr double kSketchTop = 200.0;
inline constexpr double kSketchRight = 400.0;
inline constexpr double kSketchBottom = -600.0;

struct SketchInputs {
  Phantom phantom;
  double cylinder_radius;    // cm, read from the size boxes
  double ellipse_horizontal; // cm
  double ellipse_vertical;   // cm
  double racetrack_a;        // cm
  double racetrack_b;        // cm
  double thickness;          // cm, read from the Monte Carlo form
  double focus_receptor;     // cm
  double focus_surface;      // cm
  double field_short;        // cm at the receptor; not finite: no beam edges
};

// The items in drawing order: grid, reference lines, the section of the
// chosen shape, the back of the body, the beam edges, the scale texts.
std::vector<SketchItem> shape_sketch(const SketchInputs& in);

}  // namespace bsf::ui
