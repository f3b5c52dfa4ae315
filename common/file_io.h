// File operations that the engines and the front ends share: finding a file
// whatever the letter case of its name, and replacing a file so that a
// reader never sees half of it.
//
// The exchange and data files travel between systems that do not agree on
// letter case (a front end may write "Att_coeff2020.dat" where an engine
// asks for "Att_Coeff2020.dat"), so every program looks its files up
// without regard to case. Files that another program reads while they may
// be rewritten (joken.txt, X_SPCTL.dat, the results, the run's status) are
// replaced whole, through a temporary beside them and a rename.
//
// Nothing here knows the programs' messages: a failed write is reported as
// the step that failed and the system's error number, and each program
// words it in its own language and error type.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace bsf {

// `name` in `dir` without regard to letter case: the exact name wins, else
// the first directory entry whose name equals `name` ignoring ASCII case.
// Only regular files (or links to them) count. Nothing when there is none
// or the directory cannot be read.
std::optional<std::filesystem::path> find_file_nocase(const std::filesystem::path& dir, std::string_view name);

// As find_file_nocase, but `dir / name` when there is no match, so that a
// reader's error names the file it expected and a writer creates it.
std::filesystem::path resolve_nocase(const std::filesystem::path& dir, std::string_view name);

// Whether a replaced file is flushed to the disk before it takes the old
// one's place. Skip it only for a file rewritten every second or so (a
// run's live status), where the cost would be paid all the time and a
// file lost in a power cut is written again a second later.
enum class FileSync {
  ToDisk,
  Skip,
};

// Why a replacement failed: the step and errno at the call that failed.
struct WriteFailure {
  enum class Step {
    CreateTemporary,  // no temporary could be made beside the target
    Write,            // writing, flushing or closing the temporary
    Replace,          // renaming the temporary over the target
  };
  Step step;
  int os_error;
  std::filesystem::path target;  // the file that was to be replaced
};

// Replaces `target` with `text`: a temporary of a unique name (the target's
// name and six letters or digits) in the same directory, written, given the
// mode of an ordinary new file (0666 less the umask), flushed to the disk
// unless `sync` says otherwise, and renamed over the target. A reader sees
// the old file or the whole new one; on failure the old file is left as it
// was and no temporary stays behind. Nothing on success.
[[nodiscard]] std::optional<WriteFailure> write_file_atomically(const std::filesystem::path& target,
                                                                std::string_view text,
                                                                FileSync sync = FileSync::ToDisk);

// As write_file_atomically for the file `name` in `dir` found without regard
// to letter case (an existing "JOKEN.TXT" is the one replaced for
// "joken.txt"). The temporary is named after `name` as given, so that a
// program can recognise its own leftovers whatever the target's case.
[[nodiscard]] std::optional<WriteFailure> replace_file_nocase(const std::filesystem::path& dir, std::string_view name,
                                                              std::string_view text, FileSync sync = FileSync::ToDisk);

}  // namespace bsf
