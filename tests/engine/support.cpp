#include "support.h"

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace bsf::test {

namespace fs = std::filesystem;

ScratchDir::ScratchDir()
{
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = fs::temp_directory_path() / ("bsf-test-" + std::to_string(rd()));
    if (fs::create_directory(path_)) return;
  }
  throw std::runtime_error("cannot create a scratch directory");
}

ScratchDir::~ScratchDir()
{
  std::error_code ec;
  fs::remove_all(path_, ec);
}

fs::path fixture_dir() { return ENGINE_TEST_DATA_DIR; }

void write_file(const fs::path& dir, std::string_view name, std::string_view text)
{
  std::ofstream out(dir / std::string(name), std::ios::binary);
  out << text;
}

std::string read_file(const fs::path& file)
{
  std::ifstream in(file, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string crlf_lines(std::initializer_list<std::string_view> lines)
{
  std::string out;
  for (auto l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

void install_fixture(const fs::path& dir, std::string_view joken_fixture)
{
  for (const char* name : {"X_SPCTL.dat", "ICRUSoft.dat", "Att_Coeff2020.dat"})
    fs::copy_file(fixture_dir() / name, dir / name, fs::copy_options::overwrite_existing);
  fs::copy_file(fixture_dir() / std::string(joken_fixture), dir / "joken.txt",
                fs::copy_options::overwrite_existing);
}

}  // namespace bsf::test
