#include "materials.h"

#include "xrl_checked.h"

namespace bsf::physdata {

Material soft_tissue()
{
  return {"soft tissue (ICRU-44)",
          {{1, 0.102}, {6, 0.143}, {7, 0.034}, {8, 0.708}, {11, 0.002}, {15, 0.003}, {16, 0.003},
           {17, 0.002}, {19, 0.003}},
          1.06,
          "ICRU Report 44 (1989), Tissue Substitutes in Radiation Dosimetry and Measurement: soft tissue (adult)"};
}

Material skin()
{
  return {"skin (ICRU-46)",
          {{1, 0.100}, {6, 0.204}, {7, 0.042}, {8, 0.645}, {11, 0.002}, {15, 0.001}, {16, 0.002},
           {17, 0.003}, {19, 0.001}},
          1.09,
          "ICRU Report 46 (1992), Photon, Electron, Proton and Neutron Interaction Data for Body Tissues: skin (adult)"};
}

Material dry_air()
{
  const auto c = xrl::nist_compound("Air, Dry (near sea level)");
  Material m{"dry air", {}, c.density, "NIST compound table in xraylib: \"Air, Dry (near sea level)\""};
  for (std::size_t i = 0; i < c.z.size(); ++i) m.elements.push_back({c.z[i], c.mass_fraction[i]});
  return m;
}

Material water()
{
  return {"water", {{1, 0.111894}, {8, 0.888106}}, 1.0, "H2O"};
}

}  // namespace bsf::physdata
