// orbisan-cli: both ways to the backscatter factors without windows, for
// scripts, many exposures or a machine without a display.
//
//   orbisan-cli estimate [conditions] [--json] [--write-spectrum]
//   orbisan-cli mc [conditions] [phantom] [--histories N] [--threads N | --exact] [--json] [--keep-dir DIR]
//   orbisan-cli batch FILE.csv
//   orbisan-cli spectrum [conditions] [--output FILE] [--write-spectrum]
//
// Exit status: 0 success; 1 a data file missing or unreadable, a file that
// cannot be written, an engine that cannot be started; 2 bad input (the
// message names the option or the CSV line) or a calculation that cannot
// give a result (the engine's message is passed on).
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <unistd.h>

#include "cli_conditions.h"
#include "condition_checks.h"
#include "mc_run.h"
#include "result_file.h"
#include "data_tables.h"
#include "estimate.h"
#include "free_format.h"
#include "number_text.h"
#include "spectrum.h"

namespace fs = std::filesystem;
using namespace bsf;
using namespace bsf::cli;

namespace {

constexpr int kExitDataError = 1;
constexpr int kExitBadInput = 2;

// Bad input: the message names the option or the CSV line.
struct BadInput : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The data files are looked for in the current directory, else beside the
// program; --data-dir overrides both.
fs::path data_directory(const std::string& option)
{
  if (!option.empty()) return option;
  const fs::path here = fs::current_path();
  if (fs::exists(resolve_nocase(here, "Att_Coeff2020.dat"))) return here;
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && fs::exists(resolve_nocase(exe.parent_path(), "Att_Coeff2020.dat"))) return exe.parent_path();
  return here;  // the load then names the missing file in the current directory
}

struct Results {
  SpectrumResult spectrum;
  ExposureConditions state;               // the table estimate's factors
  std::optional<EngineResultJson> mc;     // the Monte Carlo result, when run
};

void check(const ExposureConditions& e, const std::string& where)
{
  if (const auto p = check_conditions(e)) throw BadInput(where + (p->option.empty() ? "" : "--" + p->option + ": ") + p->message_en);
}

Results calculate(const CliConditions& c, const AttenuationTable& att, const DifferentialTables* tables,
                  const std::string& where)
{
  Results r;
  r.state = to_exposure(c);
  check(r.state, where);
  r.spectrum = compute_spectrum(r.state, att);
  r.state.PhotonSpectrum = r.spectrum.photons;
  r.state.HalfValueLayer = r.spectrum.hvl_cm;
  if (tables) estimate_backscatter(r.state, att, *tables);
  return r;
}

// An option's help with its allowed range, the same limits as the forms'.
std::string with_range(const char* help, Condition which)
{
  const ConditionLimit& l = limit_of(which);
  std::ostringstream out;
  out << help << " (" << l.low << " to " << l.high << ")";
  return out.str();
}

void add_mc_options(CLI::App& app, McOptions& m)
{
  app.add_option("--phantom", m.phantom, "the phantom's section: cylinder, elliptic or racetrack")
      ->capture_default_str()
      ->check(CLI::IsMember({"cylinder", "elliptic", "racetrack"}));
  app.add_option("--radius", m.radius, with_range("cylinder: curvature radius, cm", Condition::CylinderRadius))
      ->capture_default_str();
  app.add_option("--semi-axis-horizontal", m.semi_axis_horizontal,
                 with_range("elliptic cylinder: horizontal semi-axis, cm", Condition::EllipseHorizontal))
      ->capture_default_str();
  app.add_option("--semi-axis-vertical", m.semi_axis_vertical,
                 with_range("elliptic cylinder: vertical semi-axis (depth), cm", Condition::EllipseVertical))
      ->capture_default_str();
  app.add_option("--racetrack-a", m.racetrack_a, with_range("racetrack: width a of the flat top, cm", Condition::RacetrackA))
      ->capture_default_str();
  app.add_option("--racetrack-b", m.racetrack_b,
                 with_range("racetrack: diameter b of the rounded sides, cm", Condition::RacetrackB))
      ->capture_default_str();
  app.add_option("--length", m.length, with_range("racetrack: length along its axis, cm", Condition::RacetrackLength))
      ->capture_default_str();
  app.add_option("--histories", m.histories, with_range("photon histories", Condition::HistoryCount))
      ->capture_default_str();
  auto* t = app.add_option("--threads", m.threads, "threads of the parallel run (0: all cores)")->capture_default_str();
  auto* x = app.add_flag("--exact", m.exact, "the exact serial run, reproducible bit for bit");
  t->excludes(x);
  app.add_option("--keep-dir", m.keep_dir, "keep the engine's working folder here (default: a temporary one, removed)");
}

void add_condition_options(CLI::App& app, CliConditions& c, std::string& field)
{
  app.add_option("--kv", c.kv, with_range("tube voltage, kV", Condition::TubeVoltage))->capture_default_str();
  app.add_option("--waveform", c.waveform, "1 constant potential / inverter, 2 three-phase 12-peak, 3 single-phase full-wave")
      ->capture_default_str();
  app.add_option("--anode-angle", c.anode_angle, with_range("anode (target) angle, degrees", Condition::AnodeAngle))
      ->capture_default_str();
  app.add_option("--inherent-al", c.inherent_al, with_range("inherent filtration, mm Al", Condition::InherentFilter))
      ->capture_default_str();
  app.add_option("--added-al", c.added_al, with_range("added aluminium filter, mm", Condition::AddedFilterAl))
      ->capture_default_str();
  app.add_option("--added-cu", c.added_cu, with_range("added copper filter, mm", Condition::AddedFilterCu))
      ->capture_default_str();
  app.add_option("--ffd", c.ffd, with_range("focus to image receptor distance, cm", Condition::FocusReceptorDistance))
      ->capture_default_str();
  app.add_option("--fsd", c.fsd, with_range("focus to entrance surface distance, cm", Condition::FocusSurfaceDistance))
      ->capture_default_str();
  app.add_option("--thickness", c.thickness, with_range("object thickness, cm", Condition::ObjectThickness))
      ->capture_default_str();
  auto* f = app.add_option("--field", field,
                           with_range("rectangular field LONGxSHORT at the receptor, cm (default 43.2x35.6); each side",
                                      Condition::FieldLong));
  auto* d = app.add_option("--diameter", c.diameter,
                           with_range("circular field diameter at the receptor, cm", Condition::FieldDiameter));
  f->excludes(d);
}

nlohmann::ordered_json to_json(const CliConditions& c, const Results& r)
{
  nlohmann::ordered_json j;
  j["kv"] = c.kv;
  j["waveform"] = c.waveform;
  j["anode_angle"] = c.anode_angle;
  j["inherent_al"] = c.inherent_al;
  j["added_al"] = c.added_al;
  j["added_cu"] = c.added_cu;
  j["ffd"] = c.ffd;
  j["fsd"] = c.fsd;
  j["thickness"] = c.thickness;
  if (c.diameter) j["diameter"] = *c.diameter;
  else j["field"] = condition_text(c, "field");
  if (r.spectrum.hvl_found) j["hvl_mm_al"] = 10.0 * r.spectrum.hvl_cm;
  else j["hvl_mm_al"] = nullptr;
  if (!r.mc) {
    j["bsf_air_kerma"] = r.state.BsfAirKerma;
    j["bsf_soft_tissue"] = r.state.BsfSoftTissue;
    j["bsf_skin"] = r.state.BsfSkin;
    return j;
  }
  j["bsf_air_kerma"] = r.mc->factors.air_kerma;
  j["bsf_soft_tissue"] = r.mc->factors.soft_tissue;
  j["bsf_skin"] = r.mc->factors.skin;
  j["u_air_kerma"] = r.mc->uncertainties.air_kerma;
  j["u_soft_tissue"] = r.mc->uncertainties.soft_tissue;
  j["u_skin"] = r.mc->uncertainties.skin;
  j["histories"] = r.mc->histories;
  j["seconds"] = r.mc->seconds;
  j["phantom"] = r.mc->phantom;
  // The flat-surface table estimate beside it: the curved surface's effect.
  j["estimate_bsf_air_kerma"] = r.state.BsfAirKerma;
  j["estimate_bsf_soft_tissue"] = r.state.BsfSoftTissue;
  j["estimate_bsf_skin"] = r.state.BsfSkin;
  return j;
}

// The progress of a run on standard error, redrawn in place, when standard
// error is a terminal.
McProgress terminal_progress()
{
  if (!::isatty(STDERR_FILENO)) return {};
  return [](const EngineStatus& s) {
    std::fprintf(stderr, "\r%s\033[K", progress_bar(s).c_str());
    if (s.state != "running") std::fputc('\n', stderr);
    std::fflush(stderr);
  };
}

// The Monte Carlo run of one exposure, with the table estimate of the same
// conditions beside it.
Results calculate_mc(const CliConditions& c, const McOptions& m, const AttenuationTable& att,
                     const DifferentialTables& tables, const fs::path& data_dir, const McProgress& progress)
{
  Results r;
  try {
    r.state = mc_conditions(c, m);
  } catch (const std::invalid_argument& e) {
    throw BadInput(e.what());
  }
  r.spectrum = compute_spectrum(r.state, att);
  r.state.PhotonSpectrum = r.spectrum.photons;
  r.state.HalfValueLayer = r.spectrum.hvl_cm;
  estimate_backscatter(r.state, att, tables);
  r.mc = run_mc(r.state, spectrum_file_text(r.spectrum.photons), data_dir, m, progress);
  return r;
}

int run_mc_command(const CliConditions& c, const McOptions& m, const std::string& data_dir, bool json)
{
  const fs::path dir = data_directory(data_dir);
  const DifferentialTables tables = load_differential_tables(dir);
  const AttenuationTable att = load_attenuation_table(dir);
  const Results r = calculate_mc(c, m, att, tables, dir, terminal_progress());
  if (json) {
    std::cout << to_json(c, r).dump(2) << "\n";
    return 0;
  }
  auto with_u = [](double v, double u) { return format_pattern(v, "#0.000") + " ± " + format_pattern(u, "#0.000"); };
  const std::pair<const char*, std::string> lines[] = {
      {"Half-value layer:", half_value_layer_text(r.spectrum) + " mm Al"},
      {"Backscatter factor, air kerma:", with_u(r.mc->factors.air_kerma, r.mc->uncertainties.air_kerma) +
                                             "   (flat-surface table estimate " +
                                             format_pattern(r.state.BsfAirKerma, "#0.000") + ")"},
      {"Backscatter factor, soft-tissue dose:", with_u(r.mc->factors.soft_tissue, r.mc->uncertainties.soft_tissue) +
                                                    "   (flat-surface table estimate " +
                                                    format_pattern(r.state.BsfSoftTissue, "#0.000") + ")"},
      {"Backscatter factor, skin dose:", with_u(r.mc->factors.skin, r.mc->uncertainties.skin) +
                                             "   (flat-surface table estimate " +
                                             format_pattern(r.state.BsfSkin, "#0.000") + ")"},
  };
  for (const auto& [label, value] : lines) std::printf("%-38s %s\n", label, value.c_str());
  std::printf("Monte Carlo: %s phantom, %lld histories, %d thread%s, %.1f s; uncertainties are standard (k = 1)\n",
              r.mc->phantom.c_str(), static_cast<long long>(r.mc->histories), r.mc->threads,
              r.mc->threads == 1 ? "" : "s", r.mc->seconds);
  return 0;
}

int run_estimate(const CliConditions& c, const std::string& data_dir, bool json, bool write_spectrum)
{
  const fs::path dir = data_directory(data_dir);
  const DifferentialTables tables = load_differential_tables(dir);
  const AttenuationTable att = load_attenuation_table(dir);
  const Results r = calculate(c, att, &tables, "");
  if (write_spectrum) write_spectrum_file(fs::current_path(), r.spectrum.photons);
  if (json) {
    std::cout << to_json(c, r).dump(2) << "\n";
    return 0;
  }
  const std::pair<const char*, std::string> lines[] = {
      {"Half-value layer:", half_value_layer_text(r.spectrum) + " mm Al"},
      {"Backscatter factor, air kerma:", format_pattern(r.state.BsfAirKerma, "#0.000")},
      {"Backscatter factor, soft-tissue dose:", format_pattern(r.state.BsfSoftTissue, "#0.000")},
      {"Backscatter factor, skin dose:", format_pattern(r.state.BsfSkin, "#0.000")},
  };
  for (const auto& [label, value] : lines) std::printf("%-38s %s\n", label, value.c_str());
  if (!r.spectrum.hvl_found) std::cout << "(the half-value layer exceeds 2.99 cm Al, the end of the search)\n";
  return 0;
}

int run_spectrum(const CliConditions& c, const std::string& data_dir, const std::string& output, bool write_spectrum)
{
  const AttenuationTable att = load_attenuation_table(data_directory(data_dir));
  const Results r = calculate(c, att, nullptr, "");
  if (write_spectrum) write_spectrum_file(fs::current_path(), r.spectrum.photons);
  std::ostringstream text;
  text << "energy_kev,relative_photons,relative_air_kerma\n";
  for (int i = 1; i <= kSpectrumBins; ++i) {
    char line[96];
    std::snprintf(line, sizeof line, "%.1f,%.8g,%.8g\n", 0.5 * i, r.spectrum.photons[static_cast<std::size_t>(i)],
                  r.spectrum.kerma[static_cast<std::size_t>(i)]);
    text << line;
  }
  if (output.empty()) {
    std::cout << text.str();
  } else {
    std::ofstream out(output, std::ios::binary);
    out << text.str();
    out.close();
    if (!out) throw DataFileError(DataFileError::Kind::CannotWrite, output, 0, output + ": cannot be written");
  }
  return 0;
}

// One result row per input row, estimate or Monte Carlo as its method
// column says; a row that fails gets its message in the error column and
// the others go on. Status 2 when any row failed.
int run_batch(const std::string& file, const std::string& data_dir)
{
  std::ifstream in(file, std::ios::binary);
  if (!in) throw BadInput(file + ": cannot be opened");
  const fs::path dir = data_directory(data_dir);
  const DifferentialTables tables = load_differential_tables(dir);
  const AttenuationTable att = load_attenuation_table(dir);

  std::string line;
  if (!std::getline(in, line)) throw BadInput(file + ": the file is empty (a header row names the columns)");
  // A spreadsheet may begin the file with a byte-order mark and put blanks
  // after the commas.
  if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
  std::vector<std::string> header = split_csv(line);
  for (std::string& h : header) {
    const std::size_t a = h.find_first_not_of(" \t"), b = h.find_last_not_of(" \t");
    h = a == std::string::npos ? "" : h.substr(a, b - a + 1);
  }
  auto is_one_of = [](const std::string& h, const std::vector<std::string>& columns) {
    for (const auto& c : columns)
      if (h == c) return true;
    return false;
  };
  for (const auto& h : header)
    if (!is_one_of(h, condition_columns()) && !is_one_of(h, mc_columns()) && h != "method")
      throw BadInput(file + ", line 1: unknown column \"" + h + "\"");
  std::cout << "line";
  for (const auto& c : condition_columns()) std::cout << "," << c;
  std::cout << ",method";
  for (const auto& c : mc_columns()) std::cout << "," << c;
  std::cout << ",hvl_mm_al,bsf_air_kerma,bsf_soft_tissue,bsf_skin,u_air_kerma,u_soft_tissue,u_skin,error\n";

  int failed = 0;
  for (int n = 2; std::getline(in, line); ++n) {
    if (line.find_first_not_of(" \t\r,") == std::string::npos) continue;
    const std::string where = file + ", line " + std::to_string(n) + ": ";
    CliConditions c;
    McOptions m;
    bool monte_carlo = false;
    std::string error;
    Results r;
    try {
      const std::vector<std::string> cells = split_csv(line);
      if (cells.size() > header.size()) throw BadInput("more cells than the header has columns");
      bool field = false, diameter = false;
      for (std::size_t i = 0; i < cells.size(); ++i) {
        const bool given = cells[i].find_first_not_of(" \t\r") != std::string::npos;
        if (header[i] == "method") {
          std::string method = cells[i];
          std::erase_if(method, [](char ch) { return ch == ' ' || ch == '\t' || ch == '\r'; });
          if (method == "mc") monte_carlo = true;
          else if (!method.empty() && method != "estimate")
            throw BadInput("column method: \"" + method + "\" is not a method (estimate or mc)");
        } else if (is_one_of(header[i], mc_columns())) {
          set_mc_option(m, header[i], cells[i]);
        } else {
          set_condition(c, header[i], cells[i]);
          field = field || (header[i] == "field" && given);
          diameter = diameter || (header[i] == "diameter" && given);
        }
      }
      if (field && diameter) throw BadInput("both a field and a diameter are given; give one of them");
      r = monte_carlo ? calculate_mc(c, m, att, tables, dir, {}) : calculate(c, att, &tables, "");
    } catch (const std::exception& e) {
      error = e.what();
      ++failed;
      std::cerr << "orbisan-cli: " << where << error << "\n";
    }
    std::cout << n;
    for (const auto& col : condition_columns()) std::cout << "," << csv_cell(condition_text(c, col));
    std::cout << "," << (monte_carlo ? "mc" : "estimate");
    for (const auto& col : mc_columns()) std::cout << "," << (monte_carlo ? csv_cell(mc_text(m, col)) : "");
    if (error.empty()) {
      const double f[3] = {r.mc ? r.mc->factors.air_kerma : r.state.BsfAirKerma,
                           r.mc ? r.mc->factors.soft_tissue : r.state.BsfSoftTissue,
                           r.mc ? r.mc->factors.skin : r.state.BsfSkin};
      std::cout << "," << (r.spectrum.hvl_found ? format_pattern(10.0 * r.spectrum.hvl_cm, "#0.000") : "");
      for (double v : f) std::cout << "," << format_pattern(v, "#0.000");
      if (r.mc) {
        for (double u : {r.mc->uncertainties.air_kerma, r.mc->uncertainties.soft_tissue, r.mc->uncertainties.skin})
          std::cout << "," << format_pattern(u, "#0.0000");
      } else {
        std::cout << ",,,";
      }
      std::cout << ",\n";
    } else {
      std::cout << ",,,,,,,," << csv_cell(error) << "\n";
    }
  }
  return failed ? kExitBadInput : 0;
}

}  // namespace

int main(int argc, char** argv)
{
  CLI::App app{"Orbisan backscatter factors from the command line: the flat-surface table estimate"};
  app.require_subcommand(1);
  std::string data_dir;
  app.add_option("--data-dir", data_dir, "folder with the data files (default: the current folder, else the program's)");

  CliConditions est_c, spectrum_c, mc_c;
  std::string est_field, spectrum_field, mc_field;
  McOptions mc_options;
  bool mc_json = false;
  bool json = false, write_spectrum = false, spectrum_write = false;
  std::string output, batch_file;

  auto* est = app.add_subcommand("estimate", "half-value layer and the three backscatter factors of one exposure");
  add_condition_options(*est, est_c, est_field);
  est->add_flag("--json", json, "print one JSON object");
  est->add_flag("--write-spectrum", write_spectrum, "also write X_SPCTL.dat into the current folder");

  auto* mc = app.add_subcommand("mc", "the full Monte Carlo calculation for a curved surface, with its uncertainties");
  add_condition_options(*mc, mc_c, mc_field);
  add_mc_options(*mc, mc_options);
  mc->add_flag("--json", mc_json, "print one JSON object");

  auto* batch = app.add_subcommand("batch", "one exposure per CSV row (method estimate or mc), results as CSV");
  batch->add_option("file", batch_file, "CSV file whose header row names the columns")->required();

  auto* spectrum_cmd = app.add_subcommand("spectrum", "the normalised spectrum: energy, relative photon number, relative air kerma");
  add_condition_options(*spectrum_cmd, spectrum_c, spectrum_field);
  spectrum_cmd->add_option("--output", output, "write the table to this file instead of standard output");
  spectrum_cmd->add_flag("--write-spectrum", spectrum_write, "also write X_SPCTL.dat into the current folder");

  // --data-dir may follow the subcommand too.
  for (auto* sub : {est, mc, batch, spectrum_cmd}) sub->fallthrough();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : kExitBadInput;
  }

  try {
    if (!est_field.empty()) parse_field(est_field, est_c.field_long, est_c.field_short);
    if (!spectrum_field.empty()) parse_field(spectrum_field, spectrum_c.field_long, spectrum_c.field_short);
    if (!mc_field.empty()) parse_field(mc_field, mc_c.field_long, mc_c.field_short);
  } catch (const std::invalid_argument& e) {
    std::cerr << "orbisan-cli: --field: " << e.what() << "\n";
    return kExitBadInput;
  }

  int status = 0;
  try {
    if (*est) status = run_estimate(est_c, data_dir, json, write_spectrum);
    else if (*mc) status = run_mc_command(mc_c, mc_options, data_dir, mc_json);
    else if (*spectrum_cmd) status = run_spectrum(spectrum_c, data_dir, output, spectrum_write);
    else status = run_batch(batch_file, data_dir);
  } catch (const BadInput& e) {
    std::cerr << "orbisan-cli: " << e.what() << "\n";
    return kExitBadInput;
  } catch (const McFailure& e) {
    // The engine's own message; a run that cannot give a result is status 2.
    std::cerr << "orbisan-cli: " << e.what() << "\n";
    return e.engine_status() == 2 ? kExitBadInput : kExitDataError;
  } catch (const DataFileError& e) {
    std::cerr << "orbisan-cli: " << e.what() << "\n";
    return kExitDataError;
  } catch (const std::exception& e) {
    std::cerr << "orbisan-cli: " << e.what() << "\n";
    return kExitDataError;
  }
  // Results that could not be written are no results.
  std::cout.flush();
  if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::cerr << "orbisan-cli: the results could not be written to standard output\n";
    return kExitDataError;
  }
  return status;
}
