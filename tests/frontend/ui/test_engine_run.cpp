// Following an engine run through its log: what the wrapper's lines and the
// engine's own lines say, and the state of a run from them.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <fcntl.h>
#include <sys/file.h>
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
  bool given_up = false;
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
  EXPECT_EQ(log.given_up, c.given_up);
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
        LogCase{"GivenUp", "Korvane started x (run 1-2-3)\nKorvane start given up\n", false, 0, false, false, -1, {}, true},
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
    return EngineRun{"Korvane", log, std::nullopt, std::nullopt, std::nullopt, std::chrono::steady_clock::now() - ago};
  }

  fs::path dir_;
};

// The lock a wrapper holds on its log while it runs.
struct HeldLog {
  explicit HeldLog(const fs::path& log) : fd(::open(log.c_str(), O_WRONLY | O_APPEND)) { ::flock(fd, LOCK_EX); }
  ~HeldLog() { ::close(fd); }
  int fd;
};

TEST_F(RunStatusTest, StatesFromTheLogAndItsLock)
{
  using S = RunStatus::State;
  const auto now = std::chrono::steady_clock::now();
  const auto long_ago = kStartGrace + std::chrono::seconds(1);
  const std::string started = std::string(kHeader) + "Korvane is process 4242\n";
  // Waiting for its terminal to start it.
  EXPECT_EQ(run_status(run_with(kHeader, std::chrono::seconds(1)), now).state, S::Running);
  // Never started.
  const RunStatus never = run_status(run_with(kHeader, long_ago), now);
  EXPECT_EQ(never.state, S::Stopped);
  EXPECT_NE(never.reason.find("起動しませんでした"), std::string::npos);
  // Given up by the front end: not started, whatever the grace.
  EXPECT_EQ(run_status(run_with(std::string(kHeader) + "Korvane start given up\n", std::chrono::seconds(1)), now).state,
            S::Stopped);
  // A wrapper holds the log: running, with or without its process line yet.
  for (const std::string& text : {started, std::string(kHeader)}) {
    const EngineRun run = run_with(text, long_ago);
    const HeldLog held(run.log);
    EXPECT_EQ(run_status(run, now).state, S::Running) << text;
    EXPECT_EQ(run_in_progress(dir_), std::optional<std::string>("Korvane")) << text;
  }
  // Its wrapper is gone without an end line: the window was closed.
  const RunStatus gone = run_status(run_with(started, std::chrono::seconds(1)), now);
  EXPECT_EQ(gone.state, S::Stopped);
  EXPECT_EQ(gone.exit_status, -1);
  EXPECT_EQ(run_in_progress(dir_), std::nullopt);
  // Ended.
  EXPECT_EQ(run_status(run_with(started + "Korvane ended with exit status 0\n", std::chrono::seconds(1)), now).state,
            S::Finished);
  const RunStatus refused =
      run_status(run_with(started + " Error: x\n\nKorvane ended with exit status 1\n", std::chrono::seconds(1)), now);
  EXPECT_EQ(refused.state, S::Stopped);
  EXPECT_EQ(refused.exit_status, 1);
  EXPECT_EQ(refused.engine_message, std::vector<std::string>{" Error: x"});
  // Past its loop, waiting for Enter with its log still held: finished.
  {
    const EngineRun run = run_with(started + "  --- Calculation finished ---\r\n", long_ago);
    const HeldLog held(run.log);
    EXPECT_EQ(run_status(run, now).state, S::Finished);
    EXPECT_EQ(run_in_progress(dir_), std::nullopt);
  }
  // The log deleted under a run that has not written to it.
  EngineRun deleted = run_with(kHeader, long_ago);
  fs::remove(deleted.log);
  EXPECT_EQ(run_status(deleted, now).state, S::Stopped);
}

// A start is given up only while no wrapper holds the log; a wrapper that
// holds it has started, and the mark then stays out.
TEST_F(RunStatusTest, GivingUpAStartOnlyWhileNoWrapperHoldsTheLog)
{
  const EngineRun run = run_with(kHeader, std::chrono::seconds(0));
  {
    const HeldLog held(run.log);
    EXPECT_FALSE(give_up_start(run.log, "Korvane"));
  }
  std::ifstream in(run.log);
  EXPECT_FALSE(parse_run_log(std::string(std::istreambuf_iterator<char>(in), {}), "Korvane").given_up);
  EXPECT_TRUE(give_up_start(run.log, "Korvane"));
  std::ifstream again(run.log);
  EXPECT_TRUE(parse_run_log(std::string(std::istreambuf_iterator<char>(again), {}), "Korvane").given_up);
}

// A result is the run's when the file is another one than before the run,
// or the same one changed, whatever the clock's resolution.
TEST_F(RunStatusTest, ResultWrittenSinceTheRunStarted)
{
  const fs::path result = dir_ / "resultbsf.TXT";
  EXPECT_FALSE(written_since(dir_, kResultTxt, std::nullopt));  // none before, none now
  std::ofstream(result) << " 1.2\r\n";
  EXPECT_TRUE(written_since(dir_, kResultTxt, std::nullopt));
  const std::optional<FileStamp> before = stamp_of(dir_, kResultTxt);
  ASSERT_TRUE(before);
  EXPECT_FALSE(written_since(dir_, kResultTxt, before));
  // Replaced by a rename, as an engine writes it, with the very same time.
  const auto time = fs::last_write_time(result);
  std::ofstream(dir_ / "new.tmp") << " 1.3\r\n";
  fs::last_write_time(dir_ / "new.tmp", time);
  fs::rename(dir_ / "new.tmp", result);
  EXPECT_TRUE(written_since(dir_, kResultTxt, before));
  fs::remove(result);
  EXPECT_FALSE(written_since(dir_, kResultTxt, before));
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
