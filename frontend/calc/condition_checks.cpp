#include "condition_checks.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "geometry.h"
#include "run_limits.h"
#include "simulation.h"

namespace bsf {

namespace {

constexpr ConditionLimit kLimits[] = {
    // which                            option          window label             English name                        units            low    high
    {Condition::TubeVoltage, "kv", "Ｘ線管電圧", "the tube voltage", "kV", "kV", 20.0, 150.0},
    {Condition::Waveform, "waveform", "高電圧整流方式", "the waveform code", "", "", 1.0, 3.0, true},
    {Condition::AnodeAngle, "anode-angle", "Ｘ線管ターゲット角度", "the anode angle", "度", "degrees", 5.0, 30.0},
    {Condition::InherentFilter, "inherent-al", "固有フィルタ (Al当量)", "the inherent filtration", "mm", "mm", 0.0, 10.0},
    {Condition::AddedFilterAl, "added-al", "付加フィルタ (アルミ)", "the added aluminium filter", "mm", "mm", 0.0, 30.0},
    {Condition::AddedFilterCu, "added-cu", "付加フィルタ（ 銅 ）", "the added copper filter", "mm", "mm", 0.0, 5.0},
    {Condition::FocusReceptorDistance, "ffd", "焦点-受像器間距離", "the focus-receptor distance", "cm", "cm", kDistanceLimit.low, kDistanceLimit.high},
    {Condition::FocusSurfaceDistance, "fsd", "焦点-入射表面間距離", "the focus-surface distance", "cm", "cm", kDistanceLimit.low, kDistanceLimit.high},
    {Condition::ObjectThickness, "thickness", "被写体厚", "the object thickness", "cm", "cm", kThicknessLimit.low, kThicknessLimit.high},
    {Condition::FieldLong, "field", "長軸方向サイズ", "the long-axis field size", "cm", "cm", kFieldLimit.low, kFieldLimit.high},
    {Condition::FieldShort, "field", "単軸方向サイズ", "the short-axis field size", "cm", "cm", kFieldLimit.low, kFieldLimit.high},
    {Condition::FieldDiameter, "diameter", "照射野サイズ（直径）", "the field diameter", "cm", "cm", kFieldLimit.low, kFieldLimit.high},
    {Condition::CylinderRadius, "radius", "Curvature radius", "the cylinder radius", "cm", "cm", kPhantomLimit.low, kPhantomLimit.high},
    {Condition::EllipseHorizontal, "semi-axis-horizontal", "Horizontal axis", "the horizontal semi-axis", "cm", "cm", kPhantomLimit.low, kPhantomLimit.high},
    {Condition::EllipseVertical, "semi-axis-vertical", "Vertical axis", "the vertical semi-axis", "cm", "cm", kPhantomLimit.low, kPhantomLimit.high},
    {Condition::RacetrackA, "racetrack-a", "a", "the racetrack width a", "cm", "cm", kPhantomLimit.low, kPhantomLimit.high},
    {Condition::RacetrackB, "racetrack-b", "b", "the racetrack width b", "cm", "cm", kPhantomLimit.low, kPhantomLimit.high},
    {Condition::RacetrackLength, "length", "Length", "the racetrack length", "cm", "cm", kPhantomLimit.low, kPhantomLimit.high},
    {Condition::HistoryCount, "histories", "Photon history", "the history number", "", "", static_cast<double>(kMinHistories), static_cast<double>(kMaxHistories), true},
};

// The shortest text that gives back the value: a value just outside a
// limit never prints as the limit itself (150.00000001 kV, not 150).
std::string number(double v)
{
  char buf[400];
  // Plain decimals where they stay short, an exponent for the extremes.
  const bool plain = v == 0.0 || (std::fabs(v) >= 1e-6 && std::fabs(v) < 1e15);
  const auto r = plain ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed)
                       : std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// "20 kV", "5 度", "1"
std::string with_unit(double v, const char* unit) { return number(v) + (*unit ? std::string(" ") + unit : ""); }

// The field's name as its window labels it, in corner brackets.
std::string quoted_ja(const ConditionLimit& l) { return std::string("「") + l.name_ja + "」"; }

std::string range_ja(const ConditionLimit& l)
{
  return with_unit(l.low, l.unit_ja) + " 以上 " + with_unit(l.high, l.unit_ja) + " 以下の" + (l.whole ? "整数" : "値");
}

std::string range_en(const ConditionLimit& l)
{
  return std::string(l.whole ? "a whole number " : "") + "between " + number(l.low) + " and " +
         with_unit(l.high, l.unit_en);
}

// The unit of the stored value relative to the typed one: filters are
// typed in mm and held in cm.
double typed_scale(Condition which)
{
  switch (which) {
    case Condition::InherentFilter:
    case Condition::AddedFilterAl:
    case Condition::AddedFilterCu: return 10.0;
    default: return 1.0;
  }
}

}  // namespace

const ConditionLimit& limit_of(Condition which)
{
  for (const ConditionLimit& l : kLimits)
    if (l.which == which) return l;
  throw std::logic_error("no limit for a condition");
}

std::optional<ConditionProblem> check_value(Condition which, double typed)
{
  const ConditionLimit& l = limit_of(which);
  // A tolerance of a few units in the last place: 0.1 × 30 mm is stored as
  // 3.0000000000000004 cm and must still pass as 30 mm.
  const double slack = 1e-12 * std::max(std::fabs(l.low), std::fabs(l.high));
  const bool inside = std::isfinite(typed) && typed >= l.low - slack && typed <= l.high + slack &&
                      (!l.whole || typed == std::floor(typed));
  if (inside) return std::nullopt;
  return ConditionProblem{which, l.option,
                          quoted_ja(l) + "は " + range_ja(l) + "にしてください。\n（入力された値: " +
                              with_unit(typed, l.unit_ja) + "）",
                          std::string(l.name_en) + " " + with_unit(typed, l.unit_en) + " must be " + range_en(l)};
}

ConditionProblem not_a_number(Condition which, std::string_view text, NumberReading reading)
{
  const ConditionLimit& l = limit_of(which);
  const std::string shown(text);
  std::string ja, en;
  if (shown.find_first_not_of(" \t") == std::string::npos) {
    ja = quoted_ja(l) + "が空欄です。";
    en = std::string(l.name_en) + " is empty";
  } else if (reading.status == NumberReading::Status::OutOfRange) {
    ja = quoted_ja(l) + "の「" + shown + "」は大きすぎて数値として扱えません。";
    en = std::string(l.name_en) + " \"" + shown + "\" is too large to be a number";
  } else {
    ja = quoted_ja(l) + "の「" + shown + "」は数値ではありません。";
    en = std::string(l.name_en) + " \"" + shown + "\" is not a number";
  }
  return ConditionProblem{which, l.option, ja + "\n" + range_ja(l) + "を入力してください。",
                          en + "; it must be " + range_en(l)};
}

std::optional<ConditionProblem> check_thickness(const ExposureConditions& c)
{
  if (c.ObjectThickness > c.FocusReceptorDistance - c.FocusSurfaceDistance)
    return ConditionProblem{Condition::ObjectThickness, "thickness", "  被写体厚が (FFD-FSD) より大きくなっています  ",
                            "the object thickness (" + number(c.ObjectThickness) +
                                " cm) is larger than FFD - FSD (" +
                                number(c.FocusReceptorDistance - c.FocusSurfaceDistance) + " cm)"};
  return std::nullopt;
}

std::optional<ConditionProblem> check_ranges(const ExposureConditions& c)
{
  std::vector<std::pair<Condition, double>> values = {
      {Condition::TubeVoltage, c.TubeVoltage},
      {Condition::Waveform, c.Waveform},
      {Condition::AnodeAngle, c.AnodeAngle},
      {Condition::InherentFilter, c.InherentFilter},
      {Condition::AddedFilterAl, c.AddedFilterAl},
      {Condition::AddedFilterCu, c.AddedFilterCu},
      {Condition::FocusReceptorDistance, c.FocusReceptorDistance},
      {Condition::FocusSurfaceDistance, c.FocusSurfaceDistance},
      {Condition::ObjectThickness, c.ObjectThickness},
  };
  if (c.FieldShape == 2) {
    values.push_back({Condition::FieldDiameter, c.FieldLong});
  } else {
    values.push_back({Condition::FieldLong, c.FieldLong});
    values.push_back({Condition::FieldShort, c.FieldShort});
  }
  for (const auto& [which, stored] : values)
    if (auto p = check_value(which, stored * typed_scale(which))) return p;
  return std::nullopt;
}

std::optional<ConditionProblem> check_conditions(const ExposureConditions& c)
{
  // Each value within its limits first: the thickness rule on a distance
  // of 1e300 would only give a confusing difference.
  if (auto p = check_ranges(c)) return p;
  return check_thickness(c);
}

namespace {

// The engine's run conditions for the phantom of `c`, in single precision
// as the engine reads them from joken.txt.
RunConditions engine_conditions(const ExposureConditions& c)
{
  RunConditions rc;
  rc.CylinderRadius = static_cast<float>(c.CylinderRadius);
  rc.EllipseHorizontal = static_cast<float>(c.EllipseHorizontal);
  rc.EllipseVertical = static_cast<float>(c.EllipseVertical);
  rc.RacetrackA = static_cast<float>(c.RacetrackA);
  rc.RacetrackB = static_cast<float>(c.RacetrackB);
  rc.RacetrackLength = static_cast<float>(c.RacetrackLength);
  rc.ObjectThickness = static_cast<float>(c.ObjectThickness);
  rc.FocusSurfaceDistance = static_cast<float>(c.FocusSurfaceDistance);
  rc.FocusReceptorDistance = static_cast<float>(c.FocusReceptorDistance);
  rc.FieldShort = static_cast<float>(c.JokenFieldShort);
  rc.FieldLong = static_cast<float>(c.JokenFieldLong);
  rc.HistoryCount = c.HistoryCount;
  return rc;
}

template <class Shape>
double share_of(const RunConditions& rc)
{
  const Shape shape(rc);
  return source_share(shape, make_source(rc, shape));
}

}  // namespace

std::optional<ConditionProblem> check_phantom(const ExposureConditions& c)
{
  std::vector<std::pair<Condition, double>> values;
  Condition curvature = Condition::HistoryCount;  // none
  const Phantom phantom = phantom_of(c);
  switch (phantom) {
    case Phantom::Cylinder:
      values = {{Condition::CylinderRadius, c.CylinderRadius}};
      curvature = Condition::CylinderRadius;
      break;
    case Phantom::EllipticCylinder:
      values = {{Condition::EllipseHorizontal, c.EllipseHorizontal}, {Condition::EllipseVertical, c.EllipseVertical}};
      curvature = Condition::EllipseVertical;
      break;
    case Phantom::Racetrack:
      values = {{Condition::RacetrackA, c.RacetrackA},
                {Condition::RacetrackB, c.RacetrackB},
                {Condition::RacetrackLength, c.RacetrackLength}};
      break;
    case Phantom::None: break;
  }
  values.push_back({Condition::HistoryCount, static_cast<double>(c.HistoryCount)});
  for (const auto& [which, v] : values)
    if (auto p = check_value(which, v)) return p;

  // What the engine's single precision resolves: a curved front not too
  // small against the focus distance.
  if (curvature != Condition::HistoryCount) {
    const ConditionLimit& l = limit_of(curvature);
    const double radius = curvature == Condition::CylinderRadius ? c.CylinderRadius : c.EllipseVertical;
    const double least = c.FocusSurfaceDistance / kMaxFocusPerCurvature;
    if (radius < least)
      return ConditionProblem{curvature, l.option,
                              quoted_ja(l) + "は、焦点-入射表面間距離 " + number(c.FocusSurfaceDistance) + " cm に対して " +
                                  number(least) + " cm 以上にしてください（距離の 1/100 以上）。\n（入力された値: " +
                                  number(radius) + " cm）",
                              std::string(l.name_en) + " " + number(radius) +
                                  " cm is too small for a focus-surface distance of " +
                                  number(c.FocusSurfaceDistance) + " cm: it must be at least " + number(least) + " cm"};
  }

  // A racetrack redraws the source points whose rays miss it: the field
  // must not be so much larger than the phantom that most draws are wasted.
  if (phantom == Phantom::Racetrack) {
    const double share = share_of<bsf::Racetrack>(engine_conditions(c));
    if (share < kMinSourceShare) {
      const ConditionLimit& l = limit_of(Condition::RacetrackLength);
      return ConditionProblem{Condition::RacetrackLength, l.option,
                              "照射野に比べてレーストラック型モデルが小さすぎます。焦点から照射野へ向かう線のうち、"
                              "モデルに当たるのは " + number(100.0 * share) + " % だけです（" +
                                  number(100.0 * kMinSourceShare) +
                                  " % 以上必要）。\n照射野を小さくするか、モデルの a、b、Length を大きくしてください。",
                              "only " + number(100.0 * share) +
                                  " % of the rays from the focus through the field reach the racetrack; at least " +
                                  number(100.0 * kMinSourceShare) +
                                  " % must: make the field smaller or the racetrack larger"};
    }
  }
  return std::nullopt;
}

}  // namespace bsf
