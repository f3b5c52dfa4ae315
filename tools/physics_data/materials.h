// The materials of the installed data, in one place: the phantom's soft
// tissue (also the scoring medium for soft-tissue dose), skin, dry air, and
// the three filter and target metals.
#pragma once

#include <string>
#include <vector>

namespace bsf::physdata {

struct Element {
  int z;
  double mass_fraction;
};

struct Material {
  std::string name;
  std::vector<Element> elements;
  double density;      // g/cm3
  std::string source;  // where the composition and density come from
};

// ICRU Report 44 (1989), soft tissue (adult), 1.06 g/cm3.
Material soft_tissue();
// ICRU Report 46 (1992), skin (adult), 1.09 g/cm3.
Material skin();
// Dry air near sea level, from xraylib's NIST compound table.
Material dry_air();
// Water, for checks against reference tables.
Material water();

// Densities of the elemental filters and target (g/cm3), passed explicitly
// because xraylib's element density for aluminium differs.
inline constexpr double kTungstenDensity = 19.3;
inline constexpr double kAluminiumDensity = 2.699;
inline constexpr double kCopperDensity = 8.96;

}  // namespace bsf::physdata
