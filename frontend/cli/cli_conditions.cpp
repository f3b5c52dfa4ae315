#include "cli_conditions.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace bsf::cli {

const std::vector<std::string>& condition_columns()
{
  static const std::vector<std::string> columns = {"kv",  "waveform", "anode_angle", "inherent_al",
                                                   "added_al", "added_cu", "ffd", "fsd",
                                                   "thickness", "field", "diameter"};
  return columns;
}

void parse_field(std::string_view text, double& field_long, double& field_short)
{
  const auto x = text.find_first_of("xX");
  if (x == std::string_view::npos)
    throw std::invalid_argument("\"" + std::string(text) + "\" is not a field size LONGxSHORT (for example 43.2x35.6)");
  try {
    field_long = parse_strict(text.substr(0, x));
    field_short = parse_strict(text.substr(x + 1));
  } catch (const std::invalid_argument&) {
    throw std::invalid_argument("\"" + std::string(text) + "\" is not a field size LONGxSHORT (for example 43.2x35.6)");
  }
}

void set_condition(CliConditions& c, std::string_view column, std::string_view value)
{
  std::string_view v = value;
  while (!v.empty() && (v.front() == ' ' || v.back() == ' ' || v.back() == '\r'))
    v = v.front() == ' ' ? v.substr(1) : v.substr(0, v.size() - 1);
  if (v.empty()) return;
  try {
    if (column == "kv") c.kv = parse_strict(v);
    else if (column == "waveform") {
      const double w = parse_strict(v);
      if (w != std::floor(w) || w < -32768 || w > 32767) throw std::invalid_argument("\"" + std::string(v) + "\" is not a waveform code");
      c.waveform = static_cast<int>(w);
    } else if (column == "anode_angle") c.anode_angle = parse_strict(v);
    else if (column == "inherent_al") c.inherent_al = parse_strict(v);
    else if (column == "added_al") c.added_al = parse_strict(v);
    else if (column == "added_cu") c.added_cu = parse_strict(v);
    else if (column == "ffd") c.ffd = parse_strict(v);
    else if (column == "fsd") c.fsd = parse_strict(v);
    else if (column == "thickness") c.thickness = parse_strict(v);
    else if (column == "field") parse_field(v, c.field_long, c.field_short);
    else if (column == "diameter") c.diameter = parse_strict(v);
    else throw std::invalid_argument("unknown column");
  } catch (const std::invalid_argument& e) {
    throw std::invalid_argument("column " + std::string(column) + ": " + e.what());
  }
}

ExposureConditions to_exposure(const CliConditions& c)
{
  ExposureConditions e;
  set_default_conditions(e, 1);
  e.TubeVoltage = c.kv;
  e.Waveform = static_cast<std::int16_t>(c.waveform);
  e.AnodeAngle = c.anode_angle;
  e.InherentFilter = c.inherent_al * kCmPerMm;
  e.AddedFilterAl = c.added_al * kCmPerMm;
  e.AddedFilterCu = c.added_cu * kCmPerMm;
  e.FocusReceptorDistance = c.ffd;
  e.FocusSurfaceDistance = c.fsd;
  e.ObjectThickness = c.thickness;
  if (c.diameter) {
    e.FieldShape = 2;
    e.FieldLong = *c.diameter;
    e.FieldShort = 0.0;
  } else {
    e.FieldShape = 1;
    e.FieldLong = c.field_long;
    e.FieldShort = c.field_short;
  }
  return e;
}

std::string condition_text(const CliConditions& c, std::string_view column)
{
  auto num = [](double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return std::string(buf);
  };
  if (column == "kv") return num(c.kv);
  if (column == "waveform") return std::to_string(c.waveform);
  if (column == "anode_angle") return num(c.anode_angle);
  if (column == "inherent_al") return num(c.inherent_al);
  if (column == "added_al") return num(c.added_al);
  if (column == "added_cu") return num(c.added_cu);
  if (column == "ffd") return num(c.ffd);
  if (column == "fsd") return num(c.fsd);
  if (column == "thickness") return num(c.thickness);
  if (column == "field") return c.diameter ? "" : num(c.field_long) + "x" + num(c.field_short);
  if (column == "diameter") return c.diameter ? num(*c.diameter) : "";
  return "";
}

const std::vector<std::string>& dose_columns()
{
  static const std::vector<std::string> columns = {"hvl", "incident_air_kerma", "at", "tube_output", "mas",
                                                   "air_kerma_rel_u"};
  return columns;
}

void set_dose_option(DoseOptions& d, std::string_view column, std::string_view value)
{
  std::string_view v = value;
  while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
  while (!v.empty() && (v.back() == ' ' || v.back() == '\t' || v.back() == '\r')) v.remove_suffix(1);
  if (v.empty()) return;
  try {
    const double x = parse_strict(v);
    if (column == "hvl") d.hvl_mm = x;
    else if (column == "incident_air_kerma") d.incident_air_kerma_mgy = x;
    else if (column == "at") d.at_cm = x;
    else if (column == "tube_output") d.tube_output_ugy_per_mas = x;
    else if (column == "mas") d.mas = x;
    else if (column == "air_kerma_rel_u") d.air_kerma_rel_u = x;
    else throw std::invalid_argument("unknown column");
  } catch (const std::invalid_argument& e) {
    throw std::invalid_argument("column " + std::string(column) + ": " + e.what());
  }
}

void check_dose_options(const DoseOptions& d, bool added_al_given)
{
  if (d.hvl_mm && added_al_given)
    throw std::invalid_argument("--hvl: give the measured half-value layer or the added aluminium, not both");
  if (d.incident_air_kerma_mgy && (d.tube_output_ugy_per_mas || d.mas))
    throw std::invalid_argument("--incident-air-kerma: give the measured air kerma or the tube output, not both");
  if (d.at_cm && !d.incident_air_kerma_mgy)
    throw std::invalid_argument("--at: the measuring distance belongs to --incident-air-kerma");
  if (d.tube_output_ugy_per_mas.has_value() != d.mas.has_value())
    throw std::invalid_argument(std::string(d.mas ? "--mas" : "--tube-output") +
                                ": the tube output and the mAs go together");
  if (d.air_kerma_rel_u && !d.incident_air_kerma_mgy && !d.tube_output_ugy_per_mas)
    throw std::invalid_argument("--air-kerma-rel-u: the uncertainty belongs to an air kerma");
}

std::string dose_text(const DoseOptions& d, std::string_view column)
{
  auto num = [](const std::optional<double>& v) {
    if (!v) return std::string();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", *v);
    return std::string(buf);
  };
  if (column == "hvl") return num(d.hvl_mm);
  if (column == "incident_air_kerma") return num(d.incident_air_kerma_mgy);
  if (column == "at") return num(d.at_cm);
  if (column == "tube_output") return num(d.tube_output_ugy_per_mas);
  if (column == "mas") return num(d.mas);
  if (column == "air_kerma_rel_u") return num(d.air_kerma_rel_u);
  return "";
}

std::vector<std::string> split_csv(std::string_view line)
{
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::vector<std::string> cells(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char ch = line[i];
    if (quoted) {
      if (ch == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        cells.back() += '"';
        ++i;
      } else if (ch == '"') {
        quoted = false;
      } else {
        cells.back() += ch;
      }
    } else if (ch == '"') {
      quoted = true;
    } else if (ch == ',') {
      cells.emplace_back();
    } else {
      cells.back() += ch;
    }
  }
  return cells;
}

std::string csv_cell(std::string_view text)
{
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

}  // namespace bsf::cli
