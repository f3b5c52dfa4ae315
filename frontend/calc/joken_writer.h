// The run-conditions file joken.txt that the Monte Carlo engines read.
#pragma once

#include <filesystem>
#include <string>

#include "exposure.h"

namespace bsf {

// The text of joken.txt for the chosen phantom, one value per line with CR
// LF: the shape's dimensions (cylinder: radius; elliptic cylinder: the two
// semi-axes; racetrack: a, b, length), then thickness, focus-surface and
// focus-receptor distances, the short and the long field size taken when the
// shape dialog was confirmed, each "000.0", and the history number
// "00000000000": 7, 8 or 9 lines. Empty when the code names no phantom.
std::string joken_text(const ExposureConditions& c);

// Writes joken.txt into `dir`, replacing an older file atomically. Returns
// false, writing nothing, when the shape code names no phantom. Throws
// DataFileError naming the file when it cannot be written.
bool write_joken(const std::filesystem::path& dir, const ExposureConditions& c);

// Replaces `dir / name` (or the file whose name differs from it only in
// letter case) with `text` through replace_file_nocase (file_io.h), so that
// a reader never sees half a file. Throws DataFileError naming the file,
// with the system's reason.
void replace_file(const std::filesystem::path& dir, const std::string& name, const std::string& text);

}  // namespace bsf
