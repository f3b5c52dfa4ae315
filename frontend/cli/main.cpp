// orbisan-cli: the table estimate without windows, for many exposures or a
// machine without a display.
//
//   orbisan-cli estimate [conditions] [--json] [--write-spectrum]
//   orbisan-cli batch FILE.csv
//   orbisan-cli spectrum [conditions] [--output FILE] [--write-spectrum]
//
// Exit status: 0 success, 1 a data file missing or unreadable (or a file
// that cannot be written), 2 bad input (the message names the option or the
// CSV line).
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
  ExposureConditions state;
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
  j["bsf_air_kerma"] = r.state.BsfAirKerma;
  j["bsf_soft_tissue"] = r.state.BsfSoftTissue;
  j["bsf_skin"] = r.state.BsfSkin;
  return j;
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

// One result row per input row; a row that fails gets its message in the
// error column and the others go on. Status 2 when any row failed.
int run_batch(const std::string& file, const std::string& data_dir)
{
  std::ifstream in(file, std::ios::binary);
  if (!in) throw BadInput(file + ": cannot be opened");
  const fs::path dir = data_directory(data_dir);
  const DifferentialTables tables = load_differential_tables(dir);
  const AttenuationTable att = load_attenuation_table(dir);

  std::string line;
  if (!std::getline(in, line)) throw BadInput(file + ": the file is empty (a header row names the columns)");
  const std::vector<std::string> header = split_csv(line);
  for (const auto& h : header) {
    bool known = false;
    for (const auto& c : condition_columns()) known = known || h == c;
    if (!known) throw BadInput(file + ", line 1: unknown column \"" + h + "\"");
  }
  std::cout << "line";
  for (const auto& c : condition_columns()) std::cout << "," << c;
  std::cout << ",hvl_mm_al,bsf_air_kerma,bsf_soft_tissue,bsf_skin,error\n";

  int failed = 0;
  for (int n = 2; std::getline(in, line); ++n) {
    if (line.find_first_not_of(" \t\r,") == std::string::npos) continue;
    const std::string where = file + ", line " + std::to_string(n) + ": ";
    CliConditions c;
    std::string error;
    Results r;
    try {
      const std::vector<std::string> cells = split_csv(line);
      if (cells.size() > header.size()) throw BadInput("more cells than the header has columns");
      for (std::size_t i = 0; i < cells.size(); ++i) set_condition(c, header[i], cells[i]);
      r = calculate(c, att, &tables, "");
    } catch (const std::exception& e) {
      error = e.what();
      ++failed;
      std::cerr << "orbisan-cli: " << where << error << "\n";
    }
    std::cout << n;
    for (const auto& col : condition_columns()) std::cout << "," << csv_cell(condition_text(c, col));
    if (error.empty()) {
      std::cout << "," << (r.spectrum.hvl_found ? format_pattern(10.0 * r.spectrum.hvl_cm, "#0.000") : "")
                << "," << format_pattern(r.state.BsfAirKerma, "#0.000") << ","
                << format_pattern(r.state.BsfSoftTissue, "#0.000") << "," << format_pattern(r.state.BsfSkin, "#0.000")
                << ",\n";
    } else {
      std::cout << ",,,,," << csv_cell(error) << "\n";
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

  CliConditions est_c, spectrum_c;
  std::string est_field, spectrum_field;
  bool json = false, write_spectrum = false, spectrum_write = false;
  std::string output, batch_file;

  auto* est = app.add_subcommand("estimate", "half-value layer and the three backscatter factors of one exposure");
  add_condition_options(*est, est_c, est_field);
  est->add_flag("--json", json, "print one JSON object");
  est->add_flag("--write-spectrum", write_spectrum, "also write X_SPCTL.dat into the current folder");

  auto* batch = app.add_subcommand("batch", "one exposure per CSV row, results as CSV");
  batch->add_option("file", batch_file, "CSV file whose header row names the columns")->required();

  auto* spectrum_cmd = app.add_subcommand("spectrum", "the normalised spectrum: energy, relative photon number, relative air kerma");
  add_condition_options(*spectrum_cmd, spectrum_c, spectrum_field);
  spectrum_cmd->add_option("--output", output, "write the table to this file instead of standard output");
  spectrum_cmd->add_flag("--write-spectrum", spectrum_write, "also write X_SPCTL.dat into the current folder");

  // --data-dir may follow the subcommand too.
  for (auto* sub : {est, batch, spectrum_cmd}) sub->fallthrough();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : kExitBadInput;
  }

  try {
    if (!est_field.empty()) parse_field(est_field, est_c.field_long, est_c.field_short);
    if (!spectrum_field.empty()) parse_field(spectrum_field, spectrum_c.field_long, spectrum_c.field_short);
  } catch (const std::invalid_argument& e) {
    std::cerr << "orbisan-cli: --field: " << e.what() << "\n";
    return kExitBadInput;
  }

  try {
    if (*est) return run_estimate(est_c, data_dir, json, write_spectrum);
    if (*spectrum_cmd) return run_spectrum(spectrum_c, data_dir, output, spectrum_write);
    return run_batch(batch_file, data_dir);
  } catch (const BadInput& e) {
    std::cerr << "orbisan-cli: " << e.what() << "\n";
    return kExitBadInput;
  } catch (const DataFileError& e) {
    std::cerr << "orbisan-cli: " << e.what() << "\n";
    return kExitDataError;
  } catch (const std::exception& e) {
    std::cerr << "orbisan-cli: " << e.what() << "\n";
    return kExitDataError;
  }
}
