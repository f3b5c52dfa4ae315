// Loading of the front end's data tables from the working directory.
#pragma once

#include <filesystem>

#include "exposure.h"

namespace bsf {

// Reads Att_Coeff2020.dat (found without regard to letter case) from `dir`:
// 300 records of seven free-format numbers; the first (the energy) is read
// and discarded, record i standing for 0.5*i keV. Throws DataFileError
// naming the file and line when it is missing, short or unreadable.
AttenuationTable load_attenuation_table(const std::filesystem::path& dir);

// The file `name` in `dir`, matched without regard to letter case; `dir /
// name` when there is no match (so that an error names the expected file).
std::filesystem::path resolve_nocase(const std::filesystem::path& dir, const std::string& name);

}  // namespace bsf
