#include "installation.h"

#include <fstream>
#include <optional>
#include <iterator>
#include <sstream>
#include <system_error>

#include <unistd.h>

#include "data_tables.h"
#include "free_format.h"
#include "joken_writer.h"

namespace bsf {

namespace fs = std::filesystem;

namespace {

// The bytes of a file; nothing when it cannot be read. A directory opens
// as a stream and reads as empty: it is no file.
std::optional<std::string> bytes_of(const fs::path& file)
{
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return s.str();
}

bool writable(const fs::path& dir) { return ::access(dir.c_str(), W_OK | X_OK) == 0; }

}  // namespace

const std::vector<std::string>& installed_data_files()
{
  static const std::vector<std::string> files = {"Att_Coeff2020.dat", "ICRUSoft.dat", "dBSF-AirDose-SoftPhantom.dat",
                                                 "dBSF-SkinDose-SoftPhantom.dat", "dBSF-SoftDose-SoftPhantom.dat"};
  return files;
}

fs::path program_dir()
{
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::current_path() : exe.parent_path();
}

fs::path shared_data_dir(const fs::path& program_dir)
{
  return (program_dir / ".." / "share" / "orbisan").lexically_normal();
}

bool holds_data_files(const fs::path& dir)
{
  std::error_code ec;
  return fs::is_regular_file(resolve_nocase(dir, installed_data_files().front()), ec);
}

fs::path find_data_dir(const fs::path& current, const fs::path& program_dir)
{
  for (const fs::path& dir : {current, program_dir, shared_data_dir(program_dir)})
    if (holds_data_files(dir)) return dir;
  return current;
}

std::vector<std::string> refresh_data_files(const fs::path& from, const fs::path& work)
{
  std::vector<std::string> copied;
  for (const std::string& name : installed_data_files()) {
    const fs::path source = resolve_nocase(from, name);
    const auto fresh = bytes_of(source);
    if (!fresh) throw DataFileError(DataFileError::Kind::CannotOpen, source, 0, "the installed data file cannot be read");
    if (bytes_of(resolve_nocase(work, name)) == fresh) continue;
    replace_file(work, name, *fresh);
    copied.push_back(name);
  }
  return copied;
}

Workplace choose_workplace(const fs::path& current, const fs::path& program_dir, const fs::path& per_user_dir)
{
  auto engines_for = [&](const fs::path& work) {
    std::error_code ec;
    return fs::exists(work / "Korvane", ec) ? work : program_dir;
  };
  if (holds_data_files(current)) return {current, engines_for(current), false};
  if (holds_data_files(program_dir) && writable(program_dir)) return {program_dir, program_dir, false};
  const fs::path shared = shared_data_dir(program_dir);
  if (!holds_data_files(shared)) {
    const std::string& first = installed_data_files().front();
    throw WorkplaceError("No data files (" + first + " and the others) in the current folder " + current.string() +
                             ", the program's folder " + program_dir.string() + " or the installed folder " +
                             shared.string() + ".",
                         "データファイル（" + first + " ほか）が、現在のフォルダ " + current.string() +
                             "、プログラムのフォルダ " + program_dir.string() + "、インストール先のフォルダ " +
                             shared.string() + " のどれにもありません。");
  }
  std::error_code ec;
  fs::create_directories(per_user_dir, ec);
  if (ec)
    throw WorkplaceError("The working folder " + per_user_dir.string() + " cannot be created: " + ec.message() + ".",
                         "作業フォルダ " + per_user_dir.string() + " を作れません: " +
                             japanese_os_reason(ec.value()) + "。");
  refresh_data_files(shared, per_user_dir);
  return {per_user_dir, program_dir, true};
}

}  // namespace bsf
