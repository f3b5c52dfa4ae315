// What a run writes besides its console: ResultBSF.json with the factors'
// uncertainties, the live status EngineStatus.json, and the parallel mode
// with its command-line option; the uncertainty estimate against the spread
// of independent runs.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <set>
#include <sstream>
#include <unistd.h>

#include "driver.h"
#include "support.h"

namespace bsf {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::ScratchDir;

struct RunOutcome {
  int status;
  std::string out, err;
};

template <class Phantom>
RunOutcome run(const fs::path& dir, const RunOptions& options = {})
{
  std::ostringstream out, err;
  std::istringstream in("\n");
  EngineIo io{out, err, in, dir, [] { return ClockReading{9, 5, 7}; }};
  const int status = run_engine<Phantom>(io, options);
  return {status, out.str(), err.str()};
}

RunOutcome run_program(std::string_view program, const fs::path& dir, const RunOptions& options = {})
{
  if (program == "Teslund") return run<EllipticCylinder>(dir, options);
  if (program == "Mirabek") return run<Cylinder>(dir, options);
  return run<Racetrack>(dir, options);
}

json read_json(const fs::path& file) { return json::parse(test::read_file(file)); }

std::int64_t histories_of_fixture(std::int32_t history_count)
{
  const Spectrum s = read_spectrum(test::fixture_dir());
  std::int64_t n = 0;
  for (int k = kFirstSimulatedBin; k <= kEnergyBins; ++k)
    n += histories_in_bin(s.weight[static_cast<std::size_t>(k)], history_count);
  return n;
}

struct ProgramCase {
  const char* program;
  const char* joken;
  const char* phantom;
};

class ResultJson : public ::testing::TestWithParam<ProgramCase> {};

// Exactly the agreed keys; the factors are those of ResultBSF.txt; the
// uncertainties are small and positive; the counts are the run's.
TEST_P(ResultJson, HoldsTheFactorsTheirUncertaintiesAndTheRun)
{
  ScratchDir d;
  test::install_fixture(d.path(), GetParam().joken);
  ASSERT_EQ(run_program(GetParam().program, d.path()).status, kExitOk);
  const json j = read_json(d.path() / "ResultBSF.json");
  std::set<std::string> keys;
  for (const auto& [k, v] : j.items()) keys.insert(k);
  EXPECT_EQ(keys, (std::set<std::string>{"bsf_air_kerma", "bsf_soft_tissue", "bsf_skin", "u_air_kerma",
                                         "u_soft_tissue", "u_skin", "histories", "primary_scores", "threads",
                                         "seconds", "phantom"}));
  const std::string txt = test::read_file(d.path() / "ResultBSF.txt");
  const char* names[] = {"bsf_air_kerma", "bsf_soft_tissue", "bsf_skin"};
  for (int i = 0; i < 3; ++i) {
    const double v = j[names[i]].get<double>();
    char line[16];
    std::snprintf(line, sizeof line, "%7.4f\r\n", v);
    EXPECT_EQ(txt.substr(static_cast<std::size_t>(i) * 9, 9), line) << names[i];
  }
  for (const char* u : {"u_air_kerma", "u_soft_tissue", "u_skin"}) {
    EXPECT_GT(j[u].get<double>(), 0.0) << u;
    EXPECT_LT(j[u].get<double>(), 0.2) << u;
  }
  EXPECT_EQ(j["histories"].get<std::int64_t>(), histories_of_fixture(200000));
  EXPECT_GT(j["primary_scores"].get<std::int64_t>(), 0);
  EXPECT_LT(j["primary_scores"].get<std::int64_t>(), j["histories"].get<std::int64_t>());
  EXPECT_EQ(j["threads"].get<int>(), 1);
  EXPECT_GE(j["seconds"].get<double>(), 0.0);
  EXPECT_EQ(j["phantom"].get<std::string>(), GetParam().phantom);

  // The status ends finished, with this process and all its histories.
  const json st = read_json(d.path() / "EngineStatus.json");
  EXPECT_EQ(st["state"], "finished");
  EXPECT_EQ(st["exit_status"], 0);
  EXPECT_EQ(st["program"], GetParam().program);
  EXPECT_EQ(st["pid"].get<long>(), static_cast<long>(::getpid()));
  EXPECT_EQ(st["histories_done"], j["histories"]);
  EXPECT_EQ(st["histories_total"], j["histories"]);
  EXPECT_TRUE(st.contains("started") && st.contains("elapsed_seconds"));
}

INSTANTIATE_TEST_SUITE_P(Programs, ResultJson,
                         ::testing::Values(ProgramCase{"Korvane", "joken-korvane.txt", "racetrack"},
                                           ProgramCase{"Teslund", "joken-teslund.txt", "elliptic_cylinder"},
                                           ProgramCase{"Mirabek", "joken-mirabek.txt", "cylinder"}),
                         [](const auto& info) { return std::string(info.param.program); });

// A failure before the loop and a run without a result are recorded with
// their status and the engine's own message; an older result stays.
TEST(EngineStatus, RecordsFailuresWithTheirMessage)
{
  struct Case {
    std::function<void(const fs::path&)> damage;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {[](const fs::path& dir) { fs::remove(dir / "ICRUSoft.dat"); }, kExitInputError, "ICRUSoft.dat: file not found"},
      {[](const fs::path& dir) {
         test::write_file(dir, "joken.txt",
                          test::crlf_lines({"020.0", "020.0", "080.0", "020.0", "080.0", "100.0", "035.6", "043.2",
                                            "00000000100"}));
       },
       kExitNoResult, "No primary photon crossed the scoring disc"},
  };
  for (const Case& c : cases) {
    ScratchDir d;
    test::install_fixture(d.path(), "joken-korvane.txt");
    c.damage(d.path());
    EXPECT_EQ(run<Racetrack>(d.path()).status, c.status);
    const json st = read_json(d.path() / "EngineStatus.json");
    EXPECT_EQ(st["state"], "failed");
    EXPECT_EQ(st["exit_status"].get<int>(), c.status);
    EXPECT_NE(st["message"].get<std::string>().find(c.says), std::string::npos) << st.dump();
    EXPECT_FALSE(fs::exists(d.path() / "ResultBSF.json"));
  }
}

// While running the status is replaced at most once a second; the end is
// always written.
TEST(EngineStatus, RunningAtMostOnceASecondEndAlways)
{
  ScratchDir d;
  StatusFile status(d.path(), "Korvane", 2);
  status.running(0, 100);
  EXPECT_EQ(read_json(d.path() / "EngineStatus.json")["state"], "running");
  fs::remove(d.path() / "EngineStatus.json");
  status.running(50, 100);
  EXPECT_FALSE(fs::exists(d.path() / "EngineStatus.json"));
  status.finished(100, 100);
  const json st = read_json(d.path() / "EngineStatus.json");
  EXPECT_EQ(st["state"], "finished");
  EXPECT_EQ(st["histories_done"], 100);
  EXPECT_EQ(st["threads"], 2);
  status.failed(3, "a \"quoted\"\nmessage", 100, 100);
  EXPECT_EQ(read_json(d.path() / "EngineStatus.json")["message"], "a \"quoted\"\nmessage");
}

TEST(RunOptions, CommandLine)
{
  struct Case {
    std::vector<const char*> argv;
    bool parallel;
    int threads;  // -1: all cores
    const char* error;
  };
  const Case cases[] = {
      {{"Korvane"}, false, 1, nullptr},
      {{"Korvane", "--threads", "2"}, true, 2, nullptr},
      {{"Korvane", "--threads", "1"}, true, 1, nullptr},
      {{"Korvane", "--threads", "0"}, true, -1, nullptr},
      {{"Korvane", "--threads", "-1"}, false, 1, "--threads -1"},
      {{"Korvane", "--threads", "two"}, false, 1, "--threads two"},
      {{"Korvane", "--threads"}, false, 1, "unknown argument \"--threads\""},
      {{"Korvane", "--fast"}, false, 1, "unknown argument \"--fast\""},
  };
  for (const Case& c : cases) {
    const RunOptions o = parse_options(static_cast<int>(c.argv.size()), c.argv.data());
    if (c.error) {
      EXPECT_NE(o.error.find(c.error), std::string::npos) << o.error;
      continue;
    }
    EXPECT_EQ(o.error, "");
    EXPECT_EQ(o.parallel, c.parallel);
    if (c.threads > 0) EXPECT_EQ(o.threads, c.threads);
    else EXPECT_GE(o.threads, 1);
  }
  // A refused argument stops before anything is read, as a failure.
  ScratchDir d;
  test::install_fixture(d.path(), "joken-korvane.txt");
  const RunOutcome r = run<Racetrack>(d.path(), parse_options(2, std::vector<const char*>{"Korvane", "--fast"}.data()));
  EXPECT_EQ(r.status, kExitInputError);
  EXPECT_NE(r.err.find("unknown argument"), std::string::npos);
  EXPECT_EQ(read_json(d.path() / "EngineStatus.json")["state"], "failed");
}

// The parallel mode: its result depends on the work units, never on the
// threads; it differs from the serial run only statistically.
TEST(ParallelMode, SameBytesOnOneAndTwoThreadsAndCloseToTheSerialRun)
{
  std::map<int, std::pair<std::string, json>> results;
  std::string console;
  for (int threads : {1, 2}) {
    ScratchDir d;
    test::install_fixture(d.path(), "joken-korvane.txt");
    const RunOutcome r = run<Racetrack>(d.path(), RunOptions{true, threads, {}});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    results[threads] = {test::read_file(d.path() / "ResultBSF.txt"), read_json(d.path() / "ResultBSF.json")};
    if (threads == 2) console = r.out;
  }
  EXPECT_EQ(results[1].first, results[2].first);
  json a = results[1].second, b = results[2].second;
  EXPECT_EQ(a["threads"], 1);
  EXPECT_EQ(b["threads"], 2);
  for (json* j : {&a, &b}) {
    j->erase("threads");
    j->erase("seconds");
  }
  EXPECT_EQ(a.dump(), b.dump());
  EXPECT_NE(console.find(" Parallel run: 2 threads, 64 work units"), std::string::npos);
  EXPECT_NE(console.find("   64 /  64 work units\r\n"), std::string::npos);

  ScratchDir d;
  test::install_fixture(d.path(), "joken-korvane.txt");
  const RunOutcome serial = run<Racetrack>(d.path());
  EXPECT_EQ(serial.out.find("Parallel"), std::string::npos);
  const json s = read_json(d.path() / "ResultBSF.json");
  EXPECT_EQ(s["histories"], a["histories"]);
  EXPECT_NE(test::read_file(d.path() / "ResultBSF.txt"), results[1].first);
  for (const char* k : {"air_kerma", "soft_tissue", "skin"}) {
    const double diff = s[std::string("bsf_") + k].get<double>() - a[std::string("bsf_") + k].get<double>();
    const double u = std::hypot(s[std::string("u_") + k].get<double>(), a[std::string("u_") + k].get<double>());
    EXPECT_LT(std::fabs(diff), 4.0 * u) << k;
  }
}

// Work units: every history of the serial run, each exactly once, in bin
// order, in shares that differ by at most one history.
TEST(ParallelMode, UnitsShareOutEveryHistoryOnce)
{
  const Spectrum s = read_spectrum(test::fixture_dir());
  const std::vector<UnitPlan> plans = plan_units(s, 200000);
  ASSERT_EQ(plans.size(), static_cast<std::size_t>(kWorkUnits));
  std::map<int, std::int64_t> per_bin;
  std::int64_t smallest = INT64_MAX, largest = 0;
  int last_bin = 0;
  for (const UnitPlan& p : plans) {
    std::int64_t n = 0;
    for (const auto& [bin, count] : p) {
      EXPECT_GE(bin, last_bin);
      last_bin = bin;
      per_bin[bin] += count;
      n += count;
    }
    smallest = std::min(smallest, n);
    largest = std::max(largest, n);
  }
  EXPECT_LE(largest - smallest, 1);
  for (int k = kFirstSimulatedBin; k <= kEnergyBins; ++k) {
    const std::int32_t n = histories_in_bin(s.weight[static_cast<std::size_t>(k)], 200000);
    EXPECT_EQ(per_bin[k], n > 0 ? n : 0) << "bin " << k;
  }
}

// The uncertainty estimate of one run against the spread of independent
// runs (streams of the generator far apart), and its fall as 1/sqrt(N).
// A small field puts a third of the source points on the scoring disc, so
// that the primary sum is well determined at these history numbers.
TEST(Uncertainty, MatchesTheSpreadOfIndependentRunsAndFallsAsOneOverRootN)
{
  const SoftTissueData tissue = read_soft_tissue(test::fixture_dir());
  const AbsorptionTable absorption = read_absorption(test::fixture_dir());
  const Spectrum spectrum = read_spectrum(test::fixture_dir());
  RunConditions rc;
  rc.RacetrackA = rc.RacetrackB = 20.0f;
  rc.RacetrackLength = 80.0f;
  rc.ObjectThickness = 20.0f;
  rc.FocusSurfaceDistance = 80.0f;
  rc.FocusReceptorDistance = 100.0f;
  rc.FieldShort = rc.FieldLong = 2.0f;
  const Racetrack phantom(rc);
  const SourceSetup source = make_source(rc, phantom);
  auto one_run = [&](const LaggedFibonacci& stream, std::int32_t histories) {
    TabulatedLaggedFibonacci rng(stream);
    HistoryLoop<Racetrack, FastPath> loop(phantom, source, tissue, absorption, rng);
    loop.run(spectrum, histories);
    return std::pair{backscatter_factors(loop.tallies()), factor_uncertainties(loop.tallies(), loop.moments())};
  };

  constexpr int kRuns = 24;
  const std::vector<LaggedFibonacci> streams = unit_streams(kRuns);
  std::array<std::vector<double>, 3> values;
  std::array<double, 3> mean_u2{};
  for (const LaggedFibonacci& stream : streams) {
    const auto [f, u] = one_run(stream, 40000);
    const double fv[3] = {f.air, f.soft_tissue, f.skin}, uv[3] = {u.air, u.soft_tissue, u.skin};
    for (int m = 0; m < 3; ++m) {
      values[m].push_back(fv[m]);
      mean_u2[m] += uv[m] * uv[m] / kRuns;
    }
  }
  // Each run's estimate of the variance is unbiased, so their mean is set
  // against the spread. (A single run's estimate scatters widely at these
  // history numbers: a backscattered photon that crosses the entrance plane
  // at a grazing angle scores with the large weight 1/|cos theta|.)
  for (int m = 0; m < 3; ++m) {
    double mean = 0.0, var = 0.0;
    for (double v : values[m]) mean += v / kRuns;
    for (double v : values[m]) var += (v - mean) * (v - mean) / (kRuns - 1);
    const double ratio = std::sqrt(var / mean_u2[m]);
    std::printf("medium %d: spread of %d runs %.5f, rms estimate %.5f, ratio %.3f\n", m, kRuns, std::sqrt(var),
                std::sqrt(mean_u2[m]), ratio);
    // 24 runs know their spread to about 15 %.
    EXPECT_GT(ratio, 0.7) << "medium " << m;
    EXPECT_LT(ratio, 1.35) << "medium " << m;
  }

  const auto [f1, u1] = one_run(streams[0], 40000);
  const auto [f4, u4] = one_run(streams[0], 160000);
  for (const auto& [a, b] : {std::pair{u1.air, u4.air}, {u1.soft_tissue, u4.soft_tissue}, {u1.skin, u4.skin}}) {
    std::printf("u(4N) / u(N) = %.4f\n", b / a);
    EXPECT_NEAR(b / a, 0.5, 0.06);
  }
}

}  // namespace
}  // namespace bsf
