#include "condition_checks.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace bsf {

namespace {

std::string number(double v)
{
  char buf[32];
  // Enough digits that a value just outside a limit does not print as the
  // limit itself (150.0001 kV, not 150).
  std::snprintf(buf, sizeof buf, "%.10g", v);
  return buf;
}

}  // namespace

std::optional<ConditionProblem> check_thickness(const ExposureConditions& c)
{
  if (c.ObjectThickness > c.FocusReceptorDistance - c.FocusSurfaceDistance)
    return ConditionProblem{"thickness", "  被写体厚が (FFD-FSD) より大きくなっています  ",
                            "the object thickness (" + number(c.ObjectThickness) +
                                " cm) is larger than FFD - FSD (" +
                                number(c.FocusReceptorDistance - c.FocusSurfaceDistance) + " cm)"};
  return std::nullopt;
}

std::optional<ConditionProblem> check_ranges(const ExposureConditions& c)
{
  auto bad = [](double v) { return !std::isfinite(v); };
  if (bad(c.TubeVoltage) || c.TubeVoltage < 1.0 || c.TubeVoltage > 150.0)
    return ConditionProblem{"kv", "管電圧は 1 kV 以上 150 kV 以下にしてください",
                            "the tube voltage " + number(c.TubeVoltage) + " kV must lie between 1 and 150 kV"};
  if (c.Waveform < 1 || c.Waveform > 3)
    return ConditionProblem{"waveform", "波形は 1, 2, 3 のいずれかにしてください",
                            "the waveform code " + std::to_string(c.Waveform) + " must be 1, 2 or 3"};
  if (bad(c.AnodeAngle) || !(c.AnodeAngle > 0.0 && c.AnodeAngle < 90.0))
    return ConditionProblem{"anode-angle", "ターゲット角度は 0 度より大きく 90 度より小さくしてください",
                            "the anode angle " + number(c.AnodeAngle) + " degrees must be greater than 0 and less than 90 degrees"};
  struct Filter {
    double cm;
    const char* option;
    const char* ja;
    const char* en;
  };
  const Filter filters[] = {
      {c.InherentFilter, "inherent-al", "固有フィルタ (Al当量)", "the inherent filtration"},
      {c.AddedFilterAl, "added-al", "付加フィルタ (アルミ)", "the added aluminium filter"},
      {c.AddedFilterCu, "added-cu", "付加フィルタ（銅）", "the added copper filter"},
  };
  for (const Filter& f : filters)
    if (bad(f.cm) || f.cm < 0.0)
      return ConditionProblem{f.option, std::string(f.ja) + "は 0 以上にしてください",
                              std::string(f.en) + " " + number(f.cm * 10.0) + " mm must not be negative"};
  struct Length {
    double cm;
    const char* option;
    const char* ja;
    const char* en;
  };
  std::vector<Length> lengths = {
      {c.FocusReceptorDistance, "ffd", "焦点-受像器間距離", "the focus-receptor distance"},
      {c.FocusSurfaceDistance, "fsd", "焦点-入射表面間距離", "the focus-surface distance"},
      {c.ObjectThickness, "thickness", "被写体厚", "the object thickness"},
  };
  if (c.FieldShape == 2) {
    lengths.push_back({c.FieldLong, "diameter", "照射野サイズ（直径）", "the field diameter"});
  } else {
    lengths.push_back({c.FieldLong, "field", "照射野の長軸方向サイズ", "the long-axis field size"});
    lengths.push_back({c.FieldShort, "field", "照射野の単軸方向サイズ", "the short-axis field size"});
  }
  for (const Length& l : lengths)
    if (bad(l.cm) || !(l.cm > 0.0))
      return ConditionProblem{l.option, std::string(l.ja) + "は 0 より大きくしてください",
                              std::string(l.en) + " " + number(l.cm) + " cm must be greater than 0"};
  return std::nullopt;
}

std::optional<ConditionProblem> check_conditions(const ExposureConditions& c)
{
  if (auto p = check_thickness(c)) return p;
  return check_ranges(c);
}

}  // namespace bsf
