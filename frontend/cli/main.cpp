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

#ifdef ORBISAN_WITH_REPORT
#include <QDateTime>
#include <QGuiApplication>
#endif

#include "cli_conditions.h"
#include "condition_checks.h"
#include "mc_run.h"
#include "result_file.h"
#include "data_tables.h"
#include "estimate.h"
#include "file_io.h"
#include "free_format.h"
#include "number_text.h"
#include "installation.h"
#include "patient_dose.h"
#ifdef ORBISAN_WITH_REPORT
#include "report.h"
#endif
#include "sha256.h"
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
// program, else in the installed share folder; --data-dir overrides all.
fs::path data_directory(const std::string& option)
{
  if (!option.empty()) return option;
  return find_data_dir(fs::current_path(), program_dir());
}

struct Results {
  CliConditions conditions;               // as computed with (the added aluminium found for --hvl)
  SpectrumResult spectrum;
  ExposureConditions state;               // the table estimate's factors
  std::optional<EngineResultJson> mc;     // the Monte Carlo result, when run
  std::optional<double> matched_hvl_mm;   // the added aluminium was found for this layer
  TissueToAir f;                          // of the beam's kerma spectrum
  std::optional<AirKermaInput> air_kerma;
  std::optional<EntranceDoses> doses;
};

// The factors the doses are formed with: the Monte Carlo's with their
// uncertainties, else the table estimate's.
Factors factors_of(const Results& r)
{
  if (r.mc)
    return {r.mc->factors.air_kerma, r.mc->factors.soft_tissue, r.mc->factors.skin,
            r.mc->uncertainties.air_kerma, r.mc->uncertainties.soft_tissue, r.mc->uncertainties.skin};
  return {r.state.BsfAirKerma, r.state.BsfSoftTissue, r.state.BsfSkin, std::nullopt, std::nullopt, std::nullopt};
}

// The added aluminium of a measured half-value layer, put into the
// conditions: the rest of the beam as given, the aluminium bisected.
void match_hvl(CliConditions& c, const DoseOptions& d, const AttenuationTable& att)
{
  if (!d.hvl_mm) return;
  CliConditions bare = c;
  bare.added_al = 0.0;
  const ExposureConditions e = to_exposure(bare);
  if (const auto p = check_ranges(e)) throw BadInput("--" + p->option + ": " + p->message_en);
  if (!(std::isfinite(*d.hvl_mm) && *d.hvl_mm > 0.0)) throw BadInput("--hvl: the half-value layer must be a positive number of mm Al");
  try {
    const FiltrationMatch m = added_al_for_hvl(e, att, 0.1 * *d.hvl_mm, 0.1 * limit_of(Condition::AddedFilterAl).high);
    c.added_al = 10.0 * m.added_al_cm;
  } catch (const HvlOutOfReach& x) {
    throw BadInput(std::string("--hvl: ") + x.what());
  }
}

// The tissue-to-air ratios of the beam and, with an air kerma, the doses at
// the entrance surface.
void add_doses(Results& r, const DoseOptions& d, const AttenuationTable& att)
{
  r.matched_hvl_mm = d.hvl_mm;
  r.f = tissue_to_air(r.spectrum, att);
  if (!d.incident_air_kerma_mgy && !d.tube_output_ugy_per_mas) return;
  AirKermaInput in;
  if (d.incident_air_kerma_mgy) {
    in.measured_mgy = *d.incident_air_kerma_mgy;
    in.at_cm = d.at_cm.value_or(0.0);
  } else {
    in.source = AirKermaInput::Source::TubeOutput;
    in.output_ugy_per_mas = *d.tube_output_ugy_per_mas;
    in.mas = d.mas.value_or(0.0);
  }
  in.relative_u = d.air_kerma_rel_u;
  // A distance of 0 stands for "at the surface" only when none is given.
  if (d.at_cm && !(*d.at_cm > 0.0)) throw BadInput("--at: the measuring distance must be a positive number of cm");
  try {
    r.doses = entrance_doses(r.state.FocusSurfaceDistance, in, factors_of(r), r.f);
  } catch (const std::invalid_argument& e) {
    // The option the message is about.
    const std::string what = e.what();
    const char* option = what.find("distance") != std::string::npos      ? "--at: "
                         : what.find("the mAs") != std::string::npos      ? "--mas: "
                         : what.find("uncertainty") != std::string::npos  ? "--air-kerma-rel-u: "
                         : d.incident_air_kerma_mgy                      ? "--incident-air-kerma: "
                                                                          : "--tube-output: ";
    throw BadInput(option + what);
  }
  r.air_kerma = in;
}

void check(const ExposureConditions& e, const std::string& where)
{
  if (const auto p = check_conditions(e)) throw BadInput(where + (p->option.empty() ? "" : "--" + p->option + ": ") + p->message_en);
}

Results calculate(CliConditions c, const AttenuationTable& att, const DifferentialTables* tables,
                  const std::string& where, const DoseOptions& d = {})
{
  match_hvl(c, d, att);
  Results r;
  r.conditions = c;
  r.state = to_exposure(c);
  check(r.state, where);
  r.spectrum = compute_spectrum(r.state, att);
  r.state.PhotonSpectrum = r.spectrum.photons;
  r.state.HalfValueLayer = r.spectrum.hvl_cm;
  if (tables) {
    estimate_backscatter(r.state, att, *tables);
    add_doses(r, d, att);
  }
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
  std::vector<std::string> phantoms;
  for (Phantom p : kEnginePhantoms) phantoms.emplace_back(phantom_option_name(p));
  app.add_option_function<std::string>(
         "--phantom", [&m](const std::string& name) { m.phantom = phantom_from_option_name(name).value(); },
         "the phantom's section: cylinder, elliptic or racetrack")
      ->default_str(std::string(phantom_option_name(m.phantom)))
      ->check(CLI::IsMember(phantoms));
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

void add_dose_options(CLI::App& app, DoseOptions& d)
{
  app.add_option("--hvl", d.hvl_mm, "measured first half-value layer, mm Al: the added aluminium is found for it");
  app.add_option("--incident-air-kerma", d.incident_air_kerma_mgy,
                 "measured incident air kerma free in air, without backscatter, mGy");
  app.add_option("--at", d.at_cm, "distance from the focus where it was measured, cm (default: at the entrance surface)");
  app.add_option("--tube-output", d.tube_output_ugy_per_mas, "tube output at 100 cm, uGy/mAs (with --mas)");
  app.add_option("--mas", d.mas, "tube current-time product, mAs");
  app.add_option("--air-kerma-rel-u", d.air_kerma_rel_u, "relative standard uncertainty of the air kerma (0.05 for 5 %)");
  app.add_option("--report", d.report, "write a one-page PDF report");
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
  const std::string field_help = std::string("rectangular field LONGxSHORT at the receptor, cm (default ") +
                                 default_text(Condition::FieldLong) + "x" + default_text(Condition::FieldShort) +
                                 "); each side";
  auto* f = app.add_option("--field", field, with_range(field_help.c_str(), Condition::FieldLong));
  auto* d = app.add_option("--diameter", c.diameter,
                           with_range("circular field diameter at the receptor, cm", Condition::FieldDiameter));
  f->excludes(d);
}

// The dose keys, with their uncertainties where known.
void add_dose_json(nlohmann::ordered_json& j, const Results& r)
{
  j["f_soft_tissue"] = r.f.soft;
  j["f_skin"] = r.f.skin;
  if (!r.doses) return;
  const EntranceDoses& d = *r.doses;
  const std::pair<const char*, std::pair<double, std::optional<double>>> keys[] = {
      {"incident_air_kerma_mgy", {d.incident_air_kerma_mgy, d.u_incident_air_kerma_mgy}},
      {"esak_mgy", {d.esak_mgy, d.u_esak_mgy}},
      {"entrance_soft_tissue_dose_mgy", {d.soft_tissue_mgy, d.u_soft_tissue_mgy}},
      {"entrance_skin_dose_mgy", {d.skin_mgy, d.u_skin_mgy}},
  };
  for (const auto& [key, value] : keys) j[key] = value.first;
  for (const auto& [key, value] : keys)
    if (value.second) j[std::string("u_") + key] = *value.second;
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
  if (r.matched_hvl_mm) j["matched_hvl_mm_al"] = *r.matched_hvl_mm;
  if (!r.mc) {
    j["bsf_air_kerma"] = r.state.BsfAirKerma;
    j["bsf_soft_tissue"] = r.state.BsfSoftTissue;
    j["bsf_skin"] = r.state.BsfSkin;
    add_dose_json(j, r);
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
  add_dose_json(j, r);
  return j;
}

// The entrance doses as lines of text, with their uncertainties where known.
void print_doses(const Results& r)
{
  auto value = [](double v, const std::optional<double>& u) {
    return format_pattern(v, "#0.000") + (u ? " ± " + format_pattern(*u, "#0.000") : "") + " mGy";
  };
  if (r.matched_hvl_mm)
    std::printf("%-38s %s mm (for the measured half-value layer %s mm Al)\n", "Added aluminium found:",
                format_pattern(r.conditions.added_al, "#0.000").c_str(), format_pattern(*r.matched_hvl_mm, "#0.000").c_str());
  std::printf("%-38s %s (soft tissue), %s (skin)\n", "Tissue-to-air ratios of the beam:",
              format_pattern(r.f.soft, "#0.0000").c_str(), format_pattern(r.f.skin, "#0.0000").c_str());
  if (!r.doses) return;
  const EntranceDoses& d = *r.doses;
  const std::pair<const char*, std::string> lines[] = {
      {"Incident air kerma at the surface:", value(d.incident_air_kerma_mgy, d.u_incident_air_kerma_mgy)},
      {"Entrance surface air kerma (ESAK):", value(d.esak_mgy, d.u_esak_mgy)},
      {"Entrance soft-tissue dose:", value(d.soft_tissue_mgy, d.u_soft_tissue_mgy)},
      {"Entrance skin dose:", value(d.skin_mgy, d.u_skin_mgy)},
  };
  for (const auto& [label, text] : lines) std::printf("%-38s %s\n", label, text.c_str());
}

#ifdef ORBISAN_WITH_REPORT
// The one-page PDF report of a result, with the digests of the data files
// it was computed with. Qt draws it on its offscreen platform.
void write_report(const Results& r, const std::string& file, const fs::path& data_dir)
{
  if (!QGuiApplication::instance()) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "orbisan-cli";
    static char* argv[] = {name, nullptr};
    // Qt's own notices (a runtime folder it defaults) are not the user's
    // business on a command line; its errors are.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
      if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "orbisan-cli: %s\n", qPrintable(message));
    });
    new QGuiApplication(argc, argv);  // for the rest of the process
  }
  report::DoseReport rep;
  rep.method = report::method_text(r.state, r.mc ? std::optional(r.mc->histories) : std::nullopt);
  rep.conditions = r.state;
  rep.matched_hvl_mm = r.matched_hvl_mm;
  rep.spectrum = r.spectrum;
  rep.factors = factors_of(r);
  rep.air_kerma = r.air_kerma;
  rep.doses = r.doses;
  std::vector<std::string> files = {"Att_Coeff2020.dat", "dBSF-SoftDose-SoftPhantom.dat", "dBSF-AirDose-SoftPhantom.dat",
                                    "dBSF-SkinDose-SoftPhantom.dat"};
  if (r.mc) files.push_back("ICRUSoft.dat");
  for (const std::string& f : files)
    rep.data_files.emplace_back(QString::fromStdString(f), file_sha256(resolve_nocase(data_dir, f)));
  rep.version = QStringLiteral(ORBISAN_VERSION);
  rep.date = QDateTime::currentDateTime().toString(Qt::ISODate);
  try {
    report::write_report_pdf(rep, QString::fromStdString(file));
  } catch (const std::runtime_error& e) {
    throw DataFileError(DataFileError::Kind::CannotWrite, file, 0, e.what());
  }
}
#else
// Built without Qt (ORBISAN_GUI=OFF): no PDF writer. Refused before any
// calculation, see reports_available().
void write_report(const Results&, const std::string&, const fs::path&) {}
#endif

// Whether this build can write the PDF report.
constexpr bool reports_available()
{
#ifdef ORBISAN_WITH_REPORT
  return true;
#else
  return false;
#endif
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
Results calculate_mc(CliConditions c, const McOptions& m, const AttenuationTable& att,
                     const DifferentialTables& tables, const fs::path& data_dir, const McProgress& progress,
                     const DoseOptions& d = {})
{
  match_hvl(c, d, att);
  Results r;
  r.conditions = c;
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
  add_doses(r, d, att);
  return r;
}

int run_mc_command(const CliConditions& c, const McOptions& m, const DoseOptions& d, const std::string& data_dir,
                   bool json)
{
  const fs::path dir = data_directory(data_dir);
  const DifferentialTables tables = load_differential_tables(dir);
  const AttenuationTable att = load_attenuation_table(dir);
  const Results r = calculate_mc(c, m, att, tables, dir, terminal_progress(), d);
  if (!d.report.empty()) write_report(r, d.report, dir);
  if (json) {
    std::cout << to_json(r.conditions, r).dump(2) << "\n";
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
  print_doses(r);
  std::printf("Monte Carlo: %s phantom, %lld histories, %d thread%s, %.1f s; uncertainties are standard (k = 1)\n",
              r.mc->phantom.c_str(), static_cast<long long>(r.mc->histories), r.mc->threads,
              r.mc->threads == 1 ? "" : "s", r.mc->seconds);
  return 0;
}

int run_estimate(const CliConditions& c, const DoseOptions& d, const std::string& data_dir, bool json,
                 bool write_spectrum)
{
  const fs::path dir = data_directory(data_dir);
  const DifferentialTables tables = load_differential_tables(dir);
  const AttenuationTable att = load_attenuation_table(dir);
  const Results r = calculate(c, att, &tables, "", d);
  if (write_spectrum) write_spectrum_file(fs::current_path(), r.spectrum.photons);
  if (!d.report.empty()) write_report(r, d.report, dir);
  if (json) {
    std::cout << to_json(r.conditions, r).dump(2) << "\n";
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
  print_doses(r);
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
    return 0;
  }
  // A file is replaced whole or not at all, as every file this program
  // writes; a pipe, a device (/dev/stdout) or a link is written through.
  std::error_code ec;
  const fs::file_type type = fs::symlink_status(output, ec).type();
  if (type == fs::file_type::not_found || type == fs::file_type::regular) {
    if (const auto failure = write_file_atomically(output, text.str()))
      throw DataFileError(DataFileError::Kind::CannotWrite, output, 0, output + ": cannot be written", {},
                          failure->os_error);
    return 0;
  }
  std::ofstream out(output, std::ios::binary);
  out << text.str();
  out.close();
  if (!out) throw DataFileError(DataFileError::Kind::CannotWrite, output, 0, output + ": cannot be written");
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
    if (!is_one_of(h, condition_columns()) && !is_one_of(h, mc_columns()) && !is_one_of(h, dose_columns()) &&
        h != "method")
      throw BadInput(file + ", line 1: unknown column \"" + h + "\"");
  std::cout << "line";
  for (const auto& c : condition_columns()) std::cout << "," << c;
  std::cout << ",method";
  for (const auto& c : mc_columns()) std::cout << "," << c;
  for (const auto& c : dose_columns()) std::cout << "," << c;
  std::cout << ",hvl_mm_al,bsf_air_kerma,bsf_soft_tissue,bsf_skin,u_air_kerma,u_soft_tissue,u_skin,f_soft_tissue,f_skin,"
               "incident_air_kerma_mgy,esak_mgy,entrance_soft_tissue_dose_mgy,entrance_skin_dose_mgy,u_esak_mgy,"
               "u_entrance_soft_tissue_dose_mgy,u_entrance_skin_dose_mgy,error\n";

  int failed = 0;
  for (int n = 2; std::getline(in, line); ++n) {
    if (line.find_first_not_of(" \t\r,") == std::string::npos) continue;
    const std::string where = file + ", line " + std::to_string(n) + ": ";
    CliConditions c;
    McOptions m;
    DoseOptions d;
    bool monte_carlo = false;
    std::string error;
    Results r;
    try {
      const std::vector<std::string> cells = split_csv(line);
      if (cells.size() > header.size()) throw BadInput("more cells than the header has columns");
      bool field = false, diameter = false, added_al = false;
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
        } else if (is_one_of(header[i], dose_columns())) {
          set_dose_option(d, header[i], cells[i]);
        } else {
          added_al = added_al || (header[i] == "added_al" && given);
          set_condition(c, header[i], cells[i]);
          field = field || (header[i] == "field" && given);
          diameter = diameter || (header[i] == "diameter" && given);
        }
      }
      if (field && diameter) throw BadInput("both a field and a diameter are given; give one of them");
      check_dose_options(d, added_al);
      r = monte_carlo ? calculate_mc(c, m, att, tables, dir, {}, d) : calculate(c, att, &tables, "", d);
      c = r.conditions;
    } catch (const std::exception& e) {
      error = e.what();
      ++failed;
      std::cerr << "orbisan-cli: " << where << error << "\n";
    }
    std::cout << n;
    for (const auto& col : condition_columns()) std::cout << "," << csv_cell(condition_text(c, col));
    std::cout << "," << (monte_carlo ? "mc" : "estimate");
    for (const auto& col : mc_columns()) std::cout << "," << (monte_carlo ? csv_cell(mc_text(m, col)) : "");
    for (const auto& col : dose_columns()) std::cout << "," << csv_cell(dose_text(d, col));
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
      std::cout << "," << format_pattern(r.f.soft, "#0.0000") << "," << format_pattern(r.f.skin, "#0.0000");
      auto mgy = [](const std::optional<double>& v) { return v ? format_pattern(*v, "#0.0000") : std::string(); };
      const std::optional<EntranceDoses>& dose = r.doses;
      for (const std::optional<double>& v :
           {dose ? std::optional(dose->incident_air_kerma_mgy) : std::nullopt, dose ? std::optional(dose->esak_mgy) : std::nullopt,
            dose ? std::optional(dose->soft_tissue_mgy) : std::nullopt, dose ? std::optional(dose->skin_mgy) : std::nullopt,
            dose ? dose->u_esak_mgy : std::nullopt, dose ? dose->u_soft_tissue_mgy : std::nullopt,
            dose ? dose->u_skin_mgy : std::nullopt})
        std::cout << "," << mgy(v);
      std::cout << ",\n";
    } else {
      std::cout << std::string(17, ',') << csv_cell(error) << "\n";
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
  DoseOptions est_dose, mc_dose;
  bool mc_json = false;
  bool json = false, write_spectrum = false, spectrum_write = false;
  std::string output, batch_file;

  auto* est = app.add_subcommand("estimate", "half-value layer and the three backscatter factors of one exposure");
  add_condition_options(*est, est_c, est_field);
  add_dose_options(*est, est_dose);
  est->add_flag("--json", json, "print one JSON object");
  est->add_flag("--write-spectrum", write_spectrum, "also write X_SPCTL.dat into the current folder");

  auto* mc = app.add_subcommand("mc", "the full Monte Carlo calculation for a curved surface, with its uncertainties");
  add_condition_options(*mc, mc_c, mc_field);
  add_mc_options(*mc, mc_options);
  add_dose_options(*mc, mc_dose);
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
  try {
    check_dose_options(est_dose, est->count("--added-al") > 0);
    check_dose_options(mc_dose, mc->count("--added-al") > 0);
    if (!reports_available() && !(est_dose.report.empty() && mc_dose.report.empty()))
      throw std::invalid_argument("--report: this orbisan-cli was built without Qt (ORBISAN_GUI=OFF) and cannot write "
                                  "PDF reports");
  } catch (const std::invalid_argument& e) {
    std::cerr << "orbisan-cli: " << e.what() << "\n";
    return kExitBadInput;
  }

  int status = 0;
  try {
    if (*est) status = run_estimate(est_c, est_dose, data_dir, json, write_spectrum);
    else if (*mc) status = run_mc_command(mc_c, mc_options, mc_dose, data_dir, mc_json);
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
