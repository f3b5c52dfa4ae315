#include "data_tables.h"

#include <cctype>

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
  for (std::size_t i = 1; i <= kSpectrumBins; ++i) {
    const std::string record = "record " + std::to_string(i) + " of 300";
    in.next("the energy of " + record);
    t.tungsten[i] = in.next("the tungsten coefficient of " + record);
    t.aluminium[i] = in.next("the aluminium coefficient of " + record);
    t.copper[i] = in.next("the copper coefficient of " + record);
    t.air[i] = in.next("the air coefficient of " + record);
    t.soft[i] = in.next("the soft-tissue coefficient of " + record);
    t.skin[i] = in.next("the skin coefficient of " + record);
  }
  return t;
}

}  // namespace bsf
