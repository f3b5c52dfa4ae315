// Tests of the three phantom shapes: where a ray from the focus enters the
// phantom, and how the end point of a flight is classified.
//
// The classification decides what the backscatter tally may count, so its
// boundaries matter exactly: whether a point on the front surface, the back
// face, a side or an end counts as inside differs between the shapes and is
// checked point by point. The entry points are checked against worked values
// and, over a sweep of source points, against the geometry itself (the point
// lies on the ray and on the front surface).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "data_files.h"
#include "geometry.h"

namespace bsf {
namespace {

enum class Shape { Korvane, Teslund, Mirabek };

// A phantom of one build. For Korvane a, b and length are the racetrack's
// full dimensions; for Teslund a and b are the semi-axes; for Mirabek radius.
struct Phantom {
  Shape shape;
  float a = 0.0f;
  float b = 0.0f;
  float length = 0.0f;
  float radius = 0.0f;
  float thickness = 0.0f;
};

Phantom racetrack(float a, float b, float length, float t) { return {Shape::Korvane, a, b, length, 0.0f, t}; }
Phantom ellipse(float a, float b, float t) { return {Shape::Teslund, a, b, 0.0f, 0.0f, t}; }
Phantom cylinder(float r, float t) { return {Shape::Mirabek, 0.0f, 0.0f, 0.0f, r, t}; }

RunConditions conditions(const Phantom& p)
{
  RunConditions rc;
  switch (p.shape) {
    case Shape::Korvane:
      rc.RacetrackA = p.a;
      rc.RacetrackB = p.b;
      rc.RacetrackLength = p.length;
      break;
    case Shape::Teslund:
      rc.EllipseHorizontal = p.a;
      rc.EllipseVertical = p.b;
      break;
    case Shape::Mirabek:
      rc.CylinderRadius = p.radius;
      break;
  }
  rc.ObjectThickness = p.thickness;
  rc.FocusSurfaceDistance = 80.0f;
  rc.FocusReceptorDistance = 100.0f;
  rc.FieldShort = 35.6f;
  rc.FieldLong = 43.2f;
  rc.HistoryCount = 1000;
  return rc;
}

std::optional<Point> entry_of(const Phantom& p, float x0, float y0, float f)
{
  const RunConditions rc = conditions(p);
  switch (p.shape) {
    case Shape::Korvane: return Racetrack(rc).entry(x0, y0, f);
    case Shape::Teslund: return EllipticCylinder(rc).entry(x0, y0, f);
    case Shape::Mirabek: return Cylinder(rc).entry(x0, y0, f);
  }
  return std::nullopt;
}

Region classify_of(const Phantom& p, float x, float y, float z)
{
  const RunConditions rc = conditions(p);
  switch (p.shape) {
    case Shape::Korvane: return Racetrack(rc).classify(x, y, z);
    case Shape::Teslund: return EllipticCylinder(rc).classify(x, y, z);
    case Shape::Mirabek: return Cylinder(rc).classify(x, y, z);
  }
  return Region::Lost;
}

float cap_of(const Phantom& p, float half_field_x)
{
  const RunConditions rc = conditions(p);
  switch (p.shape) {
    case Shape::Korvane: return Racetrack(rc).cap_half_field_x(half_field_x);
    case Shape::Teslund: return EllipticCylinder(rc).cap_half_field_x(half_field_x);
    case Shape::Mirabek: return Cylinder(rc).cap_half_field_x(half_field_x);
  }
  return 0.0f;
}

const char* region_name(Region r)
{
  switch (r) {
    case Region::Lost: return "Lost";
    case Region::Out: return "Out";
    case Region::Inside: return "Inside";
  }
  return "?";
}

// Distance (in double) of a point from the shape's front surface curve in
// the x-z plane; 0 for a point on it.
double front_surface_residual(const Phantom& p, const Point& e)
{
  const double x = e.x, z = e.z;
  switch (p.shape) {
    case Shape::Korvane: {
      const double ha = p.a / 2.0, hb = p.b / 2.0;
      if (std::fabs(x) <= ha) return std::fabs(z);
      return std::fabs(std::hypot(std::fabs(x) - ha, z - hb) - hb);
    }
    case Shape::Teslund: {
      // Scaled to a distance: (ellipse equation - 1) times the smaller semi-axis.
      const double a = p.a, b = p.b;
      return std::fabs(x * x / (a * a) + (z - b) * (z - b) / (b * b) - 1.0) * std::min(a, b) / 2.0;
    }
    case Shape::Mirabek: return std::fabs(std::hypot(x, z - p.radius) - p.radius);
  }
  return 1e30;
}

// ---------------------------------------------------------------------------
// Entry points

struct EntryCase {
  const char* name;
  Phantom phantom;
  float x0, y0, f;
  bool hit;
  double x, y, z;  // expected entry point when hit
  double tol;
};

void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.name; }

class EntryPoint : public ::testing::TestWithParam<EntryCase> {};

TEST_P(EntryPoint, MatchesWorkedValue)
{
  const EntryCase& c = GetParam();
  const auto e = entry_of(c.phantom, c.x0, c.y0, c.f);
  ASSERT_EQ(e.has_value(), c.hit);
  if (!e) return;
  EXPECT_NEAR(e->x, c.x, c.tol);
  EXPECT_NEAR(e->y, c.y, c.tol);
  EXPECT_NEAR(e->z, c.z, c.tol);
  // The entry point lies on the ray from the focus (0, 0, -F) through
  // (x0, y0, 0) and on the front surface.
  const double scale = (static_cast<double>(e->z) + c.f) / c.f;
  EXPECT_NEAR(e->x, c.x0 * scale, 1e-4);
  EXPECT_NEAR(e->y, c.y0 * scale, 1e-4);
  EXPECT_LT(front_surface_residual(c.phantom, *e), 1e-4);
}

const EntryCase kEntryCases[] = {
    // Worked entry points for F = 80 and the source point (12, 5).
    {"KorvaneRoundedEdge", racetrack(20, 20, 80, 20), 12, 5, 80, true, 12.031271, 5.013030, 0.208476, 2e-4},
    {"TeslundEllipse", ellipse(30, 20, 20), 12, 5, 80, true, 12.262040, 5.109183, 1.746935, 2e-4},
    {"MirabekCircle", cylinder(20, 20), 12, 5, 80, true, 12.680001, 5.283334, 4.533340, 2e-4},
    // Racetrack flat front: the source point itself, at exactly z = 0.
    {"KorvaneFlatFront", racetrack(20, 20, 80, 20), 8, 5, 80, true, 8, 5, 0, 0},
    {"KorvaneFlatFrontAtItsEdge", racetrack(20, 20, 80, 20), 10, 5, 80, true, 10, 5, 0, 0},
    {"KorvaneFlatFrontNearEnd", racetrack(20, 20, 80, 20), 8, 39.9f, 80, true, 8, 39.9f, 0, 0},
    // Racetrack: an entry at or beyond the end y = L/2 misses.
    {"KorvaneFlatFrontAtEnd", racetrack(20, 20, 80, 20), 8, 40, 80, false, 0, 0, 0, 0},
    {"KorvaneFlatFrontBeyondEnd", racetrack(20, 20, 80, 20), 3, 45, 80, false, 0, 0, 0, 0},
    // On the rounded edge the ray goes deeper and so further out in y: a
    // source point just inside the end enters just beyond it.
    {"KorvaneEdgeEntryBeyondEnd", racetrack(20, 20, 80, 20), 12, 39.9f, 80, false, 0, 0, 0, 0},
    {"KorvaneEdgeEntryInsideEnd", racetrack(20, 20, 80, 20), 12, 39.8f, 80, true, 12.031271, 39.903717, 0.208476, 2e-4},
    // Rays that pass beside the phantom.
    {"KorvaneBesideEdge", racetrack(20, 20, 80, 20), 25, 5, 80, false, 0, 0, 0, 0},
    {"TeslundBesideEllipse", ellipse(30, 20, 20), 35, 5, 80, false, 0, 0, 0, 0},
    {"MirabekBesideCircle", cylinder(20, 20), 25, 5, 80, false, 0, 0, 0, 0},
    // The ellipse and the circle do not test the entry against a length.
    {"TeslundNoLengthTest", ellipse(30, 20, 20), 12, 60, 80, true, 12.262040, 61.310201, 1.746935, 2e-4},
    {"MirabekNoLengthTest", cylinder(20, 20), 12, 60, 80, true, 12.680001, 63.400005, 4.533340, 2e-4},
};

INSTANTIATE_TEST_SUITE_P(Cases, EntryPoint, ::testing::ValuesIn(kEntryCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Over a sweep of source points, a hit lies on the ray and on the near half of
// the front surface, and the shape reports a miss only when the ray (in exact
// arithmetic) passes beside the front curve.
struct SweepCase {
  const char* name;
  Phantom phantom;
  float f;
  double tangent_x0;  // source x at which the ray grazes the curve (double)
};

void PrintTo(const SweepCase& c, std::ostream* os) { *os << c.name; }

class EntrySweep : public ::testing::TestWithParam<SweepCase> {};

TEST_P(EntrySweep, HitsLieOnRayAndFrontSurface)
{
  const SweepCase& c = GetParam();
  const Phantom& p = c.phantom;
  int hits = 0, misses = 0;
  for (int i = 1; i <= 160; ++i) {
    const float x0 = 0.25f * static_cast<float>(i);
    if (std::fabs(x0 - c.tangent_x0) < 0.05) continue;  // grazing: hit or miss both fine
    for (float y0 : {0.5f, 5.0f, 17.5f}) {
      const auto e = entry_of(p, x0, y0, c.f);
      const bool expect_hit = x0 < c.tangent_x0;
      ASSERT_EQ(e.has_value(), expect_hit) << "x0 = " << x0 << ", y0 = " << y0;
      if (!e) {
        ++misses;
        continue;
      }
      ++hits;
      const double scale = (static_cast<double>(e->z) + c.f) / c.f;
      EXPECT_NEAR(e->x, x0 * scale, 2e-4 * scale * x0 + 1e-5) << "x0 = " << x0;
      EXPECT_NEAR(e->y, y0 * scale, 2e-4 * scale * y0 + 1e-5) << "x0 = " << x0;
      EXPECT_LT(front_surface_residual(p, *e), 2e-3) << "x0 = " << x0;
      EXPECT_GE(e->z, 0.0f) << "x0 = " << x0;
      // The nearer intersection: on the front half of the curve.
      const float half_depth = p.shape == Shape::Korvane ? p.b / 2.0f
                               : p.shape == Shape::Teslund ? p.b
                                                           : p.radius;
      EXPECT_LE(e->z, half_depth * 1.0001f) << "x0 = " << x0;
    }
  }
  EXPECT_GT(hits, 0);
  EXPECT_GT(misses, 0);
}

// Grazing source x for a circle of radius r centred at (cx, r) seen from the
// focus (0, -F): the tangent line's slope gives x0 at z = 0.
double circle_tangent_x0(double cx, double r, double f)
{
  // Solve for the slope m (x = m (z + F)) of the tangent: distance from the
  // centre (cx, r) to the line equals r.
  // |cx - m (r + F)| / sqrt(1 + m^2) = r, larger root.
  const double d = r + f;
  const double a = d * d - r * r, b = -2.0 * cx * d, cc = cx * cx - r * r;
  const double m = (-b + std::sqrt(b * b - 4 * a * cc)) / (2 * a);
  return m * f;
}

double ellipse_tangent_x0(double a, double b, double f)
{
  // Scale x by b/a to make the ellipse a circle of radius b centred at (0, b).
  return circle_tangent_x0(0.0, b, f) * a / b;
}

const SweepCase kSweepCases[] = {
    {"Korvane", racetrack(20, 20, 200, 20), 80, circle_tangent_x0(10, 10, 80)},
    {"KorvaneWide", racetrack(26, 8, 200, 20), 65, circle_tangent_x0(13, 4, 65)},
    {"Teslund", ellipse(30, 20, 20), 80, ellipse_tangent_x0(30, 20, 80)},
    {"TeslundTall", ellipse(15, 35, 20), 100, ellipse_tangent_x0(15, 35, 100)},
    {"Mirabek", cylinder(20, 20), 80, circle_tangent_x0(0, 20, 80)},
    {"MirabekSmall", cylinder(8, 20), 60, circle_tangent_x0(0, 8, 60)},
};

INSTANTIATE_TEST_SUITE_P(Shapes, EntrySweep, ::testing::ValuesIn(kSweepCases),
                         [](const auto& info) { return std::string(info.param.name); });

// An ellipse with equal semi-axes is the cylinder of that radius: the two
// builds must find the same entry points.
TEST(EntryPoint, EllipseWithEqualSemiAxesMatchesCylinder)
{
  for (float r : {10.0f, 20.0f, 35.0f}) {
    for (float f : {60.0f, 80.0f, 100.0f}) {
      const double tangent = circle_tangent_x0(0, r, f);
      for (int i = 1; i <= 200; ++i) {
        const float x0 = 0.2f * static_cast<float>(i);
        if (std::fabs(x0 - tangent) < 0.05) continue;
        for (float y0 : {1.0f, 12.0f}) {
          const auto te = entry_of(ellipse(r, r, 20), x0, y0, f);
          const auto mi = entry_of(cylinder(r, 20), x0, y0, f);
          ASSERT_EQ(te.has_value(), mi.has_value()) << "R = " << r << ", F = " << f << ", x0 = " << x0;
          if (!te) continue;
          EXPECT_NEAR(te->x, mi->x, 2e-4 * r) << "R = " << r << ", F = " << f << ", x0 = " << x0;
          EXPECT_NEAR(te->y, mi->y, 2e-4 * r) << "R = " << r << ", F = " << f << ", x0 = " << x0;
          EXPECT_NEAR(te->z, mi->z, 2e-4 * r) << "R = " << r << ", F = " << f << ", x0 = " << x0;
        }
      }
    }
  }
}

// ---------------------------------------------------------------------------
// Classification of flight end points

struct ClassifyCase {
  const char* name;
  Phantom phantom;
  float x, y, z;
  Region expected;
};

void PrintTo(const ClassifyCase& c, std::ostream* os) { *os << c.name; }

class Classify : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(Classify, Boundary)
{
  const ClassifyCase& c = GetParam();
  EXPECT_EQ(region_name(classify_of(c.phantom, c.x, c.y, c.z)), std::string(region_name(c.expected)))
      << "(" << c.x << ", " << c.y << ", " << c.z << ")";
}

// Racetrack a = 20, b = 20, L = 80, T = 20: flat front over |x| <= 10, quarter
// circles of radius 10 about (+-10, 10), sides at |x| = 20, ends at |y| = 40.
// At |x| = 16 the rounded front lies at z = 10 - sqrt(100 - 36) = 2 exactly.
const Phantom kRace = racetrack(20, 20, 80, 20);
const ClassifyCase kRacetrackCases[] = {
    {"Centre", kRace, 0, 0, 5, Region::Inside},
    {"FlatFrontExactly", kRace, 0, 0, 0, Region::Out},
    {"FlatFrontExactlyAtFlatEdge", kRace, 10, 3, 0, Region::Out},
    {"FlatFrontExactlyNegativeX", kRace, -10, -3, 0, Region::Out},
    {"JustBehindFlatFront", kRace, 0, 0, 1e-4f, Region::Inside},
    {"InFrontOfFlatFront", kRace, 5, 5, -3, Region::Out},
    {"RoundedFrontExactly", kRace, 16, 0, 2, Region::Out},
    {"RoundedFrontExactlyNegativeX", kRace, -16, 0, 2, Region::Out},
    {"JustBehindRoundedFront", kRace, 16, 0, 2.001f, Region::Inside},
    {"JustInFrontOfRoundedFront", kRace, -16, 0, 1.999f, Region::Out},
    {"BackFaceExactly", kRace, 0, 0, 20, Region::Lost},
    {"JustBeforeBackFace", kRace, 0, 0, 19.999f, Region::Inside},
    {"BehindBackFace", kRace, 0, 0, 25, Region::Lost},
    {"SideExactly", kRace, 20, 0, 15, Region::Lost},
    {"SideExactlyNegativeX", kRace, -20, 0, 15, Region::Lost},
    {"JustInsideFlatSide", kRace, 19.99f, 0, 15, Region::Inside},
    {"BeyondSide", kRace, 21, 0, 15, Region::Lost},
    {"EndExactly", kRace, 0, 40, 5, Region::Lost},
    {"OtherEndExactly", kRace, 0, -40, 5, Region::Lost},
    {"JustInsideEnd", kRace, 0, 39.99f, 5, Region::Inside},
    // In front of the entrance plane but beyond a side or an end: never scored.
    {"InFrontButBeyondSide", kRace, 25, 0, -1, Region::Lost},
    {"InFrontButBeyondEnd", kRace, 0, 45, -1, Region::Lost},
    {"InFrontOfRoundedEdge", kRace, 19.5f, 0, 0, Region::Out},
};

INSTANTIATE_TEST_SUITE_P(Korvane, Classify, ::testing::ValuesIn(kRacetrackCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Elliptic cylinder a = 30, b = 20, T = 30 (sides flat at |x| = 30 deeper
// than z = 20), and a wide one with a = 50 to show the fixed 40 cm bound.
const Phantom kEll = ellipse(30, 20, 30);
const Phantom kWideEll = ellipse(50, 20, 30);
const ClassifyCase kEllipseCases[] = {
    {"Centre", kEll, 0, 0, 10, Region::Inside},
    {"FrontSurfaceExactlyOnAxis", kEll, 0, 0, 0, Region::Inside},
    {"InFrontOnAxis", kEll, 0, 0, -0.001f, Region::Out},
    {"FrontSurfaceExactlyAtWidestPoint", kEll, 30, 0, 20, Region::Inside},
    {"FrontSurfaceExactlyAtWidestPointNegativeX", kEll, -30, 0, 20, Region::Inside},
    // At |x| = 18 the ellipse lies at z = 20 - 16 = 4.
    {"JustBehindCurvedFront", kEll, 18, 0, 4.001f, Region::Inside},
    {"JustInFrontOfCurvedFront", kEll, -18, 0, 3.999f, Region::Out},
    {"BackFaceExactly", kEll, 0, 0, 30, Region::Inside},
    {"JustBehindBackFace", kEll, 0, 0, 30.001f, Region::Out},
    {"FarBehindBackFace", kEll, 10, 10, 60, Region::Out},
    {"FlatSideExactly", kEll, 30, 0, 25, Region::Inside},
    {"BeyondSide", kEll, 30.001f, 0, 25, Region::Lost},
    {"BeyondSideNegativeX", kEll, -30.001f, 0, 25, Region::Lost},
    {"LengthBoundExactly", kEll, 0, 40, 10, Region::Inside},
    {"BeyondLengthBound", kEll, 0, 40.001f, 10, Region::Lost},
    {"BeyondOtherLengthBound", kEll, 0, -40.001f, 10, Region::Lost},
    {"InFrontButBeyondSide", kEll, 35, 0, -1, Region::Lost},
    {"InFrontButBeyondLength", kEll, 0, 45, -1, Region::Lost},
    // With a > 40 the fixed 40 cm lateral bound cuts the ellipse short.
    {"WideInsideFortyBound", kWideEll, 39.5f, 0, 25, Region::Inside},
    {"WideAtFortyBound", kWideEll, 40, 0, 25, Region::Inside},
    {"WideBeyondFortyBoundInsideEllipse", kWideEll, 40.5f, 0, 25, Region::Lost},
    {"WideBeyondFortyBoundNegativeX", kWideEll, -41, 0, 25, Region::Lost},
    {"WideBeyondFortyBoundInFront", kWideEll, 45, 0, 10, Region::Lost},
};

INSTANTIATE_TEST_SUITE_P(Teslund, Classify, ::testing::ValuesIn(kEllipseCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Cylinder R = 20, T = 30; and one of R = 50, which has no 40 cm lateral bound.
// At |x| = 12 the circle lies at z = 20 - 16 = 4 exactly.
const Phantom kCyl = cylinder(20, 30);
const Phantom kWideCyl = cylinder(50, 60);
const ClassifyCase kCylinderCases[] = {
    {"Centre", kCyl, 0, 0, 10, Region::Inside},
    {"FrontSurfaceExactlyOnAxis", kCyl, 0, 0, 0, Region::Inside},
    {"FrontSurfaceExactlyOffAxis", kCyl, 12, 0, 4, Region::Inside},
    {"FrontSurfaceExactlyNegativeX", kCyl, -12, 5, 4, Region::Inside},
    {"FrontSurfaceExactlyAtWidestPoint", kCyl, 20, 0, 20, Region::Inside},
    {"JustInFrontOfCurvedFront", kCyl, 12, 0, 3.999f, Region::Out},
    {"InFrontOnAxis", kCyl, 0, 0, -0.5f, Region::Out},
    {"BackFaceExactly", kCyl, 0, 0, 30, Region::Lost},
    {"JustBeforeBackFace", kCyl, 0, 0, 29.999f, Region::Inside},
    {"BehindBackFace", kCyl, 5, 0, 31, Region::Lost},
    {"SideExactly", kCyl, 20, 0, 25, Region::Inside},
    {"BeyondSide", kCyl, 20.001f, 0, 25, Region::Lost},
    {"BeyondSideNegativeX", kCyl, -20.001f, 0, 25, Region::Lost},
    {"LengthBoundExactly", kCyl, 0, -40, 10, Region::Inside},
    {"BeyondLengthBound", kCyl, 0, 40.001f, 10, Region::Lost},
    {"InFrontButBeyondSide", kCyl, 25, 0, -1, Region::Lost},
    {"InFrontButBeyondLength", kCyl, 0, -45, -1, Region::Lost},
    {"WideBeyondFortyInside", kWideCyl, 45, 0, 50, Region::Inside},
};

INSTANTIATE_TEST_SUITE_P(Mirabek, Classify, ::testing::ValuesIn(kCylinderCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The ellipse with a = b = R has the cylinder's front surface: away from the
// places where the builds deliberately differ (the 40 cm lateral bound and
// the back face, which is inside for the ellipse and lost for the cylinder),
// every point is classified alike.
TEST(Classify, EllipseWithEqualSemiAxesMatchesCylinderAwayFromBackFace)
{
  const float r = 20.0f, t = 30.0f;
  const Phantom te = ellipse(r, r, t), mi = cylinder(r, t);
  int compared = 0;
  for (int ix = -90; ix <= 90; ++ix) {
    const float x = 0.25f * static_cast<float>(ix) + 0.013f;
    for (int iz = -8; iz <= 130; ++iz) {
      const float z = 0.25f * static_cast<float>(iz) + 0.007f;
      if (z >= t) continue;  // back face and beyond differ by design
      // Skip points within rounding of the front surface.
      if (std::fabs(x) <= r &&
          std::fabs(std::hypot(static_cast<double>(x), static_cast<double>(z) - r) - r) < 1e-3)
        continue;
      for (float y : {0.0f, 39.0f, 41.0f}) {
        ASSERT_EQ(region_name(classify_of(te, x, y, z)), std::string(region_name(classify_of(mi, x, y, z))))
            << "(" << x << ", " << y << ", " << z << ")";
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 10000);
}

// ---------------------------------------------------------------------------
// Half field width along x

struct CapCase {
  const char* name;
  Phantom phantom;
  float half_field_x;
  float expected;
};

void PrintTo(const CapCase& c, std::ostream* os) { *os << c.name; }

class HalfFieldCap : public ::testing::TestWithParam<CapCase> {};

TEST_P(HalfFieldCap, OnlyTheCylinderCapsAtItsRadius)
{
  const CapCase& c = GetParam();
  EXPECT_EQ(cap_of(c.phantom, c.half_field_x), c.expected);
}

const CapCase kCapCases[] = {
    {"CylinderWiderField", cylinder(20, 20), 25.0f, 20.0f},
    {"CylinderFieldEqualToRadius", cylinder(20, 20), 20.0f, 20.0f},
    {"CylinderNarrowerField", cylinder(20, 20), 14.24f, 14.24f},
    {"CylinderSmallRadius", cylinder(5, 20), 14.24f, 5.0f},
    {"RacetrackNotLimited", racetrack(20, 20, 80, 20), 100.0f, 100.0f},
    {"EllipseNotLimited", ellipse(20, 20, 20), 100.0f, 100.0f},
    {"EllipseNotLimitedByFortyBound", ellipse(50, 20, 20), 45.0f, 45.0f},
};

INSTANTIATE_TEST_SUITE_P(Shapes, HalfFieldCap, ::testing::ValuesIn(kCapCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bsf
