// A whole engine run in-process: the console lines, the result file, the
// Enter wait and the failures before the loop.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "driver.h"
#include "support.h"

namespace bsf {
namespace {

namespace fs = std::filesystem;
using test::ScratchDir;

struct RunOutput {
  int status;
  std::string out;
  std::string err;
  std::string input_left;  // what the run left unread on its input
};

template <class Phantom = Racetrack>
RunOutput run_in(const fs::path& dir, const std::string& input = "\n")
{
  std::ostringstream out, err;
  std::istringstream in(input);
  EngineIo io{out, err, in, dir, [] { return ClockReading{9, 5, 7}; }};
  const int status = run_engine<Phantom>(io);
  std::string rest((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return {status, out.str(), err.str(), rest};
}

bool contains(const std::string& s, std::string_view part) { return s.find(part) != std::string::npos; }

TEST(EngineRun, CompleteRunWritesResultAndWaitsForEnter)
{
  ScratchDir d;
  test::install_fixture(d.path(), "joken-korvane.txt");
  const RunOutput r = run_in(d.path(), "\nleft over\n");
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(contains(r.out, " Start time = 9: 5: 7\r\n"));
  EXPECT_TRUE(contains(r.out, " Finish time = 9: 5: 7\r\n"));
  EXPECT_TRUE(contains(r.out, " Field size = 43.2 \x81\x7E" "35.6 [cm2]\r\n"));
  EXPECT_TRUE(r.out.ends_with("  --- Calculation finished ---\r\n  ---    Hit Enter key     ---\r\n\r\n"
                              "Stop - Program terminated.\r\n"));
  EXPECT_EQ(r.input_left, "left over\n") << "exactly one line is read at the end";

  // The three factors, as printed and as written, " 1.xxxx" each.
  const std::string result = test::read_file(d.path() / "ResultBSF.txt");
  ASSERT_EQ(result.size(), 27u);
  for (int i = 0; i < 3; ++i) {
    const std::string line = result.substr(static_cast<std::size_t>(i) * 9, 9);
    EXPECT_EQ(line.substr(0, 3), " 1.");
    EXPECT_EQ(line.substr(7), "\r\n");
    const std::string value = line.substr(0, 7);
    EXPECT_TRUE(contains(r.out, "= " + value + "\r\n")) << value;
  }
  // No temporary file is left behind: the four inputs, the two results and
  // the status.
  int files = 0;
  for (const auto& e : fs::directory_iterator(d.path())) files += e.is_regular_file();
  EXPECT_EQ(files, 7);
}

TEST(EngineRun, StartTimeLineIsPrintedTwice)
{
  ScratchDir d;
  test::install_fixture(d.path(), "joken-mirabek.txt");
  int clock_calls = 0;
  std::ostringstream out, err;
  std::istringstream in("");
  EngineIo io{out, err, in, d.path(), [&] {
                return ++clock_calls == 1 ? ClockReading{23, 59, 58} : ClockReading{0, 0, 3};
              }};
  ASSERT_EQ(run_engine<Cylinder>(io), kExitOk);  // end of input counts as Enter
  const std::string s = out.str();
  const auto first = s.find(" Start time =23:59:58\r\n");
  ASSERT_NE(first, std::string::npos);
  const auto again = s.find(" Start time =23:59:58\r\n Finish time = 0: 0: 3\r\n");
  EXPECT_NE(again, std::string::npos);
  EXPECT_GT(again, first);
  EXPECT_EQ(clock_calls, 2);
}

TEST(EngineRun, SameInputGivesSameResultFile)
{
  ScratchDir a, b;
  test::install_fixture(a.path(), "joken-teslund.txt");
  test::install_fixture(b.path(), "joken-teslund.txt");
  const RunOutput ra = run_in<EllipticCylinder>(a.path());
  const RunOutput rb = run_in<EllipticCylinder>(b.path());
  EXPECT_EQ(ra.out, rb.out);
  EXPECT_EQ(test::read_file(a.path() / "ResultBSF.txt"), test::read_file(b.path() / "ResultBSF.txt"));
}

TEST(EngineRun, BlankLinesAndExtraValuesInConditionsChangeNothing)
{
  ScratchDir plain, odd;
  test::install_fixture(plain.path(), "joken-korvane.txt");
  test::install_fixture(odd.path(), "joken-korvane.txt");
  test::write_file(odd.path(), "joken.txt",
                   test::crlf_lines({"", "020.0 5", "  ", "20,0", "080.0", "020.0", "080.0", "100.0",
                                     "035.6", "", "043.2", "00000200000"}));
  const RunOutput a = run_in(plain.path());
  const RunOutput b = run_in(odd.path());
  ASSERT_EQ(b.status, kExitOk) << b.err;
  EXPECT_EQ(a.out, b.out);
  EXPECT_EQ(test::read_file(plain.path() / "ResultBSF.txt"), test::read_file(odd.path() / "ResultBSF.txt"));
}

TEST(EngineRun, ReplacesAResultFileOfAnyLetterCase)
{
  ScratchDir d;
  test::install_fixture(d.path(), "joken-korvane.txt");
  test::write_file(d.path(), "resultbsf.txt", "old\r\n");
  ASSERT_EQ(run_in(d.path()).status, kExitOk);
  EXPECT_FALSE(fs::exists(d.path() / "ResultBSF.txt"));
  EXPECT_NE(test::read_file(d.path() / "resultbsf.txt"), "old\r\n");
}

TEST(EngineRun, FindsDataFilesOfAnyLetterCase)
{
  ScratchDir d;
  test::install_fixture(d.path(), "joken-korvane.txt");
  fs::rename(d.path() / "Att_Coeff2020.dat", d.path() / "Att_coeff2020.dat");
  fs::rename(d.path() / "ICRUSoft.dat", d.path() / "icrusoft.DAT");
  EXPECT_EQ(run_in(d.path()).status, kExitOk);
}

// Failures before the loop: a message naming the file, the line and the
// text at fault; no result file (an older one survives); no Enter wait.
struct FailureCase {
  const char* name;
  std::function<void(const fs::path&)> damage;
  std::vector<std::string> message_parts;
  const char* program = "Korvane";  // the build that runs
};

class EngineFailure : public ::testing::TestWithParam<FailureCase> {};

RunOutput run_program(const std::string& program, const fs::path& dir, const std::string& input)
{
  if (program == "Teslund") return run_in<EllipticCylinder>(dir, input);
  if (program == "Mirabek") return run_in<Cylinder>(dir, input);
  return run_in<Racetrack>(dir, input);
}

std::string fixture_of(const std::string& program)
{
  return program == "Teslund" ? "joken-teslund.txt" : program == "Mirabek" ? "joken-mirabek.txt" : "joken-korvane.txt";
}

TEST_P(EngineFailure, StopsBeforeTheLoop)
{
  ScratchDir d;
  test::install_fixture(d.path(), fixture_of(GetParam().program));
  test::write_file(d.path(), "ResultBSF.txt", " 1.1111\r\n 1.2222\r\n 1.3333\r\n");
  GetParam().damage(d.path());
  const RunOutput r = run_program(GetParam().program, d.path(), "typed ahead\n");
  EXPECT_EQ(r.status, kExitInputError);
  for (const auto& part : GetParam().message_parts) EXPECT_TRUE(contains(r.err, part)) << r.err;
  EXPECT_FALSE(contains(r.out, "Monte Carlo Simulation >>>"));
  EXPECT_FALSE(contains(r.out, "Hit Enter"));
  EXPECT_EQ(r.input_left, "typed ahead\n") << "no Enter wait";
  EXPECT_EQ(test::read_file(d.path() / "ResultBSF.txt"), " 1.1111\r\n 1.2222\r\n 1.3333\r\n");
  EXPECT_FALSE(fs::exists(d.path() / "joken.txt") && GetParam().name == std::string("missing_joken"));
}

auto remove_file(const char* name)
{
  return [=](const fs::path& dir) { fs::remove(dir / name); };
}

auto replace_line(const char* file, int line, const char* text)
{
  return [=](const fs::path& dir) {
    std::istringstream in(test::read_file(dir / file));
    std::string out, l;
    for (int n = 1; std::getline(in, l); ++n) out += (n == line ? std::string(text) + "\r" : l) + "\n";
    test::write_file(dir, file, out);
  };
}

auto write_joken(std::initializer_list<std::string_view> lines)
{
  const std::string text = test::crlf_lines(lines);
  return [=](const fs::path& dir) { test::write_file(dir, "joken.txt", text); };
}

// Rewrites the lines `first` ... `last` of a file (1-based, counted by
// `rows_from_line_1` rows of a header count when `first` is negative: the
// scattering rows after the tissue rows of ICRUSoft.dat) with `edit`.
auto edit_lines(const char* file, std::function<bool(int line, int tissue_rows)> which,
                std::function<std::string(const std::string&)> edit)
{
  return [=](const fs::path& dir) {
    std::istringstream in(test::read_file(dir / file));
    std::string out, l;
    int rows = 0;
    for (int n = 1; std::getline(in, l); ++n) {
      if (!l.empty() && l.back() == '\r') l.pop_back();
      if (n == 1) rows = std::atoi(l.c_str());
      if (which(n, rows)) l = edit(l);
      out += l + "\r\n";
    }
    test::write_file(dir, file, out);
  };
}

bool scattering_row(int n, int rows) { return n > rows + 2 && n <= rows + 2 + 45; }
bool tissue_row(int n, int rows) { return n > 2 && n <= rows + 2; }

// Adds dq to the momentum transfer q of all 45 scattering-function rows,
// which follow the tissue rows in ICRUSoft.dat.
auto shift_momentum_transfer(float dq)
{
  return edit_lines("ICRUSoft.dat", scattering_row, [=](const std::string& l) {
    char q[16];
    std::snprintf(q, sizeof q, "%10.5f", std::stof(l.substr(0, 10)) + dq);
    return q + l.substr(10);
  });
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EngineFailure,
    ::testing::Values(
        FailureCase{"missing_joken", remove_file("joken.txt"), {"joken.txt", "not found"}},
        FailureCase{"missing_spectrum", remove_file("X_SPCTL.dat"), {"X_SPCTL.dat", "not found"}},
        FailureCase{"missing_tissue", remove_file("ICRUSoft.dat"), {"ICRUSoft.dat", "not found"}},
        FailureCase{"missing_absorption", remove_file("Att_Coeff2020.dat"), {"Att_Coeff2020.dat", "not found"}},
        FailureCase{"short_joken", write_joken({"020.0", "020.0", "080.0", "020.0"}),
                    {"joken.txt", "line 5", "ends before", "focus-surface distance"}},
        FailureCase{"unreadable_condition", replace_line("joken.txt", 3, "8O.0"),
                    {"joken.txt", "line 3", "\"8O.0\""}},
        FailureCase{"unreadable_history", replace_line("joken.txt", 9, "5.0E+07"),
                    {"joken.txt", "line 9", "5.0E+07"}},
        FailureCase{"unreadable_weight", replace_line("X_SPCTL.dat", 100, "0050.0, 0.0x123"),
                    {"X_SPCTL.dat", "line 100", "0.0x123", "columns 8-15"}},
        FailureCase{"short_spectrum", replace_line("X_SPCTL.dat", 300, ""),
                    {"X_SPCTL.dat", "line 300"}},
        FailureCase{"empty_spectrum",
                    [](const fs::path& dir) {
                      std::string s;
                      for (int i = 1; i <= 300; ++i) {
                        char b[32];
                        std::snprintf(b, sizeof b, "%06.1f, 0.00000\r\n", 0.5 * i);
                        s += b;
                      }
                      test::write_file(dir, "X_SPCTL.dat", s);
                    },
                    {"X_SPCTL.dat", "all 300 photon weights are 0"}},
        FailureCase{"tissue_row_count", replace_line("ICRUSoft.dat", 1, " 40"),
                    {"ICRUSoft.dat", "line 1", "40"}},
        FailureCase{"tissue_zero_coefficient",
                    replace_line("ICRUSoft.dat", 10, "  0.008003.3326E-010.0000E+001.0373E+01"),
                    {"ICRUSoft.dat", "line 10", "incoherent coefficient is 0"}},
        FailureCase{"tissue_truncated", replace_line("ICRUSoft.dat", 40, ""),
                    {"ICRUSoft.dat", "line 40", "blank"}},
        FailureCase{"absorption_not_rising",
                    replace_line("Att_Coeff2020.dat", 7,
                                 "     3.000   1.000000E+00   1.000000E+00   1.000000E+00   "
                                 "1.000000E+00   1.000000E+00   1.000000E+00"),
                    {"Att_Coeff2020.dat", "line 7", "does not rise"}},
        FailureCase{"zero_field", replace_line("joken.txt", 7, "000.0"),
                    {"joken.txt", "short-axis field size is 0"}},
        FailureCase{"negative_distance", replace_line("joken.txt", 5, "-80.0"),
                    {"joken.txt", "focus-surface distance is -80"}},
        FailureCase{"zero_length", replace_line("joken.txt", 3, "0"),
                    {"joken.txt", "racetrack length is 0"}},
        FailureCase{"no_histories", replace_line("joken.txt", 9, "00000000000"),
                    {"joken.txt", "history number is 0"}},
        // A racetrack 1 cm long under a field 34.56 cm long at the entrance
        // plane: 3 % of the source points reach it, each history would
        // redraw some 35 points.
        FailureCase{"source_mostly_misses_phantom", replace_line("joken.txt", 3, "001.0"),
                    {"joken.txt", "only 3.125 % of the rays from the focus", "28.48 x 34.56 cm", "at least 6.25 %"}},
        // Values that single precision cannot carry: a field that underflows
        // on the source grid, distances where the disc drifts out of the sums.
        FailureCase{"racetrack_too_short", replace_line("joken.txt", 3, "0.001"),
                    {"joken.txt", "racetrack length is 0.001 cm; it must lie between 1 and 500 cm"}},
        FailureCase{"field_underflows", replace_line("joken.txt", 7, "1e-30"),
                    {"short-axis field size is 1e-30 cm; it must lie between 0.1 and 200 cm"}},
        FailureCase{"field_5000_cm", replace_line("joken.txt", 8, "5000"), {"long-axis field size is 5000 cm"}},
        FailureCase{"focus_1e8_cm", replace_line("joken.txt", 5, "1e8"),
                    {"focus-surface distance is 1e+08 cm; it must lie between 10 and 1000 cm"}},
        FailureCase{"focus_1e_minus_40_cm", replace_line("joken.txt", 5, "1e-40"), {"focus-surface distance is"}},
        FailureCase{"receptor_1e30_cm", replace_line("joken.txt", 6, "1e30"), {"focus-receptor distance is 1e+30 cm"}},
        FailureCase{"thickness_0", replace_line("joken.txt", 4, "0"), {"object thickness is 0 cm"}},
        // A thin ellipse or cylinder far from the focus: the entry quadratic
        // would take rays that meet it for misses.
        FailureCase{"ellipse_too_thin", replace_line("joken.txt", 2, "0.02"),
                    {"vertical semi-axis b is 0.02 cm"}, "Teslund"},
        FailureCase{"ellipse_too_flat_for_the_focus",
                    [](const fs::path& dir) {
                      replace_line("joken.txt", 2, "002.0")(dir);
                      replace_line("joken.txt", 4, "300.0")(dir);
                      replace_line("joken.txt", 5, "400.0")(dir);
                    },
                    {"vertical semi-axis b 2 cm is too small for a focus-surface distance of 300 cm",
                     "at least 3 cm"},
                    "Teslund"},
        FailureCase{"cylinder_too_small_for_the_focus",
                    [](const fs::path& dir) {
                      replace_line("joken.txt", 1, "001.5")(dir);
                      replace_line("joken.txt", 3, "200.0")(dir);
                      replace_line("joken.txt", 4, "300.0")(dir);
                    },
                    {"cylinder radius 1.5 cm is too small", "at least 2 cm"}, "Mirabek"},
        // Tables that would be extrapolated over the run or sampled for ever.
        FailureCase{"absorption_energies_in_ev",
                    edit_lines("Att_Coeff2020.dat", [](int, int) { return true; },
                               [](const std::string& l) {
                                 char e[16];
                                 std::snprintf(e, sizeof e, "%10.3f", 1000.0 * std::stod(l.substr(0, 10)));
                                 return e + l.substr(10);
                               }),
                    {"Att_Coeff2020.dat", "line 1", "the energy 500 keV must be 0.5 keV"}},
        FailureCase{"tissue_energies_in_kev",
                    edit_lines("ICRUSoft.dat", tissue_row,
                               [](const std::string& l) {
                                 char e[16];
                                 std::snprintf(e, sizeof e, "%9.4f", 1000.0 * std::stod(l.substr(0, 9)));
                                 return e + l.substr(9);
                               }),
                    {"ICRUSoft.dat", "tissue interaction rows run from 1000 to 200000 keV", "must cover 5 to 150 keV"}},
        FailureCase{"incoherent_function_zero",
                    edit_lines("ICRUSoft.dat", [](int n, int rows) { return scattering_row(n, rows) && n < rows + 2 + 45; },
                               [](const std::string& l) { return l.substr(0, 22) + " 0.00000E+00"; }),
                    {"ICRUSoft.dat", "line 22", "incoherent scattering function is 0 at q = 0.00517"}},
        // Every momentum transfer moved above 0.403 1/A, the most a 5 keV
        // photon can take: coherent sampling would redraw for ever.
        FailureCase{"coherent_out_of_reach", shift_momentum_transfer(0.5f),
                    {"ICRUSoft.dat", "cumulative coherent distribution", "0.403"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Runs that cannot form the factors say why, write nothing, keep an older
// result and stop with status 2 after the Enter wait.
struct NoResultCase {
  const char* name;
  std::function<void(const fs::path&)> damage;
  const char* says;
};

class EngineNoResult : public ::testing::TestWithParam<NoResultCase> {};

TEST_P(EngineNoResult, SaysWhyAndWritesNothing)
{
  ScratchDir d;
  test::install_fixture(d.path(), "joken-korvane.txt");
  test::write_file(d.path(), "ResultBSF.txt", " 1.1111\r\n 1.2222\r\n 1.3333\r\n");
  GetParam().damage(d.path());
  const RunOutput r = run_in(d.path(), "\nleft\n");
  EXPECT_EQ(r.status, kExitNoResult);
  EXPECT_TRUE(contains(r.out, GetParam().says)) << r.out;
  EXPECT_TRUE(contains(r.out, "No result file was written."));
  EXPECT_FALSE(contains(r.out, "Back Scatter Factor"));
  EXPECT_FALSE(contains(r.out, "*******"));
  EXPECT_EQ(r.input_left, "left\n");
  EXPECT_EQ(test::read_file(d.path() / "ResultBSF.txt"), " 1.1111\r\n 1.2222\r\n 1.3333\r\n");
}

// A spectrum whose photons all lie in bins 1 ... 9, below 5 keV.
void soft_spectrum(const fs::path& dir)
{
  std::string s;
  for (int i = 1; i <= 300; ++i) {
    char b[32];
    std::snprintf(b, sizeof b, "%06.1f, %s\r\n", 0.5 * i, i < 10 ? "0.11111" : "0.00000");
    s += b;
  }
  test::write_file(dir, "X_SPCTL.dat", s);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EngineNoResult,
    ::testing::Values(
        NoResultCase{"no_primary_score", replace_line("joken.txt", 9, "00000000100"), "larger history number"},
        NoResultCase{"all_photons_below_5_kev", soft_spectrum, "No photon of the spectrum reaches 5 keV"},
        NoResultCase{"no_bin_gets_a_history", replace_line("joken.txt", 9, "00000000001"),
                     "too small to give any bin of the spectrum a history"},
        // Coefficients near the top of single precision: each dose term
        // overflows to infinity, and the factors are not numbers.
        NoResultCase{"dose_sum_overflows",
                     edit_lines("Att_Coeff2020.dat", [](int, int) { return true; },
                                [](const std::string& l) { return l.substr(0, 55) + " 3.000000E+38" + l.substr(70); }),
                     "not finite and positive"}),
    [](const auto& info) { return std::string(info.param.name); });

// Temporaries of an earlier run killed while writing are cleared at the next
// start once they are a minute old; anything else stays.
TEST(EngineRun, ClearsStaleTemporariesOfItsOwn)
{
  ScratchDir d;
  test::install_fixture(d.path(), "joken-korvane.txt");
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(2);
  for (const char* name : {"ResultBSF.txt.a1B2c3", "ResultBSF.txt.zzzzzz", "ResultBSF.txt.keep", "notes.txt.a1B2c3"}) {
    test::write_file(d.path(), name, "x");
    fs::last_write_time(d.path() / name, old);
  }
  test::write_file(d.path(), "ResultBSF.txt.newer1", "x");  // being written right now
  fs::remove(d.path() / "X_SPCTL.dat");                     // stops before the loop
  run_in(d.path());
  EXPECT_FALSE(fs::exists(d.path() / "ResultBSF.txt.a1B2c3"));
  EXPECT_FALSE(fs::exists(d.path() / "ResultBSF.txt.zzzzzz"));
  EXPECT_TRUE(fs::exists(d.path() / "ResultBSF.txt.keep"));
  EXPECT_TRUE(fs::exists(d.path() / "notes.txt.a1B2c3"));
  EXPECT_TRUE(fs::exists(d.path() / "ResultBSF.txt.newer1"));
}

TEST(EngineRun, EchoFieldsOverflowToAsterisks)
{
  ScratchDir d;
  test::install_fixture(d.path(), "joken-korvane.txt");
  test::write_file(d.path(), "joken.txt",
                   test::crlf_lines({"1000.0", "020.0", "080.0", "020.0", "080.0", "1500.0", "100.0",
                                     "043.2", "02147483647"}));
  fs::remove(d.path() / "X_SPCTL.dat");  // stop after the echo
  const RunOutput r = run_in(d.path());
  EXPECT_TRUE(contains(r.out, " a = ***** [cm]\r\n"));
  EXPECT_TRUE(contains(r.out, " Focus - FPD distance   = ***** [cm]\r\n"));
  EXPECT_TRUE(contains(r.out, " Field size = 43.2 \x81\x7E****"" [cm2]\r\n"));
  EXPECT_TRUE(contains(r.out, " History number = 2147483647\r\n"));
}

TEST(ResultFile, WritesFourDecimalsInSevenColumns)
{
  ScratchDir d;
  write_result_file(d.path(), {1.35214, 1.0, 12.34567});
  EXPECT_EQ(test::read_file(d.path() / "ResultBSF.txt"), " 1.3521\r\n 1.0000\r\n12.3457\r\n");
}

TEST(ResultFile, UnwritableDirectoryIsReported)
{
  try {
    write_result_file("/nonexistent-directory-for-test", {1.0, 1.0, 1.0});
    FAIL() << "no error";
  } catch (const InputError& e) {
    EXPECT_TRUE(contains(e.what(), "ResultBSF.txt"));
  }
}

}  // namespace
}  // namespace bsf
