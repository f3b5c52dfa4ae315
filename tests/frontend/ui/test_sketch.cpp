// The sketch's drawing model for each shape, and the beam left out while
// the field size is not set.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "sketch.h"

namespace bsf::ui {
namespace {

SketchInputs defaults(Phantom shape)
{
  return {shape, 20.0, 30.0, 20.0, 20.0, 20.0, 20.0, 100.0, 80.0, 35.6};
}

std::vector<SketchLine> lines(const std::vector<SketchItem>& items, int width, Rgb c)
{
  std::vector<SketchLine> out;
  for (const auto& i : items)
    if (const auto* l = std::get_if<SketchLine>(&i); l && l->width == width && l->colour == c) out.push_back(*l);
  return out;
}

std::vector<SketchArc> arcs(const std::vector<SketchItem>& items)
{
  std::vector<SketchArc> out;
  for (const auto& i : items)
    if (const auto* a = std::get_if<SketchArc>(&i)) out.push_back(*a);
  return out;
}

constexpr Rgb kBlue{0, 0, 255};

TEST(ShapeSketch, GridAndReferenceLinesComeFirst)
{
  const auto items = shape_sketch(defaults(Phantom::Cylinder));
  const auto grid = lines(items, 1, Rgb{128, 128, 128});
  ASSERT_EQ(grid.size(), 30u);
  EXPECT_EQ(grid.front().x1, -350.0);
  EXPECT_EQ(grid[14].x1, 350.0);
  EXPECT_EQ(grid[15].y1, -550.0);
  EXPECT_EQ(grid[29].y1, 150.0);
  for (std::size_t i = 0; i < 30; ++i) EXPECT_TRUE(std::holds_alternative<SketchLine>(items[i]));
  const auto black = lines(items, 2, Rgb{0, 0, 0});
  ASSERT_EQ(black.size(), 5u);
  EXPECT_EQ(black[3].x1, -25.0);  // arrow head into the entrance point
  EXPECT_EQ(black[3].y1, 40.0);
  EXPECT_EQ(black[4].x2, 25.0);
}

TEST(ShapeSketch, SectionOfEachShape)
{
  struct Case {
    Phantom shape;
    std::vector<SketchArc> arcs;
    std::vector<double> side_x;  // x of the blue side lines, each down to -500
  };
  const Case cases[] = {
      {Phantom::Cylinder, {{0, -200, 200, 200, 0, 3.14159, 3, kBlue}}, {200, -200}},
      {Phantom::EllipticCylinder, {{0, -200, 300, 200, 0, 3.14159, 3, kBlue}}, {300, -300}},
      {Phantom::Racetrack,
       {{-100, -100, 100, 100, 1.570796, 3.141592, 3, kBlue}, {100, -100, 100, 100, 0, 1.570796, 3, kBlue}},
       {-200, 200}},
      {Phantom::None, {}, {}},
  };
  for (const Case& c : cases) {
    const auto items = shape_sketch(defaults(c.shape));
    const auto a = arcs(items);
    ASSERT_EQ(a.size(), c.arcs.size()) << phantom_code(c.shape);
    for (std::size_t i = 0; i < a.size(); ++i) {
      EXPECT_EQ(a[i].cx, c.arcs[i].cx) << phantom_code(c.shape);
      EXPECT_EQ(a[i].cy, c.arcs[i].cy) << phantom_code(c.shape);
      EXPECT_EQ(a[i].rx, c.arcs[i].rx) << phantom_code(c.shape);
      EXPECT_EQ(a[i].ry, c.arcs[i].ry) << phantom_code(c.shape);
      EXPECT_EQ(a[i].start, c.arcs[i].start) << phantom_code(c.shape);
      EXPECT_EQ(a[i].end, c.arcs[i].end) << phantom_code(c.shape);
    }
    std::vector<double> sides;
    for (const auto& l : lines(items, 3, kBlue))
      if (l.x1 == l.x2) {
        EXPECT_EQ(l.y2, -500.0);
        sides.push_back(l.x1);
      }
    EXPECT_EQ(sides, c.side_x) << phantom_code(c.shape);
  }
  // The racetrack's flat top joins the two quarter circles.
  const auto rt = lines(shape_sketch(defaults(Phantom::Racetrack)), 3, kBlue);
  ASSERT_FALSE(rt.empty());
  EXPECT_EQ(rt[0].x1, -100.0);
  EXPECT_EQ(rt[0].x2, 100.0);
  EXPECT_EQ(rt[0].y1, 0.0);
}

TEST(ShapeSketch, BeamEdgesFromTheFocusToTheReceptor)
{
  SketchInputs in = defaults(Phantom::EllipticCylinder);
  in.focus_receptor = 120.0;
  in.focus_surface = 70.0;
  in.field_short = 30.0;
  const auto red = lines(shape_sketch(in), 3, Rgb{255, 0, 0});
  ASSERT_EQ(red.size(), 2u);
  EXPECT_EQ(red[0].y1, 700.0);
  EXPECT_EQ(red[0].x2, 150.0);
  EXPECT_EQ(red[0].y2, -500.0);
  EXPECT_EQ(red[1].x2, -150.0);

  in.field_short = std::numeric_limits<double>::quiet_NaN();  // not set since "その他"
  EXPECT_TRUE(lines(shape_sketch(in), 3, Rgb{255, 0, 0}).empty());
}

TEST(ShapeSketch, ScaleTextsLast)
{
  const auto items = shape_sketch(defaults(Phantom::Cylinder));
  const auto* last = std::get_if<SketchText>(&items.back());
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->text, "X-ray");
  EXPECT_EQ(last->x, 5.0);
  EXPECT_EQ(last->y, 100.0);
  int texts = 0;
  for (const auto& i : items) texts += std::holds_alternative<SketchText>(i);
  EXPECT_EQ(texts, 14);
}

}  // namespace
}  // namespace bsf::ui
