// Where the programs find their data files and the engines, and where the
// desktop front end works. A build keeps everything side by side in
// build/bin; an installed system has the programs in <prefix>/bin and the
// data read-only in <prefix>/share/orbisan, so the front end works in a
// per-user folder that it fills with the installed data files.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace bsf {

// The data files the calculations and the engines read.
const std::vector<std::string>& installed_data_files();

// The folder of the running program.
std::filesystem::path program_dir();

// The installed data folder of a program in <prefix>/bin:
// <prefix>/share/orbisan.
std::filesystem::path shared_data_dir(const std::filesystem::path& program_dir);

// Whether `dir` holds the data files (the attenuation coefficients stand
// for all; a missing other one is named when it is read).
bool holds_data_files(const std::filesystem::path& dir);

// The data folder of the command line: the current directory when it holds
// the data files, else the program's own folder, else the installed share
// folder; the current directory when none does (the load then names the
// missing file there).
std::filesystem::path find_data_dir(const std::filesystem::path& current, const std::filesystem::path& program_dir);

// Brings the data files of `work` up to date with those of `from`: each one
// that is missing or differs in its bytes is copied, whole or not at all.
// Files of other names (the exchange files, the logs) are left alone.
// Returns the names copied. Throws DataFileError naming the file.
std::vector<std::string> refresh_data_files(const std::filesystem::path& from, const std::filesystem::path& work);

// Where the desktop front end works and where it starts the engines from.
struct Workplace {
  std::filesystem::path work_dir;    // the data and exchange files; the engines' working directory
  std::filesystem::path engine_dir;  // the engine programs
  bool per_user = false;             // an installed program's per-user folder
};

// The current directory when it holds the data files (a build's bin
// folder, or any folder the user keeps them in), else the program's own
// folder when it holds them and can be written; else the per-user folder
// `per_user_dir`, created and filled from the installed share folder. The
// engines are taken from the working folder when they are there, else from
// the program's folder. Throws WorkplaceError when no folder holds the data
// files or the per-user folder cannot be created, DataFileError naming the
// file when one cannot be copied.
struct WorkplaceError : std::runtime_error {
  WorkplaceError(const std::string& english, std::string japanese)
      : std::runtime_error(english), japanese(std::move(japanese))
  {
  }
  std::string japanese;  // the same, for the Japanese windows
};

Workplace choose_workplace(const std::filesystem::path& current, const std::filesystem::path& program_dir,
                           const std::filesystem::path& per_user_dir);

}  // namespace bsf
