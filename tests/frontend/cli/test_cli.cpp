// orbisan-cli as a user runs it: options, exit statuses, messages, JSON,
// the batch CSV and the spectrum table.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "cli_conditions.h"

namespace bsf::cli {
namespace {

namespace fs = std::filesystem;

struct ProgramRun {
  int status;
  std::string out;
  std::string err;
};

// What a shell command writes to its standard output.
std::string command_output(const std::string& cmd)
{
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  pclose(p);
  return out;
}

// A batch's CSV output read back: the header's columns and the rows, a
// cell found by its column's name.
struct CsvOut {
  std::string header;
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;

  explicit CsvOut(const std::string& text)
  {
    std::istringstream in(text);
    std::getline(in, header);
    columns = split_csv(header);
    for (std::string row; std::getline(in, row);) rows.push_back(split_csv(row));
  }
  std::string at(const std::vector<std::string>& cells, const std::string& name) const
  {
    const auto i = std::find(columns.begin(), columns.end(), name);
    EXPECT_NE(i, columns.end()) << name;
    if (i == columns.end()) return {};
    return cells.at(static_cast<std::size_t>(i - columns.begin()));
  }
};

class Cli : public ::testing::Test {
 protected:
  void SetUp() override
  {
    dir_ = fs::temp_directory_path() / ("orbisan-cli-test-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs the program in the scratch directory (which holds no data files,
  // so they are found beside the program).
  ProgramRun run(const std::string& args)
  {
    const std::string cmd = "cd '" + dir_.string() + "' && '" + std::string(CLI_PROGRAM) + "' " + args +
                            " 2>stderr.txt";
    FILE* p = popen(cmd.c_str(), "r");
    std::string out;
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    const int raw = pclose(p);
    std::ifstream e(dir_ / "stderr.txt");
    std::stringstream err;
    err << e.rdbuf();
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out, err.str()};
  }
  void write(const std::string& name, const std::string& text) { std::ofstream(dir_ / name, std::ios::binary) << text; }

  fs::path dir_;
};

TEST_F(Cli, EstimateJsonHasTheResultsAndTheConditions)
{
  const ProgramRun r = run("estimate --json --kv 80 --field 10x12");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  for (const char* key : {"hvl_mm_al", "bsf_air_kerma", "bsf_soft_tissue", "bsf_skin", "kv", "waveform", "anode_angle",
                          "inherent_al", "added_al", "added_cu", "ffd", "fsd", "thickness", "field"})
    EXPECT_TRUE(j.contains(key)) << key;
  EXPECT_EQ(j["kv"], 80.0);
  EXPECT_EQ(j["field"], "10x12");
  EXPECT_GT(j["hvl_mm_al"].get<double>(), 1.0);
  EXPECT_GT(j["bsf_soft_tissue"].get<double>(), 1.1);
  EXPECT_LT(j["bsf_soft_tissue"].get<double>(), 1.6);
  EXPECT_FALSE(fs::exists(dir_ / "X_SPCTL.dat")) << "written only when asked";
}

TEST_F(Cli, EstimateReadableOutputAndSpectrumFile)
{
  const ProgramRun r = run("estimate --write-spectrum");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Half-value layer:"), std::string::npos);
  EXPECT_NE(r.out.find(" mm Al"), std::string::npos);
  std::ifstream in(dir_ / "X_SPCTL.dat", std::ios::binary);
  std::string line;
  int lines = 0;
  while (std::getline(in, line)) {
    ++lines;
    EXPECT_TRUE(line.ends_with("\r"));
  }
  EXPECT_EQ(lines, 300);
}

TEST_F(Cli, BadInputNamesTheOptionAndExitsWithTwo)
{
  struct Case {
    const char* args;
    const char* message;
  };
  const Case cases[] = {
      {"estimate --kv 200", "--kv"},
      {"estimate --kv abc", "--kv"},
      {"estimate --field 10by10", "--field"},
      {"estimate --field 10x", "--field"},
      {"estimate --thickness 25", "--thickness"},
      {"estimate --anode-angle 90", "--anode-angle"},
      {"estimate --added-cu -1", "--added-cu"},
      {"estimate --waveform 5", "--waveform"},
      {"estimate --diameter 0", "--diameter"},
      {"estimate --field 10x10 --diameter 5", "--diameter"},
      {"estimate --no-such-option", "--no-such-option"},
      {"", "subcommand"},
      // The forms' limits: values whose spectrum would be empty or whose
      // geometry would not compute are refused with the allowed range.
      {"estimate --kv 1", "--kv: the tube voltage 1 kV must be between 20 and 150 kV"},
      {"estimate --added-cu 1000", "--added-cu: the added copper filter 1000 mm must be between 0 and 5 mm"},
      {"estimate --fsd 1e300", "--fsd: the focus-surface distance 1e+300 cm must be between 10 and 1000 cm"},
      {"batch /dev/null", "empty"},
  };
  for (const auto& c : cases) {
    const ProgramRun r = run(c.args);
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << ": " << r.err;
  }
}

TEST_F(Cli, MissingDataIsAFileErrorNamingTheFile)
{
  const ProgramRun r = run("estimate --data-dir '" + dir_.string() + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("dBSF-SoftDose-SoftPhantom.dat"), std::string::npos) << r.err;
}

TEST_F(Cli, BatchGoesOnPastABadRow)
{
  write("exposures.csv",
        "kv,field,diameter,added_al\r\n"
        "75,43.2x35.6,,1.0\r\n"
        "200,10x10,,1.0\r\n"
        "80,,15,\r\n"
        "90,10x1O,,1\r\n");
  const ProgramRun r = run("batch exposures.csv");
  EXPECT_EQ(r.status, 2);
  const CsvOut csv(r.out);
  const std::string& header = csv.header;
  const auto& columns = csv.columns;
  const auto& rows = csv.rows;
  // The conditions first, in the order the forms show them, the results and
  // the error last.
  EXPECT_EQ(header.substr(0, header.find(",method")), "line,kv,waveform,anode_angle,inherent_al,added_al,added_cu,"
                                                      "ffd,fsd,thickness,field,diameter");
  EXPECT_EQ(columns.back(), "error");
  auto at = [&](const std::vector<std::string>& cells, const std::string& name) { return csv.at(cells, name); };
  ASSERT_EQ(rows.size(), 4u);
  for (const auto& cells : rows) EXPECT_EQ(cells.size(), columns.size());
  EXPECT_EQ(rows[0][0], "2");
  EXPECT_EQ(rows[0].back(), "");
  EXPECT_FALSE(at(rows[0], "hvl_mm_al").empty());
  EXPECT_NE(rows[1].back().find("150 kV"), std::string::npos) << "line 3 fails its range check";
  EXPECT_EQ(at(rows[2], "diameter"), "15") << "a circular field";
  EXPECT_EQ(rows[2].back(), "");
  EXPECT_NE(rows[3].back().find("10x1O"), std::string::npos);
  EXPECT_NE(r.err.find("exposures.csv, line 3"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("exposures.csv, line 5"), std::string::npos) << r.err;
}

// The full Monte Carlo run on a flat racetrack (a = 100, b = 20, length
// 200, thickness 30) agrees with the flat-surface table estimate within
// four standard uncertainties; the JSON has the estimate's keys, the
// uncertainties, the run and the estimate alongside.
TEST_F(Cli, MonteCarloOnAFlatRacetrackAgreesWithTheEstimate)
{
  const ProgramRun r = run(
      "mc --json --phantom racetrack --racetrack-a 100 --racetrack-b 20 --length 200 --thickness 30 --ffd 110 "
      "--histories 2000000");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  for (const char* key : {"kv", "waveform", "anode_angle", "inherent_al", "added_al", "added_cu", "ffd", "fsd",
                          "thickness", "field", "hvl_mm_al", "bsf_air_kerma", "bsf_soft_tissue", "bsf_skin",
                          "u_air_kerma", "u_soft_tissue", "u_skin", "histories", "seconds", "phantom",
                          "estimate_bsf_air_kerma", "estimate_bsf_soft_tissue", "estimate_bsf_skin"})
    EXPECT_TRUE(j.contains(key)) << key;
  EXPECT_EQ(j["phantom"], "racetrack");
  EXPECT_GT(j["histories"].get<double>(), 1.99e6);
  for (const char* m : {"air_kerma", "soft_tissue", "skin"}) {
    const double mc = j[std::string("bsf_") + m].get<double>();
    const double u = j[std::string("u_") + m].get<double>();
    const double est = j[std::string("estimate_bsf_") + m].get<double>();
    EXPECT_GT(u, 0.0) << m;
    EXPECT_LT(std::fabs(mc - est), 4.0 * u) << m << ": " << mc << " +- " << u << " against " << est;
  }
  EXPECT_EQ(fs::directory_iterator(dir_) == fs::directory_iterator(), false);  // stderr.txt only
  for (const auto& e : fs::directory_iterator(dir_)) EXPECT_EQ(e.path().filename(), "stderr.txt");
}

// The engine's working folder is kept where asked, with the files the
// front end wrote and the engine's; --exact starts the serial run.
TEST_F(Cli, MonteCarloKeepsItsFolderAndRunsExactWhenAsked)
{
  const ProgramRun r = run("mc --phantom cylinder --histories 200000 --exact --keep-dir work");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Backscatter factor, air kerma:"), std::string::npos);
  EXPECT_NE(r.out.find(" ± "), std::string::npos);
  EXPECT_NE(r.out.find("flat-surface table estimate"), std::string::npos);
  EXPECT_NE(r.out.find("cylinder phantom, "), std::string::npos);
  for (const char* f : {"joken.txt", "X_SPCTL.dat", "ICRUSoft.dat", "Att_Coeff2020.dat", "ResultBSF.txt",
                        "ResultBSF.json", "EngineStatus.json", "Mirabek.log"})
    EXPECT_TRUE(fs::exists(dir_ / "work" / f)) << f;
  std::ifstream log(dir_ / "work" / "Mirabek.log");
  std::stringstream text;
  text << log.rdbuf();
  EXPECT_EQ(text.str().find("Parallel run"), std::string::npos) << "the exact serial run";
  EXPECT_EQ(nlohmann::json::parse(std::ifstream(dir_ / "work" / "ResultBSF.json"))["threads"], 1);
}

// Refused before the engine starts, naming the option; the engine's own
// message when it ends without a result; a data folder without the files.
TEST_F(Cli, MonteCarloErrorsNameTheOptionOrPassTheEnginesMessageOn)
{
  struct Case {
    const char* args;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {"mc --diameter 10", 2, "--diameter: the Monte Carlo engines take a rectangular field"},
      {"mc --phantom racetrack --length 1", 2, "--length: only 3.125 % of the rays"},
      {"mc --phantom sphere", 2, "--phantom"},
      {"mc --histories 1.5", 2, "--histories: the history number 1.5 must be a whole number"},
      {"mc --histories 0", 2, "--histories"},
      {"mc --phantom elliptic --semi-axis-vertical 0.5", 2, "--semi-axis-vertical"},
      {"mc --phantom cylinder --radius 5 --fsd 800 --ffd 900", 2, "--radius: the cylinder radius 5 cm is too small"},
      {"mc --kv 1", 2, "--kv: the tube voltage 1 kV must be between 20 and 150 kV"},
      {"mc --histories 100 --exact", 2, "Korvane stopped with exit status 2: No primary photon crossed the scoring disc"},
      {"mc --threads 2 --exact", 2, "excludes"},
  };
  for (const Case& c : cases) {
    const ProgramRun r = run(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << ": " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << ": " << r.err;
    EXPECT_EQ(r.out, "") << c.args;
  }
  const ProgramRun r = run("mc --data-dir '" + dir_.string() + "'");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("dBSF-SoftDose-SoftPhantom.dat"), std::string::npos) << r.err;
}

// Batch rows of both methods, a header as a spreadsheet writes it (a
// byte-order mark, blanks after the commas), a row with both a field and a
// diameter refused, a failing Monte Carlo row isolated.
TEST_F(Cli, BatchRunsMonteCarloRowsBesideEstimates)
{
  write("runs.csv",
        "\xEF\xBB\xBFkv, method, phantom, radius, histories, threads, field, diameter\r\n"
        "75,,,,,,43.2x35.6,\r\n"
        "75,mc,cylinder,25,300000,2,,\r\n"
        "75,mc,racetrack,,100,exact,,\r\n"
        "80,estimate,,,,,20x20,15\r\n"
        "75,mc,sphere,,,,,\r\n");
  const ProgramRun r = run("batch runs.csv");
  EXPECT_EQ(r.status, 2) << r.err;
  const CsvOut csv(r.out);
  const auto& rows = csv.rows;
  auto at = [&](const std::vector<std::string>& cells, const std::string& name) { return csv.at(cells, name); };
  ASSERT_EQ(rows.size(), 5u) << r.out;
  EXPECT_EQ(at(rows[0], "method"), "estimate");
  EXPECT_FALSE(at(rows[0], "bsf_air_kerma").empty());
  EXPECT_TRUE(at(rows[0], "u_air_kerma").empty());
  EXPECT_EQ(at(rows[1], "method"), "mc");
  EXPECT_EQ(at(rows[1], "phantom"), "cylinder");
  EXPECT_EQ(at(rows[1], "radius"), "25");
  EXPECT_EQ(at(rows[1], "threads"), "2");
  EXPECT_EQ(at(rows[1], "error"), "");
  EXPECT_GT(std::stod(at(rows[1], "bsf_air_kerma")), 1.0);
  EXPECT_GT(std::stod(at(rows[1], "u_air_kerma")), 0.0);
  EXPECT_NE(at(rows[2], "error").find("No primary photon"), std::string::npos) << at(rows[2], "error");
  EXPECT_NE(at(rows[3], "error").find("both a field and a diameter"), std::string::npos);
  EXPECT_NE(at(rows[4], "error").find("sphere"), std::string::npos);
}

// Results that cannot be written to standard output are a failure.
TEST_F(Cli, AFailedWriteToStandardOutputIsAFailure)
{
  const std::string cmd = "cd '" + dir_.string() + "' && '" + std::string(CLI_PROGRAM) +
                          "' estimate >/dev/full 2>stderr.txt; echo $?";
  FILE* p = popen(cmd.c_str(), "r");
  char buf[64] = {};
  fgets(buf, sizeof buf, p);
  pclose(p);
  EXPECT_EQ(std::atoi(buf), 1);
  std::ifstream e(dir_ / "stderr.txt");
  std::stringstream err;
  err << e.rdbuf();
  EXPECT_NE(err.str().find("could not be written to standard output"), std::string::npos) << err.str();
}

// Data files with values no calculation can use are refused, naming the
// file, the line and the value, not computed into nan or wrong factors.
TEST_F(Cli, DataFilesWithImpossibleValuesAreRefused)
{
  struct Case {
    const char* file;
    int line;
    std::function<std::string(const std::string&)> edit;
    const char* says;
  };
  const Case cases[] = {
      {"Att_Coeff2020.dat", 100, [](const std::string& l) { return l.substr(0, 25) + "        nan    " + l.substr(40); },
       "line 100: the aluminium coefficient of record 100 of 300 nan must be a positive number"},
      {"Att_Coeff2020.dat", 7, [](const std::string& l) { return l.substr(0, 55) + "  -1.000000E+00" + l.substr(70); },
       "the air coefficient of record 7 of 300 -1 must be a positive number"},
      {"Att_Coeff2020.dat", 3, [](const std::string& l) { return "  1500.000" + l.substr(10); },
       "the energy of record 3 of 300 1500 keV must be 1.5 keV"},
      {"dBSF-AirDose-SoftPhantom.dat", 10, [](const std::string& l) { return l.substr(0, 17) + " -5.00000E-01" + l.substr(30); },
       "is not a differential backscatter factor"},
  };
  for (const Case& c : cases) {
    for (const auto& e : fs::directory_iterator(fs::path(CLI_PROGRAM).parent_path()))
      if (e.path().extension() == ".dat") fs::copy_file(e.path(), dir_ / e.path().filename(), fs::copy_options::overwrite_existing);
    std::ifstream in(dir_ / c.file, std::ios::binary);
    std::string text, l;
    for (int n = 1; std::getline(in, l); ++n) text += (n == c.line ? c.edit(l) : l) + "\n";
    in.close();
    std::ofstream(dir_ / c.file, std::ios::binary) << text;
    const ProgramRun r = run("estimate");
    EXPECT_EQ(r.status, 1) << c.file;
    EXPECT_NE(r.err.find(c.file), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
}

TEST_F(Cli, BatchRefusesAnUnknownColumn)
{
  write("bad.csv", "kv,voltage\r\n75,80\r\n");
  const ProgramRun r = run("batch bad.csv");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("bad.csv, line 1: unknown column \"voltage\""), std::string::npos) << r.err;
}

TEST_F(Cli, SpectrumTableSumsToOne)
{
  const ProgramRun r = run("spectrum --kv 60");
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream in(r.out);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "energy_kev,relative_photons,relative_air_kerma");
  double photons = 0.0, kerma = 0.0;
  int rows = 0;
  while (std::getline(in, line)) {
    const auto cells = split_csv(line);
    ASSERT_EQ(cells.size(), 3u);
    ++rows;
    photons += std::stod(cells[1]);
    kerma += std::stod(cells[2]);
    if (std::stod(cells[0]) > 60.0) {
      EXPECT_EQ(std::stod(cells[1]), 0.0);
    }
  }
  EXPECT_EQ(rows, 300);
  EXPECT_NEAR(photons, 1.0, 1e-6);
  EXPECT_NEAR(kerma, 1.0, 1e-6);
}

// The filters are typed in mm. A filter of thickness t changes the
// spectrum by exp(-mu(E) t) bin by bin, so the ratio of the spectra with and
// without it, taken at two energies, gives back t through published
// attenuation coefficients (Hubbell and Seltzer, NIST X-ray mass attenuation
// coefficients) that the program's data file does not enter: a filter read
// in cm instead of mm comes out ten times too thick.
TEST_F(Cli, FilterThicknessesAreReadInMillimetres)
{
  struct Case {
    const char* option;
    double mm;
    double mass_mu_40;  // cm^2/g at 40 keV
    double mass_mu_80;  // cm^2/g at 80 keV
    double density;     // g/cm^3
  };
  const Case cases[] = {
      {"--added-cu", 0.1, 4.862, 0.7630, 8.96},
      {"--added-al", 2.0, 0.5685, 0.2018, 2.699},
      {"--inherent-al", 2.0, 0.5685, 0.2018, 2.699},
  };
  // Relative photon numbers at 40 and 80 keV (below the tungsten K lines'
  // bins, which the filter does not move but the normalisation would).
  auto photons_at_40_and_80 = [&](const std::string& filter, double mm) {
    std::string args = "spectrum --kv 100";
    for (const char* option : {"--inherent-al", "--added-al", "--added-cu"})
      args += std::string(" ") + option + " " + (filter == option ? std::to_string(mm) : "0");
    const ProgramRun r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    std::istringstream in(r.out);
    std::string line;
    std::pair<double, double> p{0.0, 0.0};
    while (std::getline(in, line)) {
      const auto cells = split_csv(line);
      if (cells.size() != 3) continue;
      if (cells[0] == "40.0") p.first = std::stod(cells[1]);
      if (cells[0] == "80.0") p.second = std::stod(cells[1]);
    }
    return p;
  };
  const auto bare = photons_at_40_and_80("", 0.0);
  ASSERT_GT(bare.first, 0.0);
  ASSERT_GT(bare.second, 0.0);
  for (const Case& c : cases) {
    const auto filtered = photons_at_40_and_80(c.option, c.mm);
    ASSERT_GT(filtered.first, 0.0) << c.option;
    const double log_ratio = std::log((filtered.second / bare.second) / (filtered.first / bare.first));
    const double thickness_cm = log_ratio / ((c.mass_mu_40 - c.mass_mu_80) * c.density);
    EXPECT_NEAR(thickness_cm, 0.1 * c.mm, 0.01 * 0.1 * c.mm) << c.option << " " << c.mm << " mm";
  }
}

TEST(CliConditions, CellsAndFields)
{
  double l = 0, s = 0;
  parse_field("43.2x35.6", l, s);
  EXPECT_EQ(l, 43.2);
  EXPECT_EQ(s, 35.6);
  EXPECT_THROW(parse_field("43.2", l, s), std::invalid_argument);
  EXPECT_THROW(parse_strict("12cm"), std::invalid_argument);  // stricter than the forms
  EXPECT_EQ(parse_strict(" +1.5e1 "), 15.0);
  EXPECT_EQ(split_csv("a,\"b,c\",\"d\"\"e\",\r"), (std::vector<std::string>{"a", "b,c", "d\"e", ""}));
  EXPECT_EQ(csv_cell("x, y"), "\"x, y\"");
  CliConditions c;
  set_condition(c, "diameter", "12");
  EXPECT_EQ(to_exposure(c).FieldShape, 2);
  EXPECT_THROW(set_condition(c, "waveform", "1.5"), std::invalid_argument);
  EXPECT_EQ(to_exposure(CliConditions{}).InherentFilter, 0.25);
}

}  // namespace
}  // namespace bsf::cli

namespace bsf::cli {
namespace {

// The two ways to the answer meet on a flat phantom: the table estimate
// against the engine (Korvane with a flat front wider than the field), a
// short run of 8,000,000 histories whose own statistical uncertainty is a
// few tenths of a per cent.
TEST_F(Cli, EstimateAgreesWithTheEngineOnAFlatPhantom)
{
  const ProgramRun est = run("estimate --kv 80 --inherent-al 2.5 --added-al 0.6 --field 13x13 --ffd 130 --fsd 100 "
                             "--thickness 30 --json --write-spectrum");
  ASSERT_EQ(est.status, 0) << est.err;
  const auto j = nlohmann::json::parse(est.out);
  for (const char* f : {"ICRUSoft.dat", "Att_Coeff2020.dat"})
    fs::copy_file(fs::path(ENGINE_BIN_DIR) / f, dir_ / f);
  // Racetrack a = 100, b = 20, length 200, thickness 30; FSD 100, FFD 130;
  // field 13 x 13 at the receptor (10 x 10 at the surface).
  write("joken.txt", "100.0\r\n020.0\r\n200.0\r\n030.0\r\n100.0\r\n130.0\r\n013.0\r\n013.0\r\n00008000000\r\n");
  const std::string cmd = "cd '" + dir_.string() + "' && '" + std::string(ENGINE_BIN_DIR) + "/Korvane' </dev/null >/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::ifstream in(dir_ / "ResultBSF.txt");
  double air = 0, soft = 0, skin = 0;
  in >> air >> soft >> skin;
  EXPECT_NEAR(j["bsf_air_kerma"].get<double>() / air, 1.0, 0.01);
  EXPECT_NEAR(j["bsf_soft_tissue"].get<double>() / soft, 1.0, 0.01);
  EXPECT_NEAR(j["bsf_skin"].get<double>() / skin, 1.0, 0.01);
  RecordProperty("engine_soft", std::to_string(soft));
  RecordProperty("estimate_soft", std::to_string(j["bsf_soft_tissue"].get<double>()));
}

}  // namespace
}  // namespace bsf::cli

namespace bsf::cli {
namespace {

double number(const nlohmann::json& j, const char* key)
{
  EXPECT_TRUE(j.contains(key)) << key;
  return j.value(key, std::nan(""));
}

// A measured half-value layer and a measured air kerma: the added aluminium
// is found for the layer (and gives that layer back when given itself), the
// air kerma is carried from where it was measured to the entrance surface by
// the inverse square law, and each dose is that air kerma times its
// backscatter factor and, for the tissues, the beam's tissue-to-air ratio.
TEST_F(Cli, DosesFromAMeasuredHalfValueLayerAndAirKerma)
{
  const ProgramRun r = run("estimate --json --kv 80 --fsd 80 --hvl 3.2 --incident-air-kerma 2.1 --at 100 "
                           "--air-kerma-rel-u 0.05");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(number(j, "matched_hvl_mm_al"), 3.2);
  EXPECT_NEAR(number(j, "hvl_mm_al"), 3.2, 0.002);
  const double added = number(j, "added_al");
  EXPECT_GT(added, 0.0);
  EXPECT_LT(added, 3.2);

  const double k = 2.1 * (100.0 / 80.0) * (100.0 / 80.0);
  EXPECT_NEAR(number(j, "incident_air_kerma_mgy"), k, 1e-12);
  EXPECT_NEAR(number(j, "u_incident_air_kerma_mgy"), 0.05 * k, 1e-12);
  const double f_soft = number(j, "f_soft_tissue"), f_skin = number(j, "f_skin");
  EXPECT_GT(f_soft, 1.0);  // soft tissue absorbs more than air at diagnostic energies
  EXPECT_LT(f_soft, 1.1);
  EXPECT_GT(f_skin, 0.9);
  EXPECT_LT(f_skin, 1.1);
  EXPECT_NEAR(number(j, "esak_mgy"), k * number(j, "bsf_air_kerma"), 1e-12);
  EXPECT_NEAR(number(j, "entrance_soft_tissue_dose_mgy"), k * f_soft * number(j, "bsf_soft_tissue"), 1e-12);
  EXPECT_NEAR(number(j, "entrance_skin_dose_mgy"), k * f_skin * number(j, "bsf_skin"), 1e-12);
  // The table estimate carries no uncertainty of its own: the air kerma's only.
  EXPECT_NEAR(number(j, "u_esak_mgy") / number(j, "esak_mgy"), 0.05, 1e-12);

  // The aluminium found, given as such, gives the same beam and factors.
  std::ostringstream args;
  args.precision(17);
  args << "estimate --json --kv 80 --fsd 80 --added-al " << added;
  const ProgramRun again = run(args.str());
  ASSERT_EQ(again.status, 0) << again.err;
  const auto j2 = nlohmann::json::parse(again.out);
  for (const char* key : {"hvl_mm_al", "bsf_air_kerma", "bsf_soft_tissue", "bsf_skin", "f_soft_tissue", "f_skin"})
    EXPECT_NEAR(number(j2, key), number(j, key), 1e-9) << key;
  EXPECT_FALSE(j2.contains("esak_mgy")) << "no air kerma given, no doses";
}

// The tube output route: µGy/mAs at 100 cm times the mAs, to the surface.
TEST_F(Cli, DosesFromTheTubeOutput)
{
  const ProgramRun r = run("estimate --json --kv 70 --fsd 90 --thickness 10 --tube-output 45 --mas 20");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  const double k = 45e-3 * 20.0 * (100.0 / 90.0) * (100.0 / 90.0);
  EXPECT_NEAR(number(j, "incident_air_kerma_mgy"), k, 1e-12);
  EXPECT_FALSE(j.contains("u_esak_mgy")) << "no uncertainty given, none made up";
  const ProgramRun text = run("estimate --kv 70 --fsd 90 --thickness 10 --tube-output 45 --mas 20");
  ASSERT_EQ(text.status, 0) << text.err;
  for (const char* line : {"Tissue-to-air ratios of the beam:", "Entrance surface air kerma (ESAK):",
                           "Entrance soft-tissue dose:", "Entrance skin dose:"})
    EXPECT_NE(text.out.find(line), std::string::npos) << line << "\n" << text.out;
}

// The Monte Carlo factors' uncertainties reach the doses, combined with the
// air kerma's.
TEST_F(Cli, MonteCarloDosesCarryTheFactorsUncertainty)
{
  const ProgramRun r = run("mc --json --phantom cylinder --histories 300000 --incident-air-kerma 1.5 "
                           "--air-kerma-rel-u 0.03");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  const double esak = number(j, "esak_mgy");
  EXPECT_NEAR(esak, 1.5 * number(j, "bsf_air_kerma"), 1e-12);
  const double rel_bsf = number(j, "u_air_kerma") / number(j, "bsf_air_kerma");
  EXPECT_NEAR(number(j, "u_esak_mgy") / esak, std::hypot(0.03, rel_bsf), 1e-12);
  const double soft = number(j, "entrance_soft_tissue_dose_mgy");
  EXPECT_NEAR(number(j, "u_entrance_soft_tissue_dose_mgy") / soft,
              std::hypot(0.03, number(j, "u_soft_tissue") / number(j, "bsf_soft_tissue")), 1e-12);
}

// Dose options that contradict or lack each other are refused before any
// calculation, naming the option; a layer the tube cannot give names the
// layers it can.
TEST_F(Cli, DoseOptionsThatDoNotFitAreRefused)
{
  struct Case {
    const char* args;
    const char* says;
  };
  const Case cases[] = {
      {"estimate --hvl 3 --added-al 1", "--hvl: give the measured half-value layer or the added aluminium, not both"},
      {"estimate --at 100", "--at: the measuring distance belongs to --incident-air-kerma"},
      {"estimate --tube-output 40", "--tube-output: the tube output and the mAs go together"},
      {"estimate --mas 10", "--mas: the tube output and the mAs go together"},
      {"estimate --incident-air-kerma 1 --tube-output 40 --mas 10", "not both"},
      {"estimate --air-kerma-rel-u 0.05", "--air-kerma-rel-u: the uncertainty belongs to an air kerma"},
      {"estimate --incident-air-kerma -1", "--incident-air-kerma"},
      {"estimate --incident-air-kerma 1 --air-kerma-rel-u 5", "--air-kerma-rel-u: the relative uncertainty"},
      {"estimate --incident-air-kerma 1 --at 0", "--at: the measuring distance must be a positive number"},
      {"estimate --incident-air-kerma 1 --at -5", "--at: "},
      {"estimate --tube-output 40 --mas 0", "--mas: the mAs must be a positive number"},
      {"estimate --tube-output 0 --mas 10", "--tube-output: the tube output must be a positive number"},
      {"estimate --hvl 0", "--hvl"},
      {"estimate --kv 60 --hvl 20", "--hvl: "},
      {"estimate --kv 60 --hvl 20", " mm Al"},
      {"estimate --kv 120 --inherent-al 5 --hvl 0.5", "--hvl: "},
      {"mc --hvl 3 --added-al 1", "not both"},
  };
  for (const Case& c : cases) {
    const ProgramRun r = run(c.args);
    EXPECT_EQ(r.status, 2) << c.args << ": " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << ": " << r.err;
    EXPECT_EQ(r.out, "") << c.args;
  }
}

// The report is one A4 page holding the doses and the SHA-256 of each data
// file computed with, as sha256sum gives it; an unwritable report is a file
// error that leaves nothing behind.
TEST_F(Cli, ReportIsOnePageWithTheDataFilesDigests)
{
#ifndef CLI_HAS_REPORT
  GTEST_SKIP() << "built without Qt: no PDF report";
#endif
  ASSERT_EQ(std::system("command -v pdftotext >/dev/null && command -v pdfinfo >/dev/null"), 0)
      << "poppler-utils (pdftotext, pdfinfo) is needed to read the report";
  const ProgramRun r = run("estimate --kv 80 --hvl 3.2 --incident-air-kerma 2.1 --at 100 --report dose.pdf");
  ASSERT_EQ(r.status, 0) << r.err;
  const fs::path pdf = dir_ / "dose.pdf";
  ASSERT_TRUE(fs::exists(pdf));
  const std::string info = command_output("pdfinfo '" + pdf.string() + "'");
  EXPECT_TRUE(std::regex_search(info, std::regex("\nPages:\\s+1\n"))) << info;
  EXPECT_NE(info.find("A4"), std::string::npos) << info;
  const std::string text = command_output("pdftotext -layout '" + pdf.string() + "' -");
  const fs::path data = fs::path(CLI_PROGRAM).parent_path();
  for (const char* file : {"Att_Coeff2020.dat", "dBSF-SoftDose-SoftPhantom.dat", "dBSF-AirDose-SoftPhantom.dat",
                           "dBSF-SkinDose-SoftPhantom.dat"}) {
    const std::string sum = command_output("sha256sum '" + (data / file).string() + "'").substr(0, 64);
    // The name and its digest on one line (pdftotext narrows the gap between).
    const std::size_t at = text.find(std::string(file) + " ");
    ASSERT_NE(at, std::string::npos) << file << "\n" << text;
    const std::string line = text.substr(at, text.find('\n', at) - at);
    EXPECT_NE(line.find(sum), std::string::npos) << line << " against " << sum;
  }
  EXPECT_NE(text.find("ESAK"), std::string::npos) << text;
  EXPECT_NE(text.find("3.200 mm Al"), std::string::npos) << "the measured layer is named";

  fs::create_directory(dir_ / "locked");
  fs::permissions(dir_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  const ProgramRun bad = run("estimate --report locked/dose.pdf");
  fs::permissions(dir_ / "locked", fs::perms::owner_all);
  if (::geteuid() != 0) {  // root writes anywhere
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("locked/dose.pdf"), std::string::npos) << bad.err;
    EXPECT_TRUE(fs::is_empty(dir_ / "locked"));
  }
  const ProgramRun missing = run("estimate --report no-such-folder/dose.pdf");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("no-such-folder/dose.pdf"), std::string::npos) << missing.err;
  EXPECT_EQ(missing.out, "");
}

// Dose columns in a batch: each row its own measured layer and air kerma,
// a row without them still gets the beam's tissue-to-air ratios.
TEST_F(Cli, BatchRowsWithDoseColumns)
{
  write("doses.csv",
        "kv,hvl,incident_air_kerma,at,air_kerma_rel_u,fsd\r\n"
        "80,3.2,2.1,100,0.05,80\r\n"
        "80,,,,,80\r\n"
        "60,20,1,,,80\r\n");
  const ProgramRun r = run("batch doses.csv");
  EXPECT_EQ(r.status, 2) << r.err;
  const CsvOut csv(r.out);
  const auto& rows = csv.rows;
  auto at = [&](const std::vector<std::string>& cells, const std::string& name) { return csv.at(cells, name); };
  ASSERT_EQ(rows.size(), 3u) << r.out;
  EXPECT_EQ(at(rows[0], "error"), "");
  EXPECT_EQ(at(rows[0], "hvl"), "3.2");
  EXPECT_NEAR(std::stod(at(rows[0], "hvl_mm_al")), 3.2, 0.0015);
  EXPECT_GT(std::stod(at(rows[0], "added_al")), 0.0) << "the aluminium found is the row's";
  const double k = 2.1 * (100.0 / 80.0) * (100.0 / 80.0);
  EXPECT_NEAR(std::stod(at(rows[0], "incident_air_kerma_mgy")), k, 1e-3);
  EXPECT_NEAR(std::stod(at(rows[0], "esak_mgy")), k * std::stod(at(rows[0], "bsf_air_kerma")), 2e-3);
  EXPECT_FALSE(at(rows[0], "u_esak_mgy").empty());
  EXPECT_EQ(at(rows[1], "error"), "");
  EXPECT_FALSE(at(rows[1], "f_soft_tissue").empty());
  EXPECT_TRUE(at(rows[1], "esak_mgy").empty());
  EXPECT_NE(at(rows[2], "error").find("hvl"), std::string::npos) << at(rows[2], "error");
}

}  // namespace
}  // namespace bsf::cli
