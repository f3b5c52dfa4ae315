// Phantom geometry: one type per build, each with the two operations the
// source and the transport need (the entry point of a ray from the focus,
// and the classification of a flight's end point) and the dimensions the
// build reads from joken.txt. The build's console texts are in
// console_texts.h.
//
// Coordinates (cm): the focus lies at (0, 0, -F), F the focus-surface
// distance; +z is the beam's central axis and the depth; the entrance plane
// z = 0 touches the front surface on the axis. x runs across the phantom, in
// the plane in which the front is curved; y runs along its length. All three
// shapes are prisms along y.
#pragma once

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data_files.h"
#include "physics.h"

namespace bsf {

struct Point {
  float x;
  float y;
  float z;
};

// Where a flight ends.
enum class Region {
  Lost,    // left the phantom through a side, an end or (mostly) the back; never scored
  Out,     // left through the front (or, for the elliptic cylinder, the back): the
           // backscatter test decides
  Inside,  // the photon interacts here
};

// ---------------------------------------------------------------------------
// Racetrack section (Korvane): a flat front of width a, rounded at both edges
// by quarter circles of radius b/2 centred at x = +-a/2, z = b/2; flat sides
// at |x| = a/2 + b/2, back face z = T, ends y = +-L/2.
class Racetrack {
 public:
  static constexpr std::string_view kProgram = "Korvane";
  static constexpr std::string_view kJsonName = "racetrack";
  static constexpr bool kRedrawOnMiss = true;  // a missing ray draws a new source point
  // The shape's lines of joken.txt, in their order; each must lie within the
  // phantom limits (run_limits.h) for the run to make sense.
  static constexpr std::array<ConditionLine, 3> kDimensions{{
      {&RunConditions::RacetrackA, "the racetrack dimension a"},
      {&RunConditions::RacetrackB, "the racetrack dimension b"},
      {&RunConditions::RacetrackLength, "the racetrack length"},
  }};
  // The radius of curvature that the entry point's quadratic must resolve
  // against the focus distance; the racetrack's edge circle cancels nothing.
  static constexpr const ConditionLine* kCurvature = nullptr;

  explicit Racetrack(const RunConditions& rc)
      : half_a_(rc.RacetrackA / 2.0f),
        half_b_(rc.RacetrackB / 2.0f),
        half_length_(rc.RacetrackLength / 2.0f),
        thickness_(rc.ObjectThickness),
        edge_(half_a_ + half_b_)
  {
  }

  float cap_half_field_x(float half_field_x) const { return half_field_x; }

  std::optional<Point> entry(float x0, float y0, float f) const
  {
    if (x0 <= half_a_) {
      if (y0 < half_length_) return Point{x0, y0, 0.0f};
      return std::nullopt;
    }
    // The ray meets the rounded edge, the circle of radius b/2 about (a/2, b/2).
    const float s = x0 / f;
    const float a2 = s * s + 1.0f;
    const float a1 = 2.0f * ((x0 - half_a_) * x0 / f - half_b_);
    const float a0 = (x0 - half_a_) * (x0 - half_a_);
    const float d = a1 * a1 - 4.0f * a2 * a0;
    if (!(d > 0.0f)) return std::nullopt;
    const float z = (-a1 - std::sqrt(d)) / (2.0f * a2);  // the nearer root
    const float x = (z + f) * x0 / f;
    const float y = (z + f) * y0 / f;
    if (y < half_length_) return Point{x, y, z};
    return std::nullopt;
  }

  Region classify(float x, float y, float z) const
  {
    if (std::fabs(y) >= half_length_) return Region::Lost;
    if (z >= thickness_) return Region::Lost;
    const float ax = std::fabs(x);
    if (ax >= edge_) return Region::Lost;
    float zs = 0.0f;
    if (ax > half_a_) zs = half_b_ - sqrt_nonneg(half_b_ * half_b_ - (ax - half_a_) * (ax - half_a_));
    if (zs < z && z < thickness_) return Region::Inside;
    return Region::Out;
  }

 private:
  float half_a_, half_b_, half_length_, thickness_, edge_;
};

// ---------------------------------------------------------------------------
// Elliptic-cylinder section (Teslund): the front half of the ellipse
// x^2/a^2 + (z - b)^2/b^2 = 1, flat sides at |x| = a, a fixed length of 80 cm
// and a lateral bound of 40 cm; the front surface and the back face z = T
// count as inside.
class EllipticCylinder {
 public:
  static constexpr std::string_view kProgram = "Teslund";
  static constexpr std::string_view kJsonName = "elliptic_cylinder";
  static constexpr bool kRedrawOnMiss = false;  // a missing ray ends the history
  static constexpr std::array<ConditionLine, 2> kDimensions{{
      {&RunConditions::EllipseHorizontal, "the horizontal semi-axis a"},
      {&RunConditions::EllipseVertical, "the vertical semi-axis b"},
  }};
  static constexpr const ConditionLine* kCurvature = &kDimensions[1];
  static constexpr float kHalfExtent = 40.0f;  // cm: lateral and length bound

  explicit EllipticCylinder(const RunConditions& rc)
      : a_(rc.EllipseHorizontal), b_(rc.EllipseVertical), thickness_(rc.ObjectThickness)
  {
  }

  float cap_half_field_x(float half_field_x) const { return half_field_x; }

  std::optional<Point> entry(float x0, float y0, float f) const
  {
    // Solved for the lateral position X where the ray meets the ellipse.
    const float s = f / x0;
    const float a2 = s * s / (b_ * b_) + 1.0f / (a_ * a_);
    const float a1 = -2.0f * s * (f + b_) / (b_ * b_);
    const float a0 = (f + b_) * (f + b_) / (b_ * b_) - 1.0f;
    const float d = a1 * a1 - 4.0f * a2 * a0;
    if (!(d > 0.0f)) return std::nullopt;
    const float x = (-a1 - std::sqrt(d)) / (2.0f * a2);
    const float z = b_ - sqrt_nonneg(b_ * b_ - b_ * b_ / (a_ * a_) * (x * x));
    const float y = (z + f) * y0 / f;
    return Point{x, y, z};
  }

  Region classify(float x, float y, float z) const
  {
    const float ax = std::fabs(x);
    if (ax > kHalfExtent) return Region::Lost;
    if (std::fabs(y) > kHalfExtent) return Region::Lost;
    if (ax > a_) return Region::Lost;
    const float zs = b_ - sqrt_nonneg((1.0f - x * x / (a_ * a_)) * b_ * b_);
    if (z < zs) return Region::Out;
    if (z > thickness_) return Region::Out;  // through the back: moving away, never scored
    return Region::Inside;
  }

 private:
  float a_, b_, thickness_;
};

// ---------------------------------------------------------------------------
// Circular-cylinder section (Mirabek): the front half of the circle
// x^2 + (z - R)^2 = R^2, a fixed length of 80 cm, back face z = T (outside).
class Cylinder {
 public:
  static constexpr std::string_view kProgram = "Mirabek";
  static constexpr std::string_view kJsonName = "cylinder";
  static constexpr bool kRedrawOnMiss = false;
  static constexpr std::array<ConditionLine, 1> kDimensions{{
      {&RunConditions::CylinderRadius, "the cylinder radius"},
  }};
  static constexpr const ConditionLine* kCurvature = &kDimensions[0];
  static constexpr float kHalfLength = 40.0f;  // cm

  explicit Cylinder(const RunConditions& rc) : r_(rc.CylinderRadius), thickness_(rc.ObjectThickness) {}

  // The field is sampled only across the cylinder's width.
  float cap_half_field_x(float half_field_x) const { return half_field_x > r_ ? r_ : half_field_x; }

  std::optional<Point> entry(float x0, float y0, float f) const
  {
    const float s = f / x0;
    const float a2 = s * s + 1.0f;
    const float a1 = -2.0f * f * (f + r_) / x0;
    const float a0 = (f + r_) * (f + r_) - r_ * r_;
    const float d = a1 * a1 - 4.0f * a2 * a0;
    if (!(d > 0.0f)) return std::nullopt;
    const float x = (-a1 - std::sqrt(d)) / (2.0f * a2);
    const float z = r_ - sqrt_nonneg(r_ * r_ - x * x);
    const float y = (z + f) * y0 / f;
    return Point{x, y, z};
  }

  Region classify(float x, float y, float z) const
  {
    if (std::fabs(x) > r_) return Region::Lost;
    if (std::fabs(y) > kHalfLength) return Region::Lost;
    if (z >= thickness_) return Region::Lost;
    const float zs = r_ - sqrt_nonneg(r_ * r_ - x * x);
    if (z < zs) return Region::Out;
    if (z > thickness_) return Region::Out;
    return Region::Inside;
  }

 private:
  float r_, thickness_;
};

}  // namespace bsf
