// The run conditions an engine accepts, in cm, both ends included. The
// front ends check their users' values against the same numbers, so that
// nothing they accept is refused here.
//
// The upper limits keep every position far inside what single precision
// resolves: at 1000 cm a float still steps in 0.06 mm, a hundredth of the
// 5 mm scoring disc; beyond some 1e8 cm the factors drift and at 2e19 cm the
// disc vanishes from the sums altogether. The lower limits keep a field on
// the source grid and a phantom one that the entry geometry resolves.
#pragma once

namespace bsf {

struct LengthLimit {
  double low;   // cm
  double high;  // cm
};

inline constexpr LengthLimit kDistanceLimit{10.0, 1000.0};  // focus-surface, focus-receptor
inline constexpr LengthLimit kThicknessLimit{0.1, 100.0};   // the object (phantom) thickness
inline constexpr LengthLimit kFieldLimit{0.1, 200.0};       // field sizes at the receptor
inline constexpr LengthLimit kPhantomLimit{1.0, 500.0};     // radius, semi-axes, racetrack a, b, length

// A curved front whose radius of curvature (the cylinder's radius, the
// ellipse's vertical semi-axis) is small against the focus distance makes
// the entry point's quadratic cancel in single precision: at a distance of
// 500 radii 0.5 % of the rays that meet the phantom are taken for misses, at
// 100 radii 0.03 %, all of them grazing. The focus may stand at most this
// many radii of curvature away.
inline constexpr double kMaxFocusPerCurvature = 100.0;

// The share of source points whose rays reach a phantom that redraws its
// misses must not fall below this: each redraw costs two draws, so the
// redraws then cost at most some 32 draws per history, about what the
// history's own transport takes, and the run at most about twice its time.
inline constexpr double kMinSourceShare = 1.0 / 16.0;

// The history number: at least one, at most the largest 32-bit integer.
inline constexpr long long kMinHistories = 1;
inline constexpr long long kMaxHistories = 2147483647;

}  // namespace bsf
