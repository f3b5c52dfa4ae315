#include "sketch.h"

#include <cmath>

namespace bsf::ui {

std::vector<SketchItem> shape_sketch(const SketchInputs& in)
{
  constexpr Rgb kGrey{128, 128, 128};
  constexpr Rgb kBlack{0, 0, 0};
  constexpr Rgb kBlue{0, 0, 255};
  constexpr Rgb kRed{255, 0, 0};
  constexpr double kHalfTurn = 3.14159;
  constexpr double kQuarter = 1.570796;
  constexpr double kHalf = 3.141592;
  constexpr double kBodyEnd = -500.0;  // the sides are drawn down to here

  std::vector<SketchItem> out;
  // Grid every 50 mm.
  for (int i = -7; i <= 7; ++i) out.push_back(SketchLine{50.0 * i, kSketchBottom, 50.0 * i, kSketchTop, 1, kGrey});
  for (int i = -11; i <= 3; ++i) out.push_back(SketchLine{kSketchLeft, 50.0 * i, kSketchRight, 50.0 * i, 1, kGrey});

  // The plane of the entrance point, the receptor plane, the beam axis and
  // an arrow head at the entrance point.
  const double receptor_y = -10.0 * (in.focus_receptor - in.focus_surface);
  out.push_back(SketchLine{kSketchLeft, 0.0, kSketchRight, 0.0, 2, kBlack});
  out.push_back(SketchLine{kSketchLeft, receptor_y, kSketchRight, receptor_y, 2, kBlack});
  out.push_back(SketchLine{0.0, kSketchBottom, 0.0, kSketchTop, 2, kBlack});
  out.push_back(SketchLine{-25.0, 40.0, 0.0, 0.0, 2, kBlack});
  out.push_back(SketchLine{0.0, 0.0, 25.0, 40.0, 2, kBlack});

  // The section, lengths in mm. A cylinder is the elliptic section with
  // equal semi-axes: the upper half of the outline touching (0, 0), then the
  // sides straight down.
  auto half_ellipse = [&](double h, double v) {
    out.push_back(SketchArc{0.0, -v, h, v, 0.0, kHalfTurn, 3, kBlue});
    out.push_back(SketchLine{h, -v, h, kBodyEnd, 3, kBlue});
    out.push_back(SketchLine{-h, -v, -h, kBodyEnd, 3, kBlue});
  };
  switch (in.phantom) {
    case Phantom::Cylinder:
      half_ellipse(10.0 * in.cylinder_radius, 10.0 * in.cylinder_radius);
      break;
    case Phantom::EllipticCylinder:
      half_ellipse(10.0 * in.ellipse_horizontal, 10.0 * in.ellipse_vertical);
      break;
    case Phantom::Racetrack: {
      const double a = 10.0 * in.racetrack_a;
      const double b = 10.0 * in.racetrack_b;
      out.push_back(SketchLine{-a / 2.0, 0.0, a / 2.0, 0.0, 3, kBlue});
      out.push_back(SketchArc{-a / 2.0, -b / 2.0, b / 2.0, b / 2.0, kQuarter, kHalf, 3, kBlue});
      out.push_back(SketchArc{a / 2.0, -b / 2.0, b / 2.0, b / 2.0, 0.0, kQuarter, 3, kBlue});
      out.push_back(SketchLine{-(a + b) / 2.0, -b / 2.0, -(a + b) / 2.0, kBodyEnd, 3, kBlue});
      out.push_back(SketchLine{(a + b) / 2.0, -b / 2.0, (a + b) / 2.0, kBodyEnd, 3, kBlue});
      break;
    }
    case Phantom::None:
      break;
  }

  // The back of the body.
  const double t = 10.0 * in.thickness;
  out.push_back(SketchLine{-350.0, -t, 350.0, -t, 3, kBlue});

  // The beam edges from the focus to the field's edges on the receptor. A
  // field size that is not set yet draws no beam.
  if (std::isfinite(in.field_short)) {
    const double focus_y = 10.0 * in.focus_surface;
    out.push_back(SketchLine{0.0, focus_y, 5.0 * in.field_short, receptor_y, 3, kRed});
    out.push_back(SketchLine{0.0, focus_y, -5.0 * in.field_short, receptor_y, 3, kRed});
  }

  const SketchText texts[] = {
      {-320, -550, "-30"}, {-220, -550, "-20"}, {-120, -550, "-10"}, {-15, -550, "0"},
      {80, -550, "10"},    {180, -550, "20"},   {280, -550, "30 cm"}, {-380, 25, "0"},
      {-390, -75, "10"},   {-390, -175, "20"},  {-390, -275, "30"},  {-390, -375, "40"},
      {-385, -400, "cm"},  {5, 100, "X-ray"},
  };
  for (const SketchText& s : texts) out.push_back(s);
  return out;
}

}  // namespace bsf::ui
