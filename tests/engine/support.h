// Helpers shared by the engine tests: scratch directories and file writing.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace bsf::test {

// A fresh, empty directory under the system's temporary directory, removed
// when the object goes out of scope.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::filesystem::path fixture_dir();

// Writes `text` to `dir/name` as bytes.
void write_file(const std::filesystem::path& dir, std::string_view name, std::string_view text);
std::string read_file(const std::filesystem::path& file);

// Joins lines with CR LF after each.
std::string crlf_lines(std::initializer_list<std::string_view> lines);

// Copies the fixture's data files (spectrum, tissue and absorption data) and
// the named fixture conditions file, as joken.txt, into `dir`.
void install_fixture(const std::filesystem::path& dir, std::string_view joken_fixture);

}  // namespace bsf::test
