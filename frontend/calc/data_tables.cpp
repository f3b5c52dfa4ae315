#include "data_tables.h"

#include <cmath>

#include "free_format.h"

namespace bsf {

namespace fs = std::filesystem;

AttenuationTable load_attenuation_table(const fs::path& dir)
{
  AttenuationTable t;
  FreeFormatReader in(resolve_nocase(dir, "Att_Coeff2020.dat"));
  // The rules the engines apply to the same file: record i holds 0.5*i keV,
  // and every coefficient is a positive number (it is interpolated through
  // its logarithm and divides the spectrum's sums).
  auto positive = [](double v) { return std::isfinite(v) && v > 0.0; };
  for (std::size_t i = 1; i <= kSpectrumBins; ++i) {
    const std::string record = "record " + std::to_string(i) + " of 300";
    const double energy = 0.5 * static_cast<double>(i);
    in.next_where("the energy of " + record, [&](double e) { return std::fabs(e - energy) <= 0.001; },
                  "keV must be " + std::to_string(i / 2) + (i % 2 ? ".5" : ".0") + " keV (record i holds 0.5 i keV)");
    const char* must = "must be a positive number";
    t.tungsten[i] = in.next_where("the tungsten coefficient of " + record, positive, must);
    t.aluminium[i] = in.next_where("the aluminium coefficient of " + record, positive, must);
    t.copper[i] = in.next_where("the copper coefficient of " + record, positive, must);
    t.air[i] = in.next_where("the air coefficient of " + record, positive, must);
    t.soft[i] = in.next_where("the soft-tissue coefficient of " + record, positive, must);
    t.skin[i] = in.next_where("the skin coefficient of " + record, positive, must);
  }
  return t;
}

}  // namespace bsf
