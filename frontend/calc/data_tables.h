// Loading of the front end's data tables from the working directory.
#pragma once

#include <filesystem>

#include "exposure.h"
#include "file_io.h"  // the data files are found without regard to letter case (resolve_nocase)

namespace bsf {

// Reads Att_Coeff2020.dat (found without regard to letter case) from `dir`:
// 300 records of seven free-format numbers; the first (the energy) is read
// and discarded, record i standing for 0.5*i keV. Throws DataFileError
// naming the file and line when it is missing, short or unreadable.
AttenuationTable load_attenuation_table(const std::filesystem::path& dir);

}  // namespace bsf
