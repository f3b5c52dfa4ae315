// Finding files whatever the letter case of their names, and replacing them
// whole: what the engines and the front ends share.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_io.h"
#include "support.h"

namespace bsf {
namespace {

namespace fs = std::filesystem;
using test::ScratchDir;

std::vector<std::string> names_in(const fs::path& dir)
{
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// ---------------------------------------------------------------------------
// find_file_nocase, resolve_nocase

TEST(FindFileNocase, ExactMatchCaseFallbackAndMissing)
{
  ScratchDir dir;
  test::write_file(dir.path(), "resultBSF.txt", "x");
  test::write_file(dir.path(), "DATA.txt", "upper");
  test::write_file(dir.path(), "data.txt", "lower");
  test::write_file(dir.path(), "joken.txt.bak", "x");
  fs::create_directory(dir.path() / "X_SPCTL.DAT");  // a folder is not the file

  struct Case {
    const char* asked;
    const char* found;  // nullptr: not found
  };
  const Case cases[] = {
      // Case-insensitive fallback.
      {"ResultBSF.txt", "resultBSF.txt"},
      {"RESULTBSF.TXT", "resultBSF.txt"},
      {"resultBSF.txt", "resultBSF.txt"},
      // Where both spellings exist the exact one wins.
      {"data.txt", "data.txt"},
      {"DATA.txt", "DATA.txt"},
      // Missing, only a longer name that starts the same, or only a folder.
      {"joken.txt", nullptr},
      {"resultBSF.tx", nullptr},
      {"X_SPCTL.dat", nullptr},
  };
  for (const Case& c : cases) {
    const auto found = find_file_nocase(dir.path(), c.asked);
    const fs::path resolved = resolve_nocase(dir.path(), c.asked);
    if (c.found == nullptr) {
      EXPECT_FALSE(found.has_value()) << c.asked << " -> " << found->string();
      EXPECT_EQ(resolved, dir.path() / c.asked) << "the name asked for, for the error message";
    } else {
      ASSERT_TRUE(found.has_value()) << c.asked;
      EXPECT_EQ(found->filename().string(), c.found) << c.asked;
      EXPECT_EQ(found->parent_path(), dir.path());
      EXPECT_EQ(resolved, *found);
    }
  }
}

TEST(FindFileNocase, MissingDirectoryIsNotFound)
{
  ScratchDir dir;
  EXPECT_FALSE(find_file_nocase(dir.path() / "absent", "joken.txt").has_value());
  EXPECT_EQ(resolve_nocase(dir.path() / "absent", "joken.txt"), dir.path() / "absent" / "joken.txt");
}

// ---------------------------------------------------------------------------
// write_file_atomically, replace_file_nocase

class Replaced : public ::testing::TestWithParam<FileSync> {};

TEST_P(Replaced, WholeWithNothingElseLeft)
{
  ScratchDir dir;
  test::write_file(dir.path(), "X_SPCTL.dat", std::string(10000, 'x'));
  const std::string text = "0000.5, 0.00000\r\n0001.0, 0.12346\r\n";
  EXPECT_FALSE(write_file_atomically(dir.path() / "X_SPCTL.dat", text, GetParam()));
  EXPECT_EQ(test::read_file(dir.path() / "X_SPCTL.dat"), text);
  EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"X_SPCTL.dat"});

  // A new file, and an empty text.
  EXPECT_FALSE(write_file_atomically(dir.path() / "EngineStatus.json", "", GetParam()));
  EXPECT_EQ(test::read_file(dir.path() / "EngineStatus.json"), "");
  EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"EngineStatus.json", "X_SPCTL.dat"}));
}

// The file whose name differs only in letter case is the one replaced, and
// it keeps its name.
TEST_P(Replaced, TheFileOfAnyLetterCase)
{
  ScratchDir dir;
  test::write_file(dir.path(), "JOKEN.TXT", "old");
  EXPECT_FALSE(replace_file_nocase(dir.path(), "joken.txt", "020.0\r\n", GetParam()));
  EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"JOKEN.TXT"});
  EXPECT_EQ(test::read_file(dir.path() / "JOKEN.TXT"), "020.0\r\n");

  // Without one, the name as asked.
  EXPECT_FALSE(replace_file_nocase(dir.path(), "ResultBSF.txt", " 1.3521\r\n", GetParam()));
  EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"JOKEN.TXT", "ResultBSF.txt"}));
}

INSTANTIATE_TEST_SUITE_P(Sync, Replaced, ::testing::Values(FileSync::ToDisk, FileSync::Skip),
                         [](const auto& info) { return info.param == FileSync::ToDisk ? "ToDisk" : "Skip"; });

// An ordinary file's mode, 0666 less the umask, not the owner-only mode of
// a temporary.
TEST(ReplacedFile, HasTheModeOfAnOrdinaryFile)
{
  struct Case {
    mode_t umask;
    mode_t mode;
  };
  const Case cases[] = {{022, 0644}, {002, 0664}, {077, 0600}, {0, 0666}, {027, 0640}};
  ScratchDir dir;
  for (const Case& c : cases) {
    const mode_t before = ::umask(c.umask);
    const auto failure = write_file_atomically(dir.path() / "ResultBSF.json", "{}\n");
    ::umask(before);
    ASSERT_FALSE(failure);
    struct stat st {};
    ASSERT_EQ(::stat((dir.path() / "ResultBSF.json").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.mode) << "umask " << std::oct << c.umask;
  }
}

// What a failure reports, and that it leaves the old file as it was and no
// temporary behind.
struct FailureCase {
  const char* name;
  // Prepares the scratch directory; returns the folder to write into.
  std::function<fs::path(const fs::path&)> setup;
  WriteFailure::Step step;
  int os_error;
  bool needs_non_root = false;
  rlim_t file_size_limit = 0;  // bytes a file may hold while writing; 0: no limit
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

// Holds writes to `limit` bytes per file while it lives: a full disk for
// one file, without filling one.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit)
  {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);  // write() then fails with EFBIG
    rlimit r = saved_;
    r.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &r);
  }
  ~FileSizeLimit()
  {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, old_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*old_handler_)(int);
};

class WriteFails : public ::testing::TestWithParam<FailureCase> {};

TEST_P(WriteFails, ReportsTheStepAndTheReasonAndLeavesNothingBehind)
{
  const FailureCase& c = GetParam();
  if (c.needs_non_root && ::geteuid() == 0) GTEST_SKIP() << "root writes into any folder";
  ScratchDir scratch;
  const fs::path dir = c.setup(scratch.path());
  const auto before = fs::exists(dir) ? names_in(dir) : std::vector<std::string>{};
  const std::string old = fs::is_regular_file(dir / "X_SPCTL.dat") ? test::read_file(dir / "X_SPCTL.dat") : "";

  std::optional<FileSizeLimit> limit;
  if (c.file_size_limit > 0) limit.emplace(c.file_size_limit);
  const auto failure = replace_file_nocase(dir, "X_SPCTL.dat", std::string(4096, 'y'));
  limit.reset();

  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->step, c.step);
  EXPECT_EQ(failure->os_error, c.os_error) << std::strerror(failure->os_error);
  EXPECT_EQ(failure->target.filename(), "X_SPCTL.dat");
  if (fs::exists(dir)) {
    EXPECT_EQ(names_in(dir), before) << "a temporary was left behind";
    if (fs::is_regular_file(dir / "X_SPCTL.dat")) {
      EXPECT_EQ(test::read_file(dir / "X_SPCTL.dat"), old);
    }
  }
  std::error_code ec;
  fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);  // for the clean-up
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriteFails,
    ::testing::Values(
        FailureCase{"FolderMissing", [](const fs::path& d) { return d / "absent"; },
                    WriteFailure::Step::CreateTemporary, ENOENT},
        FailureCase{"FolderNotWritable",
                    [](const fs::path& d) {
                      test::write_file(d, "X_SPCTL.dat", "old");
                      fs::permissions(d, fs::perms::owner_read | fs::perms::owner_exec);
                      return d;
                    },
                    WriteFailure::Step::CreateTemporary, EACCES, true},
        // A folder of the target's name cannot be replaced by a file.
        FailureCase{"TargetIsAFolder",
                    [](const fs::path& d) {
                      fs::create_directory(d / "X_SPCTL.dat");
                      test::write_file(d / "X_SPCTL.dat", "inside", "kept");
                      return d;
                    },
                    WriteFailure::Step::Replace, EISDIR},
        // Writing stops part way (as on a full disk): the old file stays.
        FailureCase{"WriteStopsPartWay",
                    [](const fs::path& d) {
                      test::write_file(d, "X_SPCTL.dat", "old");
                      return d;
                    },
                    WriteFailure::Step::Write, EFBIG, false, 100}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bsf
