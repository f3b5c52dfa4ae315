#include "exposure.h"

#include "exposure_defaults.h"
#include "geometry.h"

namespace bsf {

void set_default_conditions(ExposureConditions& c, std::int16_t active_form)
{
  c.TubeVoltage = default_value(Condition::TubeVoltage);
  c.Waveform = static_cast<std::int16_t>(default_value(Condition::Waveform));
  c.AnodeAngle = default_value(Condition::AnodeAngle);
  c.InherentFilter = default_value(Condition::InherentFilter) * kCmPerMm;
  c.AddedFilterAl = default_value(Condition::AddedFilterAl) * kCmPerMm;
  c.AddedFilterCu = default_value(Condition::AddedFilterCu) * kCmPerMm;
  c.FocusReceptorDistance = default_value(Condition::FocusReceptorDistance);
  c.FocusSurfaceDistance = default_value(Condition::FocusSurfaceDistance);
  c.ObjectThickness = default_value(Condition::ObjectThickness);
  c.FieldLong = default_value(Condition::FieldLong);
  c.FieldShort = default_value(Condition::FieldShort);
  c.FieldShape = kDefaultFieldShape;
  c.ActiveForm = active_form;
  c.PhantomShape = phantom_code(active_form == 1 ? Phantom::None : Phantom::Cylinder);
}

namespace {

// The names of each phantom; the engines' own (geometry.h) where they have
// one, so that a front end and an engine cannot disagree.
struct PhantomNames {
  Phantom phantom;
  std::string_view program;
  std::string_view option;
  std::string_view result;
};

constexpr PhantomNames kPhantomNames[] = {
    {Phantom::None, "", "", ""},
    {Phantom::Cylinder, bsf::Cylinder::kProgram, "cylinder", bsf::Cylinder::kJsonName},
    {Phantom::EllipticCylinder, bsf::EllipticCylinder::kProgram, "elliptic", bsf::EllipticCylinder::kJsonName},
    {Phantom::Racetrack, bsf::Racetrack::kProgram, "racetrack", bsf::Racetrack::kJsonName},
};

const PhantomNames& names_of(Phantom p)
{
  for (const PhantomNames& n : kPhantomNames)
    if (n.phantom == p) return n;
  return kPhantomNames[0];
}

std::optional<Phantom> phantom_named(std::string_view name, std::string_view PhantomNames::*which)
{
  for (const PhantomNames& n : kPhantomNames)
    if (n.phantom != Phantom::None && n.*which == name) return n.phantom;
  return std::nullopt;
}

}  // namespace

std::optional<Phantom> phantom_from_code(int code)
{
  for (const PhantomNames& n : kPhantomNames)
    if (phantom_code(n.phantom) == code) return n.phantom;
  return std::nullopt;
}

Phantom phantom_of(const ExposureConditions& c) { return phantom_from_code(c.PhantomShape).value_or(Phantom::None); }

std::string_view engine_program(Phantom p) { return names_of(p).program; }
std::string_view phantom_option_name(Phantom p) { return names_of(p).option; }
std::string_view phantom_result_name(Phantom p) { return names_of(p).result; }

std::optional<Phantom> phantom_from_option_name(std::string_view name)
{
  return phantom_named(name, &PhantomNames::option);
}

std::optional<Phantom> phantom_from_result_name(std::string_view name)
{
  return phantom_named(name, &PhantomNames::result);
}

}  // namespace bsf
