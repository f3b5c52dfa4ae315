// The three built programs, run as a user runs them: in a working directory
// holding the four input files, with standard input from /dev/null. Their
// console output is compared byte for byte with a recorded transcript, the
// clock lines masked. Set BSF_UPDATE_GOLDEN=1 to record the transcripts anew
// (and review the difference before committing it).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sys/wait.h>

#include "support.h"

namespace bsf {
namespace {

namespace fs = std::filesystem;

struct ProgramCase {
  const char* program;
  const char* joken;
};

struct ProgramRun {
  int status;
  std::string out;
};

ProgramRun run_program(const fs::path& dir, const std::string& program)
{
  const std::string cmd = "cd '" + dir.string() + "' && '" + std::string(ENGINE_BIN_DIR) + "/" +
                          program + "' </dev/null 2>stderr.txt";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return {-1, {}};
  std::string out;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int raw = pclose(p);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

std::string mask_clock(const std::string& s)
{
  static const std::regex clock("(Start|Finish) time =[ 0-9]{2}:[ 0-9]{2}:[ 0-9]{2}");
  return std::regex_replace(s, clock, "$1 time =hh:mm:ss");
}

class ProgramTranscript : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(ProgramTranscript, MatchesRecordedTranscript)
{
  test::ScratchDir d;
  test::install_fixture(d.path(), GetParam().joken);
  const ProgramRun r = run_program(d.path(), GetParam().program);
  ASSERT_EQ(r.status, 0) << test::read_file(d.path() / "stderr.txt");
  const std::string got = mask_clock(r.out);
  const fs::path golden = fs::path(ENGINE_GOLDEN_DIR) / (std::string(GetParam().program) + ".txt");
  if (std::getenv("BSF_UPDATE_GOLDEN")) {
    test::write_file(golden.parent_path(), golden.filename().string(), got);
    test::write_file(golden.parent_path(), std::string(GetParam().program) + "-ResultBSF.txt",
                     test::read_file(d.path() / "ResultBSF.txt"));
  }
  EXPECT_EQ(got, test::read_file(golden));
  EXPECT_EQ(test::read_file(d.path() / "ResultBSF.txt"),
            test::read_file(fs::path(ENGINE_GOLDEN_DIR) / (std::string(GetParam().program) + "-ResultBSF.txt")));
}

TEST_P(ProgramTranscript, FailsWithoutDataAndWithoutWaiting)
{
  test::ScratchDir d;
  test::install_fixture(d.path(), GetParam().joken);
  fs::remove(d.path() / "ICRUSoft.dat");
  const ProgramRun r = run_program(d.path(), GetParam().program);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(test::read_file(d.path() / "stderr.txt").find("ICRUSoft.dat"), std::string::npos);
  EXPECT_FALSE(fs::exists(d.path() / "ResultBSF.txt"));
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramTranscript,
                         ::testing::Values(ProgramCase{"Korvane", "joken-korvane.txt"},
                                           ProgramCase{"Teslund", "joken-teslund.txt"},
                                           ProgramCase{"Mirabek", "joken-mirabek.txt"}),
                         [](const auto& info) { return std::string(info.param.program); });

}  // namespace
}  // namespace bsf
