#include "number_text.h"

#include <charconv>
#include <cmath>
#include <algorithm>
#include <stdexcept>
#include <string>

namespace bsf {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The power of ten of the first significant digit of mantissa × 10^exponent
// (the mantissa as typed, with its optional sign and point). Only its sign
// matters: it tells an overflow from an underflow when the number does not
// fit in a double.
long long decimal_power(std::string_view mantissa, long long exponent)
{
  if (!mantissa.empty() && mantissa[0] == '-') mantissa.remove_prefix(1);
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  const std::string_view integer = mantissa.substr(0, point);
  const std::string_view fraction = mantissa.substr(std::min(point + 1, mantissa.size()));
  if (const std::size_t k = integer.find_first_not_of('0'); k != std::string_view::npos)
    return static_cast<long long>(integer.size() - 1 - k) + exponent;
  const std::size_t k = fraction.find_first_not_of('0');
  return -static_cast<long long>(k + 1) + exponent;
}

}  // namespace

NumberReading parse_number(std::string_view text)
{
  // Gathers the characters that form the number, passing over blanks, and
  // stops at the first character that cannot continue it.
  std::string number;
  std::size_t i = 0;
  auto skip_blanks = [&] {
    while (i < text.size() && is_blank(text[i])) ++i;
  };
  skip_blanks();
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') number += '-';
    ++i;
    skip_blanks();
  }
  bool digits = false, point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (is_digit(c)) {
      number += c;
      digits = true;
    } else if (c == '.' && !point) {
      number += c;
      point = true;
    } else if (!is_blank(c)) {
      break;
    }
  }
  if (!digits) return {};
  const std::string mantissa = number;
  // An exponent counts only when at least one digit follows its letter.
  long long exponent = 0;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    std::size_t j = i + 1;
    std::string part = "e";
    bool negative = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      negative = text[j] == '-';
      part += text[j++];
    }
    bool exp_digits = false;
    for (; j < text.size() && (is_digit(text[j]) || is_blank(text[j])); ++j) {
      if (!is_digit(text[j])) continue;
      part += text[j];
      exp_digits = true;
      // Saturates far beyond any double's range; only its size matters then.
      if (exponent < 1'000'000'000) exponent = exponent * 10 + (text[j] - '0');
    }
    if (negative) exponent = -exponent;
    if (exp_digits) number += part;
    else exponent = 0;
  }
  double value = 0.0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  (void)end;
  if (ec == std::errc::result_out_of_range) {
    // Too small for a double reads as zero; too large is out of range.
    if (decimal_power(mantissa, exponent) < 0) return {NumberReading::Status::Ok, number[0] == '-' ? -0.0 : 0.0};
    return {NumberReading::Status::OutOfRange, 0.0};
  }
  if (ec != std::errc()) return {};
  return {NumberReading::Status::Ok, value};
}

double read_number(std::string_view text)
{
  const NumberReading r = parse_number(text);
  if (r.status == NumberReading::Status::OutOfRange) {
    const std::size_t first = text.find_first_not_of(" \t");
    return first != std::string_view::npos && text[first] == '-' ? -HUGE_VAL : HUGE_VAL;
  }
  return r.value;
}

std::string format_pattern(double value, std::string_view pattern)
{
  const std::size_t dot = pattern.find('.');
  const std::string_view integer_part = pattern.substr(0, dot);
  const int decimals = dot == std::string_view::npos ? 0 : static_cast<int>(pattern.size() - dot - 1);
  int min_integer_digits = 0;
  for (char c : integer_part) min_integer_digits += c == '0';

  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";

  // The shortest decimal form, as d.ddddde±p: its digits d and the power p
  // of ten of the first one.
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific);
  const std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
  const std::size_t e = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, e))
    if (c != '.') digits += c;
  int power = 0;
  std::from_chars(sci.data() + e + 1 + (sci[e + 1] == '+'), sci.data() + sci.size(), power);

  // The same digits written out in fixed notation, the point after the
  // first `point_at` of them, extended with zeros to the pattern's decimals.
  std::string grid = power < 0 ? std::string(static_cast<std::size_t>(-power), '0') + digits : digits;
  const std::size_t point_at = power < 0 ? 1 : static_cast<std::size_t>(power) + 1;
  const std::size_t keep = point_at + static_cast<std::size_t>(decimals);
  if (grid.size() < keep) grid.append(keep - grid.size(), '0');
  // Round on the first digit dropped. A shortest form carries no digit
  // beyond the ones it shows, so a 5 there is an exact decimal tie or above
  // it: both round up, away from zero.
  const bool round_up = grid.size() > keep && grid[keep] >= '5';
  grid.resize(keep);
  std::size_t int_len = point_at;
  if (round_up) {
    std::size_t k = keep;
    while (k > 0 && grid[k - 1] == '9') grid[--k] = '0';
    if (k == 0) {
      grid.insert(grid.begin(), '1');
      ++int_len;
    } else {
      ++grid[k - 1];
    }
  }
  std::string int_digits = grid.substr(0, int_len);
  const std::string frac_digits = grid.substr(int_len);
  // Leading zeros go; the pattern's '0's put back as many as it asks for.
  const std::size_t nz = int_digits.find_first_not_of('0');
  int_digits = nz == std::string::npos ? "" : int_digits.substr(nz);
  if (static_cast<int>(int_digits.size()) < min_integer_digits)
    int_digits.insert(0, static_cast<std::size_t>(min_integer_digits) - int_digits.size(), '0');

  std::string text = int_digits;
  if (decimals > 0) text += "." + frac_digits;
  const bool rounds_to_zero = text.find_first_not_of("0.") == std::string::npos;
  return (value < 0.0 && !rounds_to_zero ? "-" : "") + text;
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

}  // namespace bsf
