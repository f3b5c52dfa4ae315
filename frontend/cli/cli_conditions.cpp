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

double parse_strict(std::string_view text)
{
  std::string_view t = text;
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\r')) t.remove_suffix(1);
  const char* first = t.data();
  const char* last = t.data() + t.size();
  if (first != last && *first == '+') ++first;
  double v = 0.0;
  const auto [ptr, ec] = std::from_chars(first, last, v);
  if (t.empty() || ec != std::errc() || ptr != last || !std::isfinite(v))
    throw std::invalid_argument("\"" + std::string(text) + "\" is not a number");
  return v;
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
  e.InherentFilter = c.inherent_al * 0.1;
  e.AddedFilterAl = c.added_al * 0.1;
  e.AddedFilterCu = c.added_cu * 0.1;
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
