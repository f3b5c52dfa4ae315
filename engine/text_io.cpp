#include "text_io.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>

namespace bsf {

namespace fs = std::filesystem;

void throw_input_error(const SourceLocation& where, const std::string& what)
{
  std::string msg = where.file;
  if (where.line > 0) msg += ", line " + std::to_string(where.line);
  msg += ": " + what;
  throw InputError(msg);
}

namespace {

// Shows a piece of input text in an error message: quoted, with control
// characters made visible, and cut short when long.
std::string shown_text(std::string_view text)
{
  std::string out = "\"";
  std::size_t shown = 0;
  for (char c : text) {
    if (++shown > 40) {
      out += "...";
      break;
    }
    if (static_cast<unsigned char>(c) < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(c));
      out += buf;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string columns_text(Columns cols)
{
  return "columns " + std::to_string(cols.first) + "-" + std::to_string(cols.last);
}

// The field's characters with blanks removed (blanks are not significant in a
// numeric field). A line shorter than the field is taken as padded with blanks.
std::string field_without_blanks(std::string_view line, Columns cols, std::string& raw)
{
  raw.clear();
  std::string packed;
  for (int c = cols.first; c <= cols.last; ++c) {
    const std::size_t i = static_cast<std::size_t>(c - 1);
    const char ch = i < line.size() ? line[i] : ' ';
    raw += ch;
    if (ch != ' ' && ch != '\t') packed += ch;
  }
  return packed;
}

// Parses a numeric text of the form [sign] digits [. digits] [exponent], where
// the exponent is E, e, D or d followed by an optionally signed integer, or a
// bare sign followed by digits (1.0+03). Without a decimal point the mantissa
// carries `implied_decimals` implied decimals. The value is rebuilt as a plain
// decimal string and converted once, so the result is the correctly rounded
// single-precision value of the decimal number written.
std::optional<float> parse_real(std::string_view s, int implied_decimals)
{
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  std::string digits;
  int point_shift = 0;  // number of mantissa digits after the point
  bool has_point = false;
  bool any_digit = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digits += c;
      any_digit = true;
      if (has_point) ++point_shift;
    } else if (c == '.' && !has_point) {
      has_point = true;
    } else {
      break;
    }
  }
  if (!any_digit) return std::nullopt;

  long exponent = 0;
  if (i < s.size()) {
    const char c = s[i];
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd') ++i;
    else if (c != '+' && c != '-') return std::nullopt;
    bool exp_negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
      exp_negative = s[i] == '-';
      ++i;
    }
    if (i >= s.size()) return std::nullopt;
    for (; i < s.size(); ++i) {
      if (!std::isdigit(static_cast<unsigned char>(s[i]))) return std::nullopt;
      if (exponent < 100000) exponent = exponent * 10 + (s[i] - '0');
    }
    if (exp_negative) exponent = -exponent;
  }

  if (!has_point) point_shift = implied_decimals;
  std::string text = (negative ? "-" : "") + digits + "e" + std::to_string(exponent - point_shift);
  float value = 0.0f;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value,
                                         std::chars_format::scientific);
  if (ec == std::errc::result_out_of_range) {
    // Underflow is a zero, overflow is not a usable number.
    if (exponent - point_shift < 0) return negative ? -0.0f : 0.0f;
    return std::nullopt;
  }
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

LineReader::LineReader(const fs::path& dir, std::string_view name) : name_(name)
{
  const auto path = find_file_nocase(dir, name);
  if (!path) throw_input_error({name_, 0}, "file not found in " + dir.string());
  in_.open(*path, std::ios::binary);
  if (!in_) throw_input_error({name_, 0}, "cannot open the file for reading");
}

bool LineReader::next(std::string& line)
{
  if (!std::getline(in_, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  ++line_number_;
  return true;
}

std::string LineReader::require(std::string_view what)
{
  std::string line;
  if (!next(line)) {
    throw_input_error({name_, line_number_ + 1},
                      "the file ends before " + std::string(what));
  }
  return line;
}

float read_fixed_real(std::string_view line, Columns cols, int implied_decimals,
                      const SourceLocation& where)
{
  std::string raw;
  const std::string packed = field_without_blanks(line, cols, raw);
  if (packed.empty())
    throw_input_error(where, "no number in " + columns_text(cols) + " (the field is blank)");
  const auto value = parse_real(packed, implied_decimals);
  if (!value)
    throw_input_error(where, "cannot read a number from " + shown_text(raw) + " in " +
                                 columns_text(cols));
  return *value;
}

std::int32_t read_fixed_int(std::string_view line, Columns cols, const SourceLocation& where)
{
  std::string raw;
  std::string packed = field_without_blanks(line, cols, raw);
  if (packed.empty())
    throw_input_error(where, "no whole number in " + columns_text(cols) + " (the field is blank)");
  const char* first = packed.data();
  if (*first == '+' && ++first < packed.data() + packed.size() &&
      (*first == '+' || *first == '-'))  // a second sign
    throw_input_error(where, "cannot read a whole number from " + shown_text(raw) + " in " +
                                 columns_text(cols));
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(first, packed.data() + packed.size(), value);
  if (ec == std::errc::result_out_of_range)
    throw_input_error(where, "the whole number " + shown_text(raw) + " in " + columns_text(cols) +
                                 " is too large (at most 2147483647)");
  if (ec != std::errc() || end != packed.data() + packed.size())
    throw_input_error(where, "cannot read a whole number from " + shown_text(raw) + " in " +
                                 columns_text(cols));
  return value;
}

std::optional<float> read_free_real(std::string_view line, const SourceLocation& where)
{
  auto is_separator = [](char c) { return c == ' ' || c == '\t' || c == ','; };
  std::size_t b = 0;
  while (b < line.size() && is_separator(line[b])) ++b;
  if (b == line.size()) return std::nullopt;
  std::size_t e = b;
  while (e < line.size() && !is_separator(line[e])) ++e;
  const std::string_view token = line.substr(b, e - b);
  const auto value = parse_real(token, 0);
  if (!value) throw_input_error(where, "cannot read a number from " + shown_text(token));
  return value;
}

std::string format_fixed(double value, int width, int decimals)
{
  if (!std::isfinite(value)) return std::string(static_cast<std::size_t>(width), '*');
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  std::string text = buf;
  if (decimals == 0) text += '.';
  if (static_cast<int>(text.size()) > width) {
    // A leading zero before the point is optional in this field form.
    if (text.rfind("0.", 0) == 0) text.erase(0, 1);
    else if (text.rfind("-0.", 0) == 0) text.erase(1, 1);
  }
  if (static_cast<int>(text.size()) > width) return std::string(static_cast<std::size_t>(width), '*');
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

std::string format_int(long long value, int width)
{
  std::string text = std::to_string(value);
  if (static_cast<int>(text.size()) > width) return std::string(static_cast<std::size_t>(width), '*');
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

}  // namespace bsf
