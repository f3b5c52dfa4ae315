#include "data_tables.h"

#include <cctype>
#include <cmath>

#include "free_format.h"

namespace bsf {

namespace fs = std::filesystem;

fs::path resolve_nocase(const fs::path& dir, const std::string& name)
{
  std::error_code ec;
  if (fs::is_regular_file(dir / name, ec)) return dir / name;
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  const std::string want = lower(name);
  for (const auto& entry : fs::directory_iterator(dir, ec))
    if (lower(entry.path().filename().string()) == want && entry.is_regular_file(ec)) return entry.path();
  return dir / name;
}

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
