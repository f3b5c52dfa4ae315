// Following an engine run through its log: what the wrapper's lines and the
// engine's own lines say, and the state of a run from them.
#include <gtest/gtest.h>

#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

#include "engine_run.h"

namespace bsf::ui {
namespace {

namespace fs = std::filesystem;

struct LogCase {
  const char* name;
  const char* text;
  bool started;
  long pid;
  bool loop_done;
  bool ended;
  int status;
  std::vector<std::string> message;
};

class ParseRunLog : public ::testing::TestWithParam<LogCase> {};

TEST_P(ParseRunLog, MarkersAndTheEnginesMessage)
{
  const LogCase& c = GetParam();
  const RunLog log = parse_run_log(c.text, "Korvane");
  EXPECT_EQ(log.started, c.started);
  EXPECT_EQ(log.pid, c.pid);
  EXPECT_EQ(log.loop_done, c.loop_done);
  EXPECT_EQ(log.ended, c.ended);
  EXPECT_EQ(log.exit_status, c.status);
  EXPECT_EQ(log.engine_message, c.message);
}

const char* kHeader = "Korvane started 2026-12-08T11:43:42 in /work\n";

INSTANTIATE_TEST_SUITE_P(
    Logs, ParseRunLog,
    ::testing::Values(
        LogCase{"HeaderOnly", kHeader, false, 0, false, false, -1, {}},
        LogCase{"Started", "Korvane started x\nKorvane is process 4242\n Monte Carlo\r\n", true, 4242, false, false, -1, {}},
        LogCase{"RefusedConditions",
                "Korvane started x\nKorvane is process 7\n Thickness = 20.0 [cm]\r\n"
                " Error: joken.txt, line 3: cannot read \"x\"\r\n"
                " The calculation was not started; no result file was written.\r\n"
                "Korvane ended with exit status 1\n",
                true, 7, false, true, 1,
                {" Error: joken.txt, line 3: cannot read \"x\"",
                 " The calculation was not started; no result file was written."}},
        LogCase{"NoPrimaryWaitingForEnter",
                "Korvane started x\nKorvane is process 7\n Start time =10:00:00\r\n Finish time =10:01:00\r\n\r\n"
                " No primary photon crossed the scoring disc.\r\n No result file was written.\r\n\r\n"
                "  --- Calculation finished ---\r\n  ---    Hit Enter key     ---\r\n",
                true, 7, true, false, -1,
                {" No primary photon crossed the scoring disc.", " No result file was written."}},
        LogCase{"FinishedCleanly",
                "Korvane started x\nKorvane is process 9\n Finish time =10:01:00\r\n\r\n"
                "  --- Calculation finished ---\r\nStop - Program terminated.\r\nKorvane ended with exit status 0\n",
                true, 9, true, true, 0, {}},
        LogCase{"KilledWithoutMessage", "Korvane started x\nKorvane is process 9\n 12 / 300\nKorvane ended with exit status 137\n",
                true, 9, false, true, 137, {}},
        // Lines that only look like markers: another engine's, a number
        // with something after it.
        LogCase{"NotOurMarkers",
                "Korvane started x\nTeslund is process 5\nKorvane is process 12x\nKorvane ended with exit status\n",
                false, 0, false, false, -1, {}},
        LogCase{"LongErrorIsCut",
                "Korvane started x\nKorvane is process 1\n Error: 1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n"
                "Korvane ended with exit status 1\n",
                true, 1, false, true, 1, {" Error: 1", "2", "3", "4", "5", "6", "7", "8"}}),
    [](const auto& info) { return std::string(info.param.name); });

class RunStatusTest : public ::testing::Test {
 protected:
  void SetUp() override
  {
    dir_ = fs::temp_directory_path() / ("engine-run-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  EngineRun run_with(const std::string& text, std::chrono::seconds ago)
  {
    const fs::path log = run_log_path(dir_, "Korvane");
    std::ofstream(log, std::ios::binary) << text;
    return EngineRun{"Korvane", log, fs::last_write_time(log), std::chrono::steady_clock::now() - ago};
  }

  fs::path dir_;
};

TEST_F(RunStatusTest, StatesFromTheLogAndTheProcess)
{
  using S = RunStatus::State;
  const auto now = std::chrono::steady_clock::now();
  // Waiting for its terminal to start it.
  EXPECT_EQ(run_status(run_with(kHeader, std::chrono::seconds(1)), now).state, S::Running);
  // Never started.
  const RunStatus never = run_status(run_with(kHeader, kStartGrace + std::chrono::seconds(1)), now);
  EXPECT_EQ(never.state, S::Stopped);
  EXPECT_NE(never.reason.find("起動しませんでした"), std::string::npos);
  // Its process is gone without an end line: the window was closed.
  const RunStatus gone =
      run_status(run_with(std::string(kHeader) + "Korvane is process 999999999\n", std::chrono::seconds(1)), now);
  EXPECT_EQ(gone.state, S::Stopped);
  EXPECT_EQ(gone.exit_status, -1);
  // Ended.
  EXPECT_EQ(run_status(run_with(std::string(kHeader) + "Korvane is process 1\nKorvane ended with exit status 0\n",
                                std::chrono::seconds(1)),
                       now)
                .state,
            S::Finished);
  const RunStatus refused = run_status(
      run_with(std::string(kHeader) + "Korvane is process 1\n Error: x\nKorvane ended with exit status 1\n",
               std::chrono::seconds(1)),
      now);
  EXPECT_EQ(refused.state, S::Stopped);
  EXPECT_EQ(refused.exit_status, 1);
  EXPECT_EQ(refused.engine_message, std::vector<std::string>{" Error: x"});
  // The log deleted under a run that has not written to it.
  EngineRun deleted = run_with(kHeader, kStartGrace + std::chrono::seconds(1));
  fs::remove(deleted.log);
  EXPECT_EQ(run_status(deleted, now).state, S::Stopped);
}

TEST_F(RunStatusTest, ResultNewerThanTheRunsStart)
{
  const EngineRun run = run_with(kHeader, std::chrono::seconds(0));
  std::ofstream(dir_ / "resultbsf.TXT") << " 1.2\r\n";
  fs::last_write_time(dir_ / "resultbsf.TXT", run.start - std::chrono::seconds(1));
  EXPECT_FALSE(result_newer_than(dir_, run.start));
  fs::last_write_time(dir_ / "resultbsf.TXT", run.start);
  EXPECT_TRUE(result_newer_than(dir_, run.start));
  fs::remove(dir_ / "resultbsf.TXT");
  EXPECT_FALSE(result_newer_than(dir_, run.start));
}

// A process that has ended but is not reaped yet (a detached process
// whose new parent is slow to reap) no longer runs.
TEST(ProcessRunning, ZombiesAndMissingProcessesDoNotRun)
{
  EXPECT_TRUE(process_running(::getpid()));
  EXPECT_FALSE(process_running(999999999));
  EXPECT_FALSE(process_running(0));
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  ::usleep(200000);  // ended, not yet waited for: a zombie
  EXPECT_FALSE(process_running(child));
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_FALSE(process_running(child));
}

}  // namespace
}  // namespace bsf::ui
