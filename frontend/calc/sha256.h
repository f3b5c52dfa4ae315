// SHA-256 (FIPS 180-4) of the data files a result was computed with, so that
// a dose report can be traced to the exact tables behind it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace bsf {

// The digest of `data` as 64 lower-case hexadecimal digits.
std::string sha256_hex(std::string_view data);

// The digest of a file's bytes; throws DataFileError naming the file when it
// cannot be read.
std::string file_sha256(const std::filesystem::path& file);

}  // namespace bsf
